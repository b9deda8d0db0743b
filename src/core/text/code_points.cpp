#include "core/text/code_points.h"

namespace lectorix {

QList<CodePoint> codePoints(QStringView text)
{
    QList<CodePoint> points;
    points.reserve(text.size());
    CodePoints reader(text);
    while (!reader.atEnd()) {
        const qsizetype at = reader.position();
        const char32_t c = reader.next();
        points.append({c, at, reader.position() - at});
    }
    return points;
}

bool isWordSign(char32_t c)
{
    return c == 0x00A9 || c == 0x00AE || c == 0x00B0;
}

bool isLetterLikeSymbol(char32_t c)
{
    return inRange(c, 0x2100, 0x214F);
}

bool isArrow(char32_t c)
{
    return inRange(c, 0x2190, 0x21FF) || inRange(c, 0x27F0, 0x27FF) || inRange(c, 0x2900, 0x297F);
}

bool isWordJoiner(char32_t c)
{
    return c == 0x00AD || c == 0x200C || c == 0x200D;
}

bool isZeroWidth(char32_t c)
{
    switch (c) {
    case 0x200B: // zero-width space
    case 0x2060: // word joiner
    case 0xFEFF: // zero-width no-break space
        return true;
    default:
        return isWordJoiner(c) || inRange(c, 0x200E, 0x200F) || inRange(c, 0x202A, 0x202E) ||
               inRange(c, 0x2061, 0x2064) || inRange(c, 0x2066, 0x2069);
    }
}

bool isHyphen(QChar c)
{
    return c == QLatin1Char('-') || c == QChar(0x2010) || c == QChar(0x00AD);
}

bool isApostrophe(QChar c)
{
    return c == QLatin1Char('\'') || c == QChar(0x2019);
}

bool isWordCharacter(QChar c)
{
    return c.isLetterOrNumber() || c.isMark() || c.isSurrogate();
}

QString lettersOf(QStringView text)
{
    QString letters;
    for (const QChar c : text)
        if (c.isLetterOrNumber())
            letters += c.toLower();
    return letters;
}

} // namespace lectorix
