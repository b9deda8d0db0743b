#include "cli/password.h"

#include "cli/terminal_progress.h"
#include "core/base/failure.h"
#include "core/files/text_decoding.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace lectorix::cli {

namespace {

// Owns the terminal descriptor and puts back the settings it found.
class EchoOff
{
public:
    EchoOff()
    {
        m_descriptor = ::open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (m_descriptor < 0 || ::tcgetattr(m_descriptor, &m_saved) != 0)
            return;
        termios quiet = m_saved;
        quiet.c_lflag &= ~tcflag_t(ECHO | ECHOE | ECHOK | ECHONL);
        m_changed = ::tcsetattr(m_descriptor, TCSAFLUSH, &quiet) == 0;
    }
    ~EchoOff()
    {
        if (m_changed)
            ::tcsetattr(m_descriptor, TCSAFLUSH, &m_saved);
        if (m_descriptor >= 0)
            ::close(m_descriptor);
    }
    EchoOff(const EchoOff&) = delete;
    EchoOff& operator=(const EchoOff&) = delete;

    bool isReady() const { return m_changed; }
    int descriptor() const { return m_descriptor; }

private:
    int m_descriptor = -1;
    termios m_saved{};
    bool m_changed = false;
};

} // namespace

QString readPasswordFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw Failure(QStringLiteral("cannot read the password file %1: %2")
                          .arg(quotedName(path), file.errorString()));
    QByteArray line = file.readLine();
    if (line.endsWith('\n'))
        line.chop(1);
    if (line.endsWith('\r'))
        line.chop(1);
    return decodeTextFile(line);
}

std::optional<QString> environmentPassword()
{
    const QString value = qEnvironmentVariable("LECTORIX_PDF_PASSWORD");
    if (value.isEmpty())
        return std::nullopt;
    return value;
}

bool canPromptForPassword()
{
    return ::isatty(STDIN_FILENO) == 1;
}

std::optional<QString> promptForPassword(const QString& prompt, int interruptDescriptor)
{
    const EchoOff terminal;
    if (!terminal.isReady())
        return std::nullopt;
    writeAll(terminal.descriptor(), prompt.toLocal8Bit());
    QByteArray line;
    bool complete = false;
    while (!complete) {
        pollfd watched[2] = {{terminal.descriptor(), POLLIN, 0}, {interruptDescriptor, POLLIN, 0}};
        const int ready = ::poll(watched, interruptDescriptor >= 0 ? 2 : 1, -1);
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready < 0 || (watched[1].revents & POLLIN) != 0)
            break;
        char buffer[256];
        const ssize_t got = ::read(terminal.descriptor(), buffer, sizeof buffer);
        if (got < 0 && (errno == EINTR || errno == EAGAIN))
            continue;
        if (got <= 0)
            break;
        line.append(buffer, got);
        complete = line.endsWith('\n');
    }
    // The Enter key was not echoed; move below the prompt.
    writeAll(terminal.descriptor(), "\n");
    if (!complete)
        return std::nullopt;
    line.chop(1);
    return decodeTextFile(line);
}

} // namespace lectorix::cli
