// The headings of a page, each read whole: over several lines, with its section's number.

#include "core/text/layout/page_reader.h"

#include <QRegularExpression>

#include <algorithm>
#include <cmath>

namespace lectorix {

namespace {

// A heading this short.
constexpr qsizetype HeadingWords = 16;
constexpr qsizetype HeadingLength = 100;
constexpr qsizetype HeadingLines = 6;
// Among lines of the body's type, a heading's letters are this much wider than the body's.
constexpr double HeadingAdvance = 1.05;
// A heading runs over at most this many lines.
constexpr int HeadingRows = 3;

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

} // namespace

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
                std::abs(verticalMiddle(t) - verticalMiddle(box)) <= 0.3 * title.height &&
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

} // namespace lectorix
