#pragma once

#include <QByteArrayList>
#include <QObject>
#include <QString>

#include <memory>
#include <sys/types.h>

class QSocketNotifier;
class QTimer;

namespace lectorix {

// One outside program run without waiting for it: finished() arrives through the event loop
// when it ends. The child runs in a process group of its own, never through a shell, with
// standard input from /dev/null; stop() ends it and whatever it started. Destroying a running
// ChildProcess stops it.
class ChildProcess final : public QObject
{
    Q_OBJECT

public:
    explicit ChildProcess(QObject* parent = nullptr);
    ~ChildProcess() override;

    // Starts argv (argv[0] is looked up in PATH when it holds no "/"). What the program
    // writes on standard error and output goes to the files given; it reads standardInput
    // when one is given (the caller keeps and closes its own copy). Returns 0, or
    // StartFailureBase + errno when the program cannot be started (then no finished()).
    int start(const QByteArrayList& argv, const QString& standardErrorPath = QString(),
              int standardInput = -1, const QString& standardOutputPath = QString());
    // Ends the child and its process group at once; no finished() follows.
    void stop();
    bool isRunning() const { return m_pid > 0; }
    pid_t pid() const { return m_pid; }

signals:
    // The exit code, or 128 + the signal number when a signal ended it.
    void finished(int exitCode);

private:
    void checkEnded();
    void release();

    pid_t m_pid = 0;
    int m_pidfd = -1;
    QSocketNotifier* m_notifier = nullptr;
    QTimer* m_poll = nullptr;
};

} // namespace lectorix
