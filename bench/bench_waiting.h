#pragma once

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <functional>

namespace lectorix::bench {

// A benchmark drives the window from outside, as a user would, and so waits where the program
// itself never does: until done() holds, or timeoutMs has passed, handling the window's
// events meanwhile. Returns done().
inline bool waitUntil(const std::function<bool()>& done, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < timeoutMs) {
        QEventLoop loop;
        QTimer::singleShot(5, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return done();
}

// Lets the window handle what is pending for about ms milliseconds.
inline void settle(int ms)
{
    waitUntil([] { return false; }, ms);
}

} // namespace lectorix::bench
