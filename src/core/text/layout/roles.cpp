#include "core/text/layout/page_reader.h"

#include "core/text/code_points.h"
#include "core/text/reading_range.h"
#include "core/text/text_language.h"

#include <QRegularExpression>

#include <algorithm>
#include <cmath>

namespace lectorix {

namespace {

// A drop capital stands at least this much taller than the body's type.
constexpr double DropCapSize = 1.8;
// A word of this many characters or more, this much taller than wide, is turned on its side.
constexpr qsizetype TurnedWordLength = 6;
constexpr double TurnedShape = 1.5;
// A page number stands at least this far (in the body's type size) from the page's text.
constexpr double PageNumberGap = 0.8;
// Words no further apart than this (in the body's type size) are one word parted by a change
// of type: a word space is wider.
constexpr double SmallCapsGap = 0.15;

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

// Three dots are an ellipsis ("and so on ..."), not a leader.
bool isLeader(const QString& word)
{
    static const QRegularExpression leader(QStringLiteral("^[.\\x{00B7}\\x{2026}\\s]+$"));
    return (leader.match(word).hasMatch() && (word.size() > 3 || word.count(QChar(0x2026)) > 1)) ||
           word.contains(QLatin1String("...."));
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
    return word.text.size() >= TurnedWordLength &&
           word.box.height() > TurnedShape * word.box.width();
}

bool isTurnedLine(const LayoutLine& line)
{
    if (line.words.isEmpty() || line.box.height() <= TurnedShape * line.box.width())
        return false;
    if (std::any_of(line.words.cbegin(), line.words.cend(), isRotated))
        return true;
    for (qsizetype w = 1; w < line.words.size(); ++w) {
        const LayoutBox& a = line.words.at(w - 1).box;
        const LayoutBox& b = line.words.at(w).box;
        const double overlap = 0.2 * std::min(a.width(), b.width());
        const bool across = b.xMin < a.xMax && a.xMin < b.xMax;
        const bool apart = b.yMin >= a.yMax - overlap || b.yMax <= a.yMin + overlap;
        if (!across || !apart)
            return false;
    }
    return line.words.size() > 1;
}

PageReader::PageReader(const LayoutPage& page, const DocumentSurvey& survey,
                       const std::optional<OpenTable>& openTable)
    : m_page(page), m_survey(survey), m_body(survey.measures()), m_openTable(openTable)
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

// pdftotext at times sets a drop capital, or the words of two lines, in one line. The words of
// a line turned on its side stand one under the other as they should.
bool PageReader::needsRepair(const LayoutBlock& block) const
{
    for (const LayoutLine& line : block.lines) {
        if (isTurnedLine(line))
            continue;
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
    if (!m_body.hasFrame)
        return false;
    const LayoutBox& box = line.line->box;
    const bool above = box.yMax <= m_body.frame.yMin + 0.3 * em();
    const bool below = box.yMin >= m_body.frame.yMax - 0.3 * em();
    if (!above && !below)
        return false;
    const QString text = lineText(*line.line);
    if (line.height >= HeadingSize * em())
        return m_survey.placeRepeats(text, box.yMin) > DocumentSurvey::RunningLinePages ||
               m_survey.numberedRepeats(text, box.yMin, m_page.number) >
                   DocumentSurvey::RunningLinePages;
    return m_survey.isRunningLine(text, true);
}

// A bare number at the page's top or foot, alone at its height but for lines left out, and
// set apart from the page's text: a page number, wherever the body's box ends.
bool PageReader::isPageNumber(const PageLine& line) const
{
    if (!isBareNumber(lineText(*line.line)))
        return false;
    const LayoutBox& box = line.line->box;
    double above = 1e9;
    double below = 1e9;
    for (const PageLine& other : std::as_const(m_lines)) {
        const LayoutBox& o = other.line->box;
        if (other.line == line.line || other.part == Part::Dropped || isTurnedLine(*other.line))
            continue;
        if (o.yMin < box.yMax && box.yMin < o.yMax)
            return false;
        if (o.yMax <= box.yMin)
            above = std::min(above, box.yMin - o.yMax);
        else
            below = std::min(below, o.yMin - box.yMax);
    }
    const double gap = PageNumberGap * em();
    return (above > 1e8 && below >= gap) || (below > 1e8 && above >= gap);
}

void PageReader::dropFurniture()
{
    // A word turned on its side is a mark in the margin, unless the page is turned as a whole
    // (a landscape page, text set vertically).
    QList<bool> rotated;
    for (const PageLine& line : std::as_const(m_lines))
        rotated.append(isTurnedLine(*line.line));
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
    for (PageLine& line : m_lines)
        if (line.part == Part::Undecided && isPageNumber(line))
            line.part = Part::Dropped;
    // Before footnotes are looked for: the page numbers of a table of contents, set small
    // below the body, begin as notes do.
    findContentsWithoutLeaders();
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
            joinCapitalsBeside(cap, target);
        }
    }
}

// The rest of a drop capital's word set in small capitals between it and its line ("I" "T" "is
// a truth"), which the converter may give as a line of its own: it begins the line.
void PageReader::joinCapitalsBeside(const PageLine& cap, int target)
{
    const LayoutBox& capBox = cap.line->box;
    const LayoutBox& box = m_lines.at(target).line->box;
    for (PageLine& rest : m_lines) {
        const LayoutBox& r = rest.line->box;
        if (rest.part != Part::Undecided || &rest == &m_lines.at(target) ||
            rest.line->words.size() > 2 || !rest.line->words.first().text.front().isUpper() ||
            r.xMin < capBox.xMax - 0.5 * em() || r.xMax > box.xMin + 0.1 * em() ||
            r.yMax < box.yMin || r.yMin > box.yMax)
            continue;
        LayoutLine joined{box, rest.line->words + m_lines.at(target).line->words};
        joined.box.xMin = r.xMin;
        m_repairedLines.push_back(joined);
        m_lines[target].line = &m_repairedLines.back();
        rest.part = Part::Dropped;
        return;
    }
}

void PageReader::keepSetting(const PageLine& line, QList<SpokenWord>& words) const
{
    const QList<LayoutWord>& source = line.line->words;
    const auto setAt = [&source](qsizetype offset) -> const LayoutWord* {
        const auto word =
            std::find_if(source.cbegin(), source.cend(),
                         [offset](const LayoutWord& w) { return w.offset == offset; });
        return word == source.cend() ? nullptr : &*word;
    };
    // A drop capital and a capital letter after it: "I" "T is a truth".
    if (line.dropCap >= 0 && words.size() > 1 && !source.isEmpty() &&
        words.at(1).offset == source.first().offset && words.at(1).text.size() == 1 &&
        words.at(1).text.front().isUpper())
        words[0].glued = true;
    for (qsizetype i = 1; i < words.size(); ++i) {
        const LayoutWord* before = setAt(words.at(i - 1).offset);
        const LayoutWord* after = setAt(words.at(i).offset);
        if (before == nullptr || after == nullptr ||
            after->box.xMin - before->box.xMax > SmallCapsGap * em())
            continue;
        // A capital and the smaller capitals after it, with no room between: the converter
        // parted them where the type changes ("J OHN", "I’ VE", "W ATSON ,", "T WENTY - NINE").
        const QString& previous = words.at(i - 1).text;
        const QString& next = words.at(i).text;
        const bool smallCapitals =
            (previous.back().isUpper() || isApostrophe(previous.back())) &&
            next.front().isUpper() && after->box.height() < 0.95 * before->box.height() &&
            std::none_of(next.cbegin(), next.cend(), [](QChar c) { return c.isLower(); });
        const bool punctuation = previous.back().isLetter() &&
                                 std::all_of(next.cbegin(), next.cend(),
                                             [](QChar c) { return c.isPunct() && !opensQuote(c); });
        const bool opening = std::all_of(previous.cbegin(), previous.cend(), [](QChar c) {
            return isHyphen(c) || (opensQuote(c) && c != QChar(0x2014));
        });
        if (smallCapitals || punctuation || (opening && next.front().isLetter()))
            words[i - 1].glued = true;
    }
    if (!words.isEmpty() && !source.isEmpty() && words.last().offset == source.last().offset &&
        source.last().text.endsWith(QChar(0x00AD)) && !words.last().text.endsWith(QChar(0x00AD)))
        words.last().text += QChar(0x00AD);
}

PageReading readPage(const LayoutPage& page, const DocumentSurvey& survey,
                     const std::optional<OpenTable>& openTable)
{
    return PageReader(page, survey, openTable).read();
}

} // namespace lectorix
