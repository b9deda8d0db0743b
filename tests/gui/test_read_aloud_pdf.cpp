// Reading a PDF aloud with the real converter: the working copy in {TEMP}, one request per
// non-empty line, the password prompt, and the quiet endings when no text comes out.

#include "core/base/program_folder.h"
#include "core/files/file_utils.h"
#include "core/files/temp_folder.h"
#include "core/files/text_files.h"
#include "core/settings/settings.h"
#include "core/settings/settings_keys.h"
#include "core/text/spoken_piece.h"
#include "gui/main_window.h"
#include "gui/read_aloud.h"
#include "support/fake_engine.h"
#include "support/held_engine.h"
#include "support/layout_speech.h"
#include "support/scripted_dialogs.h"
#include "support/test_env.h"
#include "support/window_fixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include <csignal>

using namespace lectorix;

namespace {

QString corpus(const QString& name)
{
    const QString path = test::corpusFile(name);
    return QFile::exists(path) ? path : QString();
}

} // namespace

class TestReadAloudPdf : public QObject
{
    Q_OBJECT

    QString m_temp;

    // A PDF source as the window has it after start-up: the converter in {TEMP}, the PDF in
    // a folder of the user's (so a text file written beside it would show).
    QString preparePdf(MainWindow& form, const QString& corpusName)
    {
        writeFileIfMissing(customResource(101), tempPath(QStringLiteral("pdftotext")), true);
        const QString source = corpus(corpusName);
        if (source.isEmpty())
            return {};
        const QString pdf = test::scratchFolder() + QStringLiteral("/docs/") + corpusName;
        test::writeFile(pdf, test::readFile(source));
        form.documents().setUseTextBox(false);
        form.pdfPathEdit()->setText(pdf);
        return pdf;
    }

private slots:
    void init()
    {
        m_temp = test::freshScratch();
        REQUIRE_CORPUS();
    }

    // The working copy's text is read as paragraphs, or each non-empty line on its own when
    // the settings ask for verbatim reading.
    void readsTheTextOfTheWorkingCopy_data()
    {
        QTest::addColumn<bool>("verbatim");
        QTest::newRow("prepared") << false;
        QTest::newRow("verbatim") << true;
    }
    void readsTheTextOfTheWorkingCopy()
    {
        QFETCH(bool, verbatim);
        if (verbatim)
            writeSetting(keys::ReadVerbatim, QStringLiteral("True"));
        test::ScriptedDialogs dialogs;
        test::FakeEngine engine;
        MainWindow form;
        const QString pdf = preparePdf(form, QStringLiteral("multicolumn.pdf"));
        QStringList during;
        engine.onSpeak = [&](const QString&) {
            if (during.isEmpty())
                during << form.readButton()->text() << QString::number(form.mousePointer());
        };

        form.readButton()->click();
        QVERIFY(test::waitUntilReadingEnds(form));

        // The converter ran on a copy in a working folder of the reading's own, which is gone
        // once the reading has ended.
        QCOMPARE(QDir(m_temp).entryList({"reading-*"}, QDir::Dirs), QStringList());
        QVERIFY(!QFile::exists(QString(pdf).replace(".pdf", ".txt")));

        // Read from the pages' layout: sentences and headings, or verbatim its text's lines.
        const QStringList lines = splitLines(test::pdfLayoutText(pdf));
        QVERIFY2(lines.contains(QString()), "the document should have empty lines to skip");
        const QStringList expected = test::pdfVoiceTexts(pdf, verbatim);
        const auto brokenAtTheEnd = [](const QString& text) {
            return text.trimmed().endsWith(QLatin1Char('-'));
        };
        QVERIFY(std::any_of(lines.cbegin(), lines.cend(), brokenAtTheEnd));
        if (verbatim)
            QCOMPARE(expected.size(), lines.size() - lines.count(QString()));
        else // sentences: no utterance stops where a line breaks a word
            QVERIFY(std::none_of(expected.cbegin(), expected.cend(), brokenAtTheEnd));
        const QStringList texts = engine.queued();
        QVERIFY(!texts.isEmpty());
        QCOMPARE(texts, expected);
        QCOMPARE(during, (QStringList{"Pause", "11"}));
        QCOMPARE(form.readButton()->text(), QStringLiteral("Start Reading"));
        QCOMPARE(form.mousePointer(), 0);
        QVERIFY(dialogs.shown().isEmpty());
    }

