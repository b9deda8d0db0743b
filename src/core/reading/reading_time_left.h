#pragma once

#include <QtGlobal>

#include <optional>

namespace lectorix {

// The time a reading aloud has left: the text still to hear at the pace the listener has heard
// it since the reading started or was moved (pauses do not count; the caller's clock stops
// while paused). The pace of the first seconds is mostly the voice starting, so nothing is
// told before a little has been heard.
class ReadingTimeLeft
{
public:
    // Listening that must have passed, and text heard, before the time is told.
    static constexpr qint64 SteadyMs = 15000;
    static constexpr qsizetype SteadyCharacters = 200;

    // The reading starts, or goes on from elsewhere, at position; atMs on the caller's clock.
    void restart(qsizetype position, qint64 atMs);
    // Where the listener is, at atMs; end is where the text ends, once known.
    void update(qsizetype position, std::optional<qsizetype> end, qint64 atMs);
    // Whole seconds left, once steady; none before, or with the end unknown.
    std::optional<qint64> secondsLeft() const { return m_secondsLeft; }

private:
    qsizetype m_origin = 0;
    qint64 m_originMs = 0;
    std::optional<qint64> m_secondsLeft;
};

} // namespace lectorix
