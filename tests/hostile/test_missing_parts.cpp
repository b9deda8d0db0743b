// A machine without one of the parts the program needs: no pdftotext, no lame, no voice data,
// no sound server. Each gets one message naming what to install, in the converter and in the
// window; an MP3 already at the output path and the text in the box stay as they were, no
// working file is left, and what does not need the missing part goes on working.
#include "../cli/converter_run.h"

#include "core/base/program_folder.h"
#include "core/files/file_utils.h"
#include "core/files/temp_folder.h"
#include "core/process/missing_parts.h"
#include "gui/document_controller.h"
#include "gui/main_window.h"
#include "support/hostile_machine.h"
#include "support/scripted_dialogs.h"
#include "support/test_env.h"
#include "support/window_fixture.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

using namespace lectorix;
using test::ScopedVariable;

namespace {

const QByteArray EarlierMp3 = "an MP3 from an earlier conversion";
const QString NoPdftotext =
    QStringLiteral("pdftotext is not installed (Debian package poppler-utils).");
const QString NoLame = QStringLiteral("lame is not installed (Debian package lame).");

QString corpusPdf()
{
    return test::corpusFile(QStringLiteral("french_diacritics.pdf"));
}

} // namespace

class TestMissingParts : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { test::ignoreBrokenPipes(); }
    void toolLookUp();
    void converterNamesTheMissingPart_data();
    void converterNamesTheMissingPart();
    void exportNeedsNoSoundServer();
    void windowConversionNamesTheMissingTool_data();
    void windowConversionNamesTheMissingTool();
    void windowPdfTextWithoutConverter();
    void windowReadingPdfWithoutConverter();
    void windowReadingWithoutSoundServer();
};

// The launcher in {TEMP} stands for the system's tool; a tool given by another path is the
// caller's own and is not judged.
void TestMissingParts::toolLookUp()
{
    const QString temp = test::freshScratch();
    const QString launcher = temp + QStringLiteral("/pdftotext");
    writeFileIfMissing(customResource(101), launcher, true);
    {
        // {TEMP} on PATH: the launcher there is not the tool.
        const ScopedVariable path("PATH", test::pathWithout({QStringLiteral("pdftotext")}) +
                                              QLatin1Char(':') + temp);
        QVERIFY(!isInstalled(QStringLiteral("pdftotext")));
        QCOMPARE(missingToolMessage(QStringLiteral("pdftotext"), QStringLiteral("pdftotext")),
                 NoPdftotext);
        QCOMPARE(missingToolMessage(launcher, QStringLiteral("pdftotext")), NoPdftotext);
        QCOMPARE(
            missingToolMessage(QStringLiteral("/opt/own/pdftotext"), QStringLiteral("pdftotext")),
            QString());
        QCOMPARE(missingToolMessage(QStringLiteral("lame"), QStringLiteral("lame")), QString());
    }
    QCOMPARE(missingToolMessage(launcher, QStringLiteral("pdftotext")), QString());
    QCOMPARE(notInstalledMessage(QStringLiteral("pdfinfo")),
             QStringLiteral("pdfinfo is not installed (Debian package poppler-utils)."));
}

void TestMissingParts::converterNamesTheMissingPart_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<QStringList>("hiddenTools");
    QTest::addColumn<bool>("hideVoiceData");
    QTest::addColumn<QString>("message");
    QTest::newRow("PDF, no pdftotext")
        << "book.pdf" << QStringList{"pdftotext"} << false << NoPdftotext;
    QTest::newRow("PDF, no lame") << "book.pdf" << QStringList{"lame"} << false << NoLame;
    QTest::newRow("PDF, neither") << "book.pdf" << QStringList{"pdftotext", "lame"} << false
                                  << NoPdftotext + QLatin1Char(' ') + NoLame;
    QTest::newRow("text, no lame") << "notes.txt" << QStringList{"lame"} << false << NoLame;
    QTest::newRow("text, no voice data") << "notes.txt" << QStringList() << true
                                         << QStringLiteral("install the espeak-ng-data package");
}

