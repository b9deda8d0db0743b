// lectorix-convert --split-chapters: one MP3 per chapter of a PDF's outline, each appearing
// only when complete, so a conversion stopped with Ctrl-C and run again with --resume makes
// only the files missing; a text without chapters still gives its one file, in any format.
#include "converter_run.h"
#include "support/audio_probe.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QThread>
#include <QtTest>

#include <csignal>
#include <sys/stat.h>

using namespace lectorix;
using namespace lectorix::test;

namespace {

const QString Paper = QStringLiteral("issue-982-example.pdf");
constexpr int PaperChapters = 21; // its outline's 20 entries and the title before them

// The chapter files complete in folder, and each one's inode and time, to tell a file made
// again from one left alone.
QMap<QString, QString> completeFiles(const QString& folder)
{
    QMap<QString, QString> files;
    for (const QFileInfo& file : QDir(folder).entryInfoList({"*.mp3"}, QDir::Files, QDir::Name)) {
        struct stat status = {};
        ::stat(QFile::encodeName(file.filePath()).constData(), &status);
        files.insert(file.fileName(), QStringLiteral("%1 %2")
                                          .arg(status.st_ino)
                                          .arg(file.lastModified().toMSecsSinceEpoch()));
    }
    return files;
}

} // namespace

class TestSplitChapters : public QObject
{
    Q_OBJECT

private slots:
    void resumedAfterCtrlC()
    {
        REQUIRE_CONVERTER_AND_CORPUS();
        const QString temp = freshScratch();
        const QString folder = QFileInfo(temp).path() + "/books";
        QVERIFY(!copyCorpusFile(Paper, folder + "/paper.pdf").isEmpty());
        const QString chapters = folder + "/paper";

        QProcess converter;
        converter.setWorkingDirectory(folder);
        converter.start(converterProgram(), {"--rate=10", "-q", "--split-chapters", "paper.pdf"});
        QVERIFY(converter.waitForStarted());
        QElapsedTimer clock;
        clock.start();
        while (completeFiles(chapters).size() < 3 && converter.state() == QProcess::Running &&
               clock.elapsed() < 120000)
            QThread::msleep(5);
        QCOMPARE(::kill(pid_t(converter.processId()), SIGINT), 0);
        QVERIFY(converter.waitForFinished(60000));
        QCOMPARE(converter.exitCode(), 130);

        // Only complete files are left: no hidden ones, each decodes.
        const QMap<QString, QString> before = completeFiles(chapters);
        QVERIFY2(before.size() >= 3 && before.size() < PaperChapters,
                 qPrintable(QString::number(before.size())));
        QCOMPARE(folderEntries(chapters), before.keys());
        for (const QString& file : before.keys())
            QCOMPARE(mp3Fault(chapters + '/' + file), QString());
        QCOMPARE(folderEntries(temp), QStringList());

        const ConverterRun resumed =
            runConverter({"--rate=10", "-q", "--split-chapters", "--resume", "paper.pdf"}, folder);
        QVERIFY2(resumed.succeeded(), resumed.said().constData());
        const QMap<QString, QString> after = completeFiles(chapters);
        QCOMPARE(after.size(), PaperChapters);
        QCOMPARE(folderEntries(chapters), after.keys());
        for (auto file = before.cbegin(); file != before.cend(); ++file)
            QCOMPARE(after.value(file.key()), file.value());
        QStringList made;
        for (const QString& file : after.keys())
            if (!before.contains(file))
                made << file;
        for (const QString& file : std::as_const(made))
            QCOMPARE(mp3Fault(chapters + '/' + file), QString());
        QCOMPARE(after.firstKey(), QStringLiteral("01 Art in Machine Learning.mp3"));
        QVERIFY(after.contains(QStringLiteral("17 Appendix A Automatically generated Texts.mp3")));
        QCOMPARE(folderEntries(folder), QStringList({"paper", "paper.pdf"}));
    }

    void textWithoutChaptersGivesOneFile_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QString>("output");
        QTest::newRow("MP3") << QStringList{"-o", "notes.mp3"} << "notes.mp3";
        QTest::newRow("M4B") << QStringList{"--format=m4b", "-o", "notes.m4b"} << "notes.m4b";
        QTest::newRow("Opus") << QStringList{"--format=opus", "-o", "notes.opus"} << "notes.opus";
    }

    void textWithoutChaptersGivesOneFile()
    {
        REQUIRE_CONVERTER_AND_CORPUS();
        QFETCH(QStringList, options);
        QFETCH(QString, output);
        const QString temp = freshScratch();
        const QString folder = QFileInfo(temp).path() + "/out";
        QDir().mkpath(folder);
        const ConverterRun run =
            runConverter(QStringList{"--split-chapters", "-q"} + options + QStringList{"-"}, folder,
                         "A text without headings.\n");
        QVERIFY2(run.succeeded(), run.said().constData());
        QCOMPARE(folderEntries(folder), QStringList{output});
        QCOMPARE(decodingFault(folder + '/' + output), QString());
    }
};

QTEST_GUILESS_MAIN(TestSplitChapters)
#include "test_split_chapters.moc"
