#include "core/text/reading_range.h"

namespace lectorix {

bool marksSentenceEnd(QChar c)
{
    switch (c.unicode()) {
    case '.':
    case '!':
    case '?':
    case 0x2026: // …
    case 0x3002: // 。
    case 0xFF01: // ！
    case 0xFF1F: // ？
        return true;
    default:
        return false;
    }
}

bool closesQuote(QChar c)
{
    switch (c.unicode()) {
    case '"':
    case '\'':
    case ')':
    case ']':
    case 0x2019: // ’
    case 0x201D: // ”
    case 0x00BB: // »
        return true;
    default:
        return false;
    }
}

namespace {

// True when a new sentence begins with the character at i.
bool beginsSentence(const QString& text, qsizetype i)
{
    if (i <= 0 || i >= text.size() || text[i].isSpace() || !text[i - 1].isSpace())
        return false;
    qsizetype j = i - 1;
    int lineBreaks = 0;
    while (j >= 0 && text[j].isSpace()) {
        if (text[j] == u'\n' || text[j] == QChar::ParagraphSeparator)
            ++lineBreaks;
        --j;
    }
    if (j < 0 || lineBreaks >= 2)
        return true;
    while (j > 0 && closesQuote(text[j]))
        --j;
    return marksSentenceEnd(text[j]);
}

} // namespace

TextRange sentenceAt(const QString& text, qsizetype position)
{
    if (text.isEmpty())
        return {};
    position = qBound<qsizetype>(0, position, text.size() - 1);
    qsizetype start = position;
    while (start > 0 && !beginsSentence(text, start))
        --start;
    qsizetype end = position + 1;
    while (end < text.size() && !beginsSentence(text, end))
        ++end;
    return {start, end - start};
}

TextRange sentenceTextAt(const QString& text, qsizetype position)
{
    TextRange range = sentenceAt(text, position);
    while (range.length > 0 && text[range.end() - 1].isSpace())
        --range.length;
    return range;
}

TextRange rangeToRead(const QString& text, qsizetype selectionStart, qsizetype selectionEnd,
                      qsizetype cursor)
{
    const qsizetype size = text.size();
    selectionStart = qBound<qsizetype>(0, selectionStart, size);
    selectionEnd = qBound<qsizetype>(0, selectionEnd, size);
    if (selectionEnd < selectionStart)
        std::swap(selectionStart, selectionEnd);
    if (selectionEnd > selectionStart)
        return {selectionStart, selectionEnd - selectionStart};
    if (cursor <= 0 || cursor >= size)
        return {0, size};
    const qsizetype start = sentenceAt(text, cursor).start;
    return {start, size - start};
}

} // namespace lectorix