void TestMissingParts::converterNamesTheMissingPart()
{
    QFETCH(QString, input);
    QFETCH(QStringList, hiddenTools);
    QFETCH(bool, hideVoiceData);
    QFETCH(QString, message);
    if (test::converterProgram().isEmpty())
        QSKIP("the built converter is needed");
    REQUIRE_CORPUS();
    const QString temp = test::freshScratch();
    const QString folder = test::scratchFolder() + QStringLiteral("/docs-") +
                           QString::fromLatin1(QTest::currentDataTag()).replace(' ', '_');
    QDir().mkpath(folder);
    if (input.endsWith(QLatin1String(".pdf")))
        QVERIFY(QFile::copy(corpusPdf(), folder + QLatin1Char('/') + input));
    else
        test::writeFile(folder + QLatin1Char('/') + input, "A short note to read.\n");
    const QString mp3 = folder + QLatin1Char('/') + stripExtension(input) + QStringLiteral(".mp3");
    test::writeFile(mp3, EarlierMp3);
    const QStringList before = test::folderEntries(folder);

    QProcessEnvironment environment;
    if (!hiddenTools.isEmpty())
        environment.insert(QStringLiteral("PATH"), test::pathWithout(hiddenTools));
    if (hideVoiceData)
        environment.insert(QStringLiteral("ESPEAK_DATA_PATH"), test::emptyVoiceData());
    const test::ConverterRun run =
        test::runConverter({QStringLiteral("-q"), input}, folder, QByteArray(), environment);

    const QString said = QString::fromUtf8(run.standardError);
    QVERIFY2(!run.crashed, qPrintable(said));
    QCOMPARE(run.exitCode, 1);
    QCOMPARE(said.count(message), 1);
    QVERIFY2(said.contains(input), qPrintable(said));
    QCOMPARE(test::readFile(mp3), EarlierMp3);
    QCOMPARE(test::folderEntries(folder), before);
    QCOMPARE(test::folderEntries(temp), QStringList());
}

void TestMissingParts::exportNeedsNoSoundServer()
{
    if (test::converterProgram().isEmpty())
        QSKIP("the built converter is needed");
    test::freshScratch();
    const QString folder = test::scratchFolder() + QStringLiteral("/no-sound");
    QDir().mkpath(folder);
    QProcessEnvironment environment;
    environment.insert(QStringLiteral("PULSE_SERVER"), test::deadSoundServer());
    const test::ConverterRun run =
        test::runConverter({QStringLiteral("-q"), QStringLiteral("-o"), QStringLiteral("out.mp3"),
                            QStringLiteral("-")},
                           folder, "Spoken without a sound server.\n", environment);
    QVERIFY2(run.exitCode == 0 && !run.crashed, run.standardError.constData());
    const auto sound = test::decodeMp3(folder + QStringLiteral("/out.mp3"));
    QVERIFY(sound.has_value());
    QVERIFY(sound->samples > 22050 / 2);
    QVERIFY(sound->peak > 1000);
}

void TestMissingParts::windowConversionNamesTheMissingTool_data()
{
    QTest::addColumn<QStringList>("hiddenTools");
    QTest::addColumn<QString>("message");
    QTest::newRow("no pdftotext") << QStringList{"pdftotext"} << NoPdftotext;
    QTest::newRow("no lame") << QStringList{"lame"} << NoLame;
}

