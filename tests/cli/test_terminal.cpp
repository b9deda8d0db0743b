// lectorix-convert on a terminal: the progress line and the password prompt, seen through a
// pseudo-terminal that the converter has as its controlling terminal.
#include "converter_run.h"

#include <QElapsedTimer>
#include <QtTest>

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <functional>

using namespace lectorix;
using namespace lectorix::test;

namespace {

const QString TextPdf = QStringLiteral("french_diacritics.pdf");
const QString LockedPdf = QStringLiteral("libreoffice-writer-password.pdf");
const QByteArray PasswordPrompt = "Password for 'locked.pdf': ";

struct TerminalRun
{
    int exitCode = -1;
    bool crashed = false;
    QByteArray screen; // everything written to the terminal, as the terminal received it
    bool echoAfterwards = false;
};

// Given what the terminal shows so far, what to type next (empty: nothing yet).
using Typist = std::function<QByteArray(const QByteArray& screen)>;

// Runs the converter with standard error (and, with inputOnTerminal, standard input) on a new
// pseudo-terminal that becomes its controlling terminal, typing what typist says.
TerminalRun runOnTerminal(const QStringList& arguments, const QString& folder, bool inputOnTerminal,
                          const Typist& typist = {})
{
    TerminalRun run;
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0)
        return run;
    const QByteArray terminalName = ::ptsname(master);
    // Held open so the terminal outlives the converter and its settings can be read after.
    const int held = ::open(terminalName.constData(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    winsize size{};
    size.ws_col = 120;
    size.ws_row = 40;
    ::ioctl(master, TIOCSWINSZ, &size);

    QProcess process;
    process.setWorkingDirectory(folder);
    process.setChildProcessModifier([terminalName, inputOnTerminal] {
        ::setsid();
        const int terminal = ::open(terminalName.constData(), O_RDWR);
        ::ioctl(terminal, TIOCSCTTY, 0);
        ::dup2(terminal, STDERR_FILENO);
        if (inputOnTerminal)
            ::dup2(terminal, STDIN_FILENO);
        if (terminal > STDERR_FILENO)
            ::close(terminal);
    });
    process.start(converterProgram(), arguments);
    process.closeWriteChannel();
    QElapsedTimer clock;
    clock.start();
    bool running = process.waitForStarted();
    for (;;) {
        pollfd readable{master, POLLIN, 0};
        while (::poll(&readable, 1, running ? 20 : 0) > 0) {
            char buffer[4096];
            const ssize_t got = ::read(master, buffer, sizeof buffer);
            if (got <= 0)
                break;
            run.screen.append(buffer, got);
        }
        if (!running)
            break;
        if (typist) {
            const QByteArray typed = typist(run.screen);
            if (!typed.isEmpty() && ::write(master, typed.constData(), size_t(typed.size())) < 0)
                break;
        }
        running = !process.waitForFinished(1) && process.state() != QProcess::NotRunning;
        if (clock.elapsed() > 10 * 60 * 1000) {
            process.kill();
            process.waitForFinished();
            break;
        }
    }
    run.crashed = process.exitStatus() != QProcess::NormalExit;
    run.exitCode = process.exitCode();
    termios settings{};
    run.echoAfterwards = ::tcgetattr(held, &settings) == 0 && (settings.c_lflag & ECHO) != 0;
    ::close(held);
    ::close(master);
    return run;
}

// The lines a terminal shows after receiving screen: a carriage return goes back to the
// start of the line, ESC [ K erases from there to the end.
QStringList visibleLines(const QByteArray& screen)
{
    QStringList shown{QString()};
    qsizetype column = 0;
    const QString text = QString::fromUtf8(screen);
    for (qsizetype i = 0; i < text.size(); ++i) {
        QString& line = shown.last();
        if (text.mid(i, 3) == QLatin1String("\x1b[K")) {
            line.truncate(column);
            i += 2;
        } else if (text[i] == '\r') {
            column = 0;
        } else if (text[i] == '\n') {
            shown.append(QString());
            column = 0;
        } else {
            line = line.left(column) + text[i] + line.mid(column + 1);
            ++column;
        }
    }
    return shown;
}

// Types answer once, when the prompt has appeared.
Typist answerPrompt(const QByteArray& answer)
{
    return [answer, typed = false](const QByteArray& screen) mutable {
        if (typed || !screen.contains(PasswordPrompt))
            return QByteArray();
        typed = true;
        return answer;
    };
}

} // namespace

class TestTerminal : public ConverterTestCase
{
    Q_OBJECT

private slots:
    void init() { QVERIFY(makeFolders()); }
    void cleanup() { QCOMPARE(leftInTemp(), QStringList()); }

    // The progress line updates in place and is gone at the end; what stays on the screen are
    // the messages, each on a line of its own.
    void progressLine_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QStringList>("progressSeen");
        QTest::addColumn<QStringList>("messagesLeft");

