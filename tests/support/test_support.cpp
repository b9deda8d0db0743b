// The shared test helpers themselves: every area's tests lean on them, so a fault here would
// make those tests pass or fail for the wrong reason. What /proc says about a process, named
// with blanks and brackets, while it runs, once it has ended and once it is reaped; running a
// program, its input, environment and folder, and how it ended; a PATH without some tools;
// the sound of an MP3 after its tag.
#include "support/audio_files.h"
#include "support/hostile_machine.h"
#include "support/process_info.h"
#include "support/program_run.h"
#include "support/test_env.h"

#include <QFile>
#include <QStandardPaths>
#include <QtTest>

#include <sys/wait.h>
#include <unistd.h>

using namespace lectorix;

Q_DECLARE_METATYPE(lectorix::test::RunOptions)

namespace {

// A child running `sleep 30` under the given program name; its pid.
pid_t startSleeper(const QString& name)
{
    const QByteArray link = QFile::encodeName(test::scratchFolder() + QLatin1Char('/') + name);
    QFile::remove(QFile::decodeName(link));
    if (!QFile::link(QStandardPaths::findExecutable(QStringLiteral("sleep")),
                     QFile::decodeName(link)))
        return -1;
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::execl(link.constData(), link.constData(), "30", static_cast<char*>(nullptr));
        ::_exit(127);
    }
    return pid;
}

} // namespace

class TestSupport : public QObject
{
    Q_OBJECT

private slots:
    void init() { test::freshScratch(); }

    void processStates_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("plain") << "sleeper";
        QTest::newRow("blanks") << "a sleeper";
        QTest::newRow("brackets") << "x) S (y";
    }
    void processStates()
    {
        QFETCH(QString, name);
        const pid_t pid = startSleeper(name);
        QVERIFY(pid > 0);
        QTRY_COMPARE(test::processInfo(pid).value_or(test::ProcessInfo()).name, name);
        const test::ProcessInfo running = *test::processInfo(pid);
        QCOMPARE(running.parent, qint64(::getpid()));
        QCOMPARE(running.group, qint64(::getpgrp()));
        QVERIFY(test::processRuns(pid));
        QVERIFY(test::livingChildNames(::getpid()).contains(name));

        ::kill(pid, SIGKILL);
        QTRY_VERIFY(test::processInfo(pid).value_or(test::ProcessInfo()).ended());
        QVERIFY(!test::processRuns(pid));
        QVERIFY(!test::livingChildNames(::getpid()).contains(name));
        QCOMPARE(test::childrenOf(::getpid()).size(), 1); // ended, not yet reaped

        QCOMPARE(::waitpid(pid, nullptr, 0), pid);
        QVERIFY(!test::processInfo(pid));
        QVERIFY(!test::processRuns(pid));
        QVERIFY(test::childrenOf(::getpid()).isEmpty());
    }

    void runProgram_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<test::RunOptions>("options");
        QTest::addColumn<bool>("started");
        QTest::addColumn<bool>("crashed");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("output");

        const QString sh = QStringLiteral("/bin/sh");
        QTest::newRow("exit status") << sh << QStringList{"-c", "echo said; exit 3"}
                                     << test::RunOptions() << true << false << 3 << "said\n";
        // Were standard input left open, cat would wait for more until the time-out.
        QTest::newRow("input, then its end")
            << "cat" << QStringList() << test::RunOptions{.input = "line one\nline two"} << true
            << false << 0 << "line one\nline two";
        QProcessEnvironment added;
        added.insert(QStringLiteral("ADDED"), QStringLiteral("here"));
        QTest::newRow("variables added and taken away")
            << sh << QStringList{"-c", "printf '%s %s' \"$ADDED\" \"${HOME-unset}\""}
            << test::RunOptions{.environment = added, .unset = {"HOME"}} << true << false << 0
            << "here unset";
        QTest::newRow("working folder")
            << sh << QStringList{"-c", "pwd"} << test::RunOptions{.folder = "/usr"} << true << false
            << 0 << "/usr\n";
        QTest::newRow("ended by a signal") << sh << QStringList{"-c", "kill -KILL $$"}
                                           << test::RunOptions() << true << true << -1 << "";
        QTest::newRow("killed at the time-out")
            << "sleep" << QStringList{"30"} << test::RunOptions{.timeoutMs = 300} << true << true
            << -1 << "";
        QTest::newRow("cannot start") << "/no/such/program" << QStringList() << test::RunOptions()
                                      << false << false << -1 << "";
    }
    void runProgram()
    {
        QFETCH(QString, program);
        QFETCH(QStringList, arguments);
        QFETCH(test::RunOptions, options);
        QFETCH(bool, started);
        QFETCH(bool, crashed);
        QFETCH(int, exitCode);
        QFETCH(QString, output);
        const test::ProgramRun run = test::runProgram(program, arguments, options);
        QCOMPARE(run.started, started);
        QCOMPARE(run.crashed, crashed);
        QCOMPARE(run.exitCode, exitCode);
        QCOMPARE(run.output(), output);
        QCOMPARE(run.succeeded(), started && !crashed && exitCode == 0);
    }

    void pathWithoutHidesOnlyThoseTools()
    {
        const QStringList path = {test::pathWithout({QStringLiteral("lame")})};
        QVERIFY(QStandardPaths::findExecutable(QStringLiteral("lame"), path).isEmpty());
        QVERIFY(!QStandardPaths::findExecutable(QStringLiteral("sh"), path).isEmpty());
    }

    void withoutTag_data()
    {
        QTest::addColumn<QByteArray>("mp3");
        QTest::addColumn<QByteArray>("sound");
        const QByteArray frames("\xFF\xFB\x90\x00sound", 9);
        QTest::newRow("no tag") << frames << frames;
        // The size is four 7-bit bytes: 0x01 0x00 is 128 bytes of tag after the header.
        QTest::newRow("tag") << QByteArray("ID3\x04\x00\x00\x00\x00\x01\x00", 10) +
                                    QByteArray(128, 'T') + frames
                             << frames;
        QTest::newRow("tag with footer")
            << QByteArray("ID3\x04\x00\x10\x00\x00\x00\x04", 10) + QByteArray(4, 'T') +
                   QByteArray("3DI\x04\x00\x10\x00\x00\x00\x04", 10) + frames
            << frames;
        QTest::newRow("too short for a tag") << QByteArray("ID3\x04") << QByteArray("ID3\x04");
    }
    void withoutTag()
    {
        QFETCH(QByteArray, mp3);
        QFETCH(QByteArray, sound);
        QCOMPARE(test::withoutTag(mp3), sound);
    }
};

QTEST_GUILESS_MAIN(TestSupport)
#include "test_support.moc"
