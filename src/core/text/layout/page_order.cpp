#include "core/text/layout/page_reader.h"

#include <QRegularExpression>

#include <algorithm>
#include <numeric>

namespace lectorix {

namespace {

// A gap between words this many times the body's type size parts two cells of a table, or two
// columns pdftotext set in one line.
constexpr double CellGap = 2.0;
// A gap this many times the narrowest of its line is no even spacing of a justified line.
constexpr double EvenGaps = 2.5;
// Footnotes are set at most this large, relative to the body's type.
constexpr double FootnoteSize = 0.9;
// A column of text is at least this wide, in the body's type size, or holds lines of this
// many words; narrower groups (list marks, labels, a date beside an address) are read with
// what stands beside them, row by row.
constexpr double TextColumnWidth = 15;
constexpr qsizetype TextColumnWords = 4;

double middleOf(const LayoutBox& box)
{
    return (box.yMin + box.yMax) / 2;
}

LayoutBox unionOf(const LayoutBox& a, const LayoutBox& b)
{
    return {std::min(a.xMin, b.xMin), std::min(a.yMin, b.yMin), std::max(a.xMax, b.xMax),
            std::max(a.yMax, b.yMax)};
}

bool overlapsAcross(const LayoutBox& a, const LayoutBox& b)
{
    return a.xMin < b.xMax && b.xMin < a.xMax;
}

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
                   std::abs(middleOf(o.line->box) - middleOf(box)) < 0.4 * em() &&
                   o.line->words.size() < TextColumnWords + 2;
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
            split.part = line.part == Part::TableRow ? Part::Undecided : line.part;
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
                       std::abs(middleOf(o.line->box) - middleOf(box)) < 0.5 * em();
            });
        if (std::abs(right - box.xMax) > 0.5 * em() || !leftmost)
            continue;
        const int value = m_lines.at(i).line->words.first().text.toInt();
        steps += previous >= 0 && value == previous + 1 ? 1 : 0;
        previous = value;
        column.append(i);
    }
    if (column.size() < 5 || steps * 5 < (column.size() - 1) * 4)
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

bool PageReader::isTextColumn(const QList<PageUnit>& group) const
{
    LayoutBox box = group.first().box;
    QList<qsizetype> words;
    for (const PageUnit& unit : group) {
        box = unionOf(box, unit.box);
        for (const int i : unit.lines)
            words.append(m_lines.at(i).line->words.size());
    }
    if (box.width() >= TextColumnWidth * em() || group.first().table >= 0)
        return true;
    std::sort(words.begin(), words.end());
    return words.size() >= 3 && words.at(words.size() / 2) >= TextColumnWords;
}

namespace {

// Units side by side: groups with nothing crossing the gaps between them, left to right.
QList<QList<PageUnit>> columnsOf(QList<PageUnit> units, double tolerance)
{
    std::sort(units.begin(), units.end(),
              [](const PageUnit& a, const PageUnit& b) { return a.box.xMin < b.box.xMin; });
    QList<QList<PageUnit>> groups;
    double right = -1e9;
    for (const PageUnit& unit : units) {
        if (groups.isEmpty() || unit.box.xMin >= right - tolerance)
            groups.append(QList<PageUnit>());
        groups.last().append(unit);
        right = std::max(right, unit.box.xMax);
    }
    return groups;
}

// Units one above another: bands with nothing crossing the gaps between them, top to bottom.
QList<QList<PageUnit>> bandsOf(QList<PageUnit> units, double tolerance)
{
    std::sort(units.begin(), units.end(),
              [](const PageUnit& a, const PageUnit& b) { return a.box.yMin < b.box.yMin; });
    QList<QList<PageUnit>> bands;
    double bottom = -1e9;
    for (const PageUnit& unit : units) {
        if (bands.isEmpty() || unit.box.yMin >= bottom - tolerance)
            bands.append(QList<PageUnit>());
        bands.last().append(unit);
        bottom = std::max(bottom, unit.box.yMax);
    }
    return bands;
}

LayoutBox boxOf(const QList<PageUnit>& units)
{
    LayoutBox box = units.first().box;
    for (const PageUnit& unit : units)
        box = unionOf(box, unit.box);
    return box;
}

} // namespace

