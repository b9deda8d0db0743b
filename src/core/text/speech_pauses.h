#pragma once

#include "core/text/text_preparation.h"

namespace lectorix {

// The silences a listener hears between utterances: none added between the sentences of a
// paragraph (the voice's own pause after a sentence is short), a longer one after a
// paragraph, and the longest before and after a heading.
inline constexpr int ParagraphPauseMs = 400;
inline constexpr int HeadingPauseMs = 700;

// The silence after piece, when next follows it (nullptr: nothing follows, or not yet known).
int silenceAfterMs(const SpokenPiece& piece, const SpokenPiece* next);

} // namespace lectorix
