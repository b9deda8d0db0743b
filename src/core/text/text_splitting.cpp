#include "core/text/text_splitting.h"

#include "core/base/failure.h"
#include "core/settings/settings.h"
#include "core/text/code_points.h"

namespace lectorix {

QStringList splitTextBySize(const QString& text, int pieceSize)
{
    if (pieceSize < 1)
        throw Failure(failures::InvalidArgument);

    // Characters are code points, so a piece never ends between the halves of a surrogate
    // pair. Text without any (the usual case) is cut by plain index arithmetic.
    const qsizetype units = text.size();
    qsizetype length = 0;
    bool surrogates = false;
    for (qsizetype i = 0; i < units; ++i, ++length) {
        if (text[i].isHighSurrogate() && i + 1 < units && text[i + 1].isLowSurrogate()) {
            surrogates = true;
            ++i;
        }
    }

    const int count = convert::roundHalfEven(double(length) / double(pieceSize) + 1.0);
    QStringList pieces;
    pieces.reserve(count);
    qsizetype start = 0;
    for (int i = 0; i < count; ++i) {
        qsizetype end = start;
        if (!surrogates) {
            end += qMin<qsizetype>(pieceSize, units - start);
        } else {
            for (int n = 0; n < pieceSize && end < units; ++n) {
                const bool pair = text[end].isHighSurrogate() && end + 1 < units &&
                                  text[end + 1].isLowSurrogate();
                end += pair ? 2 : 1;
            }
        }
        pieces.append(text.mid(start, end - start));
        start = end;
    }
    return pieces;
}

QList<QList<Utterance>> splitUtterances(const QList<Utterance>& utterances, int parts,
                                        qsizetype minimumLength)
{
    QList<QList<Utterance>> runs;
    qsizetype total = 0;
    for (const Utterance& utterance : utterances)
        total += utterance.text.size() + 1; // spoken with its line break
    if (utterances.isEmpty())
        return runs;
    const qsizetype room = qMax<qsizetype>(1, total / qMax<qsizetype>(1, minimumLength));
    parts = int(qBound<qsizetype>(1, qsizetype(parts), room));
    const qsizetype target = total / parts;
    QList<Utterance> run;
    qsizetype length = 0;
    for (const Utterance& utterance : utterances) {
        run << utterance;
        length += utterance.text.size() + 1;
        if (length >= target && runs.size() < parts - 1) {
            runs << run;
            run.clear();
            length = 0;
        }
    }
    if (!run.isEmpty())
        runs << run;
    return runs;
}

QStringList wordsOf(const QString& text)
{
    QStringList words;
    const qsizetype size = text.size();
    qsizetype i = 0;
    while (i < size) {
        while (i < size && !isWordCharacter(text[i]))
            ++i;
        const qsizetype start = i;
        while (i < size) {
            if (isWordCharacter(text[i])) {
                ++i;
            } else if ((isApostrophe(text[i]) || isHyphen(text[i])) && i + 1 < size &&
                       isWordCharacter(text[i + 1])) {
                i += 2;
            } else {
                break;
            }
        }
        if (i > start)
            words.append(text.mid(start, i - start));
    }
    return words;
}

} // namespace lectorix
