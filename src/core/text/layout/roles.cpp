#include "core/text/layout/page_reader.h"

#include "core/text/code_points.h"
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
// Footnotes are set at most this large, relative to the body's type.
constexpr double FootnoteSize = 0.9;
// A drop capital stands at least this much taller than the body's type.
constexpr double DropCapSize = 1.8;
// A word of this many characters or more, this much taller than wide, is turned on its side.
constexpr qsizetype TurnedWordLength = 6;
constexpr double TurnedShape = 1.5;
// Among lines of the body's type, a heading's letters are this much wider than the body's.
constexpr double HeadingAdvance = 1.05;
// A heading runs over at most this many lines.
constexpr int HeadingRows = 3;
// A page number stands at least this far (in the body's type size) from the page's text.
constexpr double PageNumberGap = 0.8;
// Words no further apart than this (in the body's type size) are one word parted by a change
// of type: a word space is wider.
constexpr double SmallCapsGap = 0.15;
// A page number ends a table of contents' entry at least this far (in the body's type size)
// from its title.
constexpr double EntryNumberGap = 0.6;
// Dots set apart, this many or more in a row, are a table of contents' leader.
constexpr qsizetype LeaderDots = 4;

double middleOf(const LayoutBox& box)
{
    return (box.yMin + box.yMax) / 2;
}

// How wide a character of the line is, on average.
double advanceOf(const LayoutLine& line)
{
    double width = 0;
    qsizetype characters = 0;
    for (const LayoutWord& word : line.words) {
        width += word.box.width();
        characters += word.text.size();
    }
    return characters > 0 ? width / double(characters) : 0;
}

// A section's number set before its heading: "4", "1.1", "3.4.1", "B.2", "A.1.".
bool isSectionNumber(const QString& text)
{
    static const QRegularExpression number(
        QStringLiteral("^(\\d{1,3}|[A-Z](?=\\.\\d))(\\.\\d{1,3}){0,4}\\.?$"));
    return number.match(text).hasMatch();
}

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
    if (!m_body.hasFrame)
        return false;
    const LayoutBox& box = line.line->box;
    const bool above = box.yMax <= m_body.frame.yMin + 0.3 * em();
    const bool below = box.yMin >= m_body.frame.yMax - 0.3 * em();
    if (!above && !below)
        return false;
    const QString text = lineText(*line.line);
    if (line.height >= HeadingSize * em())
        return m_survey.placeRepeats(text, box.yMin) > DocumentSurvey::RunningLinePages;
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

