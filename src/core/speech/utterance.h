#pragma once

#include <QList>
#include <QString>

namespace lectorix {

// One utterance as a voice is given it, and the silence that follows it.
struct Utterance
{
    // The silence after the utterance, which replaces the voice's own pauses at its ends (see
    // Voice::speak); VoicesOwnPause leaves the voice's own pause, as for text read line by
    // line as it stands, whose lines may break inside a sentence.
    static constexpr int VoicesOwnPause = -1;

    QString text;
    int silenceAfterMs = VoicesOwnPause;
    // The language whose voice speaks the utterance, a language tag such as "ru" or "el"; empty
    // for the voice chosen for the whole text.
    QString language{};
};

} // namespace lectorix
