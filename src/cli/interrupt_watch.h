#pragma once

#include <QObject>

class QSocketNotifier;

namespace lectorix::cli {

// Turns SIGINT, SIGTERM and SIGHUP into an interrupted() signal of the event loop. The handler only
// notes the signal and writes one byte into a pipe; everything else happens when the event
// loop reads it. One instance at a time; destroying it gives them back their default
// handling.
class InterruptWatch final : public QObject
{
    Q_OBJECT

public:
    explicit InterruptWatch(QObject* parent = nullptr);
    ~InterruptWatch() override;
    InterruptWatch(const InterruptWatch&) = delete;
    InterruptWatch& operator=(const InterruptWatch&) = delete;

    // The first signal received, 0 while none came.
    static int receivedSignal();
    // Readable once a signal has come; for a wait outside the event loop (the password
    // prompt) to watch beside its own file. Reading it is left to the event loop.
    static int wakeDescriptor();

signals:
    void interrupted(int signalNumber);

private:
    void readPipe();

    QSocketNotifier* m_notifier = nullptr;
};

// The exit status for a run ended by signalNumber: 128 + the number.
inline int interruptedExitCode(int signalNumber)
{
    return 128 + signalNumber;
}

} // namespace lectorix::cli
