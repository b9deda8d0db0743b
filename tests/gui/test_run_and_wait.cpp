#include "core/base/event_pump.h"
#include "core/process/process_runner.h"
#include "gui/main_window.h"
#include "support/process_info.h"
#include "support/scripted_dialogs.h"
#include "support/test_env.h"

#include <QElapsedTimer>
#include <QFile>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include <cerrno>
#include <csignal>

using namespace lectorix;

namespace {

// /bin/sh -c script zero args...: the script sees zero as $0 and args as "$@".
QString shellLine(const QString& script, const QStringList& args = {},
                  const QString& zero = QStringLiteral("x"))
{
    QString line = quoted(QStringLiteral("/bin/sh")) + QStringLiteral(" -c ") + quoted(script) +
                   QLatin1Char(' ') + quoted(zero);
    for (const QString& a : args)
        line += QLatin1Char(' ') + quoted(a);
    return line;
}

qint64 readPid(const QString& path)
{
    return test::readFile(path).trimmed().toLongLong();
}

} // namespace

class TestRunAndWait : public QObject
{
    Q_OBJECT

private slots:
    void splitsCommandLines_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QStringList>("pieces");
        QTest::newRow("plain") << "a b  c" << QStringList{"a", "b", "c"};
        QTest::newRow("quoted blanks") << "\"/t p/conv\" -f 1 \"my file.pdf\""
                                       << QStringList{"/t p/conv", "-f", "1", "my file.pdf"};
        QTest::newRow("doubled quote") << "\"say \"\"hi\"\"\"" << QStringList{"say \"hi\""};
        QTest::newRow("empty quoted") << "p \"\" q" << QStringList{"p", "", "q"};
        QTest::newRow("lone quote char") << "\"\"\"\"" << QStringList{"\""};
        QTest::newRow("joined stretches") << "a\"b c\"d" << QStringList{"ab cd"};
        QTest::newRow("unterminated") << "x \"a b" << QStringList{"x", "a b"};
        QTest::newRow("tabs and edges") << "\t a\tb " << QStringList{"a", "b"};
        QTest::newRow("nothing") << "   " << QStringList{};
        QTest::newRow("converter line")
            << "\"/tmp/t/pdftotext\" -opw \"p w\" -upw \"p w\"  -f 1 -l 100 \"/d/a.pdf\""
            << QStringList{"/tmp/t/pdftotext", "-opw", "p w", "-upw", "p w", "-f", "1", "-l", "100",
                           "/d/a.pdf"};
    }

    void splitsCommandLines()
    {
        QFETCH(QString, line);
        QFETCH(QStringList, pieces);
        QCOMPARE(splitCommandLine(line), pieces);
    }

    void quotedPiecesComeBackIntact()
    {
        const QStringList pieces = {"",
                                    "\"",
                                    "a\"\"b",
                                    "end\"",
                                    " lead",
                                    "tab\there",
                                    "Ünïcödé 中文 日本",
                                    "$(id) `id` ;|&<>",
                                    "back\\slash"};
        QString line;
        for (const QString& p : pieces)
            line += quoted(p) + QLatin1Char(' ');
        QCOMPARE(splitCommandLine(line), pieces);
    }

    void failedStartReturnsAtOnce_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<int>("error");
        QTest::newRow("missing path") << "\"/no/such/dir/prog\" -x" << ENOENT;
        QTest::newRow("missing in PATH") << "lectorix-no-such-program arg" << ENOENT;
        QTest::newRow("empty line") << "" << ENOENT;
        QTest::newRow("not executable") << "NOEXEC" << EACCES;
        QTest::newRow("a folder") << "\"/tmp\"" << EACCES;
    }

    void failedStartReturnsAtOnce()
    {
        QFETCH(QString, line);
        QFETCH(int, error);
        const QString temp = test::freshScratch();
        if (line == QLatin1String("NOEXEC"))
            line = quoted(test::writeFile(temp + "/data file", "#!/bin/sh\nexit 0\n"));
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(runAndWait(line, 0), StartFailureBase + error);
        QVERIFY2(clock.elapsed() < 1000, "a failed start must not wait");
    }

    void returnsExitCode_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<int>("code");
        QTest::newRow("success") << "exit 0" << 0;
        QTest::newRow("failure") << "exit 7" << 7;
        QTest::newRow("high") << "exit 255" << 255;
        QTest::newRow("signal") << "kill -TERM $$" << 128 + SIGTERM;
    }

    void returnsExitCode()
    {
        QFETCH(QString, script);
        QFETCH(int, code);
        QCOMPARE(runAndWait(shellLine(script), 0), code);
    }

    void showStatesOutsideTheRangeStillRun_data()
    {
        QTest::addColumn<int>("style");
        for (int style : {-1, 0, 5, 6, 9})
            QTest::addRow("%d", style) << style;
    }

    void showStatesOutsideTheRangeStillRun()
    {
        QFETCH(int, style);
        QCOMPARE(runAndWait(shellLine("exit 3"), style), 3);
    }

    void argumentsArriveIntact()
    {
        const QString temp = test::freshScratch();
        const QString out = temp + "/args out";
        const QStringList args = {"a b",        "q\"uote",        "",
                                  "\"\"",       "$HOME",          "`touch " + temp + "/x`",
                                  "; rm -rf /", "päß 中文 Ωμέγα", "line\nbreak",
                                  "back\\slash"};
        // printf repeats its format for every argument; NUL separates them unambiguously.
        const int code = runAndWait(shellLine("printf '%s\\0' \"$@\" > \"$0\"", args, out), 0);
        QCOMPARE(code, 0);
        QByteArray written = test::readFile(out);
        QVERIFY(written.endsWith('\0'));
        written.chop(1);
        QStringList got;
        for (const QByteArray& piece : written.split('\0'))
            got << QString::fromUtf8(piece);
        QCOMPARE(got, args);
        QVERIFY2(!QFile::exists(temp + "/x"), "no shell may interpret an argument");
    }

    void byteArgumentsArriveAsGiven()
    {
        const QString out = test::freshScratch() + "/bytes";
        const QByteArray latin1("p\xe4\"ss");
        QCOMPARE(runAndWaitArgv({"/bin/sh", "-c", "printf '%s' \"$1\" > \"$0\"",
                                 QFile::encodeName(out), latin1}),
                 0);
        QCOMPARE(test::readFile(out), latin1);
    }

    void windowStaysAliveWhileWaiting()
    {
        QWidget window;
        auto* button = new QPushButton(QStringLiteral("Click"), &window);
        window.show();
        int ticks = 0;
        int clicks = 0;
        QTimer timer;
        connect(&timer, &QTimer::timeout, [&] { ++ticks; });
        connect(button, &QPushButton::clicked, [&] { ++clicks; });
        timer.start(50);
        QTimer::singleShot(500, [&] { QTest::mouseClick(button, Qt::LeftButton); });

        QElapsedTimer clock;
        clock.start();
        const int code = runAndWait(shellLine("sleep 3; exit 4"), 0);
        const qint64 elapsed = clock.elapsed();

        QCOMPARE(code, 4);
        QVERIFY2(elapsed >= 2900, qPrintable(QString::number(elapsed)));
        QVERIFY2(elapsed < 10000, qPrintable(QString::number(elapsed)));
        QVERIFY2(ticks >= 20, qPrintable(QStringLiteral("timer fired %1 times").arg(ticks)));
        QCOMPARE(clicks, 1);
    }

    void nestedWaitsKeepTheirOwnResults()
    {
        int inner = -1;
        QTimer::singleShot(100, [&] { inner = runAndWait(shellLine("sleep 0.3; exit 3"), 0); });
        const int outer = runAndWait(shellLine("sleep 1; exit 5"), 0);
        QCOMPARE(outer, 5);
        QCOMPARE(inner, 3);
    }

    // Closing the window while a program runs stops it and everything it started, and the
    // wait returns instead of keeping the program alive.
    void closingTheWindowStopsTheChild()
    {
        const QString temp = test::freshScratch();
        test::ScriptedDialogs dialogs;
        MainWindow::setEndProgram([](int) {});
        {
            MainWindow form;
            form.show();
            QTimer::singleShot(700, &form, [&form] { form.close(); });
            QElapsedTimer clock;
            clock.start();
            const QString script = QStringLiteral("echo $$ > \"$0/shell\"; sleep 60 & echo $! > "
                                                  "\"$0/sleeper\"; wait");
            runAndWait(shellLine(script, {}, temp), 0);
            QVERIFY2(clock.elapsed() < 5000, "the wait must end when the window closes");
        }
        const qint64 shell = readPid(temp + "/shell");
        const qint64 sleeper = readPid(temp + "/sleeper");
        QVERIFY(shell > 0 && sleeper > 0);
        QTRY_VERIFY_WITH_TIMEOUT(!test::processRuns(shell), 2000); // SIGKILL takes effect a moment later
        QTRY_VERIFY_WITH_TIMEOUT(!test::processRuns(sleeper), 2000);

        // While the program ends nothing new starts.
        QCOMPARE(runAndWait(shellLine("exit 0"), 0), StartFailureBase + ECANCELED);
        events::setProgramEnding(false);
        QCOMPARE(runAndWait(shellLine("exit 2"), 0), 2);
    }
};

QTEST_MAIN(TestRunAndWait)
#include "test_run_and_wait.moc"
