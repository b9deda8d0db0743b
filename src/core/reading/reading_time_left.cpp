#include "core/reading/reading_time_left.h"

#include <cmath>

namespace lectorix {

void ReadingTimeLeft::restart(qsizetype position, qint64 atMs)
{
    m_origin = position;
    m_originMs = atMs;
    m_secondsLeft.reset();
}

void ReadingTimeLeft::update(qsizetype position, std::optional<qsizetype> end, qint64 atMs)
{
    const qint64 spentMs = atMs - m_originMs;
    const qsizetype heard = position - m_origin;
    if (spentMs < SteadyMs || heard < SteadyCharacters || !end || *end < position) {
        // A listener who went back hears again what was heard: the pace starts afresh.
        if (heard < 0)
            restart(position, atMs);
        else
            m_secondsLeft.reset();
        return;
    }
    const double msPerCharacter = double(spentMs) / double(heard);
    m_secondsLeft = std::llround(msPerCharacter * double(*end - position) / 1000.0);
}

} // namespace lectorix
