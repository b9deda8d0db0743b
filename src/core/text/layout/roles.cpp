#include "core/text/layout/page_reader.h"

#include "core/text/reading_range.h"
#include "core/text/text_language.h"

#include <QRegularExpression>

#include <algorithm>
#include <cmath>

namespace lectorix {

namespace {

// Heading type is at least this much larger than the body's, and a heading this short.
constexpr double HeadingSize = 1.15;
constexpr qsizetype HeadingWords = 16;
constexpr qsizetype HeadingLength = 100;
constexpr qsizetype HeadingLines = 6;
// A drop capital stands at least this much taller than the body's type.
constexpr double DropCapSize = 1.8;
// A line's number, as a printer sets it beside the text ("12"; a mark may stand beside it, "S32"
// or "32 S"); -1 for any other line. Pages are not a thousand lines long: a column of years is
// a table's.
int lineNumber(const QString& text)
{
    static const QRegularExpression number(QStringLiteral("^[A-Z]?\\s?(\\d{1,3})\\s?[A-Z]?$"));
    const auto match = number.match(text);
    return match.hasMatch() ? match.captured(1).toInt() : -1;
}

// Numbered lines: a narrow column of five or more numbers beside the text, counting up by one.
// The text's own lines are numbered, not read. A word of the text pdftotext set into the column
// does not hide it.
bool isLineNumberColumn(const LayoutBlock& block, double em)
{
    if (block.lines.size() < 5 || block.box.width() > 3 * em)
        return false;
    int previous = -1;
    int steps = 0;
    for (const LayoutLine& line : block.lines) {
        const int value = lineNumber(lineText(line));
        steps += value >= 0 && (previous < 0 || value == previous + 1) ? 1 : 0;
        previous = value >= 0 ? value : previous + 1;
    }
    return qsizetype(steps) * 5 >= block.lines.size() * 4;
}

} // namespace

// A footnote's mark: a number or a typographer's symbol.
const QRegularExpression& noteMark()
{
    static const QRegularExpression mark(
        QStringLiteral("^(\\d{1,3}|[*\\x{2020}\\x{2021}\\x{00A7}\\x{00B6}]{1,3})"));
    return mark;
}

bool isLeader(const QString& word)
{
    static const QRegularExpression leader(QStringLiteral("^[.\\x{00B7}\\x{2026}\\s]{3,}$"));
    return leader.match(word).hasMatch() || word.contains(QLatin1String("...."));
}

bool opensQuote(QChar c)
{
    static const QString quotes = QStringLiteral("\"'\u201C\u201E\u00AB\u2018\u201A\u2014");
    return quotes.contains(c);
}

bool endsSentence(const QString& text)
{
    qsizetype i = text.size() - 1;
    while (i >= 0 && closesQuote(text[i]))
        --i;
    return i >= 0 && marksSentenceEnd(text[i]);
}

bool isRotated(const LayoutWord& word)
{
    return word.text.size() >= 3 && word.box.height() > 1.5 * word.box.width();
}

PageReader::PageReader(const LayoutPage& page, const DocumentSurvey& survey)
    : m_page(page), m_survey(survey), m_body(survey.measures())
{
    for (qsizetype b = 0; b < page.blocks.size(); ++b) {
        const LayoutBlock& block = page.blocks.at(b);
        if (em() > 0 && needsRepair(block)) {
            repairLines(block, int(b));
            continue;
        }
        for (const LayoutLine& line : block.lines)
            if (!line.words.isEmpty())
                m_lines.append({&line, int(b), lineHeight(line)});
    }
}

// pdftotext at times sets a drop capital, or the words of two lines, in one line.
bool PageReader::needsRepair(const LayoutBlock& block) const
{
    for (const LayoutLine& line : block.lines) {
        double low = 1e9;
        double high = -1e9;
        for (const LayoutWord& word : line.words) {
            low = std::min(low, word.box.yMax);
            high = std::max(high, word.box.yMax);
        }
        if (line.words.size() > 1 && high - low > 0.6 * em())
            return true;
    }
    return false;
}

// Sets the block's lines again from where its words stand: a drop capital on a line of its
// own, the other words by their baselines, each line from left to right.
void PageReader::repairLines(const LayoutBlock& block, int index)
{
    QList<LayoutWord> words;
    for (const LayoutLine& line : block.lines)
        words += line.words;
    std::stable_sort(words.begin(), words.end(), [](const LayoutWord& a, const LayoutWord& b) {
        return a.box.yMax < b.box.yMax;
    });
    QList<LayoutLine> lines;
    QList<LayoutLine> capitals;
    for (const LayoutWord& word : std::as_const(words)) {
        if (word.text.size() <= 2 && word.box.height() >= DropCapSize * em()) {
            capitals.append({word.box, {word}});
            continue;
        }
        if (lines.isEmpty() || word.box.yMax - lines.last().words.first().box.yMax > 0.4 * em())
            lines.append({word.box, {}});
        LayoutLine& line = lines.last();
        line.words.append(word);
        line.box = {std::min(line.box.xMin, word.box.xMin), std::min(line.box.yMin, word.box.yMin),
                    std::max(line.box.xMax, word.box.xMax), std::max(line.box.yMax, word.box.yMax)};
    }
    lines += capitals;
    std::stable_sort(lines.begin(), lines.end(), [](const LayoutLine& a, const LayoutLine& b) {
        return a.box.yMin < b.box.yMin;
    });
    for (LayoutLine& line : lines) {
        if (line.words.isEmpty())
            continue;
        std::sort(line.words.begin(), line.words.end(),
                  [](const LayoutWord& a, const LayoutWord& b) { return a.box.xMin < b.box.xMin; });
        m_repairedLines.push_back(line);
        m_lines.append({&m_repairedLines.back(), index, lineHeight(line)});
    }
}

bool PageReader::isRunningLine(const PageLine& line) const
{
    if (!m_body.hasFrame || line.height >= HeadingSize * em())
        return false;
    const LayoutBox& box = line.line->box;
    const bool above = box.yMax <= m_body.frame.yMin + 0.3 * em();
    const bool below = box.yMin >= m_body.frame.yMax - 0.3 * em();
    if (!above && !below)
        return false;
    const QString text = lineText(*line.line);
    return m_survey.isRunningLine(text, true);
}

void PageReader::dropFurniture()
{
    // A word turned on its side is a mark in the margin, unless the page is turned as a whole
    // (a landscape page, text set vertically).
    QList<bool> rotated;
    for (const PageLine& line : std::as_const(m_lines))
        rotated.append(line.line->box.height() > 1.5 * line.line->box.width() &&
                       std::any_of(line.line->words.cbegin(), line.line->words.cend(), isRotated));
    m_pageTurned = rotated.count(true) * 2 >= rotated.size();
    for (qsizetype i = 0; i < m_lines.size(); ++i) {
        PageLine& line = m_lines[i];
        const LayoutBox& box = line.line->box;
        const bool margin = m_body.hasFrame && (box.xMax < m_body.frame.xMin - 0.3 * em() ||
                                                box.xMin > m_body.frame.xMax + 0.3 * em());
        if ((rotated.at(i) && !m_pageTurned) || margin || isRunningLine(line) ||
            (lineNumber(lineText(*line.line)) >= 0 &&
             isLineNumberColumn(m_page.blocks.at(line.block), em())))
            line.part = Part::Dropped;
    }
}

void PageReader::findDropCaps()
{
    for (qsizetype c = 0; c < m_lines.size(); ++c) {
        PageLine& cap = m_lines[c];
        if (cap.part != Part::Undecided || cap.line->words.size() != 1 ||
            cap.line->words.first().text.size() > 2 || cap.height < DropCapSize * em() ||
            !cap.line->words.first().text.front().isLetter())
            continue;
        const LayoutBox& capBox = cap.line->box;
        int target = -1;
        for (qsizetype i = 0; i < m_lines.size(); ++i) {
            const LayoutBox& box = m_lines.at(i).line->box;
            if (i == c || m_lines.at(i).part != Part::Undecided || !isBodyType(m_lines.at(i)) ||
                box.yMin < capBox.yMin - 0.5 * em() || box.yMin >= capBox.yMax ||
                box.xMin < capBox.xMax - 0.5 * em() || box.xMin > capBox.xMax + 3 * em())
                continue;
            if (target < 0 || box.yMin < m_lines.at(target).line->box.yMin)
                target = int(i);
        }
        if (target >= 0) {
            cap.part = Part::DropCap;
            m_lines[target].dropCap = int(c);
        }
    }
}

// Larger type than the body's, short, holding a word, in a block of few such lines (a block
// of many is text set large).
bool PageReader::isHeading(const PageLine& line) const
{
    if (line.height < HeadingSize * em() || line.line->words.size() > HeadingWords ||
        lineText(*line.line).size() > HeadingLength)
        return false;
    const QString text = lineText(*line.line);
    if (std::none_of(text.cbegin(), text.cend(), [](QChar c) { return c.isLetter(); }))
        return false;
    const auto large = std::count_if(m_lines.cbegin(), m_lines.cend(), [&](const PageLine& other) {
        return other.block == line.block && other.height >= HeadingSize * em();
    });
    return large <= HeadingLines;
}

void PageReader::findHeadingsAndContents()
{
    for (qsizetype i = 0; i < m_lines.size(); ++i) {
        PageLine& line = m_lines[i];
        if (line.part != Part::Undecided)
            continue;
        const QList<LayoutWord>& words = line.line->words;
        if (isHeading(line)) {
            line.part = Part::Heading;
        } else if (std::any_of(words.cbegin(), words.cend(),
                               [](const LayoutWord& word) { return isLeader(word.text); })) {
            line.part = Part::Contents;
            findEntryBeside(i);
        } else {
            for (qsizetype w = 1; w < words.size(); ++w)
                if (words.at(w).box.xMin - words.at(w - 1).box.xMax > 2 * em())
                    line.part = Part::TableRow;
        }
    }
}

// A dot leader set apart from its entry: the title before it is the entry, the page number
// after it goes.
void PageReader::findEntryBeside(qsizetype leader)
{
    const LayoutBox& box = m_lines.at(leader).line->box;
    const double middle = (box.yMin + box.yMax) / 2;
    for (PageLine& line : m_lines) {
        const LayoutBox& other = line.line->box;
        if ((line.part != Part::Undecided && line.part != Part::Dropped) ||
            std::abs((other.yMin + other.yMax) / 2 - middle) > 0.4 * em())
            continue;
        if (other.xMax <= box.xMin + 0.5 * em())
            line.part = Part::Contents;
        else if (other.xMin >= box.xMax - 0.5 * em() && isBareNumber(lineText(*line.line)))
            line.part = Part::Dropped;
    }
}

PageReading readPage(const LayoutPage& page, const DocumentSurvey& survey)
{
    return PageReader(page, survey).read();
}

} // namespace lectorix
