#include "core/text/layout/plain_text.h"

#include "core/text/layout/page_reader.h"

#include <algorithm>

namespace lectorix {

namespace {

// A line ending a sentence that is this much shorter than the page's usual line ends its
// paragraph; a page of few lines has this usual length.
constexpr double ShortLineShare = 0.8;
constexpr qsizetype DefaultLineLength = 60;
// This many bare numbers one under the other are line numbers in a margin, not text.
constexpr int MarginNumberRun = 3;
// A paragraph this long ends at its next sentence end, so none grows without bound.
constexpr qsizetype LongParagraph = 4000;

bool startsLowercase(const QString& line)
{
    for (const QChar c : line) {
        if (c.isLetter())
            return c.isLower();
        if (c.isLetterOrNumber())
            return false;
        // Opening quotes and brackets are looked through.
        if (!c.isPunct() && !c.isSpace())
            return false;
    }
    return false;
}

// The words of one line of text, which starts at offset.
QList<LayoutWord> wordsOfLine(QStringView line, qsizetype offset)
{
    QList<LayoutWord> words;
    qsizetype i = 0;
    while (i < line.size()) {
        while (i < line.size() && line[i].isSpace())
            ++i;
        const qsizetype start = i;
        while (i < line.size() && !line[i].isSpace())
            ++i;
        if (i > start)
            words.append({line.sliced(start, i - start).toString(), {}, offset + start});
    }
    return words;
}

void addLine(LayoutPage& page, QStringView line, qsizetype offset, bool& blank)
{
    QList<LayoutWord> words = wordsOfLine(line, offset);
    if (words.isEmpty()) {
        if (page.blocks.isEmpty())
            page.blocks.append(LayoutBlock()); // a blank line before the first
        blank = true;
        return;
    }
    if (blank || page.blocks.isEmpty())
        page.blocks.append(LayoutBlock());
    page.blocks.last().lines.append({{}, std::move(words)});
    blank = false;
}

// Runs of bare numbers one under the other go, and the line after them follows a break as
// after a blank line.
void dropMarginNumbers(QList<bool>& dropped, QList<bool>& blankBefore, const QStringList& texts,
                       qsizetype first, qsizetype last)
{
    qsizetype runStart = first;
    for (qsizetype i = first; i <= last; ++i) {
        if (i < last && isBareNumber(texts.at(i)))
            continue;
        if (i - runStart >= MarginNumberRun) {
            std::fill(dropped.begin() + runStart, dropped.begin() + i, true);
            if (i < last)
                blankBefore[i] = true;
        }
        runStart = i + 1;
    }
}

qsizetype usualLength(const QStringList& texts, const QList<bool>& dropped, qsizetype first,
                      qsizetype last)
{
    QList<qsizetype> lengths;
    for (qsizetype i = first; i < last; ++i)
        if (!dropped.at(i))
            lengths.append(texts.at(i).size());
    if (lengths.size() < 4)
        return DefaultLineLength;
    std::nth_element(lengths.begin(), lengths.begin() + lengths.size() / 2, lengths.end());
    return lengths.at(lengths.size() / 2);
}

} // namespace

QList<LayoutPage> plainTextPages(const QString& text, qsizetype startOffset, int firstPage)
{
    QList<LayoutPage> pages;
    LayoutPage page;
    bool blank = false;
    qsizetype lineStart = 0;
    const auto startPage = [&] {
        page = LayoutPage();
        page.number = firstPage + int(pages.size());
        page.plainText = true;
        blank = false;
    };
    startPage();
    const qsizetype size = text.size();
    for (qsizetype i = 0; i <= size; ++i) {
        const QChar c = i < size ? text[i] : QChar();
        if (i < size && c != QLatin1Char('\n') && c != QLatin1Char('\r') && c != QLatin1Char('\f'))
            continue;
        addLine(page, QStringView(text).sliced(lineStart, i - lineStart), startOffset + lineStart,
                blank);
        if (c == QLatin1Char('\r') && i + 1 < size && text[i + 1] == QLatin1Char('\n'))
            ++i;
        lineStart = i + 1;
        if (c == QLatin1Char('\f')) {
            pages.append(page);
            startPage();
        }
    }
    if (!page.blocks.isEmpty()) {
        page.wholePage = false;
        pages.append(page);
    }
    return pages;
}

PageReading PlainTextReader::read(const LayoutPage& page, const DocumentSurvey& survey)
{
    QStringList texts;
    QList<const LayoutLine*> lines;
    QList<bool> blankBefore;
    for (qsizetype b = 0; b < page.blocks.size(); ++b) {
        for (qsizetype l = 0; l < page.blocks.at(b).lines.size(); ++l) {
            lines.append(&page.blocks.at(b).lines.at(l));
            texts.append(lineText(*lines.last()));
            blankBefore.append(l == 0 && b > 0);
        }
    }
    qsizetype first = 0;
    qsizetype last = lines.size();
    QList<bool> dropped(lines.size(), false);
    if (page.wholePage) {
        while (first < last && survey.isRunningLine(texts.at(first), false))
            ++first;
        while (last > first && survey.isRunningLine(texts.at(last - 1), false))
            --last;
        dropMarginNumbers(dropped, blankBefore, texts, first, last);
        // What stood above the first line read is the page's top, not a break of the text.
        if (first < last)
            blankBefore[first] = false;
    }
    const qsizetype usual = usualLength(texts, dropped, first, last);
    PageReading reading;
    for (qsizetype i = first; i < last; ++i) {
        if (dropped.at(i))
            continue;
        ReadLine read;
        for (const LayoutWord& word : lines.at(i)->words)
            read.words.append({word.text, word.offset, word.text.size()});
        read.isShort = double(texts.at(i).size()) < double(usual) * ShortLineShare;
        read.startsParagraph = startsParagraph(texts.at(i), blankBefore.at(i));
        follow(read, texts.at(i));
        reading.lines.append(read);
    }
    if (page.wholePage)
        m_pageBreak = true;
    return reading;
}

bool PlainTextReader::startsParagraph(const QString& text, bool blankBefore) const
{
    if (m_lastLine.isEmpty() || isBareNumber(text) || m_paragraphIsNumber)
        return false;
    const bool lower = startsLowercase(text);
    const bool ends = endsSentence(m_lastLine);
    if (blankBefore)
        return ends || !lower;
    if (m_pageBreak)
        return ends && !lower;
    return ends && !lower && (m_lastShort || m_paragraphLength >= LongParagraph);
}

void PlainTextReader::follow(const ReadLine& read, const QString& text)
{
    if (read.startsParagraph || m_lastLine.isEmpty()) {
        m_paragraphLength = text.size();
        m_paragraphIsNumber = isBareNumber(text);
    } else {
        m_paragraphLength += text.size() + 1;
        m_paragraphIsNumber = false;
    }
    m_lastLine = text;
    m_lastShort = read.isShort;
    m_pageBreak = false;
}

} // namespace lectorix