        QTest::newRow("one document")
            << QStringList{"doc.pdf"} << 0
            << QStringList{"'doc.pdf' (1 of 1): extracting text, 0%",
                           "'doc.pdf' (1 of 1): speaking part 1 of 1, 5%", " left"}
            << QStringList{"'doc.pdf' (1 of 1): written to 'doc.mp3'"};
        QTest::newRow("a failure amid the batch")
            << QStringList{"gone.pdf", "doc.pdf"} << 1
            << QStringList{"'gone.pdf' (1 of 2): extracting text", "'doc.pdf' (2 of 2): speaking"}
            << QStringList{"lectorix-convert: 'gone.pdf': missing",
                           "'doc.pdf' (2 of 2): written to 'doc.mp3'"};
        QTest::newRow("a name holding placeholders of a message")
            << QStringList{"50%2 off.pdf"} << 0
            << QStringList{"'50%2 off.pdf' (1 of 1): extracting text"}
            << QStringList{"'50%2 off.pdf' (1 of 1): written to '50%2 off.mp3'"};
        QTest::newRow("quiet") << QStringList{"-q", "doc.pdf"} << 0 << QStringList()
                               << QStringList();
    }

    void progressLine()
    {
        REQUIRE_CONVERTER_AND_CORPUS();
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QStringList, progressSeen);
        QFETCH(QStringList, messagesLeft);
        for (const QString& input : arguments)
            if (input.endsWith(".pdf") && !input.startsWith("gone"))
                QVERIFY(!copyCorpusFile(TextPdf, m_folder + '/' + input).isEmpty());

        const TerminalRun run = runOnTerminal(arguments, m_folder, false);

        QCOMPARE(run.exitCode, exitCode);
        for (const QString& part : progressSeen)
            QVERIFY2(run.screen.contains(part.toUtf8()), run.screen.constData());
        QStringList left = visibleLines(run.screen);
        left.removeAll(QString());
        // Reports of the core's steps may come before a failure; the converter's own lines and
        // no remnant of the progress line are what this is about.
        left.removeIf([](const QString& line) { return line.startsWith("Application Error: "); });
        QCOMPARE(left, messagesLeft);
        if (arguments.contains("-q"))
            QCOMPARE(run.screen, QByteArray());
    }

    // A PDF that needs a password, with no password given: the converter asks once on the
    // terminal, without echo, and tries again with the answer. The terminal's echo is back on
    // afterwards, whichever way the prompt ended.
    void passwordPrompt_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QByteArray>("typed");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("message"); // empty: converted

        QTest::newRow("right password")
            << QStringList{"locked.pdf"} << QByteArray("openpassword\r") << 0 << "";
        QTest::newRow("asked even when quiet")
            << QStringList{"-q", "locked.pdf"} << QByteArray("openpassword\r") << 0 << "";
        QTest::newRow("wrong password, asked only once")
            << QStringList{"locked.pdf"} << QByteArray("nope\r") << 1
            << "lectorix-convert: 'locked.pdf': wrong password";
        QTest::newRow("empty answer") << QStringList{"locked.pdf"} << QByteArray("\r") << 1
                                      << "lectorix-convert: 'locked.pdf': needs a password";
        QTest::newRow("end of input") << QStringList{"locked.pdf"} << QByteArray("\x04") << 1
                                      << "lectorix-convert: 'locked.pdf': needs a password";
        QTest::newRow("Ctrl-C") << QStringList{"locked.pdf"} << QByteArray("\x03") << 130 << "";
    }

    void passwordPrompt()
    {
        REQUIRE_CONVERTER_AND_CORPUS();
        QFETCH(QStringList, arguments);
        QFETCH(QByteArray, typed);
        QFETCH(int, exitCode);
        QFETCH(QString, message);
        QVERIFY(!copyCorpusFile(LockedPdf, m_folder + "/locked.pdf").isEmpty());

        const TerminalRun run = runOnTerminal(arguments, m_folder, true, answerPrompt(typed));

        QCOMPARE(run.exitCode, exitCode);
        QCOMPARE(run.screen.count(PasswordPrompt), 1);
        QVERIFY2(!run.screen.contains("openpassword") && !run.screen.contains("nope"),
                 run.screen.constData());
        QVERIFY(run.echoAfterwards);
        if (exitCode == 0) {
            QCOMPARE(mp3Fault(m_folder + "/locked.mp3"), QString());
        } else {
            QCOMPARE(folderEntries(m_folder), QStringList("locked.pdf"));
            if (!message.isEmpty())
                QVERIFY2(visibleLines(run.screen).contains(message), run.screen.constData());
        }
    }

    // With standard input not a terminal, nothing is asked, even with a terminal at hand.
    void noPromptWithoutTerminalInput()
    {
        REQUIRE_CONVERTER_AND_CORPUS();
        QVERIFY(!copyCorpusFile(LockedPdf, m_folder + "/locked.pdf").isEmpty());
        const TerminalRun run = runOnTerminal({"locked.pdf"}, m_folder, false);
        QCOMPARE(run.exitCode, 1);
        QVERIFY(!run.screen.contains("Password"));
        QVERIFY2(
            visibleLines(run.screen).contains("lectorix-convert: 'locked.pdf': needs a password"),
            run.screen.constData());
    }
};

QTEST_GUILESS_MAIN(TestTerminal)
#include "test_terminal.moc"
