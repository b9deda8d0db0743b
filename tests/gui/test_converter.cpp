#include "core/files/file_utils.h"
#include "core/pdf/pdf_converter.h"
#include "core/process/process_runner.h"
#include "core/base/program_folder.h"
#include "core/files/temp_folder.h"
#include "gui/password_prompt.h"
#include "support/scripted_dialogs.h"
#include "support/test_env.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QtTest>

using namespace lectorix;

namespace {

QString converter()
{
    const QString path = tempPath(QStringLiteral("pdftotext"));
    writeFileIfMissing(customResource(101), path, true);
    return path;
}

} // namespace

class TestConverter : public QObject
{
    Q_OBJECT

private slots:
    void commandLines_data()
    {
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("output");
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("last");
        QTest::addColumn<QString>("line");
        const QString c = "\"/t/pdftotext\" ";
        QTest::newRow("whole") << ""
                               << "" << 0 << 0 << c + "\"/d/a.pdf\"";
        QTest::newRow("whole, password")
            << "pw"
            << "" << 0 << 0 << c + "-opw \"pw\" -upw \"pw\" \"/d/a.pdf\"";
        QTest::newRow("range") << ""
                               << "" << 1 << 100 << c + "-f 1 -l 100 \"/d/a.pdf\"";
        QTest::newRow("range, password")
            << "pw"
            << "" << 1 << 100 << c + "-opw \"pw\" -upw \"pw\"  -f 1 -l 100 \"/d/a.pdf\"";
        QTest::newRow("output file")
            << ""
            << "/t/x.txt" << 1 << 100 << c + "-f 1 -l 100 \"/d/a.pdf\" \"/t/x.txt\"";
        QTest::newRow("quote in password")
            << "a\"b c"
            << "" << 0 << 0 << c + "-opw \"a\"\"b c\" -upw \"a\"\"b c\" \"/d/a.pdf\"";
    }

    void commandLines()
    {
        QFETCH(QString, password);
        QFETCH(QString, output);
        QFETCH(int, first);
        QFETCH(int, last);
        QFETCH(QString, line);
        const QString built =
            converterCommandLine("/t/pdftotext", password, "/d/a.pdf", output, first, last);
        QCOMPARE(built, line);
        // Whatever the pieces hold, the runner sees them unchanged.
        const QStringList argv = splitCommandLine(built);
        QCOMPARE(argv.first(), QStringLiteral("/t/pdftotext"));
        if (!password.isEmpty())
            QCOMPARE(argv.mid(1, 4), (QStringList{"-opw", password, "-upw", password}));
    }

    // A relative name beginning with "-" must reach the converter as a file, not an option.
    void dashNamesStayFiles_data()
    {
        QTest::addColumn<QString>("pdf");
        QTest::addColumn<QString>("output");
        QTest::addColumn<QStringList>("files");
        QTest::newRow("relative") << "-layout.pdf"
                                  << "" << QStringList{"./-layout.pdf"};
        QTest::newRow("relative, output too") << "-f 1.pdf"
                                              << "-o.txt" << QStringList{"./-f 1.pdf", "./-o.txt"};
        QTest::newRow("absolute") << "/d/-layout.pdf"
                                  << "" << QStringList{"/d/-layout.pdf"};
        QTest::newRow("dash inside") << "a-b.pdf"
                                     << "" << QStringList{"a-b.pdf"};
    }

    void dashNamesStayFiles()
    {
        QFETCH(QString, pdf);
        QFETCH(QString, output);
        QFETCH(QStringList, files);
        const QStringList argv =
            splitCommandLine(converterCommandLine("/t/pdftotext", QString(), pdf, output));
        QCOMPARE(argv.mid(argv.size() - files.size()), files);
    }

    // The converter takes a bare "-layout" for its option of that name.
    void dashNamedPdfConverts()
    {
        const QString temp = test::freshScratch();
        const QString before = QDir::currentPath();
        QVERIFY(QDir::setCurrent(temp));
        QVERIFY(QFile::copy(test::corpusFile("french_diacritics.pdf"), "-layout"));
        runPdfConverter(converter(), QString(), "-layout", QString());
        const QByteArray text = test::readFile(temp + "/-layout.txt");
        QDir::setCurrent(before);
        QVERIFY(QString::fromUtf8(text).contains(QStringLiteral("àÀâÂäÄçÇéÉ")));
    }