void PageReader::findFootnotes()
{
    double bodyBottom = -1;
    for (const PageLine& line : std::as_const(m_lines))
        if (line.part == Part::Undecided && isBodyType(line))
            bodyBottom = std::max(bodyBottom, line.line->box.yMax);
    if (bodyBottom < 0)
        return;
    QList<int> below;
    for (qsizetype i = 0; i < m_lines.size(); ++i) {
        const PageLine& line = m_lines.at(i);
        if (line.part == Part::Undecided && line.line->box.yMin >= bodyBottom - 0.2 * em() &&
            line.height <= FootnoteSize * em())
            below.append(int(i));
    }
    std::stable_sort(below.begin(), below.end(), [this](int a, int b) {
        return m_lines.at(a).line->box.yMin < m_lines.at(b).line->box.yMin;
    });
    for (const int i : std::as_const(below)) {
        const auto mark = noteMark().match(m_lines.at(i).line->words.first().text);
        if (mark.hasMatch()) {
            m_noteStarts.append(i);
            m_noteMarks.insert(mark.captured(1));
        }
        if (!m_noteStarts.isEmpty())
            m_lines[i].part = Part::Footnote;
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
    if (large > HeadingLines)
        return false;
    // Among lines of the body a line is a heading by its size, not by its face alone: italics
    // may be set taller but are no wider.
    const bool amidBody = std::any_of(m_lines.cbegin(), m_lines.cend(), [&](const PageLine& other) {
        return other.block == line.block && isBodyType(other);
    });
    return !amidBody || m_body.advance <= 0 ||
           advanceOf(*line.line) >= HeadingAdvance * m_body.advance;
}

// A dot leader set as dots apart (". . . ."), made one word, as when set close.
void PageReader::joinLeaderDots(PageLine& line)
{
    const QList<LayoutWord>& words = line.line->words;
    const auto isDots = [](const LayoutWord& word) {
        return std::all_of(word.text.cbegin(), word.text.cend(), [](QChar c) {
            return c == QLatin1Char('.') || c == QChar(0x00B7) || c == QChar(0x2026);
        });
    };
    qsizetype start = 0;
    while (start < words.size() && !isDots(words.at(start)))
        ++start;
    qsizetype end = start;
    while (end < words.size() && isDots(words.at(end)))
        ++end;
    if (end - start < LeaderDots)
        return;
    LayoutLine joined{line.line->box, words.mid(0, start)};
    LayoutWord leader = words.at(start);
    for (qsizetype w = start + 1; w < end; ++w) {
        leader.text += words.at(w).text;
        leader.box.xMax = words.at(w).box.xMax;
    }
    joined.words << leader << words.mid(end);
    m_repairedLines.push_back(joined);
    line.line = &m_repairedLines.back();
}

// A column of page numbers beside a table of contents goes, with the entries' own numbers;
// an entry without a leader beside one of its numbers is an entry too.
void PageReader::dropPageColumns()
{
    if (std::none_of(m_lines.cbegin(), m_lines.cend(),
                     [](const PageLine& line) { return line.part == Part::Contents; }))
        return;
    QHash<int, std::pair<int, int>> numbers; // by block: its numbers, and those already gone
    for (const PageLine& line : std::as_const(m_lines)) {
        auto& count = numbers[line.block];
        if (!isBareNumber(lineText(*line.line)) || count.first < 0)
            count.first = -1;
        else if (line.part == Part::Dropped || line.part == Part::Undecided)
            count = {count.first + 1, count.second + (line.part == Part::Dropped ? 1 : 0)};
    }
    for (PageLine& number : m_lines) {
        const auto count = numbers.value(number.block);
        if (number.part != Part::Undecided || count.first < 2 || count.second * 2 < count.first)
            continue;
        number.part = Part::Dropped;
        const LayoutBox& box = number.line->box;
        for (PageLine& entry : m_lines)
            if (entry.part == Part::Undecided && entry.line->box.xMax <= box.xMin &&
                std::abs(middleOf(entry.line->box) - middleOf(box)) <= 0.4 * em())
                entry.part = Part::Contents;
    }
}

// A table of contents' entry set without a leader ends with its page number, set apart by
// more than a word space: at most three digits, or a roman numeral.
bool PageReader::endsWithPageNumber(const LayoutLine& line) const
{
    const QList<LayoutWord>& words = line.words;
    if (words.size() < 2 || !isBareNumber(words.last().text) ||
        std::count_if(words.last().text.cbegin(), words.last().text.cend(),
                      [](QChar c) { return c.isDigit(); }) > 3)
        return false;
    const double gap = words.last().box.xMin - words.at(words.size() - 2).box.xMax;
    if (gap < EntryNumberGap * em())
        return false;
    for (qsizetype w = 1; w + 1 < words.size(); ++w)
        if (words.at(w).box.xMin - words.at(w - 1).box.xMax >= gap)
            return false;
    return true;
}

// Entries ending with page numbers that never go down, three or more on a page, are a table
// of contents: each is read as its title alone, as are the other lines of their blocks (an
// entry whose number the converter set apart), and the numbers set apart go.
void PageReader::findContentsWithoutLeaders()
{
    QList<int> entries;
    int previous = 0;
    for (qsizetype i = 0; i < m_lines.size(); ++i) {
        if (m_lines.at(i).part != Part::Undecided || !endsWithPageNumber(*m_lines.at(i).line))
            continue;
        bool arabic = false;
        const int number = m_lines.at(i).line->words.last().text.toInt(&arabic);
        if (arabic && number < previous)
            return;
        previous = arabic ? number : previous;
        entries.append(int(i));
    }
    if (entries.size() < 3)
        return;
    QHash<int, std::pair<int, int>> blocks; // by block: its lines undecided, and its entries
    for (const PageLine& line : std::as_const(m_lines))
        blocks[line.block].first += line.part == Part::Undecided ? 1 : 0;
    for (const int i : std::as_const(entries)) {
        PageLine& line = m_lines[i];
        ++blocks[line.block].second;
        m_repairedLines.push_back(
            {line.line->box, line.line->words.mid(0, line.line->words.size() - 1)});
        line.line = &m_repairedLines.back();
        line.part = Part::Contents;
    }
    for (PageLine& line : m_lines) {
        const auto counts = blocks.value(line.block);
        if (line.part == Part::Undecided && counts.second * 3 >= counts.first * 2 &&
            line.height < HeadingSize * em())
            line.part = Part::Contents;
    }
    for (PageLine& number : m_lines) {
        const LayoutBox& box = number.line->box;
        if (number.part == Part::Undecided && isBareNumber(lineText(*number.line)) &&
            std::any_of(m_lines.cbegin(), m_lines.cend(), [&](const PageLine& entry) {
                return entry.part == Part::Contents && entry.line->box.xMax <= box.xMin &&
                       std::abs(middleOf(entry.line->box) - middleOf(box)) <= 0.4 * em();
            }))
            number.part = Part::Dropped;
    }
}

void PageReader::findHeadingsAndContents()
{
    for (PageLine& line : m_lines)
        if (line.part == Part::Undecided)
            joinLeaderDots(line);
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
    dropPageColumns();
    joinHeadings();
}

// A heading set over two or three lines, or with its section's number set apart before it, is
// read as one line, in the place of the line read first.
void PageReader::joinHeadings()
{
    for (qsizetype n = 0; n < m_lines.size(); ++n) {
        const PageLine& number = m_lines.at(n);
        if ((number.part != Part::Undecided && number.part != Part::Heading) ||
            !isSectionNumber(lineText(*number.line)))
            continue;
        const LayoutBox& box = number.line->box;
        for (qsizetype h = 0; h < m_lines.size(); ++h) {
            const PageLine& title = m_lines.at(h);
            const LayoutBox& t = title.line->box;
            if (h != n && title.part == Part::Heading &&
                std::abs(middleOf(t) - middleOf(box)) <= 0.3 * title.height &&
                t.xMin >= box.xMax - 0.1 * em() && t.xMin <= box.xMax + 4 * em() &&
                std::abs(number.height - title.height) <= 0.2 * title.height) {
                joinLines(n, h);
                break;
            }
        }
    }
    for (qsizetype i = 0; i < m_lines.size(); ++i) {
        for (int row = 1; row < HeadingRows && m_lines.at(i).part == Part::Heading; ++row) {
            const PageLine& heading = m_lines.at(i);
            const LayoutBox& box = heading.line->box;
            // The next line down that shares some of the heading's width.
            qsizetype next = -1;
            for (qsizetype j = 0; j < m_lines.size(); ++j) {
                const LayoutBox& o = m_lines.at(j).line->box;
                if (j != i && m_lines.at(j).part != Part::Dropped &&
                    o.yMin >= box.yMax - 0.3 * heading.height && o.xMin < box.xMax &&
                    box.xMin < o.xMax && (next < 0 || o.yMin < m_lines.at(next).line->box.yMin))
                    next = j;
            }
            if (next < 0 || m_lines.at(next).part != Part::Heading ||
                std::abs(m_lines.at(next).height - heading.height) > 0.15 * heading.height ||
                m_lines.at(next).line->box.yMin - box.yMax > 0.8 * heading.height)
                break;
            joinLines(i, next);
        }
    }
}

// Reads the lines at first and second as one, first's words before second's, in the place of
// the one read first; the other is left out.
void PageReader::joinLines(qsizetype first, qsizetype second)
{
    const LayoutLine& a = *m_lines.at(first).line;
    const LayoutLine& b = *m_lines.at(second).line;
    LayoutLine joined{{std::min(a.box.xMin, b.box.xMin), std::min(a.box.yMin, b.box.yMin),
                       std::max(a.box.xMax, b.box.xMax), std::max(a.box.yMax, b.box.yMax)},
                      a.words + b.words};
    m_repairedLines.push_back(joined);
    const qsizetype kept = std::min(first, second);
    PageLine& line = m_lines[kept];
    line.line = &m_repairedLines.back();
    line.height = std::max(m_lines.at(first).height, m_lines.at(second).height);
    line.part = Part::Heading;
    m_lines[first + second - kept].part = Part::Dropped;
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
        const bool smallCapitals = (previous.back().isUpper() || isApostrophe(previous.back())) &&
                                   next.front().isUpper() &&
                                   after->box.height() < 0.95 * before->box.height();
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
