// Where the MP3 goes, the join script (run for real by /bin/sh with hostile names), the
// unfinished-MP3 file and the removal of working files.
#include "core/base/failure.h"
#include "core/conversion/mp3_output.h"
#include "core/process/process_runner.h"
#include "support/test_env.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtTest>

#include <sys/stat.h>

using namespace lectorix;

class TestMp3Output : public QObject
{
    Q_OBJECT

private slots:
    void outputPath_data();
    void outputPath();
    void joinScriptText();
    void joinScriptRunsNothing_data();
    void joinScriptRunsNothing();
    void partialFileIsNewAndFollowsUmask();
    void workingFilesRemoved();
};

void TestMp3Output::outputPath_data()
{
    QTest::addColumn<QString>("pdf");
    QTest::addColumn<QString>("folder");
    QTest::addColumn<bool>("option1");
    QTest::addColumn<bool>("option2");
    QTest::addColumn<QString>("mp3");
    const QString report = QStringLiteral("/Docs/My.Annual.Report.pdf");
    QTest::newRow("beside the PDF")
        << report << QString() << false << true << QStringLiteral("/Docs/My.Annual.Report.mp3");
    QTest::newRow("folder with trailing slash")
        << report << QStringLiteral("/Audio/") << true << false
        << QStringLiteral("/Audio/My.Annual.Report.mp3");
    QTest::newRow("folder without trailing slash")
        << report << QStringLiteral("/Audio") << true << false
        << QStringLiteral("/Audio/My.Annual.Report.mp3");
    QTest::newRow("Option1 wins over Option2") << report << QStringLiteral("/Audio") << true << true
                                               << QStringLiteral("/Audio/My.Annual.Report.mp3");
    QTest::newRow("neither: beside the PDF") << report << QStringLiteral("/Audio") << false << false
                                             << QStringLiteral("/Docs/My.Annual.Report.mp3");
    QTest::newRow("root folder") << QStringLiteral("/x.pdf") << QStringLiteral("/") << true << false
                                 << QStringLiteral("/x.mp3");
    QTest::newRow("no extension") << QStringLiteral("/d/notes") << QString() << false << true
                                  << QStringLiteral("/d/notes.mp3");
}

void TestMp3Output::outputPath()
{
    QFETCH(QString, pdf);
    QFETCH(QString, folder);
    QFETCH(bool, option1);
    QFETCH(bool, option2);
    QFETCH(QString, mp3);
    QCOMPARE(mp3OutputPath(pdf, folder, option1, option2), mp3);
}

void TestMp3Output::joinScriptText()
{
    QCOMPARE(joinScript({QStringLiteral("/T/output001.mp3"), QStringLiteral("/T/output002.mp3"),
                         QStringLiteral("/T/output003.mp3")},
                        QStringLiteral("/Audio/Book.mp3")),
             QStringLiteral("cat '/T/output001.mp3' '/T/output002.mp3' '/T/output003.mp3' > "
                            "'/Audio/Book.mp3'"));
    QCOMPARE(shellQuoted(QStringLiteral("it's")), QStringLiteral("'it'\\''s'"));
    QCOMPARE(shellScriptCommandLine(QStringLiteral("/T/Join MP3.sh")),
             QStringLiteral("/bin/sh \"/T/Join MP3.sh\""));
}

void TestMp3Output::joinScriptRunsNothing_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("single quotes") << QStringLiteral("it's 'quoted'");
    QTest::newRow("command substitution") << QStringLiteral("$(touch PWNED) and ${HOME}");
    QTest::newRow("backticks and semicolon") << QStringLiteral("`touch PWNED`; touch PWNED");
    QTest::newRow("quote breaking out") << QStringLiteral("x'; touch PWNED; echo '");
    QTest::newRow("double quotes, glob, redirect") << QStringLiteral("\"*\" > < | & \\ !");
    QTest::newRow("non-ASCII and blanks") << QStringLiteral("Über  Привет 日本");
    QTest::newRow("line break") << QStringLiteral("two\nlines");
}

void TestMp3Output::joinScriptRunsNothing()
{
    QFETCH(QString, name);
    const QString temp = test::freshScratch();
    const QString dir = temp + QLatin1Char('/') + name;
    QVERIFY(QDir().mkpath(dir));
    const QString first = test::writeFile(dir + QStringLiteral("/a ") + name, "first;");
    const QString second = test::writeFile(dir + QStringLiteral("/b ") + name, "second");
    const QString out = dir + QStringLiteral("/") + name + QStringLiteral(".mp3");
    const QString script = test::writeFile(temp + QStringLiteral("/JoinMP3.sh"),
                                           joinScript({first, second}, out).toUtf8());

    // Run from the folder so that a command that slipped through would leave PWNED there.
    const QString oldCwd = QDir::currentPath();
    QDir::setCurrent(dir);
    const int code = runAndWait(shellScriptCommandLine(script), 0);
    QDir::setCurrent(oldCwd);

    QCOMPARE(code, 0);
    QCOMPARE(test::readFile(out), QByteArray("first;second"));
    QCOMPARE(QDir(dir).entryList(QDir::Files).size(), 3);
    QVERIFY(!QFile::exists(dir + QStringLiteral("/PWNED")));
    QVERIFY(!QFile::exists(temp + QStringLiteral("/PWNED")));
}

void TestMp3Output::partialFileIsNewAndFollowsUmask()
{
    const QString temp = test::freshScratch();
    const QString out = test::writeFile(temp + QStringLiteral("/Book.mp3"), "old");
    const mode_t old = ::umask(022);
    const QString partial = reservePartialFile(out);
    const QString other = reservePartialFile(out);
    ::umask(old);

    QVERIFY(partial != other);
    QCOMPARE(QFileInfo(partial).absolutePath(), temp);
    QVERIFY(QFileInfo(partial).fileName().startsWith(QLatin1Char('.')));
    QCOMPARE(QFileInfo(partial).size(), 0);
    QCOMPARE(test::readFile(out), QByteArray("old"));
    struct stat info
    {
    };
    QCOMPARE(::stat(QFile::encodeName(partial).constData(), &info), 0);
    QCOMPARE(info.st_mode & 0777, mode_t(0644));

    test::writeFile(partial, "new");
    renameOver(partial, out);
    QCOMPARE(test::readFile(out), QByteArray("new"));
    QVERIFY(!QFile::exists(partial));

    QVERIFY_THROWS_EXCEPTION(Failure, reservePartialFile(temp + QStringLiteral("/missing/x.mp3")));
}

void TestMp3Output::workingFilesRemoved()
{
    const QString temp = test::freshScratch();
    const QStringList working = {"output.pdf",    "output.txt",    "output001.txt",
                                 "output002.wav", "output013.mp3", "output1000.txt",
                                 "JoinMP3.sh"};
    const QStringList kept = {
        "lame",         "pdftotext", "output01.txt", "output001.txt.bak", "myoutput001.txt",
        "output001.pdf"};
    for (const QString& name : working + kept)
        test::writeFile(temp + QLatin1Char('/') + name, "x");

    removeConversionFiles(temp, false);
    QStringList left = QDir(temp).entryList(QDir::Files);
    left.sort();
    QStringList expected = kept + QStringList{"output.pdf", "output.txt"};
    expected.sort();
    QCOMPARE(left, expected);

    removeConversionFiles(temp, true);
    left = QDir(temp).entryList(QDir::Files);
    left.sort();
    expected = kept;
    expected.sort();
    QCOMPARE(left, expected);
}

QTEST_MAIN(TestMp3Output)
#include "test_mp3_output.moc"
