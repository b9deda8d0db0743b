#include "core/conversion/time_left.h"

#include <algorithm>
#include <cmath>

namespace lectorix {

namespace {

// How long a change of pace takes to show in the estimate: after this time about two thirds
// of it has.
constexpr double SmoothingMs = 10000.0;

} // namespace

void TimeLeftEstimate::update(const ConversionProgress& progress, qint64 elapsedMs)
{
    m_stage = progress.stage;
    if (progress.stage != ConversionStage::Speaking)
        return;
    if (!m_speakingSinceMs) {
        m_speakingSinceMs = elapsedMs;
        m_lastMs = elapsedMs;
    }
    const double spentMs = double(elapsedMs - *m_speakingSinceMs);
    const double length = double(progress.textLength);
    const double done = std::min(double(progress.textDone), length);
    if (length <= 0 || done <= 0 || spentMs <= 0)
        return;
    const double measuredMs = spentMs * (length - done) / done;
    if (!m_leftMs) {
        m_leftMs = measuredMs;
    } else {
        const double sinceMs = double(std::max<qint64>(0, elapsedMs - m_lastMs));
        const double countedDown = std::max(0.0, *m_leftMs - sinceMs);
        const double weight = 1.0 - std::exp(-sinceMs / SmoothingMs);
        m_leftMs = countedDown + weight * (measuredMs - countedDown);
    }
    m_lastMs = elapsedMs;
    if (done >= SteadyShare * length)
        m_steady = true;
}

std::optional<qint64> TimeLeftEstimate::secondsLeft() const
{
    if (m_stage != ConversionStage::Speaking || !m_steady || !m_leftMs)
        return std::nullopt;
    return qint64(std::lround(*m_leftMs / 1000.0));
}

} // namespace lectorix
