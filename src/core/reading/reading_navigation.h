#pragma once

#include "core/text/chapters.h"
#include "core/text/spoken_piece.h"

#include <QList>
#include <QString>

#include <optional>

namespace lectorix {

// What a reading moves by when the listener skips.
enum class ReadingUnit { Sentence, Paragraph, Chapter };

// A place in the utterances of a reading, in the order they are spoken: which piece, and where
// in its text (before any cleaning for the voice, which keeps positions).
struct PiecePlace
{
    qsizetype piece = 0;
    qsizetype spoken = 0;
    auto operator<=>(const PiecePlace&) const = default;
};

// The sentences and paragraphs of a reading's pieces, found where the listener is. A piece
// may be a sentence (a PDF read from its layout), a whole paragraph (other text) or a line
// (text read verbatim); its sentences are found in its text. A paragraph ends with a piece
// marked endsParagraph, and a heading stands as a paragraph of its own.
class ReadingNavigator
{
public:
    // pieces must outlive the navigator. language is the voice's, for its abbreviations.
    ReadingNavigator(const QList<SpokenPiece>& pieces, QString language);

    // Where moving one sentence or paragraph on from place lands: the next one's start; none
    // at the end of the pieces known.
    std::optional<PiecePlace> next(ReadingUnit unit, PiecePlace place) const;
    // Where moving one sentence or paragraph back from place lands: the start of the one
    // holding it, or, while place is still in its first sentence, the start of the one before
    // (its own start when none is before). A sentence's first sentence is itself, so a move
    // back by sentence always goes to the one before.
    PiecePlace previous(ReadingUnit unit, PiecePlace place) const;
    // Whether place, at or after start, is still in the sentence that begins at start.
    bool inFirstSentence(PiecePlace start, PiecePlace place) const;

    // The place of a source offset: in the first piece, in spoken order, whose source holds
    // it; else at the start of the first piece that begins after it; none past the last.
    std::optional<PiecePlace> placeOf(qsizetype sourceOffset) const;

    // Where the sentences of a piece begin in its text, in order; the first is 0.
    QList<qsizetype> sentenceStarts(qsizetype piece) const;

private:
    PiecePlace sentenceStart(PiecePlace place) const;
    std::optional<PiecePlace> sentenceAfter(PiecePlace place) const;
    std::optional<PiecePlace> sentenceBefore(PiecePlace place) const;
    PiecePlace paragraphStart(PiecePlace place) const;
    std::optional<PiecePlace> paragraphAfter(PiecePlace place) const;
    PiecePlace unitStart(ReadingUnit unit, PiecePlace place) const;

    const QList<SpokenPiece>& m_pieces;
    QString m_language;
};

// The chapter after position (chapterAt holds the one at it): the one starting first after it,
// the earlier entry of two at the same place; -1 when no known start is after it.
qsizetype chapterAfter(const QList<Chapter>& chapters, qsizetype position);

// Where a source offset stands in a piece's text: the inverse of SpokenPiece::sourcePosition
// for positions inside the piece; an offset before the piece gives 0, one after it its length.
qsizetype spokenPositionOf(const SpokenPiece& piece, qsizetype sourceOffset);

// The piece from position in its text on, its source places kept.
SpokenPiece pieceFrom(const SpokenPiece& piece, qsizetype position);

} // namespace lectorix
