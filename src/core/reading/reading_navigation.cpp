#include "core/reading/reading_navigation.h"

#include "core/text/sentences.h"

#include <algorithm>

namespace lectorix {

ReadingNavigator::ReadingNavigator(const QList<SpokenPiece>& pieces, QString language)
    : m_pieces(pieces), m_language(std::move(language))
{
}

QList<qsizetype> ReadingNavigator::sentenceStarts(qsizetype piece) const
{
    const QString& text = m_pieces.at(piece).text;
    QList<qsizetype> starts{0};
    for (qsizetype end : sentenceEnds(text, m_language)) {
        while (end < text.size() && text.at(end).isSpace())
            ++end;
        if (end < text.size() && end > starts.last())
            starts.append(end);
    }
    return starts;
}

PiecePlace ReadingNavigator::sentenceStart(PiecePlace place) const
{
    const QList<qsizetype> starts = sentenceStarts(place.piece);
    const auto after = std::upper_bound(starts.cbegin(), starts.cend(), place.spoken);
    return {place.piece, *(after - 1)};
}

std::optional<PiecePlace> ReadingNavigator::sentenceAfter(PiecePlace place) const
{
    const QList<qsizetype> starts = sentenceStarts(place.piece);
    const auto after = std::upper_bound(starts.cbegin(), starts.cend(), place.spoken);
    if (after != starts.cend())
        return PiecePlace{place.piece, *after};
    if (place.piece + 1 < m_pieces.size())
        return PiecePlace{place.piece + 1, 0};
    return std::nullopt;
}

// The start of the sentence before the one holding place.
std::optional<PiecePlace> ReadingNavigator::sentenceBefore(PiecePlace place) const
{
    const PiecePlace start = sentenceStart(place);
    if (start.spoken > 0)
        return sentenceStart({start.piece, start.spoken - 1});
    if (start.piece == 0)
        return std::nullopt;
    const QList<qsizetype> starts = sentenceStarts(start.piece - 1);
    return PiecePlace{start.piece - 1, starts.last()};
}

PiecePlace ReadingNavigator::paragraphStart(PiecePlace place) const
{
    qsizetype piece = place.piece;
    while (piece > 0 && !m_pieces.at(piece - 1).endsParagraph && !m_pieces.at(piece).heading &&
           !m_pieces.at(piece - 1).heading)
        --piece;
    return {piece, 0};
}

std::optional<PiecePlace> ReadingNavigator::paragraphAfter(PiecePlace place) const
{
    for (qsizetype piece = place.piece + 1; piece < m_pieces.size(); ++piece) {
        if (paragraphStart({piece, 0}).piece == piece)
            return PiecePlace{piece, 0};
    }
    return std::nullopt;
}

PiecePlace ReadingNavigator::unitStart(ReadingUnit unit, PiecePlace place) const
{
    return unit == ReadingUnit::Sentence ? sentenceStart(place) : paragraphStart(place);
}

std::optional<PiecePlace> ReadingNavigator::next(ReadingUnit unit, PiecePlace place) const
{
    if (place.piece < 0 || place.piece >= m_pieces.size())
        return std::nullopt;
    return unit == ReadingUnit::Sentence ? sentenceAfter(place) : paragraphAfter(place);
}

PiecePlace ReadingNavigator::previous(ReadingUnit unit, PiecePlace place) const
{
    if (place.piece < 0 || place.piece >= m_pieces.size())
        return place;
    const PiecePlace start = unitStart(unit, place);
    if (!inFirstSentence(start, place))
        return start;
    const std::optional<PiecePlace> before = sentenceBefore(start);
    return before ? unitStart(unit, *before) : start;
}

bool ReadingNavigator::inFirstSentence(PiecePlace start, PiecePlace place) const
{
    const std::optional<PiecePlace> second = sentenceAfter(start);
    return !second || place < *second;
}

std::optional<PiecePlace> ReadingNavigator::placeOf(qsizetype sourceOffset) const
{
    for (qsizetype i = 0; i < m_pieces.size(); ++i) {
        const SpokenPiece& piece = m_pieces.at(i);
        if (sourceOffset >= piece.sourceOffset &&
            sourceOffset < piece.sourceOffset + piece.sourceLength)
            return PiecePlace{i, spokenPositionOf(piece, sourceOffset)};
    }
    for (qsizetype i = 0; i < m_pieces.size(); ++i) {
        if (m_pieces.at(i).sourceOffset >= sourceOffset)
            return PiecePlace{i, 0};
    }
    return std::nullopt;
}

qsizetype chapterAfter(const QList<Chapter>& chapters, qsizetype position)
{
    qsizetype found = -1;
    for (qsizetype i = 0; i < chapters.size(); ++i) {
        const qsizetype start = chapters.at(i).offset;
        if (start > position && (found < 0 || start < chapters.at(found).offset))
            found = i;
    }
    return found;
}

qsizetype spokenPositionOf(const SpokenPiece& piece, qsizetype sourceOffset)
{
    const qsizetype length = piece.text.size();
    if (piece.stretches.isEmpty())
        return qBound<qsizetype>(0, sourceOffset - piece.sourceOffset, length);
    // The last stretch that starts at or before the offset in the source holds it.
    qsizetype found = -1;
    for (qsizetype i = 0; i < piece.stretches.size(); ++i) {
        if (piece.stretches[i].sourceStart <= sourceOffset)
            found = i;
    }
    if (found < 0)
        return 0;
    const SpokenPiece::Stretch& stretch = piece.stretches[found];
    const qsizetype end =
        found + 1 < piece.stretches.size() ? piece.stretches[found + 1].spokenStart : length;
    return qBound<qsizetype>(stretch.spokenStart,
                             stretch.spokenStart + (sourceOffset - stretch.sourceStart), end);
}

SpokenPiece pieceFrom(const SpokenPiece& piece, qsizetype position)
{
    if (position <= 0)
        return piece;
    SpokenPiece rest = piece;
    rest.text = piece.text.mid(position);
    const qsizetype start = piece.sourcePosition(position);
    rest.sourceLength = qMax<qsizetype>(0, piece.sourceOffset + piece.sourceLength - start);
    rest.sourceOffset = start;
    rest.stretches.clear();
    for (const SpokenPiece::Stretch& stretch : piece.stretches) {
        const qsizetype spoken = stretch.spokenStart - position;
        if (spoken > 0)
            rest.stretches.append({spoken, stretch.sourceStart});
        else // the stretches are in order: the last one starting at or before position holds it
            rest.stretches = {{0, stretch.sourceStart - spoken}};
    }
    return rest;
}

} // namespace lectorix
