#include "core/text/spoken_piece.h"

#include <algorithm>

namespace lectorix {

qsizetype SpokenPiece::sourcePosition(qsizetype spokenPosition) const
{
    if (stretches.isEmpty())
        return sourceOffset + spokenPosition;
    auto after = std::upper_bound(
        stretches.cbegin(), stretches.cend(), spokenPosition,
        [](qsizetype position, const Stretch& stretch) { return position < stretch.spokenStart; });
    if (after != stretches.cbegin())
        --after;
    if (after->replacedLength >= 0)
        return after->sourceStart;
    return after->sourceStart + (spokenPosition - after->spokenStart);
}

std::pair<qsizetype, qsizetype> SpokenPiece::sourceRange(qsizetype spokenPosition,
                                                         qsizetype length) const
{
    const qsizetype start = sourcePosition(spokenPosition);
    if (length <= 0)
        return {start, length};
    const qsizetype last = spokenPosition + length - 1;
    auto at = std::upper_bound(
        stretches.cbegin(), stretches.cend(), last,
        [](qsizetype position, const Stretch& stretch) { return position < stretch.spokenStart; });
    if (at != stretches.cbegin())
        --at;
    const qsizetype end = at != stretches.cend() && at->replacedLength >= 0
                              ? at->sourceStart + at->replacedLength
                              : sourcePosition(last) + 1;
    return {start, std::max<qsizetype>(end - start, 0)};
}

QList<SpokenPiece> verbatimPieces(const QString& text)
{
    QList<SpokenPiece> pieces;
    qsizetype start = 0;
    const qsizetype size = text.size();
    for (qsizetype i = 0; i <= size; ++i) {
        if (i < size && text[i] != QLatin1Char('\n') && text[i] != QLatin1Char('\r'))
            continue;
        if (i > start) {
            const QString line = text.mid(start, i - start);
            pieces.append({line, start, line.size(), {{0, start}}});
        }
        if (i + 1 < size && text[i] == QLatin1Char('\r') && text[i + 1] == QLatin1Char('\n'))
            ++i;
        start = i + 1;
    }
    return pieces;
}

} // namespace lectorix
