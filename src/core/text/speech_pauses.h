#pragma once

#include "core/text/spoken_piece.h"

#include <QList>
#include <QString>

namespace lectorix {

// The silences a listener hears between utterances, in milliseconds: after a sentence, after a
// paragraph, and before and after a heading. They replace the voice's own pauses (the voice
// trims the silence at an utterance's ends), so each is heard as set at every rate. The
// defaults sound as the voice's own pause after a sentence does at the usual rate, longer
// after a paragraph, longest around a heading.
struct SpeechPauses
{
    static constexpr int DefaultSentenceMs = 300;
    static constexpr int DefaultParagraphMs = 700;
    static constexpr int DefaultHeadingMs = 1000;
    // Longer than any listener waits for the next sentence; a setting beyond it is held at it.
    static constexpr int LongestMs = 10000;

    int sentenceMs = DefaultSentenceMs;
    int paragraphMs = DefaultParagraphMs;
    int headingMs = DefaultHeadingMs;

    bool operator==(const SpeechPauses&) const = default;
};

// A pause as given (a setting, an option) held within 0..LongestMs.
int boundedPauseMs(int milliseconds);

// The pauses of the settings (SentencePause, ParagraphPause, HeadingPause), each held within
// 0..LongestMs; a missing or unreadable one is its default.
SpeechPauses savedSpeechPauses();

// The silence after piece, when next follows it (nullptr: nothing follows, or not yet known).
int silenceAfterMs(const SpokenPiece& piece, const SpokenPiece* next,
                   const SpeechPauses& pauses = {});

// Each piece cut into its sentences (sentenceEnds, by language), so a pause follows every
// sentence: the parts keep their places in the source, only the last keeps endsParagraph,
// and a heading stays whole.
QList<SpokenPiece> sentencePieces(const QList<SpokenPiece>& pieces,
                                  const QString& language = QString());

} // namespace lectorix