void TestMissingParts::windowConversionNamesTheMissingTool()
{
    QFETCH(QStringList, hiddenTools);
    QFETCH(QString, message);
    REQUIRE_CORPUS();
    test::WindowFixture fixture;
    const QString folder = test::scratchFolder() + QStringLiteral("/window-docs");
    QDir().mkpath(folder);
    const QString pdf = folder + QStringLiteral("/French.pdf");
    const QString mp3 = folder + QStringLiteral("/French.mp3");
    QFile::remove(pdf);
    QVERIFY(QFile::copy(corpusPdf(), pdf));
    test::writeFile(mp3, EarlierMp3);
    const ScopedVariable path("PATH", test::pathWithout(hiddenTools));
    fixture.form.pdfPathEdit()->setText(pdf);
    MainWindow::setOptionValue(fixture.form.saveBesidePdfOption(), true);
    fixture.dialogs.clear();

    fixture.form.saveMp3Button()->click();
    QVERIFY(test::waitUntilIdle(fixture.form));

    QCOMPARE(fixture.dialogs.messageTexts(), QStringList{message});
    QCOMPARE(test::readFile(mp3), EarlierMp3);
    QCOMPARE(test::folderEntries(folder), (QStringList{"French.mp3", "French.pdf"}));
    QVERIFY(!QDir(fixture.temp).entryList({QStringLiteral("conversion-*")}, QDir::Dirs).size());
    QVERIFY(!fixture.form.exporting().savingFile());
}

// Choosing a PDF without a converter says what to install, and the box keeps its text.
void TestMissingParts::windowPdfTextWithoutConverter()
{
    REQUIRE_CORPUS();
    test::WindowFixture fixture;
    const ScopedVariable path("PATH", test::pathWithout({QStringLiteral("pdftotext")}));
    fixture.form.textToReadEdit()->setPlainText(QStringLiteral("Text the user typed."));
    fixture.dialogs.clear();

    bool done = false;
    fixture.form.documents().loadPdfText(corpusPdf(), [&] { done = true; });
    QTRY_VERIFY_WITH_TIMEOUT(done, 60000);

    QCOMPARE(fixture.dialogs.messageTexts(), QStringList{NoPdftotext});
    QCOMPARE(fixture.form.textToReadEdit()->toPlainText(), QStringLiteral("Text the user typed."));
}

void TestMissingParts::windowReadingPdfWithoutConverter()
{
    REQUIRE_CORPUS();
    test::WindowFixture fixture;
    const ScopedVariable path("PATH", test::pathWithout({QStringLiteral("pdftotext")}));
    fixture.form.documents().setUseTextBox(false);
    fixture.form.pdfPathEdit()->setText(corpusPdf());
    fixture.dialogs.clear();

    fixture.form.readButton()->click();
    QVERIFY(test::waitUntilReadingEnds(fixture.form));

    const QStringList shown = fixture.dialogs.messageTexts();
    QCOMPARE(shown.size(), 1);
    QVERIFY2(shown.first().contains(NoPdftotext), qPrintable(shown.first()));
    QVERIFY2(shown.first().contains(QStringLiteral("SpeakLoud")), qPrintable(shown.first()));
    QCOMPARE(fixture.form.readButton()->text(), QStringLiteral("Start Reading"));
}

// Reading aloud without a sound server says so and what to install; the window goes on.
void TestMissingParts::windowReadingWithoutSoundServer()
{
    test::WindowFixture fixture;
    const ScopedVariable server("PULSE_SERVER", test::deadSoundServer());
    fixture.form.documents().setUseTextBox(true);
    fixture.form.textToReadEdit()->setPlainText(QStringLiteral("Nobody will hear this."));
    fixture.dialogs.clear();

    fixture.form.readButton()->click();
    QVERIFY(test::waitUntilReadingEnds(fixture.form));

    const QStringList shown = fixture.dialogs.messageTexts();
    QVERIFY(!shown.isEmpty());
    QVERIFY2(shown.first().contains(QStringLiteral("No audio output")), qPrintable(shown.first()));
    QVERIFY2(shown.first().contains(QStringLiteral("pulseaudio or pipewire-pulse")),
             qPrintable(shown.first()));
    QCOMPARE(fixture.form.readButton()->text(), QStringLiteral("Start Reading"));
    QCOMPARE(fixture.form.textToReadEdit()->toPlainText(),
             QStringLiteral("Nobody will hear this."));
}

QTEST_MAIN(TestMissingParts)
#include "test_missing_parts.moc"
