#include "core/base/program_folder.h"
#include "core/files/file_utils.h"
#include "core/files/temp_folder.h"
#include "gui/dialogs.h"
#include "gui/document_controller.h"
#include "gui/main_window.h"
#include "gui/scan_recognition.h"
#include "support/scripted_dialogs.h"
#include "support/test_env.h"
#include "support/window_fixture.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include <cerrno>
#include <csignal>

using namespace lectorix;

namespace {

QString protectedMessage(const QString& pdf)
{
    return "The file " + pdf +
           " can not be read by this software - password protected or text is protected.";
}

QString unreadableMessage(const QString& pdf)
{
    return "The file " + pdf +
           " can not be read by this software - text unreadable. Please view the file yourself "
           "to see if it is really a scanned image of text and not proper PDF text.";
}

// Replaces the converter launcher in {TEMP} by script (owner-only permissions).
QString writeLauncher(const QByteArray& script)
{
    const QString path = tempPath("pdftotext");
    test::writeFile(path, script);
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return path;
}

} // namespace

class TestPdfText : public QObject
{
    Q_OBJECT

    // Every test: scratch folders, the launcher in {TEMP}, a window and scripted dialogs.
    struct Fixture : test::WindowFixture
    {
        QString extract(const QString& pdf, std::optional<QString> password = std::nullopt)
        {
            form.passwordPromptCheck()->setCheckState(password ? Qt::Checked : Qt::Unchecked);
            if (password)
                dialogs.setNextInput(*password);
            form.documents().loadPdfText(pdf);
            test::waitUntilIdle(form);
            return form.textToReadEdit()->toPlainText();
        }
    };

private slots:
    void extractsText_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("text") << "tracemonkey.pdf" << QString()
                              << QStringList{"Trace-based Just-in-Time Type Specialization"};
        QTest::newRow("multi-column") << "multicolumn.pdf" << QString() << QStringList{"Lorem"};
        QTest::newRow("Chinese") << "issue-67-example.pdf" << QString()
                                 << QStringList{"东北电气发展股份有限公司", "第一季度报告"};
        QTest::newRow("Japanese") << "vertical.pdf" << QString() << QStringList{"日本語"};
        QTest::newRow("Cyrillic") << "Government Decree 842.pdf" << QString()
                                  << QStringList{"ПРАВИТЕЛЬСТВО РОССИЙСКОЙ ФЕДЕРАЦИИ"};
        // The layout gives right-to-left words in reading order.
        QTest::newRow("Arabic") << "habibi.pdf" << QString() << QStringList{"حَبيبي", "habibi"};
        QTest::newRow("French") << "french_diacritics.pdf" << QString()
                                << QStringList{"àÀâÂäÄçÇéÉèÈêÊëËîÎïÏôÔùÙûÛüÜ"};
        QTest::newRow("German") << "GeoTopo-komprimiert.pdf" << QString()
                                << QStringList{"Einführung in die"};
        QTest::newRow("recoverable damage")
            << "helloworld-bad.pdf" << QString() << QStringList{"Hello, world!"};
        QTest::newRow("missing xref keyword")
            << "xref_command_missing.pdf" << QString() << QStringList{"Reduced test-case"};
        QTest::newRow("owner password") << "orientation.pdf"
                                        << "foo" << QStringList{"Portrait", "Seascape"};
        QTest::newRow("user password") << "password-example.pdf"
                                       << "test" << QStringList{"Backup4all"};
        QTest::newRow("user password 2") << "libreoffice-writer-password.pdf"
                                         << "openpassword" << QStringList{"Lorem ipsum"};
        QTest::newRow("user password, RC4") << "enc-R2,V1,U=view,O=master.pdf"
                                            << "view" << QStringList{"Potato 0", "Potato 29"};
    }

    void extractsText()
    {
        QFETCH(QString, file);
        QFETCH(QString, password);
        QFETCH(QStringList, expected);
        Fixture f;
        f.form.readButton()->setText("Pause");
        QSignalSpy changes(f.form.textToReadEdit(), &QPlainTextEdit::textChanged);
        const QString text =
            f.extract(test::corpusFile(file),
                      password.isNull() ? std::nullopt : std::optional<QString>(password));
        for (const QString& e : expected)
            QVERIFY2(text.contains(e), qPrintable(e + " missing from: " + text.left(300)));
        QVERIFY(!text.startsWith('\n'));
        QVERIFY(f.dialogs.messageTexts().isEmpty());
        // Cleared once and filled once, and the change handler saw it.
        QCOMPARE(changes.size(), 2);
        QCOMPARE(f.form.readButton()->text(), QStringLiteral("Start Reading"));
        QVERIFY2(!QFile::exists(f.temp + "/extract.txt"), "the text file is removed afterwards");
    }

    // What the box and the message box say of a document without text: a scan is unreadable,
    // a damaged or missing document is called so (the password prompts have tests of their own).
    void reportsDocumentsWithoutText_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("reason");
        const QString damaged = QStringLiteral("damaged, or its text is protected");
        QTest::newRow("scan") << "c02-22.pdf" << QString();
        QTest::newRow("two-column scan") << "linn.pdf" << QString();
        QTest::newRow("blank page") << "trivial.pdf" << QString();
        QTest::newRow("page without contents") << "no_contents.pdf" << QString();
        QTest::newRow("hash in name") << "empty#hash.pdf" << QString();
        QTest::newRow("not a PDF") << "invalid.pdf" << damaged;
        QTest::newRow("no pages") << "qpdf_empty.pdf" << damaged;
        QTest::newRow("missing file") << "no-such-file.pdf"
                                      << "missing";
    }

    void reportsDocumentsWithoutText()
    {
        QFETCH(QString, file);
        QFETCH(QString, reason);
        Fixture f;
        const QString pdf = test::corpusFile(file);
        const QString message =
            reason.isNull()
                ? unreadableMessage(pdf)
                : "The file " + pdf + " can not be read by this software - " + reason + ".";
        QCOMPARE(f.extract(pdf), message);
        auto shown = f.dialogs.messages();
        // Of a document without text, the user is asked first whether to recognise it; the
        // unscripted answer is No.
        if (reason.isNull()) {
            QVERIFY(!shown.isEmpty());
            QCOMPARE(shown.takeFirst().text, recogniseQuestion(pdf));
        }
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown.first().text, message);
        QCOMPARE(shown.first().title, applicationTitle());
        QCOMPARE(shown.first().buttons, Dialogs::Buttons::Ok);
        QVERIFY(!QFile::exists(f.temp + "/extract.txt"));
    }

    void passwordPrompt_data()
    {
        QTest::addColumn<bool>("checked");
        QTest::addColumn<std::optional<QString>>("answer");
        QTest::newRow("unchecked: nobody asked") << false << std::optional<QString>();
        QTest::newRow("checked, blank") << true << std::optional<QString>("");
        QTest::newRow("checked, cancelled") << true << std::optional<QString>();
    }

    // Without a password the unprotected document reads the same however the prompt went.
    void passwordPrompt()
    {
        QFETCH(bool, checked);
        QFETCH(std::optional<QString>, answer);
        Fixture f;
        f.form.passwordPromptCheck()->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
        f.dialogs.setNextInput(answer);
        const QString pdf = test::corpusFile("french_diacritics.pdf");
        f.form.documents().loadPdfText(pdf);
        QVERIFY(test::waitUntilIdle(f.form));
        QVERIFY(f.form.textToReadEdit()->toPlainText().startsWith("àÀâÂäÄçÇéÉ"));
        QCOMPARE(f.dialogs.shown().size(), checked ? 1 : 0);
        if (checked) {
            QCOMPARE(f.dialogs.shown().first().title, QStringLiteral("Input Password"));
            QVERIFY(f.dialogs.shown().first().text.contains("(" + pdf + "): \r\n"));
            QVERIFY(f.dialogs.shown().first().masked);
        }
    }

    void oddFileNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("quotes") << "say \"hi\" 'there'.pdf";
        QTest::newRow("dollar") << "$HOME $(touch pwned).pdf";
        QTest::newRow("backticks") << "`touch pwned`.pdf";
        QTest::newRow("newline") << "two\nlines.pdf";
        QTest::newRow("non-ASCII") << "Ünïcödé 中文 Ωμέγα.pdf";
        QTest::newRow("shell signs") << "a;b&c|d<e>f*g?.pdf";
        QTest::newRow("leading dash") << "-f 1 -l 2.pdf";
        QTest::newRow("no extension") << "document";
        QTest::newRow("upper case") << "LOUD.PDF";
    }

    void oddFileNames()
    {
        QFETCH(QString, name);
        Fixture f;
        const QString folder = f.temp + "/../docs dir";
        QDir().mkpath(folder);
        const QString pdf = QDir::cleanPath(folder + "/" + name);
        QVERIFY(QFile::copy(test::corpusFile("french_diacritics.pdf"), pdf));
        QVERIFY(f.extract(pdf).startsWith("àÀâÂäÄçÇéÉ"));
        QVERIFY(f.dialogs.shown().isEmpty());
        QCOMPARE(QDir(folder).entryList(QDir::Files), QStringList{QFileInfo(pdf).fileName()});
        QVERIFY(!QFile::exists(f.temp + "/pwned") && !QFile::exists("pwned"));
    }

    void onlyTheFirstHundredPages()
    {
        Fixture f;
        const QString text = f.extract(test::corpusFile("freeculture.pdf"));
        // The converter ends every page with a form feed.
        QCOMPARE(text.count('\f'), 100);
        QVERIFY(f.dialogs.shown().isEmpty());
    }

    // A second document chosen while the first one still converts: the box and the messages
    // end as if only the second had been chosen, and no text file is left behind.
    void newerExtractionWins_data()
    {
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("second");
        QTest::newRow("text, then text") << "tracemonkey.pdf"
                                         << "french_diacritics.pdf";
        QTest::newRow("protected, then text") << "invalid.pdf"
                                              << "french_diacritics.pdf";
        QTest::newRow("text, then protected") << "tracemonkey.pdf"
                                              << "invalid.pdf";
    }

    void newerExtractionWins()
    {
        QFETCH(QString, first);
        QFETCH(QString, second);
        Fixture f;
        // A converter that takes its time, so the second choice comes while the first runs.
        const QString real = f.temp + "/real-pdftotext";
        QVERIFY(QFile::rename(tempPath("pdftotext"), real));
        writeLauncher("#!/bin/sh\nsleep 0.3\nexec '" + real.toUtf8() + "' \"$@\"\n");
        const QString firstPdf = test::corpusFile(first);
        const QString secondPdf = test::corpusFile(second);
        QTimer::singleShot(50, [&] { f.form.documents().loadPdfText(secondPdf); });
        f.form.documents().loadPdfText(firstPdf);
        QVERIFY(test::waitUntilIdle(f.form));
        const QString shown = f.form.textToReadEdit()->toPlainText();
        const QStringList messages = f.dialogs.messageTexts();
        QCOMPARE(QDir(f.temp).entryList({"extract*"}, QDir::Files), QStringList{});

        f.dialogs.clear();
        QCOMPARE(f.extract(secondPdf), shown);
        QCOMPARE(f.dialogs.messageTexts(), messages);
    }

    // Closing the window while the converter writes the text stops it, and its text file
    // goes; a window destroyed without being closed does the same.
    void closingTheWindowStopsTheExtraction_data()
    {
        QTest::addColumn<bool>("destroyed");
        QTest::newRow("closed") << false;
        QTest::newRow("destroyed without closing") << true;
    }

    void closingTheWindowStopsTheExtraction()
    {
        QFETCH(bool, destroyed);
        const QString temp = test::freshScratch();
        const QString pidFile = temp + "/converter.pid";
        writeLauncher("#!/bin/sh\necho $$ > '" + pidFile.toUtf8() +
                      "'\nfor last; do :; done\necho partial > \"$last\"\nexec sleep 60\n");
        test::ScriptedDialogs dialogs;
        auto form = std::make_unique<MainWindow>();
        form->documents().loadPdfText(test::corpusFile("french_diacritics.pdf"));
        QTRY_VERIFY(QFile::exists(pidFile) && !QDir(temp).entryList({"extract*.txt"}).isEmpty());
        if (destroyed) {
            form.reset();
        } else {
            QVERIFY(form->close());
            QVERIFY(!form->documents().textExtraction());
        }

        const pid_t converterPid = pid_t(test::readFile(pidFile).trimmed().toInt());
        QVERIFY(converterPid > 0);
        QTRY_VERIFY_WITH_TIMEOUT(::kill(converterPid, 0) != 0 && errno == ESRCH, 2000);
        QCOMPARE(QDir(temp).entryList({"extract*"}, QDir::Files), QStringList{});
        QVERIFY(!QFile::exists(temp + "/pdftotext"));
        QCOMPARE(dialogs.messageTexts(), QStringList{});
    }

    // A launcher in {TEMP} that others could have planted or changed is never run.
    void refusedConverterRunsNothing()
    {
        Fixture f;
        const QString marker = f.temp + "/../ran";
        const QString launcher = writeLauncher("#!/bin/sh\ntouch '" + marker.toUtf8() + "'\n");
        QVERIFY(QFile::setPermissions(launcher, QFileDevice::Permissions(0x7770)));
        const QString pdf = test::corpusFile("tracemonkey.pdf");
        QCOMPARE(f.extract(pdf), protectedMessage(pdf));
        const QStringList texts = f.dialogs.messageTexts();
        QCOMPARE(texts.size(), 2);
        QVERIFY2(texts.first().startsWith("The program " + launcher +
                                          " is refused because it can be changed by other "
                                          "users. Remove it and try again."),
                 qPrintable(texts.first()));
        QVERIFY(texts.first().contains("Read.GetPDFText at line 116"));
        QCOMPARE(texts.last(), protectedMessage(pdf));
        QVERIFY(!QFile::exists(marker));
    }

    void userTextFileBesideThePdfIsUntouched()
    {
        Fixture f;
        const QString folder = f.temp + "/../mine";
        const QString pdf = folder + "/notes.pdf";
        QDir().mkpath(folder);
        QVERIFY(QFile::copy(test::corpusFile("tracemonkey.pdf"), pdf));
        const QByteArray mine = "my own notes, not the document's text\n";
        test::writeFile(folder + "/notes.txt", mine);
        f.extract(pdf);
        QVERIFY(f.form.textToReadEdit()->toPlainText().startsWith("Trace-based"));
        QCOMPARE(test::readFile(folder + "/notes.txt"), mine);
    }

    void staleTextOfAnEarlierRunIsNotShown()
    {
        Fixture f;
        test::writeFile(f.temp + "/extract.txt", "text of an earlier document");
        const QString pdf = test::corpusFile("invalid.pdf");
        QCOMPARE(f.extract(pdf), "The file " + pdf +
                                     " can not be read by this software - damaged, or its text "
                                     "is protected.");
    }

    void twiceGivesTheSameText()
    {
        Fixture f;
        const QString first = f.extract(test::corpusFile("multicolumn.pdf"));
        QCOMPARE(f.extract(test::corpusFile("multicolumn.pdf")), first);
    }

    void missingConverterSaysProtected()
    {
        Fixture f;
        QFile::remove(tempPath("pdftotext"));
        const QString pdf = test::corpusFile("tracemonkey.pdf");
        QCOMPARE(f.extract(pdf), protectedMessage(pdf));
        QCOMPARE(f.dialogs.messageTexts(), QStringList{protectedMessage(pdf)});
    }

    // An unsafe temporary folder is reported at the line that builds the converter path; the
    // procedure goes on and ends with its message instead of running anything.
    void unusableTempFolderIsReported()
    {
        Fixture f;
        qunsetenv("TEMP");
        const QString runtime = f.temp + "/../runtime";
        QDir().mkpath(runtime + "/lectorix");
        QFile::setPermissions(runtime + "/lectorix", QFileDevice::Permissions(0x7777));
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime));
        const QString pdf = test::corpusFile("tracemonkey.pdf");
        f.form.documents().loadPdfText(pdf);
        QVERIFY(test::waitUntilIdle(f.form));
        const QStringList texts = f.dialogs.messageTexts();
        QVERIFY2(texts.size() >= 2, qPrintable(texts.join("\n---\n")));
        QVERIFY(texts.first().contains("in Lectorix2021/08/31.Read.GetPDFText at line 104"));
        QCOMPARE(texts.last(), protectedMessage(pdf));
        QCOMPARE(f.form.textToReadEdit()->toPlainText(), protectedMessage(pdf));
        qputenv("TEMP", QFile::encodeName(f.temp));
    }
};

QTEST_MAIN(TestPdfText)
#include "test_pdf_text.moc"
