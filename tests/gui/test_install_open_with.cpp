// `lectorix FILE`, which the desktop's "Open With Lectorix" runs, and the window program's
// --help and --version.

#include "core/settings/settings.h"
#include "core/settings/settings_keys.h"
#include "gui/command_line.h"
#include "gui/document_controller.h"
#include "gui/main_window.h"
#include "support/program_run.h"
#include "support/scripted_dialogs.h"
#include "support/test_env.h"
#include "support/window_fixture.h"

#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QtTest>

#include <unistd.h>

using namespace lectorix;
using Shown = test::ScriptedDialogs::Shown;
using Action = LaunchRequest::Action;

Q_DECLARE_METATYPE(lectorix::LaunchRequest::Action)
Q_DECLARE_METATYPE(lectorix::DocumentKind)

namespace {

const QString FrenchText = QStringLiteral("àÀâÂäÄçÇéÉèÈêÊëËîÎïÏôÔùÙûÛüÜ");

bool anyFileDialogShown(const test::ScriptedDialogs& dialogs)
{
    for (const Shown& shown : dialogs.shown())
        if (shown.kind == Shown::OpenFile)
            return true;
    return false;
}

// Runs the built window program without any display: what it answers must need none.
test::ProgramRun runWindowProgram(const QStringList& arguments)
{
    return test::runProgram(
        qEnvironmentVariable("LECTORIX_PROGRAM"), arguments,
        {.unset = {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}, .timeoutMs = 60000});
}

} // namespace

class TestOpenWith : public QObject
{
    Q_OBJECT

