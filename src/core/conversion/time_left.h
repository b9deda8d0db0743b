#pragma once

#include "core/conversion/conversion_job.h"

#include <optional>

namespace lectorix {

// The time a conversion has left, for its progress display in the window and on the terminal.
// Speaking dominates a conversion, so the estimate is the text still to speak at the pace
// the text done so far (in all lanes together) took since speaking began; extracting the text
// and joining the parts are left out, as their time says nothing about the speech. Each new
// figure is blended into the last one counted down by the time since, so a block of speech
// arriving late or early moves the estimate a little, not by minutes. It stays hidden until
// a share of the text is spoken, before which the pace is mostly the voice's start-up.
class TimeLeftEstimate
{
public:
    // The share of the text that must be spoken before the estimate is shown.
    static constexpr double SteadyShare = 0.05;

    // One progress report of the job, at elapsedMs on the caller's clock (any origin, never
    // going back).
    void update(const ConversionProgress& progress, qint64 elapsedMs);
    // Whole seconds left while the text is being spoken and the estimate is steady; none
    // otherwise.
    std::optional<qint64> secondsLeft() const;

private:
    ConversionStage m_stage = ConversionStage::Extracting;
    std::optional<qint64> m_speakingSinceMs;
    qint64 m_lastMs = 0;
    std::optional<double> m_leftMs;
    bool m_steady = false;
};

} // namespace lectorix
