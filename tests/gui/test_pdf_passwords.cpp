// Passwords of encrypted PDFs in the window: asked for when a document needs one, asked again
// when wrong, remembered for the session only, and the same for filling the text box, reading
// aloud and the MP3 export; a damaged document is called damaged, not protected.
#include "core/settings/settings.h"
#include "gui/document_controller.h"
#include "gui/export_controller.h"
#include "gui/main_window.h"
#include "gui/mp3_conversion.h"
#include "support/fake_engine.h"
#include "support/scripted_dialogs.h"
#include "support/test_env.h"
#include "support/window_fixture.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QtTest>

#include <optional>

using namespace lectorix;
using Shown = test::ScriptedDialogs::Shown;

namespace {

const QString Locked = QStringLiteral("libreoffice-writer-password.pdf");
const QString Cancel = QStringLiteral("<cancel>");

// The prompt's text for each reason to ask: "before" (the password box is ticked), "needed"
// and "wrong".
QString prompt(const QString& why, const QString& pdf)
{
    const QString enter = "Enter password for file (" + pdf + "): ";
    if (why == "before")
        return enter + "\r\nNote: Leave this box blank if file is not password protected";
    if (why == "needed")
        return "This file is password protected.\r\n" + enter;
    return "The password was wrong. Please try again.\r\n" + enter;
}

QString protectedMessage(const QString& pdf)
{
    return "The file " + pdf +
           " can not be read by this software - password protected or text is protected.";
}

// The window with the PDF in a folder of the user's, where the export writes its MP3.
struct Fixture : test::WindowFixture
{
    QString pdf;
    explicit Fixture(const QString& corpusName)
    {
        pdf = test::copyCorpusFile(corpusName, QDir::cleanPath(temp + "/../docs/" + corpusName));
        MainWindow::setOptionValue(form.saveBesidePdfOption(), true);
    }
    QString mp3() const { return pdf.chopped(4) + ".mp3"; }

    // Fills the text box, reads aloud or exports the PDF, and waits until that has ended.
    bool run(const QString& action)
    {
        if (action == "load") {
            form.documents().loadPdfText(pdf);
            return test::waitUntilIdle(form);
        }
        form.pdfPathEdit()->setText(pdf);
        if (action == "read") {
            form.documents().setUseTextBox(false);
            form.readButton()->click();
            return test::waitUntilReadingEnds(form);
        }
        form.saveMp3Button()->click();
        return test::waitUntilIdle(form);
    }

    void answer(const QStringList& answers)
    {
        for (const QString& a : answers)
            dialogs.setNextInput(a == Cancel ? std::nullopt : std::optional<QString>(a));
    }

    QStringList prompts() const
    {
        QStringList texts;
        for (const Shown& s : dialogs.shown())
            if (s.kind == Shown::Input)
                texts << s.text;
        return texts;
    }
};

} // namespace