    void outputPaths_data()
    {
        QTest::addColumn<QString>("pdf");
        QTest::addColumn<QString>("output");
        QTest::addColumn<QString>("written");
        QTest::newRow("named") << "/d/a.pdf"
                               << "/t/x.txt"
                               << "/t/x.txt";
        QTest::newRow("beside") << "/t/output.pdf"
                                << ""
                                << "/t/output.txt";
        QTest::newRow("upper case") << "/d/A.PDF"
                                    << ""
                                    << "/d/A.txt";
        QTest::newRow("other extension") << "/d/a.bin"
                                         << ""
                                         << "/d/a.bin.txt";
    }

    void outputPaths()
    {
        QFETCH(QString, pdf);
        QFETCH(QString, output);
        QFETCH(QString, written);
        QCOMPARE(converterOutputPath(pdf, output), written);
    }

    void passwordPromptIsMasked_data()
    {
        QTest::addColumn<std::optional<QString>>("typed");
        QTest::addColumn<QString>("password");
        QTest::newRow("typed") << std::optional<QString>("s3cr\"t") << "s3cr\"t";
        QTest::newRow("blank") << std::optional<QString>("") << "";
        QTest::newRow("cancel") << std::optional<QString>() << "";
    }

    void passwordPromptIsMasked()
    {
        QFETCH(std::optional<QString>, typed);
        QFETCH(QString, password);
        test::ScriptedDialogs dialogs;
        dialogs.setNextInput(typed);
        QCOMPARE(askPassword("/d/my file.pdf"), password);
        QCOMPARE(dialogs.shown().size(), 1);
        const auto shown = dialogs.shown().first();
        QCOMPARE(shown.kind, test::ScriptedDialogs::Shown::Input);
        QCOMPARE(shown.title, QStringLiteral("Input Password"));
        QCOMPARE(shown.text, QStringLiteral("Enter password for file (/d/my file.pdf): \r\n"
                                            "Note: Leave this box blank if file is not password "
                                            "protected"));
        QVERIFY(shown.masked);
    }

    // Older encryptions derive their key from the password's single-byte form, AES-256 from
    // its UTF-8 form; one typed password has to open both.
    void nonAsciiPasswordsOpenOldAndNewEncryption_data()
    {
        QTest::addColumn<QStringList>("qpdfOptions");
        QTest::newRow("RC4 40") << QStringList{
            "--allow-weak-crypto", "--encrypt", "@", "owner 1", "40", "--"};
        QTest::newRow("RC4 128") << QStringList{
            "--allow-weak-crypto", "--encrypt", "@", "owner 1", "128", "--use-aes=n", "--"};
        QTest::newRow("AES 128") << QStringList{"--encrypt", "@",           "owner 1",
                                                "128",       "--use-aes=y", "--"};
        QTest::newRow("AES 256") << QStringList{"--encrypt", "@", "owner 1", "256", "--"};
    }

    void nonAsciiPasswordsOpenOldAndNewEncryption()
    {
        QFETCH(QStringList, qpdfOptions);
        if (QStandardPaths::findExecutable("qpdf").isEmpty())
            QSKIP("qpdf is not installed (make test-deps)");
        const QString temp = test::freshScratch();
        const QString password = QStringLiteral("Pä\"ss wörd");
        const QString pdf = temp + "/locked.pdf";
        qpdfOptions.replaceInStrings(QStringLiteral("@"), password);
        QCOMPARE(QProcess::execute("qpdf",
                                   qpdfOptions +
                                       QStringList{test::corpusFile("french_diacritics.pdf"), pdf}),
                 0);
        const QString out = temp + "/out.txt";

        runPdfConverter(converter(), QStringLiteral("wrong"), pdf, out);
        QVERIFY2(!QFile::exists(out), "a wrong password must give no text");

        runPdfConverter(converter(), password, pdf, out);
        QVERIFY(QFile::exists(out));
        QVERIFY(QString::fromUtf8(test::readFile(out)).contains(QStringLiteral("àÀâÂäÄçÇéÉ")));
    }

    void staleOutputIsRemovedFirst()
    {
        const QString temp = test::freshScratch();
        const QString out = test::writeFile(temp + "/out.txt", "text of an earlier document");
        runPdfConverter(converter(), QString(), test::corpusFile("invalid.pdf"), out);
        QVERIFY(!QFile::exists(out));
    }

    void missingConverterGivesNoText()
    {
        const QString temp = test::freshScratch();
        const QString out = temp + "/out.txt";
        QVERIFY(runPdfConverter(temp + "/absent", QString(), test::corpusFile("trivial.pdf"), out) <
                0);
        QVERIFY(!QFile::exists(out));
    }
};

QTEST_MAIN(TestConverter)
#include "test_converter.moc"
