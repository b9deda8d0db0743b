#include "core/base/event_pump.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>

namespace lectorix::events {

namespace {
std::atomic<bool> g_ending{false};
}

void processPending()
{
    if (QCoreApplication::instance())
        QCoreApplication::processEvents(QEventLoop::AllEvents);
}

bool waitUntil(const std::function<bool()>& done, int wakeIntervalMs)
{
    if (!QCoreApplication::instance()) {
        while (!done() && !g_ending) {
            // No event loop (a command-line tool): nothing to keep alive, just sleep briefly.
            std::this_thread::sleep_for(std::chrono::milliseconds(wakeIntervalMs));
        }
        return !g_ending;
    }
    QTimer wake;
    wake.setInterval(wakeIntervalMs);
    wake.start();
    while (!g_ending && !done())
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    return !g_ending;
}

void waitFor(double seconds)
{
    QElapsedTimer clock;
    clock.start();
    const qint64 total = qint64(seconds * 1000.0);
    processPending();
    const int interval = int(std::clamp<qint64>(total / 4, 1, 20));
    waitUntil([&] { return clock.elapsed() >= total; }, interval);
}

bool programEnding()
{
    return g_ending;
}

void setProgramEnding(bool ending)
{
    g_ending = ending;
}

} // namespace lectorix::events
