#include "core/text/layout/page_reader.h"

#include <QRegularExpression>

#include <algorithm>

namespace lectorix {

namespace {

// A gap between words this many times the body's type size parts two cells of a table, or two
// columns pdftotext set in one line.
constexpr double CellGap = 2.0;
// A gap this many times the narrowest of its line is no even spacing of a justified line.
constexpr double EvenGaps = 2.5;
// Footnotes are set at most this large, relative to the body's type.
constexpr double FootnoteSize = 0.9;
// A line of this many words or more is running text, no table's cell.
constexpr qsizetype TextLineWords = 6;

// The mark of a list's item or a section's number: "2.", "(3)", "b)", "1.1", "IV.", a bullet.
bool isListMark(const QString& text)
{
    static const QRegularExpression mark(QStringLiteral(
        "^(\\(?\\d{1,3}[.)]|\\d{1,3}(\\.\\d{1,3})+\\.?|\\(\\d{1,3}\\)|\\(?[a-z][.)]|"
        "[IVXivx]{1,5}[.)]|[\\x{2022}\\x{25AA}\\x{25E6}\\x{2023}\\x{2013}\\x{2014}*-])$"));
    return mark.match(text).hasMatch();
}

// Words, not a chart's numbers or a rule.
bool hasLetter(const LayoutLine& line)
{
    return std::any_of(line.words.cbegin(), line.words.cend(), [](const LayoutWord& word) {
        return std::any_of(word.text.cbegin(), word.text.cend(),
                           [](QChar c) { return c.isLetter(); });
    });
}

bool isWholeNumber(const QString& text)
{
    static const QRegularExpression number(QStringLiteral("^\\d{1,3}$"));
    return number.match(text).hasMatch();
}

} // namespace

// A printer's mark in the margin: a short word of letters and digits run together ("Co17").
bool isPrintersMark(const QString& text)
{
    static const QRegularExpression mark(
        QStringLiteral("^(\\p{L}{1,3}\\d{1,3}|\\d{1,3}\\p{L}{1,3})$"));
    return mark.match(text).hasMatch();
}

const LayoutLine* PageReader::keepLine(const LayoutLine& line)
{
    m_repairedLines.push_back(line);
    return &m_repairedLines.back();
}

// Text beyond the body's usual box is margin furniture, except for a table's columns: lines
// standing on a row beside short lines of the body's, more than one of them.
void PageReader::keepTableColumns()
{
    if (!m_body.hasFrame)
        return;
    QList<int> beside;
    for (qsizetype i = 0; i < m_lines.size(); ++i) {
        const PageLine& line = m_lines.at(i);
        const LayoutBox& box = line.line->box;
        const bool margin =
            box.xMax < m_body.frame.xMin - 0.3 * em() || box.xMin > m_body.frame.xMax + 0.3 * em();
        if (line.part != Part::Dropped || !margin || isPrintersMark(lineText(*line.line)) ||
            isBareNumber(lineText(*line.line)) || isRunningLine(line) ||
            std::any_of(line.line->words.cbegin(), line.line->words.cend(), isRotated))
            continue;
        const bool onRow = std::any_of(m_lines.cbegin(), m_lines.cend(), [&](const PageLine& o) {
            return o.part != Part::Dropped && !overlapsAcross(o.line->box, box) &&
                   std::abs(verticalMiddle(o.line->box) - verticalMiddle(box)) < 0.4 * em() &&
                   o.line->words.size() < TextLineWords;
        });
        if (onRow)
            beside.append(int(i));
    }
    if (beside.size() < 2)
        return;
    for (const int i : std::as_const(beside))
        m_lines[i].part = Part::Undecided;
}

void PageReader::splitWideGaps()
{
    QList<PageLine> lines;
    for (const PageLine& line : std::as_const(m_lines)) {
        const QList<LayoutWord>& words = line.line->words;
        // Justified lines of few long words space them widely, but evenly: a cell's gap is
        // wider than the gaps between the words of a cell.
        double narrowest = 1e9;
        for (qsizetype w = 1; w < words.size(); ++w)
            narrowest = std::min(narrowest, words.at(w).box.xMin - words.at(w - 1).box.xMax);
        QList<qsizetype> cuts;
        for (qsizetype w = 1; w < words.size(); ++w) {
            const double gap = words.at(w).box.xMin - words.at(w - 1).box.xMax;
            if (gap > CellGap * em() && (words.size() == 2 || gap > EvenGaps * narrowest))
                cuts.append(w);
        }
        if (line.part == Part::Dropped || cuts.isEmpty()) {
            lines.append(line);
            continue;
        }
        cuts.append(words.size());
        qsizetype from = 0;
        for (const qsizetype to : std::as_const(cuts)) {
            LayoutLine piece{words.at(from).box, words.mid(from, to - from)};
            for (const LayoutWord& word : std::as_const(piece.words))
                piece.box = unionOf(piece.box, word.box);
            PageLine split = line;
            split.line = keepLine(piece);
            split.cut = true;
            split.height = lineHeight(piece);
            lines.append(split);
            from = to;
        }
    }
    m_lines = lines;
}

void PageReader::joinListMarks()
{
    for (PageLine& mark : m_lines) {
        if ((mark.part != Part::Undecided && mark.part != Part::Heading) ||
            mark.line->words.size() != 1 || !isListMark(mark.line->words.first().text))
            continue;
        const LayoutBox& box = mark.line->box;
        PageLine* item = nullptr;
        for (PageLine& other : m_lines) {
            const LayoutBox& o = other.line->box;
            if (&other == &mark || (other.part != Part::Undecided && other.part != Part::Heading) ||
                std::abs(o.yMax - box.yMax) > 0.3 * em() || o.xMin < box.xMax ||
                o.xMin > box.xMax + 4 * em())
                continue;
            if (item == nullptr || o.xMin < item->line->box.xMin)
                item = &other;
        }
        if (item == nullptr)
            continue;
        LayoutLine joined{unionOf(box, item->line->box), mark.line->words + item->line->words};
        item->line = keepLine(joined);
        if (mark.part == Part::Heading)
            item->part = Part::Heading;
        mark.part = Part::Dropped;
    }
}

// A printer's mark left alone in a block of numbers taken as the lines' numbers goes with them.
void PageReader::dropMarksAmongNumbers()
{
    for (PageLine& line : m_lines) {
        if (line.part != Part::Undecided || !isPrintersMark(lineText(*line.line)))
            continue;
        const bool alone =
            std::all_of(m_lines.cbegin(), m_lines.cend(), [&](const PageLine& other) {
                return other.block != line.block || &other == &line || other.part == Part::Dropped;
            });
        if (alone && m_page.blocks.at(line.block).lines.size() > 1)
            line.part = Part::Dropped;
    }
}

// Numbered lines each set as a block of its own: five or more whole numbers at the left of
// everything else on their rows, right-aligned, counting up by one down the page.
void PageReader::dropLineNumbers()
{
    QList<int> numbers;
    for (qsizetype i = 0; i < m_lines.size(); ++i) {
        const PageLine& line = m_lines.at(i);
        if (line.part == Part::Undecided && line.line->words.size() == 1 &&
            isWholeNumber(line.line->words.first().text))
            numbers.append(int(i));
    }
    if (numbers.size() < 5)
        return;
    std::sort(numbers.begin(), numbers.end(), [this](int a, int b) {
        return m_lines.at(a).line->box.yMin < m_lines.at(b).line->box.yMin;
    });
    // The right edge most of the numbers share.
    double right = 0;
    qsizetype most = 0;
    for (const int i : std::as_const(numbers)) {
        const double edge = m_lines.at(i).line->box.xMax;
        const qsizetype sharing = std::count_if(numbers.cbegin(), numbers.cend(), [&](int j) {
            return std::abs(m_lines.at(j).line->box.xMax - edge) <= 0.5 * em();
        });
        if (sharing > most) {
            most = sharing;
            right = edge;
        }
    }
    QList<int> column;
    int steps = 0;
    int previous = -1;
    for (const int i : std::as_const(numbers)) {
        const LayoutBox& box = m_lines.at(i).line->box;
        const bool leftmost =
            std::none_of(m_lines.cbegin(), m_lines.cend(), [&](const PageLine& o) {
                return o.part != Part::Dropped && o.line->box.xMax <= box.xMin &&
                       std::abs(verticalMiddle(o.line->box) - verticalMiddle(box)) < 0.5 * em();
            });
        if (std::abs(right - box.xMax) > 0.5 * em() || !leftmost)
            continue;
        const int value = m_lines.at(i).line->words.first().text.toInt();
        steps += previous >= 0 && value == previous + 1 ? 1 : 0;
        previous = value;
        column.append(i);
    }
    if (column.size() < 5 || qsizetype(steps) * 5 < (column.size() - 1) * 4)
        return;
    for (const int i : std::as_const(column))
        m_lines[i].part = Part::Dropped;
}

// Footnotes are found column by column: small type below the last line of body type above it
// in its column, from a line that begins with a note's mark on.
void PageReader::findFootnotes()
{
    QList<int> below;
    for (qsizetype i = 0; i < m_lines.size(); ++i) {
        const PageLine& line = m_lines.at(i);
        if (line.part != Part::Undecided || line.height > FootnoteSize * em())
            continue;
        double columnBottom = -1;
        for (const PageLine& body : std::as_const(m_lines))
            if (body.part == Part::Undecided && isBodyType(body) &&
                overlapsAcross(body.line->box, line.line->box) && hasLetter(*body.line))
                columnBottom = std::max(columnBottom, body.line->box.yMax);
        if (columnBottom >= 0 && line.line->box.yMin >= columnBottom - 0.2 * em())
            below.append(int(i));
    }
    std::stable_sort(below.begin(), below.end(), [this](int a, int b) {
        return m_lines.at(a).line->box.yMin < m_lines.at(b).line->box.yMin;
    });
    for (const int i : std::as_const(below)) {
        const LayoutBox& box = m_lines.at(i).line->box;
        const auto mark = noteMark().match(m_lines.at(i).line->words.first().text);
        if (mark.hasMatch()) {
            m_noteStarts.append(i);
            m_noteMarks.insert(mark.captured(1));
            m_lines[i].part = Part::Footnote;
            continue;
        }
        // A note's further lines stand below its first, in the same column (its mark, set
        // apart, a little to their left).
        const bool continues = std::any_of(m_noteStarts.cbegin(), m_noteStarts.cend(), [&](int s) {
            const LayoutBox& start = m_lines.at(s).line->box;
            return start.yMin <= box.yMin &&
                   overlapsAcross({start.xMin, start.yMin, start.xMax + 2 * em(), start.yMax}, box);
        });
        if (continues)
            m_lines[i].part = Part::Footnote;
    }
}

} // namespace lectorix
