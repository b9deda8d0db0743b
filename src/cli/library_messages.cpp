#include "cli/library_messages.h"

#include <QMetaObject>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace lectorix::cli {

namespace {

std::atomic<int> g_messageDescriptor{STDERR_FILENO};

// Distinct lines remembered; past that many, a new line is shown and not counted, so a
// library that never repeats itself cannot fill the memory.
constexpr qsizetype MostRemembered = 10000;
// A line that long without its line break is taken as complete.
constexpr qsizetype LongestLine = 4096;

void closeDescriptor(int& descriptor)
{
    if (descriptor >= 0)
        ::close(descriptor);
    descriptor = -1;
}

} // namespace

QList<QByteArray> RepeatedLines::feed(const QByteArray& bytes)
{
    QList<QByteArray> shown;
    m_partial += bytes;
    qsizetype start = 0;
    for (;;) {
        qsizetype end = m_partial.indexOf('\n', start);
        if (end < 0 && m_partial.size() - start >= LongestLine)
            end = start + LongestLine;
        if (end < 0)
            break;
        const QByteArray line = m_partial.mid(start, end - start);
        start = end < m_partial.size() && m_partial.at(end) == '\n' ? end + 1 : end;
        if (const auto seen = m_counts.find(line); seen != m_counts.end()) {
            if (++*seen == 2)
                m_order.append(line);
            continue;
        }
        // An empty line says nothing that could be counted.
        if (!line.isEmpty() && m_counts.size() < MostRemembered)
            m_counts.insert(line, 1);
        shown.append(line);
    }
    m_partial.remove(0, start);
    return shown;
}

QList<QByteArray> RepeatedLines::finish()
{
    QList<QByteArray> shown;
    if (!m_partial.isEmpty())
        shown.append(m_partial);
    for (const QByteArray& line : std::as_const(m_order))
        shown.append(line + " (" + QByteArray::number(m_counts.value(line)) + " times)");
    m_partial.clear();
    m_counts.clear();
    m_order.clear();
    return shown;
}

int messageDescriptor()
{
    return g_messageDescriptor;
}

LibraryMessages::LibraryMessages(std::function<void(const QByteArray&)> show)
    : m_show(std::move(show))
{
    int library[2] = {-1, -1};
    m_savedError = ::fcntl(STDERR_FILENO, F_DUPFD_CLOEXEC, 3);
    if (m_savedError < 0 || ::pipe2(library, O_CLOEXEC) != 0) {
        closeDescriptor(m_savedError);
        return;
    }
    std::fflush(stderr);
    if (::pipe2(m_stop, O_CLOEXEC) != 0 || ::dup2(library[1], STDERR_FILENO) < 0) {
        closeDescriptor(library[0]);
        closeDescriptor(library[1]);
        closeDescriptor(m_stop[0]);
        closeDescriptor(m_stop[1]);
        closeDescriptor(m_savedError);
        return;
    }
    closeDescriptor(library[1]);
    m_pipe = library[0];
    ::fcntl(m_pipe, F_SETFL, O_NONBLOCK);
    g_messageDescriptor = m_savedError;
    m_reader = std::thread([this] { readPipe(); });
}

LibraryMessages::~LibraryMessages()
{
    if (m_pipe < 0)
        return;
    std::fflush(stderr);
    // Gives descriptor 2 back, which closes this process's end of the pipe.
    ::dup2(m_savedError, STDERR_FILENO);
    g_messageDescriptor = STDERR_FILENO;
    const char stop = 0;
    while (::write(m_stop[1], &stop, 1) < 0 && errno == EINTR) {
    }
    m_reader.join();
    showWaiting();
    for (const QByteArray& line : m_lines.finish())
        m_show(line);
    closeDescriptor(m_pipe);
    closeDescriptor(m_stop[0]);
    closeDescriptor(m_stop[1]);
    closeDescriptor(m_savedError);
}

// Drains the pipe until every writer has gone or the instance stops it; what is in the pipe
// when it stops is still read.
void LibraryMessages::readPipe()
{
    pollfd watched[2] = {{m_pipe, POLLIN, 0}, {m_stop[0], POLLIN, 0}};
    char buffer[4096];
    for (;;) {
        if (::poll(watched, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            return;
        }
        for (;;) {
            const ssize_t got = ::read(m_pipe, buffer, sizeof buffer);
            if (got > 0)
                pass(m_lines.feed(QByteArray(buffer, qsizetype(got))));
            else if (got == 0)
                return;
            else if (errno != EINTR)
                break; // nothing more for now
        }
        if (watched[1].revents != 0)
            return;
    }
}

void LibraryMessages::pass(const QList<QByteArray>& lines)
{
    if (lines.isEmpty())
        return;
    bool first = false;
    {
        const std::lock_guard lock(m_mutex);
        first = m_waiting.isEmpty();
        m_waiting += lines;
    }
    if (first)
        QMetaObject::invokeMethod(
            this, [this] { showWaiting(); }, Qt::QueuedConnection);
}

void LibraryMessages::showWaiting()
{
    QList<QByteArray> lines;
    {
        const std::lock_guard lock(m_mutex);
        lines.swap(m_waiting);
    }
    for (const QByteArray& line : std::as_const(lines))
        m_show(line);
}

} // namespace lectorix::cli
