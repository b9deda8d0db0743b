#include "core/text/layout/page_reader.h"

#include <algorithm>

namespace lectorix {

namespace {

// A column of text is at least this wide, in the body's type size, or holds lines of this
// many words; narrower groups (list marks, labels, a date beside an address) are read with
// what stands beside them, row by row.
constexpr double TextColumnWidth = 15;
constexpr qsizetype TextColumnWords = 4;

} // namespace

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
