#include "core/text/speech_pauses.h"

namespace lectorix {

int silenceAfterMs(const SpokenPiece& piece, const SpokenPiece* next)
{
    if (piece.heading || (next && next->heading))
        return HeadingPauseMs;
    return piece.endsParagraph ? ParagraphPauseMs : 0;
}

} // namespace lectorix