// Columns of text are read one after another; what is too narrow to be a column (a list's
// marks, labels) is read with the units beside it. Where nothing parts the units into columns,
// they are read band by band from the top; bands that share a column's gutter are read as
// one, column by column. Units that neither parts are read in pdftotext's order.
void PageReader::orderUnits(QList<PageUnit> units, QList<PageUnit>& ordered, int depth) const
{
    const double tolerance = 0.1 * em();
    // What is too narrow to be a column goes with the column to its right, which it marks or
    // labels, or with the last one.
    auto columns = [&](const QList<PageUnit>& set) {
        QList<QList<PageUnit>> groups;
        QList<PageUnit> pending;
        for (const QList<PageUnit>& group : columnsOf(set, tolerance)) {
            pending += group;
            if (isTextColumn(group)) {
                groups.append(pending);
                pending.clear();
            }
        }
        if (groups.isEmpty())
            groups.append(pending);
        else
            groups.last() += pending;
        return groups;
    };
    if (units.size() > 1 && depth < 32) {
        const QList<QList<PageUnit>> groups = columns(units);
        if (groups.size() > 1) {
            for (const QList<PageUnit>& group : groups)
                orderUnits(group, ordered, depth + 1);
            return;
        }
        QList<QList<PageUnit>> bands = bandsOf(units, tolerance);
        if (bands.size() > 1) {
            // Bands whose columns share a gutter are one stretch of columns.
            auto gutters = [&](const QList<PageUnit>& band) {
                QList<std::pair<double, double>> gaps;
                const QList<QList<PageUnit>> parts = columns(band);
                for (qsizetype i = 1; i < parts.size(); ++i)
                    gaps.append({boxOf(parts.at(i - 1)).xMax, boxOf(parts.at(i)).xMin});
                return gaps;
            };
            QList<QList<PageUnit>> merged{bands.first()};
            for (qsizetype i = 1; i < bands.size(); ++i) {
                const auto above = gutters(merged.last());
                const auto here = gutters(bands.at(i));
                const bool shared = std::any_of(above.cbegin(), above.cend(), [&](auto a) {
                    return std::any_of(here.cbegin(), here.cend(), [&](auto b) {
                        return a.first < b.second && b.first < a.second;
                    });
                });
                if (shared)
                    merged.last() += bands.at(i);
                else
                    merged.append(bands.at(i));
            }
            if (merged.size() > 1)
                bands = merged;
            for (const QList<PageUnit>& band : std::as_const(bands))
                orderUnits(band, ordered, depth + 1);
            return;
        }
    }
    std::sort(units.begin(), units.end(), [](const PageUnit& a, const PageUnit& b) {
        return a.lines.first() < b.lines.first();
    });
    ordered += units;
}

QList<PageUnit> PageReader::readingOrder() const
{
    QList<PageUnit> units;
    for (qsizetype t = 0; t < m_tables.size(); ++t) {
        PageUnit unit;
        unit.table = int(t);
        for (const QList<QList<int>>& row : m_tables.at(t).rows)
            for (const QList<int>& cell : row)
                unit.lines += cell;
        std::sort(unit.lines.begin(), unit.lines.end());
        units.append(unit);
    }
    for (int block = 0; block < int(m_page.blocks.size()); ++block) {
        for (const bool notes : {false, true}) {
            // A block's lines of one kind, parted where pdftotext set two columns in one.
            // A table taken from among a block's lines parts the lines above it from those
            // below.
            QList<PageUnit> parts;
            qsizetype from = 0;
            for (qsizetype i = 0; i < m_lines.size(); ++i) {
                const PageLine& line = m_lines.at(i);
                const bool read = line.part == Part::Undecided || line.part == Part::Heading ||
                                  line.part == Part::Contents || line.part == Part::TableRow;
                if (line.block == block && m_tableOfLine.contains(int(i)))
                    from = parts.size();
                if (line.block != block || m_tableOfLine.contains(int(i)) ||
                    (notes ? line.part != Part::Footnote : !read))
                    continue;
                // pdftotext's own lines of a block stay together, pieces of a justified line
                // too; lines cut apart go with the part they stand over.
                auto part =
                    std::find_if(parts.begin() + from, parts.end(), [&](const PageUnit& unit) {
                        return line.cut ? overlapsAcross(unit.box, line.line->box) : !unit.cut;
                    });
                if (part == parts.end()) {
                    parts.append(PageUnit{line.line->box, block, -1, notes, line.cut, {}});
                    part = parts.end() - 1;
                }
                part->lines.append(int(i));
                part->box = unionOf(part->box, line.line->box);
            }
            units += parts;
        }
    }
    for (PageUnit& unit : units) {
        unit.box = m_lines.at(unit.lines.first()).line->box;
        for (const int i : std::as_const(unit.lines))
            unit.box = unionOf(unit.box, m_lines.at(i).line->box);
    }
    QList<PageUnit> ordered;
    orderUnits(units, ordered, 0);
    return ordered;
}

} // namespace lectorix
