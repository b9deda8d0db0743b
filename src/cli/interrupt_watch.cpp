#include "cli/interrupt_watch.h"

#include "core/base/failure.h"

#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace lectorix::cli {

namespace {

// A closed terminal (SIGHUP) must not leave the tools running and the working files behind
// any more than Ctrl-C does.
constexpr int WatchedSignals[] = {SIGINT, SIGTERM, SIGHUP};

volatile std::sig_atomic_t g_receivedSignal = 0;
int g_pipe[2] = {-1, -1};

extern "C" void noteSignal(int signalNumber)
{
    const int savedErrno = errno;
    if (g_receivedSignal == 0)
        g_receivedSignal = signalNumber;
    const char byte = 1;
    // A full pipe already holds a wake-up; nothing more is needed.
    [[maybe_unused]] const ssize_t written = ::write(g_pipe[1], &byte, 1);
    errno = savedErrno;
}

void setHandler(int signalNumber, void (*handler)(int))
{
    struct sigaction action
    {
    };
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    // Interrupted system calls resume: Qt's own waits need not deal with EINTR from here.
    action.sa_flags = SA_RESTART;
    ::sigaction(signalNumber, &action, nullptr);
}

} // namespace

InterruptWatch::InterruptWatch(QObject* parent) : QObject(parent)
{
    if (::pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0)
        throw Failure(QStringLiteral("Cannot watch for interruptions: %1")
                          .arg(QString::fromLocal8Bit(std::strerror(errno))));
    g_receivedSignal = 0;
    m_notifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &InterruptWatch::readPipe);
    for (const int signalNumber : WatchedSignals)
        setHandler(signalNumber, noteSignal);
}

InterruptWatch::~InterruptWatch()
{
    for (const int signalNumber : WatchedSignals)
        setHandler(signalNumber, SIG_DFL);
    delete m_notifier;
    ::close(g_pipe[0]);
    ::close(g_pipe[1]);
    g_pipe[0] = g_pipe[1] = -1;
}

int InterruptWatch::receivedSignal()
{
    return g_receivedSignal;
}

int InterruptWatch::wakeDescriptor()
{
    return g_pipe[0];
}

void InterruptWatch::readPipe()
{
    char buffer[64];
    while (::read(g_pipe[0], buffer, sizeof buffer) > 0) {
    }
    if (g_receivedSignal != 0)
        emit interrupted(g_receivedSignal);
}

} // namespace lectorix::cli
