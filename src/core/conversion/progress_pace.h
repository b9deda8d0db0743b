#pragma once

#include <QtGlobal>

#include <chrono>
#include <functional>
#include <optional>
#include <utility>

namespace lectorix {

// How often a stream of progress reports is let through: the first at once, then each one
// that comes a whole interval or more after the last one let through. A display needs a few
// updates a second, whatever the number of sentences spoken; the reports held back carry
// nothing the next one does not, so whoever holds one back passes the latest on at the next
// report let through, or at the end.
class ProgressPace
{
public:
    // Milliseconds on a clock that never goes back (any origin).
    using Clock = std::function<qint64()>;
    static constexpr qint64 DefaultIntervalMs = 250;

    // No clock given: the steady clock.
    explicit ProgressPace(qint64 intervalMs = DefaultIntervalMs, Clock clock = {})
        : m_intervalMs(intervalMs), m_clock(std::move(clock))
    {
        if (!m_clock)
            m_clock = [] {
                return qint64(std::chrono::duration_cast<std::chrono::milliseconds>(
                                  std::chrono::steady_clock::now().time_since_epoch())
                                  .count());
            };
    }

    // Whether a report now is let through; when it is, the interval starts again from now.
    bool admit()
    {
        const qint64 now = m_clock();
        if (m_lastMs && now - *m_lastMs < m_intervalMs)
            return false;
        m_lastMs = now;
        return true;
    }

private:
    qint64 m_intervalMs;
    Clock m_clock;
    std::optional<qint64> m_lastMs;
};

} // namespace lectorix
