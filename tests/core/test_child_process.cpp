// An outside program run without waiting: a start that fails returns at once, the exit code
// (or the signal) arrives through the event loop, every argument reaches the program as the
// exact bytes given without a shell between, and stop() ends the program and what it started.
#include "core/process/child_process.h"
#include "core/process/process_runner.h"
#include "support/test_env.h"

#include <QFile>
#include <QSignalSpy>
#include <QtTest>

#include <cerrno>
#include <csignal>

#include <fcntl.h>
#include <unistd.h>

using namespace lectorix;

namespace {

// /bin/sh -c script zero args...: the script sees zero as $0 and args as "$@".
QByteArrayList shell(const QByteArray& script, const QByteArrayList& args = {},
                     const QByteArray& zero = "x")
{
    return QByteArrayList{"/bin/sh", "-c", script, zero} + args;
}

// Runs argv to its end; the exit code, or -1 when it never ended.
int exitCodeOf(const QByteArrayList& argv)
{
    ChildProcess child;
    QSignalSpy finished(&child, &ChildProcess::finished);
    if (const int error = child.start(argv))
        return error;
    if (!finished.wait(10000))
        return -1;
    return finished.first().first().toInt();
}

// Alive means running or stopped; a zombie or a missing process has ended.
bool processRuns(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return false;
    const QByteArray line = stat.readAll();
    const qsizetype close = line.lastIndexOf(')');
    return close > 0 && line.mid(close + 2, 1) != "Z";
}

} // namespace

class TestChildProcess : public QObject
{
    Q_OBJECT

private slots:
    void failedStartReturnsAtOnce_data()
    {
        QTest::addColumn<QByteArrayList>("argv");
        QTest::addColumn<int>("error");
        QTest::newRow("missing path") << QByteArrayList{"/no/such/dir/prog", "-x"} << ENOENT;
        QTest::newRow("missing in PATH") << QByteArrayList{"lectorix-no-such-program"} << ENOENT;
        QTest::newRow("nothing to run") << QByteArrayList{} << ENOENT;
        QTest::newRow("empty program") << QByteArrayList{""} << ENOENT;
        QTest::newRow("not executable") << QByteArrayList{"NOEXEC"} << EACCES;
        QTest::newRow("a folder") << QByteArrayList{"/tmp"} << EACCES;
        QTest::newRow("NUL inside an argument")
            << QByteArrayList{"/bin/true", QByteArray("a\0b", 3)} << EINVAL;
    }

    void failedStartReturnsAtOnce()
    {
        QFETCH(QByteArrayList, argv);
        QFETCH(int, error);
        if (argv.value(0) == "NOEXEC")
            argv[0] = QFile::encodeName(
                test::writeFile(test::freshScratch() + "/data file", "#!/bin/sh\nexit 0\n"));
        ChildProcess child;
        QSignalSpy finished(&child, &ChildProcess::finished);
        QCOMPARE(child.start(argv), StartFailureBase + error);
        QVERIFY(!child.isRunning());
        QVERIFY(!finished.wait(200));
    }

    void exitCodeArrives_data()
    {
        QTest::addColumn<QByteArray>("script");
        QTest::addColumn<int>("code");
        QTest::newRow("success") << QByteArray("exit 0") << 0;
        QTest::newRow("failure") << QByteArray("exit 7") << 7;
        QTest::newRow("high") << QByteArray("exit 255") << 255;
        QTest::newRow("signal") << QByteArray("kill -TERM $$") << 128 + SIGTERM;
        QTest::newRow("broken pipe is the program's own")
            << QByteArray("kill -PIPE $$") << 128 + SIGPIPE;
    }

    void exitCodeArrives()
    {
        QFETCH(QByteArray, script);
        QFETCH(int, code);
        QCOMPARE(exitCodeOf(shell(script)), code);
    }

    void argumentsArriveIntact()
    {
        const QString temp = test::freshScratch();
        const QByteArray out = QFile::encodeName(temp + "/args out");
        const QByteArrayList args = {"a b",
                                     "q\"uote",
                                     "",
                                     "\"\"",
                                     "$HOME",
                                     "`touch " + out + "x`",
                                     "; rm -rf /",
                                     "päß 中文 Ωμέγα",
                                     "line\nbreak",
                                     "back\\slash",
                                     QByteArray("p\xe4\"ss")};
        // printf repeats its format for every argument; NUL separates them unambiguously.
        QCOMPARE(exitCodeOf(shell("printf '%s\\0' \"$@\" > \"$0\"", args, out)), 0);
        QByteArray written = test::readFile(QFile::decodeName(out));
        QVERIFY(written.endsWith('\0'));
        written.chop(1);
        QCOMPARE(written.split('\0'), args);
        QVERIFY2(!QFile::exists(QFile::decodeName(out) + "x"), "no shell may read an argument");
    }

    // Standard input, output and error go where they are sent.
    void standardStreams()
    {
        const QString temp = test::freshScratch();
        int pipe[2];
        QCOMPARE(::pipe2(pipe, O_CLOEXEC), 0); // the child keeps no writer of its own input
        ChildProcess child;
        QSignalSpy finished(&child, &ChildProcess::finished);
        QCOMPARE(child.start(shell("cat; echo said >&2"), temp + "/err", pipe[0], temp + "/out"),
                 0);
        ::close(pipe[0]);
        QCOMPARE(::write(pipe[1], "fed", 3), ssize_t(3));
        ::close(pipe[1]);
        QVERIFY(finished.wait(10000));
        QCOMPARE(test::readFile(temp + "/out"), QByteArray("fed"));
        QCOMPARE(test::readFile(temp + "/err"), QByteArray("said\n"));
    }

    // stop() ends the program and everything it started, at once, and no end is reported.
    void stopEndsTheProcessGroup()
    {
        const QString temp = test::freshScratch();
        ChildProcess child;
        QSignalSpy finished(&child, &ChildProcess::finished);
        QCOMPARE(child.start(shell("echo $$ > \"$0/shell\"; sleep 60 & echo $! > \"$0/sleeper\"; "
                                   "wait",
                                   {}, QFile::encodeName(temp))),
                 0);
        QTRY_VERIFY(QFile::exists(temp + "/sleeper") &&
                    !test::readFile(temp + "/sleeper").isEmpty());
        const qint64 shellPid = test::readFile(temp + "/shell").trimmed().toLongLong();
        const qint64 sleeper = test::readFile(temp + "/sleeper").trimmed().toLongLong();
        QVERIFY(shellPid > 0 && sleeper > 0);
        child.stop();
        QVERIFY(!child.isRunning());
        QTRY_VERIFY_WITH_TIMEOUT(!processRuns(shellPid), 2000);
        QTRY_VERIFY_WITH_TIMEOUT(!processRuns(sleeper), 2000);
        QVERIFY(!finished.wait(300));
    }
};

QTEST_GUILESS_MAIN(TestChildProcess)
#include "test_child_process.moc"
