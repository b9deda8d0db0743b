#pragma once

#include <QList>
#include <QString>

namespace lectorix {

// One utterance as a voice is given it, and the silence that follows it: none between the
// sentences of a paragraph (the voice pauses after a sentence of its own accord), longer after
// a paragraph, longest around a heading.
struct Utterance
{
    QString text;
    int silenceAfterMs = 0;
};

} // namespace lectorix
