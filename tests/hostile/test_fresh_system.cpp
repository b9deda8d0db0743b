// A freshly installed system without what the package only recommends: without xdg-utils
// nothing opens a folder or a web page, and without poppler-data pdftotext gives no text for
// Chinese, Japanese and Korean fonts. Each is named with its package where the user asked for
// what it does, in the window and in the converter.
#include "../cli/converter_run.h"

#include "core/base/program_folder.h"
#include "gui/document_controller.h"
#include "gui/main_window.h"
#include "support/hostile_machine.h"
#include "support/scripted_dialogs.h"
#include "support/test_env.h"
#include "support/window_fixture.h"

#include <QFileInfo>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

using namespace lectorix;
using test::ScopedVariable;

namespace {

const QString NoOpener = QStringLiteral("xdg-open is not installed (Debian package xdg-utils).");
const QString NoLanguageData = QStringLiteral(
    "pdftotext lacks the language data for this document's fonts (Debian package poppler-data).");

QStringList openedUrls(const test::ScriptedDialogs& dialogs)
{
    QStringList urls;
    for (const auto& shown : dialogs.shown())
        if (shown.kind == test::ScriptedDialogs::Shown::Url)
            urls << shown.text;
    return urls;
}

} // namespace

class TestFreshSystem : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { test::ignoreBrokenPipes(); }

    void openingNamesTheMissingOpener_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<bool>("opens");
        QTest::addColumn<QString>("message");
        QTest::newRow("Add Voices, nothing opens") << "addVoicesButton" << false << NoOpener;
        QTest::newRow("samples folder, nothing opens") << "loadSampleButton" << false << NoOpener;
        QTest::newRow("Add Voices, a browser opens") << "addVoicesButton" << true << QString();
        QTest::newRow("samples folder, a file browser opens")
            << "loadSampleButton" << true << QString();
    }

    // Both ask first; the answer Yes opens what they offer. What the user sees after that is
    // the page, or the name of the package that would have shown it.
    void openingNamesTheMissingOpener()
    {
        QFETCH(QString, button);
        QFETCH(bool, opens);
        QFETCH(QString, message);
        test::WindowFixture fixture;
        const QString sample = programFolder() + QStringLiteral("/Samples/sample1.pdf");
        QVERIFY2(QFileInfo::exists(sample), qPrintable(sample));
        const ScopedVariable path("PATH", test::pathWithout({QStringLiteral("xdg-open")}));
        fixture.dialogs.setUrlsOpen(opens);
        fixture.dialogs.clear();
        fixture.dialogs.setNextAnswer(Dialogs::Answer::Yes);

        fixture.form.findChild<QPushButton*>(button)->click();
        QVERIFY(test::waitUntilIdle(fixture.form));

        QCOMPARE(openedUrls(fixture.dialogs).size(), 1);
        const QStringList shown = fixture.dialogs.messageTexts();
        QCOMPARE(shown.size(), message.isEmpty() ? 1 : 2);
        if (!message.isEmpty())
            QCOMPARE(shown.last(), message);
    }

    void converterNamesTheMissingLanguageData_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("said");
        QTest::newRow("print the text")
            << QStringList{"--print-text", "japanese.pdf"}
            << QStringLiteral("lectorix-convert: 'japanese.pdf': ") + NoLanguageData + "\n";
        QTest::newRow("convert") << QStringList{"-q", "japanese.pdf"}
                                 << QStringLiteral("lectorix-convert: 'japanese.pdf': the "
                                                   "conversion failed: ") +
                                        NoLanguageData + "\n";
    }

    void converterNamesTheMissingLanguageData()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, said);
        if (test::converterProgram().isEmpty())
            QSKIP("the built converter is needed");
        REQUIRE_CORPUS();
        const QString temp = test::freshScratch();
        const QString folder = test::scratchFolder() + QStringLiteral("/docs");
        test::copyCorpusFile(QStringLiteral("vertical.pdf"),
                             folder + QStringLiteral("/japanese.pdf"));
        QProcessEnvironment environment;
        environment.insert(QStringLiteral("PATH"), test::pathWithoutLanguageData());

        const test::ConverterRun run =
            test::runConverter(arguments, folder, QByteArray(), environment);

        QVERIFY2(!run.crashed, run.said());
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(run.errors(), said);
        QCOMPARE(test::folderEntries(folder), QStringList{"japanese.pdf"});
        QCOMPARE(test::folderEntries(temp), QStringList());
    }

    // Choosing the PDF names the package, and nothing calls the document scanned.
    void windowNamesTheMissingLanguageData()
    {
        REQUIRE_CORPUS();
        test::WindowFixture fixture;
        const ScopedVariable path("PATH", test::pathWithoutLanguageData());
        fixture.dialogs.clear();

        bool done = false;
        fixture.form.documents().loadPdfText(test::corpusFile(QStringLiteral("vertical.pdf")),
                                             [&] { done = true; });
        QTRY_VERIFY_WITH_TIMEOUT(done, 60000);

        QCOMPARE(fixture.dialogs.messageTexts(), QStringList{NoLanguageData});
        QCOMPARE(fixture.form.textToReadEdit()->toPlainText(), QString());
    }
};

QTEST_MAIN(TestFreshSystem)
#include "test_fresh_system.moc"