class TestPdfPasswords : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { test::ignoreBrokenPipes(); }
    void init() { REQUIRE_CORPUS(); }

    // An encrypted PDF asks for its password, asks again when it is wrong, and ends quietly on
    // Cancel or a blank answer; the password box asks once before trying.
    void asksUntilTheDocumentOpens_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<bool>("ticked");
        QTest::addColumn<QStringList>("answers");
        QTest::addColumn<QStringList>("asked");
        QTest::addColumn<bool>("opened");
        const QStringList right{"openpassword"};
        const QStringList wrongThenRight{"nope", "openpassword"};
        for (const QString action : {"load", "read", "export"}) {
            const QByteArray a = action.toUtf8() + ": ";
            QTest::newRow(a + "needed")
                << action << false << right << QStringList{"needed"} << true;
            QTest::newRow(a + "wrong, then right")
                << action << false << wrongThenRight << QStringList{"needed", "wrong"} << true;
            QTest::newRow(a + "cancelled")
                << action << false << QStringList{Cancel} << QStringList{"needed"} << false;
            QTest::newRow(a + "box ticked, wrong, then cancelled")
                << action << true << QStringList{"nope", Cancel} << QStringList{"before", "wrong"}
                << false;
        }
        QTest::newRow("load: left blank")
            << "load" << false << QStringList{""} << QStringList{"needed"} << false;
        QTest::newRow("load: box ticked, left blank, then right")
            << "load" << true << QStringList{"", "openpassword"} << QStringList{"before", "needed"}
            << true;
    }

    void asksUntilTheDocumentOpens()
    {
        QFETCH(QString, action);
        QFETCH(bool, ticked);
        QFETCH(QStringList, answers);
        QFETCH(QStringList, asked);
        QFETCH(bool, opened);
        std::optional<test::FakeEngine> engine;
        if (action == "read")
            engine.emplace();
        Fixture f(Locked);
        f.form.passwordPromptCheck()->setCheckState(ticked ? Qt::Checked : Qt::Unchecked);
        f.answer(answers);

        QVERIFY(f.run(action));

        QStringList expected;
        for (const QString& why : asked)
            expected << prompt(why, f.pdf);
        QCOMPARE(f.prompts(), expected);
        for (const Shown& s : f.dialogs.shown())
            QVERIFY(s.kind != Shown::Input || (s.title == "Input Password" && s.masked));
        const QString text = f.form.textToReadEdit()->toPlainText();
        if (action == "load")
            QCOMPARE(text.contains("Lorem ipsum"), opened);
        if (action == "load" && !opened)
            QCOMPARE(text, protectedMessage(f.pdf));
        if (action == "read")
            QCOMPARE(engine->queued().join(' ').contains("Lorem ipsum"), opened);
        if (action == "export")
            QCOMPARE(QFile::exists(f.mp3()), opened);
        // Cancelling needs no message after it; an export that opened says "Done.".
        QCOMPARE(f.dialogs.messageTexts(),
                 action == "export" && opened ? QStringList{DoneMessage} : QStringList{});
        QCOMPARE(f.form.mousePointer(), 0);
        QCOMPARE(f.form.readButton()->text(), QStringLiteral("Start Reading"));
        QVERIFY(!f.form.exporting().savingFile());
    }

    // The password that opened a PDF, or that it needed none, is remembered for the session:
    // loading, reading and exporting it again ask nothing, the password box ticked or not. It
    // never reaches the settings file.
    void rememberedForTheSession_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("ticked");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("firstAsk");
        QTest::newRow("asked when needed") << Locked << false << "openpassword"
                                           << "needed";
        QTest::newRow("asked before trying") << Locked << true << "openpassword"
                                             << "before";
        QTest::newRow("another document, asked when needed")
            << "password-example.pdf" << false << "test"
            << "needed";
        QTest::newRow("none needed, box ticked") << "french_diacritics.pdf" << true << ""
                                                 << "before";
    }

    void rememberedForTheSession()
    {
        QFETCH(QString, file);
        QFETCH(bool, ticked);
        QFETCH(QString, password);
        QFETCH(QString, firstAsk);
        Fixture f(file);
        f.form.passwordPromptCheck()->setCheckState(ticked ? Qt::Checked : Qt::Unchecked);
        f.answer({password});

        QVERIFY(f.run("load"));
        QVERIFY(f.run("export"));
        {
            test::FakeEngine engine;
            QVERIFY(f.run("read"));
            QVERIFY(!engine.queued().isEmpty());
        }
        QVERIFY(f.run("load"));

        QCOMPARE(f.prompts(), QStringList{prompt(firstAsk, f.pdf)});
        QVERIFY(QFile::exists(f.mp3()));
        QCOMPARE(f.dialogs.messageTexts(), QStringList{DoneMessage});
        QVERIFY(QFile::exists(settingsFilePath()));
        const QSettings settings(settingsFilePath(), QSettings::IniFormat);
        for (const QString& key : settings.allKeys())
            QVERIFY2(password.isEmpty() || settings.value(key).toString() != password,
                     qPrintable(key));
    }

    // A password remembered for a document that no longer opens with it (the file was
    // replaced) is asked for again, saying it was wrong.
    void aStalePasswordIsAskedAgain()
    {
        Fixture f(Locked);
        f.answer({"openpassword"});
        QVERIFY(f.run("load"));
        QFile::remove(f.pdf);
        QVERIFY(QFile::copy(test::corpusFile("password-example.pdf"), f.pdf));
        f.answer({"test"});
        QVERIFY(f.run("load"));
        QCOMPARE(f.prompts(), (QStringList{prompt("needed", f.pdf), prompt("wrong", f.pdf)}));
        QVERIFY(f.form.textToReadEdit()->toPlainText().contains("Backup4all"));
    }

    // A damaged document and a missing one say so in the export as in the converter, the
    // password not blamed (filling the text box: test_pdf_text).
    void damagedIsNotCalledProtected_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("reason");
        const QString damaged = QStringLiteral("damaged, or its text is protected");
        QTest::newRow("not a PDF") << "invalid.pdf" << damaged;
        QTest::newRow("no pages") << "qpdf_empty.pdf" << damaged;
        QTest::newRow("missing") << QString() << "missing";
    }

    void damagedIsNotCalledProtected()
    {
        QFETCH(QString, file);
        QFETCH(QString, reason);
        Fixture f(file.isEmpty() ? QStringLiteral("trivial.pdf") : file);
        if (file.isEmpty())
            QVERIFY(QFile::remove(f.pdf));
        QVERIFY(f.run("export"));
        QCOMPARE(f.dialogs.messageTexts(),
                 QStringList{"The file " + f.pdf + " can not be read by this software - " + reason +
                             "."});
        QCOMPARE(f.prompts(), QStringList{});
        QVERIFY(!QFile::exists(f.mp3()));
    }
};

QTEST_MAIN(TestPdfPasswords)
#include "test_pdf_passwords.moc"
