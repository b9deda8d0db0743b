#include "core/process/child_process.h"

#include "core/process/process_runner.h"

#include <QSocketNotifier>
#include <QTimer>

#include <cerrno>

#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

namespace lectorix {

ChildProcess::ChildProcess(QObject* parent) : QObject(parent) {}

ChildProcess::~ChildProcess()
{
    stop();
}

int ChildProcess::start(const QByteArrayList& argv, const QString& standardErrorPath,
                        int standardInput, const QString& standardOutputPath)
{
    stop();
    if (argv.isEmpty() || argv.front().isEmpty())
        return StartFailureBase + ENOENT;
    for (const QByteArray& arg : argv)
        if (arg.contains('\0'))
            return StartFailureBase + EINVAL;

    pid_t pid = 0;
    if (const int error =
            spawnProcess(argv, pid, standardErrorPath, standardInput, standardOutputPath))
        return StartFailureBase + error;
    m_pid = pid;
#ifdef SYS_pidfd_open
    m_pidfd = int(syscall(SYS_pidfd_open, pid, 0));
#endif
    if (m_pidfd >= 0) {
        // A pidfd becomes readable when the child ends, which wakes the event loop at once.
        m_notifier = new QSocketNotifier(m_pidfd, QSocketNotifier::Read, this);
        connect(m_notifier, &QSocketNotifier::activated, this, &ChildProcess::checkEnded);
    } else {
        m_poll = new QTimer(this);
        connect(m_poll, &QTimer::timeout, this, &ChildProcess::checkEnded);
        m_poll->start(20);
    }
    return 0;
}

void ChildProcess::checkEnded()
{
    if (m_pid <= 0)
        return;
    int status = 0;
    const pid_t result = ::waitpid(m_pid, &status, WNOHANG);
    if (result == 0 || (result < 0 && errno == EINTR))
        return;
    // result < 0 otherwise: someone else reaped it (SIGCHLD ignored); nothing more to learn.
    const int code = result == m_pid ? exitCodeOf(status) : 0;
    release();
    emit finished(code);
}

void ChildProcess::stop()
{
    if (m_pid <= 0)
        return;
    stopProcessGroup(m_pid);
    release();
}

void ChildProcess::release()
{
    m_pid = 0;
    delete m_notifier;
    m_notifier = nullptr;
    delete m_poll;
    m_poll = nullptr;
    if (m_pidfd >= 0)
        ::close(m_pidfd);
    m_pidfd = -1;
}

} // namespace lectorix