    void passwordIsAskedAndUsed()
    {
        test::ScriptedDialogs dialogs;
        test::FakeEngine engine;
        MainWindow form;
        preparePdf(form, QStringLiteral("password-example.pdf"));
        form.passwordPromptCheck()->setCheckState(Qt::Checked);
        dialogs.setNextInput(QStringLiteral("test"));

        form.readButton()->click();
        QVERIFY(test::waitUntilReadingEnds(form));

        QCOMPARE(dialogs.shown().size(), 1);
        const auto& asked = dialogs.shown().first();
        QCOMPARE(asked.kind, test::ScriptedDialogs::Shown::Input);
        QCOMPARE(asked.title, QStringLiteral("Input Password"));
        QCOMPARE(asked.text, "Enter password for file (" + form.pdfPathEdit()->text() +
                                 "): \r\nNote: Leave this box blank if file is not "
                                 "password protected");
        const QStringList texts = engine.queued();
        QVERIFY(!texts.isEmpty());
        QVERIFY(!texts.contains(QString()));
        QCOMPARE(form.readButton()->text(), QStringLiteral("Start Reading"));
    }

    // No text comes out: the reading ends quietly, and never with the text of an earlier
    // reading still lying in {TEMP}.
    void endsQuietlyWithoutText_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("prompt");
        QTest::addColumn<QString>("password"); // "<cancel>" cancels the prompt
        QTest::addColumn<bool>("converter");
        QTest::newRow("password needed, prompt cancelled")
            << "password-example.pdf" << false << "" << true;
        QTest::newRow("password cancelled") << "password-example.pdf" << true << "<cancel>" << true;
        QTest::newRow("password left blank") << "password-example.pdf" << true << "" << true;
        QTest::newRow("wrong password") << "password-example.pdf" << true << "nope" << true;
        QTest::newRow("scanned pages") << "c02-22.pdf" << false << "" << true;
        QTest::newRow("not a PDF") << "invalid.pdf" << false << "" << true;
        QTest::newRow("no converter") << "multicolumn.pdf" << false << "" << false;
        // A regular file whose reading fails: the copy fails, the earlier copy must not be
        // converted in its place.
        QTest::newRow("copy fails") << "/proc/self/mem" << false << "" << true;
    }
    void endsQuietlyWithoutText()
    {
        QFETCH(QString, file);
        QFETCH(bool, prompt);
        QFETCH(QString, password);
        QFETCH(bool, converter);
        test::ScriptedDialogs dialogs;
        test::FakeEngine engine;
        MainWindow form;
        QString pdf = preparePdf(form, file.startsWith('/') ? QStringLiteral("trivial.pdf") : file);
        if (file.startsWith('/')) {
            pdf = file;
            form.pdfPathEdit()->setText(pdf);
        }
        if (!converter)
            QFile::remove(m_temp + "/pdftotext");
        form.passwordPromptCheck()->setCheckState(prompt ? Qt::Checked : Qt::Unchecked);
        if (prompt)
            dialogs.setNextInput(password == "<cancel>" ? std::nullopt
                                                        : std::optional<QString>(password));
        // What an earlier reading of another document left behind.
        test::writeFile(m_temp + "/output.pdf", test::readFile(corpus("tracemonkey.pdf")));
        test::writeFile(m_temp + "/output.txt", "Words of an earlier reading\n");

        QElapsedTimer clock;
        clock.start();
        form.readButton()->click();
        QVERIFY(test::waitUntilReadingEnds(form));
        qInfo("ended after %lld ms", clock.elapsed());

        QVERIFY(engine.log.isEmpty()); // no voice made, nothing spoken
        QCOMPARE(form.readButton()->text(), QStringLiteral("Start Reading"));
        QCOMPARE(form.mousePointer(), 0);
        QCOMPARE(dialogs.messages().size(), 0);
        QCOMPARE(QDir(m_temp).entryList({"reading-*"}, QDir::Dirs), QStringList());
    }

    // Each failing step of a PDF's reading is reported at its own line, and the reading goes
    // on with the next; speaking that fails ends the queuing: one report for the whole
    // document, not one a line.
    void failuresAreReportedAtTheirLine_data()
    {
        QTest::addColumn<QString>("setup");
        QTest::addColumn<QList<int>>("lines");
        QTest::addColumn<int>("queuedCount");
        QTest::newRow("no voice can be made")
            << "failCreateVoice" << QList<int>{202, 206, 208, 210} << 0;
        QTest::newRow("voice list outgrew the engine") << "fewerVoices" << QList<int>{206} << -1;
        QTest::newRow("speaking fails") << "failSpeak" << QList<int>{218} << 1;
    }
    void failuresAreReportedAtTheirLine()
    {
        QFETCH(QString, setup);
        QFETCH(QList<int>, lines);
        QFETCH(int, queuedCount);
        test::ScriptedDialogs dialogs;
        test::FakeEngine engine;
        MainWindow form;
        form.voiceCombo()->addItems({"Voice 1", "Voice 2", "Voice 3"});
        form.voiceCombo()->setCurrentIndex(2);
        if (setup == "fewerVoices")
            engine.setVoices(2);
        if (setup == "failCreateVoice")
            engine.failCreateVoice = QStringLiteral("Class not registered");
        if (setup == "failSpeak")
            engine.failSpeak = QStringLiteral("Connection refused");
        preparePdf(form, QStringLiteral("multicolumn.pdf"));

        form.readButton()->click();
        QVERIFY(test::waitUntilReadingEnds(form));

        QCOMPARE(dialogs.reportedLines("Speak.SpeakLoud"), lines);
        QCOMPARE(dialogs.messages().size(), lines.size());
        if (queuedCount >= 0)
            QCOMPARE(engine.queued().size(), queuedCount);
        else
            QVERIFY(engine.queued().size() > 1);
        QCOMPARE(form.readButton()->text(), QStringLiteral("Start Reading"));
        QCOMPARE(form.mousePointer(), 0);
    }

    // The PDF source needs an existing PDF; without one the button does nothing at all.
    void pdfSourceNeedsAnExistingFile_data()
    {
        QTest::addColumn<QString>("pdfBox");
        QTest::newRow("empty") << QString();
        QTest::newRow("missing") << QStringLiteral("/nowhere/gone.pdf");
        QTest::newRow("folder") << test::scratchFolder();
        QTest::newRow("wildcard") << QStringLiteral("/tmp/*.pdf");
    }
    void pdfSourceNeedsAnExistingFile()
    {
        QFETCH(QString, pdfBox);
        test::ScriptedDialogs dialogs;
        test::FakeEngine engine;
        MainWindow form;
        writeFileIfMissing(customResource(101), tempPath(QStringLiteral("pdftotext")), true);
        form.documents().setUseTextBox(false);
        form.pdfPathEdit()->setText(pdfBox);
        form.passwordPromptCheck()->setCheckState(Qt::Checked);
        form.readButton()->click();
        QVERIFY(test::waitUntilReadingEnds(form));
        QVERIFY(engine.log.isEmpty());
        QVERIFY(dialogs.shown().isEmpty()); // not even the password prompt
        QVERIFY(!QFile::exists(m_temp + "/output.pdf"));
        QCOMPARE(form.readButton()->text(), QStringLiteral("Start Reading"));
        QCOMPARE(form.mousePointer(), 0);
    }

    // Closing the window while the converter runs stops it and ends the call at once.
    void closingDuringTheConversion()
    {
        test::ScriptedDialogs dialogs;
        test::HeldEngine engine;
        MainWindow form;
        form.show();
        preparePdf(form, QStringLiteral("multicolumn.pdf"));
        QFile::remove(m_temp + "/pdftotext");
        const QString pidFile = m_temp + "/converter.pid";
        test::writeFile(m_temp + "/pdftotext",
                        "#!/bin/sh\necho $$ > '" + pidFile.toUtf8() + "'\nexec sleep 60\n");
        QFile::setPermissions(m_temp + "/pdftotext", QFile::ReadOwner | QFile::ExeOwner);
        QTimer::singleShot(50, &form, [&] {
            if (!QTest::qWaitFor([&] { return QFile::exists(pidFile); }, 10000))
                return;
            form.close();
        });

        form.readButton()->click();
        QVERIFY(test::waitUntilReadingEnds(form));
        const bool ending = form.isClosing();

        QVERIFY(ending);
        QVERIFY(!form.isVisible());
        QVERIFY(engine.log.isEmpty());
        QVERIFY(dialogs.messages().isEmpty());
        const pid_t converterPid = test::readFile(pidFile).trimmed().toInt();
        QVERIFY(converterPid > 0);
        QVERIFY2(::kill(converterPid, 0) != 0, "the converter must not outlive the window");
    }
};

QTEST_MAIN(TestReadAloudPdf)
#include "test_read_aloud_pdf.moc"
