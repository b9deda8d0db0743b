// lectorix-convert stopped by a signal halfway through a long book: it exits with 128 + the
// signal's number, ends the tool it runs, and leaves nothing behind: no working files, no
// unfinished MP3 (not even under a hidden name), and an MP3 that was already at the output
// path stays as it was.
#include "converter_run.h"
#include "support/process_info.h"

#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QThread>
#include <QtTest>

#include <csignal>

using namespace lectorix;
using namespace lectorix::test;

namespace {

const QString LongBook = QStringLiteral("01-A-Study-in-Scarlet.pdf");

// The voice speaks straight into the encoder: speech is under way once the unfinished MP3
// beside the book has grown.
bool hasMp3BeingWritten(const QString& folder)
{
    for (const QFileInfo& part :
         QDir(folder).entryInfoList({".*.mp3.part-*"}, QDir::Files | QDir::Hidden))
        if (part.size() > 64 * 1024)
            return true;
    return false;
}

} // namespace

class TestInterrupt : public QObject
{
    Q_OBJECT

private slots:
    void interrupted_data()
    {
        QTest::addColumn<int>("signalNumber");
        QTest::addColumn<QString>("moment"); // "speaking": the MP3 is growing; else a tool
        QTest::addColumn<int>("exitCode");

        QTest::newRow("Ctrl-C while speaking") << int(SIGINT) << "speaking" << 130;
        QTest::newRow("Ctrl-C while lame encodes") << int(SIGINT) << "lame" << 130;
        QTest::newRow("terminated while speaking") << int(SIGTERM) << "speaking" << 143;
        QTest::newRow("terminated while lame encodes") << int(SIGTERM) << "lame" << 143;
        QTest::newRow("terminal closed while lame encodes") << int(SIGHUP) << "lame" << 129;
    }

    void interrupted()
    {
        REQUIRE_CONVERTER_AND_CORPUS();
        QFETCH(int, signalNumber);
        QFETCH(QString, moment);
        QFETCH(int, exitCode);
        const QString temp = freshScratch();
        const QString folder = QFileInfo(temp).path() + "/books";
        QVERIFY(!copyCorpusFile(LongBook, folder + "/book.pdf").isEmpty());
        QByteArray earlier(64 * 1024, Qt::Uninitialized);
        for (char& byte : earlier)
            byte = char(QRandomGenerator::global()->bounded(256));
        writeFile(folder + "/book.mp3", earlier);

        QProcess converter;
        converter.setWorkingDirectory(folder);
        converter.start(converterProgram(), {"--rate=10", "book.pdf"});
        QVERIFY(converter.waitForStarted());
        const qint64 pid = converter.processId();

        const QString converterName = processInfo(pid).value_or(ProcessInfo()).name;
        // Wait for the moment, noting every tool the converter starts on the way.
        QSet<qint64> toolGroups;
        QElapsedTimer clock;
        clock.start();
        bool reached = false;
        while (!reached && converter.state() == QProcess::Running && clock.elapsed() < 120000) {
            for (const ProcessInfo& p : allProcesses()) {
                // A child still carrying the converter's name has not yet become the tool; it
                // may not yet be in the tool's own process group either.
                if (p.parent != pid || p.name == converterName)
                    continue;
                toolGroups.insert(p.group);
                reached = reached || p.name == moment;
            }
            reached = reached || (moment == "speaking" && hasMp3BeingWritten(folder));
            if (!reached)
                QThread::msleep(5);
        }
        QVERIFY2(reached,
                 qPrintable("never reached " + moment + ": " + converter.readAllStandardError()));
        QVERIFY(!toolGroups.contains(::getpgid(0))); // tools run in groups of their own

        QCOMPARE(::kill(pid_t(pid), signalNumber), 0);
        QVERIFY(converter.waitForFinished(60000));

        QCOMPARE(converter.exitStatus(), QProcess::NormalExit);
        QCOMPARE(converter.exitCode(), exitCode);
        QCOMPARE(folderEntries(temp), QStringList());
        QCOMPARE(folderEntries(folder), QStringList({"book.mp3", "book.pdf"}));
        QVERIFY(readFile(folder + "/book.mp3") == earlier);
        QVERIFY(!converter.readAllStandardError().contains("lectorix-convert: "));
        // A stopped tool may take a moment to be reaped by whoever inherits it.
        QTRY_COMPARE_WITH_TIMEOUT(livingOffspring(pid, toolGroups), QStringList(), 5000);
    }
};

QTEST_GUILESS_MAIN(TestInterrupt)
#include "test_interrupt.moc"
