#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>

#include <functional>
#include <mutex>
#include <thread>

namespace lectorix::cli {

// Lines written in pieces, each complete line shown once however often it comes. feed() takes
// the next piece and answers the lines to show now: those never seen before. finish() answers
// what remains: an unfinished last line, then each line that came more than once with how
// often it came, "espeak: No envelope (14306 times)", in the order they first came.
class RepeatedLines
{
public:
    QList<QByteArray> feed(const QByteArray& bytes);
    QList<QByteArray> finish();

private:
    QByteArray m_partial;
    QHash<QByteArray, qint64> m_counts;
    QList<QByteArray> m_order;
};

// What the libraries the converter uses write on standard error themselves. libespeak-ng
// writes its complaints there from inside the library, one for every syllable some voices
// cannot shape ("espeak: No envelope", thousands of times in one book), and none of them is
// the converter's to word. While an instance lives, descriptor 2 is a pipe that a thread of
// its own drains (so a library never waits on a full pipe); each line is handed to show() on
// the event loop through RepeatedLines, and the counts when the instance goes. The
// converter's own messages and its progress line go to messageDescriptor() instead, the
// standard error it was started with. When descriptor 2 cannot be diverted, everything stays
// as it was.
class LibraryMessages final : public QObject
{
public:
    // show gets one line, without its line break.
    explicit LibraryMessages(std::function<void(const QByteArray&)> show);
    ~LibraryMessages() override;
    LibraryMessages(const LibraryMessages&) = delete;
    LibraryMessages& operator=(const LibraryMessages&) = delete;

private:
    void readPipe();
    void pass(const QList<QByteArray>& lines);
    void showWaiting();

    std::function<void(const QByteArray&)> m_show;
    int m_pipe = -1; // the read end
    int m_stop[2] = {-1, -1};
    int m_savedError = -1; // the standard error the converter was started with
    RepeatedLines m_lines; // the reading thread's own
    std::mutex m_mutex;
    QList<QByteArray> m_waiting; // read, not yet shown; under m_mutex
    std::thread m_reader;
};

// Where the converter's own messages go: the standard error it was started with, also while
// the libraries' messages are diverted.
int messageDescriptor();

} // namespace lectorix::cli