    using Fixture = test::WindowFixture;

private slots:
    void readsTheArguments_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<Action>("action");
        QTest::addColumn<QString>("document");
        QTest::addColumn<QString>("error");
        QTest::newRow("nothing") << QStringList{} << Action::OpenWindow << QString() << QString();
        QTest::newRow("a file") << QStringList{"book.pdf"} << Action::OpenWindow << "book.pdf"
                                << QString();
        QTest::newRow("a name with blanks")
            << QStringList{"my notes.txt"} << Action::OpenWindow << "my notes.txt" << QString();
        QTest::newRow("--help") << QStringList{"--help"} << Action::ShowHelp << QString()
                                << QString();
        QTest::newRow("-h") << QStringList{"-h"} << Action::ShowHelp << QString() << QString();
        QTest::newRow("--version")
            << QStringList{"--version"} << Action::ShowVersion << QString() << QString();
        QTest::newRow("help wins over what follows")
            << QStringList{"--help", "a.pdf", "b.pdf", "--bogus"} << Action::ShowHelp << QString()
            << QString();
        QTest::newRow("a file, then help") << QStringList{"book.pdf", "--version"}
                                           << Action::ShowVersion << QString() << QString();
        QTest::newRow("-- ends the options")
            << QStringList{"--", "--help"} << Action::OpenWindow << "--help" << QString();
        QTest::newRow("- is a name") << QStringList{"-"} << Action::OpenWindow << "-" << QString();
        QTest::newRow("two files")
            << QStringList{"a.pdf", "b.txt"} << Action::UsageError << QString()
            << "only one FILE can be opened, but 'a.pdf' and 'b.txt' were given";
        QTest::newRow("unknown long option, its value not repeated")
            << QStringList{"--password=secret"} << Action::UsageError << QString()
            << "unrecognized option '--password'";
        QTest::newRow("unknown short option") << QStringList{"-x", "a.pdf"} << Action::UsageError
                                              << QString() << "invalid option -- 'x'";
        QTest::newRow("empty name")
            << QStringList{""} << Action::UsageError << QString() << "the FILE name is empty";
    }

    void readsTheArguments()
    {
        QFETCH(QStringList, arguments);
        QFETCH(Action, action);
        QFETCH(QString, document);
        QFETCH(QString, error);
        const LaunchRequest request = parseLaunchArguments(arguments);
        QCOMPARE(request.action, action);
        QCOMPARE(request.document, document);
        QCOMPARE(request.error, error);
    }

    // As the desktop tells them apart when it offers programs for a file.
    void tellsPdfFromText_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<DocumentKind>("kind");
        const QByteArray pdf = test::readFile(test::corpusFile("french_diacritics.pdf"));
        const QByteArray png = QByteArray::fromHex("89504e470d0a1a0a0000000d4948445200000001000000"
                                                   "010806000000");
        QTest::newRow("PDF") << "book.pdf" << pdf << DocumentKind::Pdf;
        QTest::newRow("PDF, capital extension") << "BOOK.PDF" << pdf << DocumentKind::Pdf;
        QTest::newRow("PDF without extension") << "download" << pdf << DocumentKind::Pdf;
        QTest::newRow(".txt") << "notes.txt" << QByteArray("Grüße\n") << DocumentKind::Text;
        QTest::newRow("empty .txt") << "empty.txt" << QByteArray() << DocumentKind::Text;
        QTest::newRow("Markdown") << "README.md" << QByteArray("# Title\n\nSome *text*.\n")
                                  << DocumentKind::Text;
        QTest::newRow("text without extension")
            << "LETTER" << QByteArray("Dear reader,\nthis is plain text.\n") << DocumentKind::Text;
        QTest::newRow("PNG picture") << "picture.png" << png << DocumentKind::Unsupported;
    }

    void tellsPdfFromText()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QFETCH(DocumentKind, kind);
        REQUIRE_CORPUS();
        const QString folder = test::freshScratch() + "/../documents";
        QCOMPARE(documentKind(test::writeFile(folder + '/' + name, bytes)), kind);
    }

    void saysWhyAFileCannotBeOpened()
    {
        const QString folder = test::freshScratch() + "/../documents";
        QDir().mkpath(folder);
        const QString text = test::writeFile(folder + "/notes.txt", "words\n");
        const QString picture =
            test::writeFile(folder + "/picture.png", QByteArray::fromHex("89504e470d0a1a0a"));
        QCOMPARE(documentProblem(text), QString());
        QCOMPARE(documentProblem(folder + "/gone.pdf"),
                 QStringLiteral("cannot open '%1/gone.pdf': no such file").arg(folder));
        QCOMPARE(documentProblem(folder),
                 QStringLiteral("cannot open '%1': it is a folder").arg(folder));
        QCOMPARE(
            documentProblem(picture),
            QStringLiteral("cannot open '%1': it is neither a PDF nor a text file").arg(picture));
        if (::geteuid() != 0) { // root reads every file
            QFile::setPermissions(text, QFile::WriteOwner);
            QCOMPARE(documentProblem(text),
                     QStringLiteral("cannot open '%1': permission denied").arg(text));
        }
    }

    // As if chosen with "...": the path, the PDF as the source, its text; no dialog shows.
    void aNamedPdfOpensAsIfChosen()
    {
        REQUIRE_CORPUS();
        Fixture f;
        const QString folder = f.temp + "/../documents";
        const QString pdf = folder + "/French letters.pdf";
        QDir().mkpath(folder);
        QVERIFY(QFile::copy(test::corpusFile("french_diacritics.pdf"), pdf));
        f.form.documents().setUseTextBox(true);
        f.form.textToReadEdit()->setPlainText("typed by the user");
        // A name relative to the folder it was given in still works once the window has moved
        // on, and in the next session.
        const QString previous = QDir::currentPath();
        QDir::setCurrent(folder);
        f.form.documents().openDocument("French letters.pdf");
        QDir::setCurrent(previous);
        QVERIFY(test::waitUntilIdle(f.form));
        const QString absolute = QFileInfo(pdf).absoluteFilePath();
        QCOMPARE(f.form.pdfPathEdit()->text(), absolute);
        QCOMPARE(readSetting(keys::PdfPath, QString()), absolute);
        QVERIFY(!f.form.documents().useTextBox());
        QVERIFY(f.form.textToReadEdit()->toPlainText().contains(FrenchText));
        QCOMPARE(f.form.mousePointer(), 0);
        QVERIFY2(f.dialogs.shown().isEmpty(), qPrintable(f.dialogs.messageTexts().join('|')));
        // The window's own dialogs are back: the "..." button asks again.
        QCOMPARE(&dialogs(), &f.dialogs);
        f.form.documents().choosePdf();
        QVERIFY(anyFileDialogShown(f.dialogs));
    }

    // As if loaded with "Load Text From Text File": the box is the source, the PDF path stays.
    void aNamedTextFileIsLoaded()
    {
        Fixture f;
        f.form.pdfPathEdit()->setText("/d/a.pdf");
        f.form.documents().setUseTextBox(false);
        const QString path = test::writeFile(f.temp + "/../notes.md",
                                             "# Grüße\r\nAus dem Süden.\r\n\r\ncaf\xc3\xa9\r\n");
        f.form.documents().openDocument(path);
        QVERIFY(test::waitUntilIdle(f.form));
        QCOMPARE(f.form.textToReadEdit()->toPlainText(),
                 QStringLiteral("# Grüße\nAus dem Süden.\n\ncafé\n"));
        QVERIFY(f.form.documents().useTextBox());
        QCOMPARE(f.form.pdfPathEdit()->text(), QStringLiteral("/d/a.pdf"));
        QCOMPARE(f.form.mousePointer(), 0);
        QVERIFY(f.dialogs.shown().isEmpty());
    }

    // A PDF named on the command line that needs a password still asks for it.
    void aNamedProtectedPdfAsksForItsPassword()
    {
        REQUIRE_CORPUS();
        Fixture f;
        f.form.passwordPromptCheck()->setCheckState(Qt::Checked);
        f.dialogs.setNextInput(QStringLiteral("test"));
        f.form.documents().openDocument(test::corpusFile("password-example.pdf"));
        QVERIFY(test::waitUntilIdle(f.form));
        QCOMPARE(f.dialogs.shown().size(), 1);
        QCOMPARE(f.dialogs.shown().first().kind, Shown::Input);
        QVERIFY(f.dialogs.shown().first().masked);
        QVERIFY(f.form.textToReadEdit()->toPlainText().contains("Backup4all"));
    }

    // The window starts by extracting the PDF it had last time; the document named on the
    // command line is what the box holds once everything has arrived.
    void theNamedDocumentWinsOverTheRememberedPdf_data()
    {
        QTest::addColumn<bool>("namedIsPdf");
        QTest::newRow("named PDF") << true;
        QTest::newRow("named text file") << false;
    }

    void theNamedDocumentWinsOverTheRememberedPdf()
    {
        QFETCH(bool, namedIsPdf);
        REQUIRE_CORPUS();
        Fixture f;
        writeSetting(keys::PdfPath, test::corpusFile("tracemonkey.pdf"));
        QVERIFY(f.form.startUp());
        const QPointer<ExtractionJob> remembered = f.form.documents().textExtraction();
        QVERIFY2(remembered, "start-up extracts the remembered PDF");
        const QString named =
            namedIsPdf ? test::corpusFile("french_diacritics.pdf")
                       : test::writeFile(f.temp + "/../named.txt", "The named document.\n");
        f.form.documents().openDocument(named);
        QVERIFY(test::waitUntilIdle(f.form));
        // Once the remembered extraction is gone it can no longer deliver its text.
        QTRY_VERIFY_WITH_TIMEOUT(remembered.isNull(), 120000);
        QCoreApplication::processEvents();
        const QString text = f.form.textToReadEdit()->toPlainText();
        QVERIFY2(!text.contains("Trace-based"), qPrintable(text.left(200)));
        if (namedIsPdf) {
            QVERIFY(text.contains(FrenchText));
            QCOMPARE(f.form.pdfPathEdit()->text(), named);
        } else {
            QCOMPARE(text, QStringLiteral("The named document.\n"));
        }
        QCOMPARE(f.form.documents().useTextBox(), !namedIsPdf);
        QCOMPARE(f.form.mousePointer(), 0);
    }

    // The built program: what needs no window is answered without a display.
    void answersWithoutADisplay_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("standardOutput");
        QTest::addColumn<QString>("standardError");
        QTest::newRow("--help") << QStringList{"--help"} << 0 << launchUsageText() << QString();
        QTest::newRow("--version")
            << QStringList{"--version"} << 0 << launchVersionText() << QString();
        QTest::newRow("missing file")
            << QStringList{"/no/such/book.pdf"} << 1 << QString()
            << "lectorix: cannot open '/no/such/book.pdf': no such file\n";
        QTest::newRow("missing file after --")
            << QStringList{"--", "-book.pdf"} << 1 << QString()
            << "lectorix: cannot open '-book.pdf': no such file\n";
    }

    void answersWithoutADisplay()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, standardOutput);
        QFETCH(QString, standardError);
        if (qEnvironmentVariable("LECTORIX_PROGRAM").isEmpty())
            QSKIP("LECTORIX_PROGRAM does not name the built program");
        const test::ProgramRun run = runWindowProgram(arguments);
        QCOMPARE(run.exitCode, exitCode);
        QCOMPARE(run.output(), standardOutput);
        QCOMPARE(run.errors(), standardError);
    }

    // Usage errors are judged once Qt has taken its own options out, so they need a display
    // (here Qt's offscreen one, named with Qt's own option).
    void usageErrorsAfterQtsOwnOptions_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("standardError");
        QTest::newRow("unknown option") << QStringList{"-platform", "offscreen", "--bogus"} << 2
                                        << "lectorix: unrecognized option '--bogus'\n"
                                           "Try 'lectorix --help' for more information.\n";
        QTest::newRow("two files") << QStringList{"a.pdf", "-platform", "offscreen", "b.pdf"} << 2
                                   << "lectorix: only one FILE can be opened, but 'a.pdf' and "
                                      "'b.pdf' were given\n"
                                      "Try 'lectorix --help' for more information.\n";
        QTest::newRow("Qt's option is not a file")
            << QStringList{"-platform", "offscreen", "/no/such.txt"} << 1
            << "lectorix: cannot open '/no/such.txt': no such file\n";
    }

    void usageErrorsAfterQtsOwnOptions()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, standardError);
        if (qEnvironmentVariable("LECTORIX_PROGRAM").isEmpty())
            QSKIP("LECTORIX_PROGRAM does not name the built program");
        const test::ProgramRun run = runWindowProgram(arguments);
        QCOMPARE(run.exitCode, exitCode);
        // Qt may add its own notes (a missing runtime folder); ours come last.
        QVERIFY2(run.errors().endsWith(standardError), qPrintable(run.errors()));
        QCOMPARE(run.output(), QString());
    }
};

QTEST_MAIN(TestOpenWith)
#include "test_install_open_with.moc"
