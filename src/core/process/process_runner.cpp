#include "core/process/process_runner.h"

#include "core/base/event_pump.h"
#include "core/base/program_end.h"

#include <QCoreApplication>
#include <QFile>
#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <memory>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace lectorix {

// The child runs in a process group of its own, so stopping it also stops whatever it started
// (a shell script's commands), and it reads nothing: no outside program here is interactive.
int spawnProcess(const QByteArrayList& argv, pid_t& pid, const QString& standardErrorPath,
                 int standardInput, const QString& standardOutputPath)
{
    std::vector<char*> args;
    args.reserve(size_t(argv.size()) + 1);
    for (const QByteArray& arg : argv)
        args.push_back(const_cast<char*>(arg.constData()));
    args.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attributes;
    posix_spawn_file_actions_init(&actions);
    posix_spawnattr_init(&attributes);
    if (standardInput >= 0)
        posix_spawn_file_actions_adddup2(&actions, standardInput, STDIN_FILENO);
    else
        posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    const QByteArray outputFile = QFile::encodeName(standardOutputPath);
    if (!standardOutputPath.isEmpty())
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, outputFile.constData(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const QByteArray errorFile = QFile::encodeName(standardErrorPath);
    if (!standardErrorPath.isEmpty())
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errorFile.constData(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0600);

    // Signals the window ignores or blocks must reach the child in their usual way.
    sigset_t none;
    sigemptyset(&none);
    sigset_t defaults;
    sigemptyset(&defaults);
    for (int sig : {SIGPIPE, SIGINT, SIGQUIT, SIGTERM, SIGHUP, SIGCHLD})
        sigaddset(&defaults, sig);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setpgroup(&attributes, 0);
    posix_spawnattr_setflags(
        &attributes, short(POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF));

    const int error = posix_spawnp(&pid, args[0], &actions, &attributes, args.data(), environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    return error;
}

int stopProcessGroup(pid_t pid)
{
    ::kill(-pid, SIGKILL);
    ::kill(pid, SIGKILL);
    int status = 0;
    pid_t result;
    do {
        result = ::waitpid(pid, &status, 0);
    } while (result < 0 && errno == EINTR);
    return result == pid ? exitCodeOf(status) : -1;
}

int exitCodeOf(int status)
{
    if (WIFEXITED(status))
        return WEXITSTATUS(status);
    if (WIFSIGNALED(status))
        return 128 + WTERMSIG(status);
    return 0;
}

namespace {

// One running child. Reaped exactly once, whether it ends by itself, is stopped because the
// program ends, or is stopped by the clean-up that closing the window runs.
class Child
{
public:
    explicit Child(pid_t pid) : m_pid(pid)
    {
#ifdef SYS_pidfd_open
        // A pidfd becomes readable when the child ends, which wakes the event loop at once;
        // without one (old kernels) the waiting loop's short timer notices the end.
        m_pidfd = int(syscall(SYS_pidfd_open, pid, 0));
#endif
        if (m_pidfd >= 0 && QCoreApplication::instance()) {
            m_notifier = std::make_unique<QSocketNotifier>(m_pidfd, QSocketNotifier::Read);
            // Readable stays readable: switch it off after the first wake-up, or a nested
            // wait for another program would spin on it.
            QObject::connect(m_notifier.get(), &QSocketNotifier::activated, m_notifier.get(),
                             [n = m_notifier.get()] { n->setEnabled(false); });
        }
    }

    ~Child()
    {
        stop();
        m_notifier.reset();
        if (m_pidfd >= 0)
            ::close(m_pidfd);
    }

    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    bool hasPidfd() const
    {
        return m_notifier != nullptr;
    }

    // True once the child has ended and been reaped.
    bool ended()
    {
        if (m_reaped)
            return true;
        int status = 0;
        const pid_t result = ::waitpid(m_pid, &status, WNOHANG);
        if (result == m_pid) {
            m_reaped = true;
            m_exitCode = exitCodeOf(status);
        } else if (result < 0 && errno != EINTR) {
            // Someone else reaped it (SIGCHLD ignored): nothing more to learn, nothing to wait.
            m_reaped = true;
        }
        return m_reaped;
    }

    // Stops the child and what it started, and reaps it.
    void stop()
    {
        if (m_reaped)
            return;
        m_reaped = true;
        if (const int code = stopProcessGroup(m_pid); code >= 0)
            m_exitCode = code;
    }

    int exitCode() const
    {
        return m_exitCode;
    }

private:
    pid_t m_pid;
    int m_pidfd = -1;
    std::unique_ptr<QSocketNotifier> m_notifier;
    bool m_reaped = false;
    int m_exitCode = 0;
};

} // namespace

int runAndWaitArgv(const QByteArrayList& argv, int windowStyle)
{
    // Show states only matter for programs with windows; ours have none.
    if (windowStyle < 0 || windowStyle > 6)
        windowStyle = 6;
    (void)windowStyle;

    if (argv.isEmpty() || argv.front().isEmpty())
        return StartFailureBase + ENOENT;
    for (const QByteArray& arg : argv)
        if (arg.contains('\0'))
            return StartFailureBase + EINVAL;

    // Nothing new starts once the window has closed.
    if (events::programEnding())
        return StartFailureBase + ECANCELED;

    pid_t pid = 0;
    if (const int error = spawnProcess(argv, pid, QString()))
        return StartFailureBase + error;

    Child child(pid);
    EndCleanup onEnd([&child] { child.stop(); });
    events::waitUntil([&child] { return child.ended(); }, child.hasPidfd() ? 100 : 20);
    child.stop(); // only does something when the program is ending
    return child.exitCode();
}

int runAndWait(const QString& commandLine, int windowStyle)
{
    QByteArrayList argv;
    for (const QString& piece : splitCommandLine(commandLine))
        argv << QFile::encodeName(piece);
    return runAndWaitArgv(argv, windowStyle);
}

QStringList splitCommandLine(const QString& commandLine)
{
    QStringList pieces;
    QString current;
    bool started = false; // "" makes an argument even though it adds no character
    bool inQuotes = false;
    const qsizetype n = commandLine.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = commandLine.at(i);
        if (c == QLatin1Char('"')) {
            started = true;
            if (inQuotes && i + 1 < n && commandLine.at(i + 1) == QLatin1Char('"')) {
                current += c;
                ++i;
            } else {
                inQuotes = !inQuotes;
            }
        } else if (!inQuotes && (c == QLatin1Char(' ') || c == QLatin1Char('\t'))) {
            if (started)
                pieces << current;
            current.clear();
            started = false;
        } else {
            current += c;
            started = true;
        }
    }
    if (started)
        pieces << current;
    return pieces;
}

QString quoted(const QString& piece)
{
    QString doubled = piece;
    doubled.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + doubled + QLatin1Char('"');
}

} // namespace lectorix
