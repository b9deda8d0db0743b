#include "core/text/layout/page_reader.h"

#include "core/text/code_points.h"

#include <QRegularExpression>
#include <QSet>

#include <algorithm>

namespace lectorix {

namespace {

// Cells of a table hold at most this many words a line, as a rule; a table whose cells run
// longer shows itself by rows that start together in several columns.
constexpr qsizetype CellWords = 4;
// Lines of this many words a line, as a rule, are running text.
constexpr qsizetype ProseWords = 6;
// Rows of a table stand at most this far apart, in the body's type size.
constexpr double RowGap = 2.5;

bool hasDigit(const QString& text)
{
    return std::any_of(text.cbegin(), text.cend(), [](QChar c) { return c.isDigit(); });
}

void endCell(QList<SpokenWord>& words)
{
    if (!words.isEmpty() && !words.last().text.back().isPunct())
        words.last().text += QLatin1Char(',');
}

} // namespace

// Lines that stand side by side on a row, parted by gaps, row after row, make a table when
// their cells are short, or when rows of longer cells start together in several columns (an
// action plan, a schedule). Columns of running text (justified lines of many words whose rows
// never start together) are no table.
void PageReader::findTables()
{
    QList<int> candidates;
    for (qsizetype i = 0; i < m_lines.size(); ++i) {
        const Part part = m_lines.at(i).part;
        if ((part == Part::Undecided || part == Part::TableRow || part == Part::Heading) &&
            !isPrintersMark(lineText(*m_lines.at(i).line)))
            candidates.append(int(i));
    }
    std::sort(candidates.begin(), candidates.end(), [this](int a, int b) {
        return verticalMiddle(m_lines.at(a).line->box) < verticalMiddle(m_lines.at(b).line->box);
    });
    // Visual rows: lines whose middles stand within half a line of the row's first.
    QList<QList<int>> rows;
    double rowMiddle = 0;
    for (const int i : std::as_const(candidates)) {
        const double middle = verticalMiddle(m_lines.at(i).line->box);
        if (rows.isEmpty() || middle - rowMiddle > 0.5 * em()) {
            rows.append(QList<int>());
            rowMiddle = middle;
        }
        rows.last().append(i);
    }
    // Lines of one block side by side are a justified line pdftotext set in pieces, unless
    // they were cut apart at a cell's gap.
    auto sideBySide = [this](const QList<int>& row) {
        for (qsizetype a = 0; a < row.size(); ++a)
            for (qsizetype b = a + 1; b < row.size(); ++b) {
                const PageLine& x = m_lines.at(row.at(a));
                const PageLine& y = m_lines.at(row.at(b));
                if ((x.line->box.xMax <= y.line->box.xMin ||
                     y.line->box.xMax <= x.line->box.xMin) &&
                    (x.block != y.block || x.cut || y.cut))
                    return true;
            }
        return false;
    };
    // Runs of rows with cells side by side, close above one another; a row of one line that
    // spans the run's cells (a paragraph) ends it. A chart's scale ends it too, and a run of
    // words without numbers right above the scale names the chart's bars: neither is read.
    QList<QList<int>> run;
    double runLeft = 1e9;
    double runRight = -1e9;
    double runBottom = -1e9;
    auto close = [&] {
        if (isTableRun(run))
            addTable(run);
        run.clear();
        runLeft = 1e9;
        runRight = -1e9;
    };
    // A chart's scale among a table's rows: ticks in equal steps from left to right, from
    // nought or in shares ("0 5 10 15", "20% 40% 60%"); a row of years or amounts is the table's.
    static const QRegularExpression tick(QStringLiteral("^[-\\x{2212}]?\\d{1,4}%?$"));
    auto isChartScale = [this](QList<int> row, bool across = true) {
        if (row.size() < 3)
            return false;
        std::sort(row.begin(), row.end(), [this, across](int a, int b) {
            const LayoutBox& x = m_lines.at(a).line->box;
            const LayoutBox& y = m_lines.at(b).line->box;
            return across ? x.xMin < y.xMin : y.yMin < x.yMin;
        });
        QList<int> values;
        bool shares = false;
        for (const int i : row) {
            QString text = lineText(*m_lines.at(i).line);
            if (!tick.match(text).hasMatch())
                return false;
            shares = shares || text.endsWith(QLatin1Char('%'));
            text.remove(QLatin1Char('%')).replace(QChar(0x2212), QLatin1Char('-'));
            values.append(text.toInt());
        }
        const int step = values.at(1) - values.at(0);
        for (qsizetype v = 2; v < values.size(); ++v)
            if (values.at(v) - values.at(v - 1) != step)
                return false;
        return step != 0 && (shares || values.first() == 0);
    };
    auto dropChartLabels = [&] {
        const bool labels =
            !run.isEmpty() && std::all_of(run.cbegin(), run.cend(), [this](const QList<int>& row) {
                return std::none_of(row.cbegin(), row.cend(), [this](int i) {
                    const QString text = lineText(*m_lines.at(i).line);
                    return hasDigit(text) || endsSentence(text);
                });
            });
        for (const QList<int>& row : std::as_const(run))
            for (const int i : row)
                m_lines[i].part = labels ? Part::Dropped : m_lines.at(i).part;
        if (labels)
            run.clear();
    };
    for (const QList<int>& row : std::as_const(rows)) {
        double top = 1e9;
        double bottom = -1e9;
        double left = 1e9;
        double right = -1e9;
        for (const int i : row) {
            const LayoutBox& box = m_lines.at(i).line->box;
            top = std::min(top, box.yMin);
            bottom = std::max(bottom, box.yMax);
            left = std::min(left, box.xMin);
            right = std::max(right, box.xMax);
        }
        const bool cells = sideBySide(row);
        if (cells && isChartScale(row)) {
            if (top - runBottom <= RowGap * em())
                dropChartLabels();
            close();
            for (const int i : row)
                m_lines[i].part = Part::Dropped;
            continue;
        }
        // A cell's further line stands right under the line above.
        const bool continues =
            !run.isEmpty() && top - runBottom <= RowGap * em() &&
            (cells || (row.size() == 1 && top - runBottom < 0.5 * em() && left > runLeft - em() &&
                       right < runRight + em() && right - left < 0.6 * (runRight - runLeft)));
        if (!continues)
            close();
        if (cells || !run.isEmpty()) {
            run.append(row);
            runLeft = std::min(runLeft, left);
            runRight = std::max(runRight, right);
            runBottom = bottom;
        }
    }
    close();
    // A row of three or more ticks side by side outside a table is a chart's scale too, not
    // read; amounts are read.
    for (const QList<int>& row : std::as_const(rows)) {
        const bool scale = row.size() >= 3 && sideBySide(row) &&
                           std::all_of(row.cbegin(), row.cend(), [this](int i) {
                               return !m_tableOfLine.contains(i) &&
                                      tick.match(lineText(*m_lines.at(i).line)).hasMatch();
                           });
        if (scale)
            for (const int i : row)
                m_lines[i].part = Part::Dropped;
    }
    // A scale up a chart's side: ticks alone on their lines, one under the other, their right
    // edges together.
    QList<QList<int>> stacks;
    for (const int i : std::as_const(candidates)) {
        if (m_lines.at(i).part == Part::Dropped || m_tableOfLine.contains(i) ||
            !tick.match(lineText(*m_lines.at(i).line)).hasMatch())
            continue;
        const double right = m_lines.at(i).line->box.xMax;
        const auto stack = std::find_if(stacks.begin(), stacks.end(), [&](const QList<int>& s) {
            return std::abs(m_lines.at(s.last()).line->box.xMax - right) < 0.5 * em();
        });
        if (stack == stacks.end())
            stacks.append(QList<int>{i});
        else
            stack->append(i);
    }
    for (const QList<int>& stack : std::as_const(stacks))
        if (isChartScale(stack, false))
            for (const int i : stack)
                m_lines[i].part = Part::Dropped;
}

namespace {

// The spans of a table's columns across the page: its lines' spans, joined where they overlap.
// Headings over the columns, which may span several, are left out when other lines give the
// spans.
QList<std::pair<double, double>> columnSpans(const QList<PageLine>& lines,
                                             const QList<QList<int>>& rows)
{
    QList<std::pair<double, double>> spans;
    for (const bool headings : {false, true}) {
        for (const QList<int>& row : rows)
            for (const int i : row)
                if (headings || lines.at(i).part != Part::Heading)
                    spans.append({lines.at(i).line->box.xMin, lines.at(i).line->box.xMax});
        if (!spans.isEmpty())
            break;
    }
    std::sort(spans.begin(), spans.end());
    QList<std::pair<double, double>> joined;
    for (const auto& span : std::as_const(spans)) {
        if (!joined.isEmpty() && span.first < joined.last().second)
            joined.last().second = std::max(joined.last().second, span.second);
        else
            joined.append(span);
    }
    return joined;
}

} // namespace

// Columns of running text side by side, two or more: columns of lines of several words that
// carry on the sentence of the line above in lower case, or of long lines; or one column of
// justified text.
bool PageReader::isRunningText(const QList<QList<int>>& rows) const
{
    const QList<std::pair<double, double>> columns = columnSpans(m_lines, rows);
    int prose = 0;
    for (const auto& column : columns) {
        QString previous;
        int pairs = 0;
        int runOn = 0;
        QList<qsizetype> words;
        QList<double> ends;
        for (const QList<int>& row : rows)
            for (const int i : row) {
                const LayoutBox& box = m_lines.at(i).line->box;
                if (box.xMin < column.first || box.xMax > column.second)
                    continue;
                ends.append(box.xMax);
                const QString text = lineText(*m_lines.at(i).line);
                words.append(m_lines.at(i).line->words.size());
                if (!previous.isEmpty()) {
                    ++pairs;
                    runOn += text.front().isLower() && !endsSentence(previous) ? 1 : 0;
                }
                previous = text;
            }
        if (words.isEmpty())
            continue;
        std::sort(words.begin(), words.end());
        const qsizetype median = words.at(words.size() / 2);
        prose += median >= CellWords && (runOn * 2 >= pairs || median >= ProseWords) ? 1 : 0;
        // Justified sentences: half its lines or more reach the column's right edge, and
        // sentences run on from line to line.
        const auto justified = std::count_if(ends.cbegin(), ends.cend(), [&](double end) {
            return end > column.second - 0.5 * em();
        });
        if (justified >= 4 && median > CellWords && justified * 2 >= ends.size() &&
            runOn * 4 >= pairs)
            return true;
    }
    return prose >= 2;
}

bool PageReader::isTableRun(const QList<QList<int>>& rows) const
{
    if (isRunningText(rows))
        return false;
    int cellRows = 0;
    QList<qsizetype> words;
    for (const QList<int>& row : rows) {
        // A heading set in two pieces is no row of cells.
        const bool headings = std::all_of(row.cbegin(), row.cend(), [this](int i) {
            return m_lines.at(i).part == Part::Heading;
        });
        cellRows += row.size() > 1 && !headings ? 1 : 0;
        for (const int i : row)
            words.append(m_lines.at(i).line->words.size());
    }
    // Numbers alone side by side are a chart's scale.
    const bool wordy = std::any_of(rows.cbegin(), rows.cend(), [this](const QList<int>& row) {
        return std::any_of(row.cbegin(), row.cend(), [this](int i) {
            const QString text = lineText(*m_lines.at(i).line);
            return std::any_of(text.cbegin(), text.cend(), [](QChar c) { return c.isLetter(); });
        });
    });
    if (cellRows < 1 || !wordy)
        return false;
    std::sort(words.begin(), words.end());
    if (words.at(words.size() / 2) <= CellWords)
        return true;
    // Longer cells: rows must start together in two columns or more at least twice after the
    // first row, each after a gap larger than the lines' own.
    int starts = 0;
    for (qsizetype r = 1; r < rows.size(); ++r) {
        double above = -1e9;
        double top = 1e9;
        for (const int i : rows.at(r - 1))
            above = std::max(above, m_lines.at(i).line->box.yMax);
        for (const int i : rows.at(r))
            top = std::min(top, m_lines.at(i).line->box.yMin);
        starts += rows.at(r).size() > 1 && top - above > 0.5 * em() ? 1 : 0;
    }
    return starts >= 2;
}

void PageReader::addTable(const QList<QList<int>>& rows)
{
    const QList<std::pair<double, double>> joined = columnSpans(m_lines, rows);
    if (joined.size() < 2)
        return;
    // A line belongs to the column it overlaps most, or stands nearest.
    auto columnOf = [&](int line) {
        const LayoutBox& box = m_lines.at(line).line->box;
        qsizetype best = 0;
        double bestFit = -1e9;
        for (qsizetype c = 0; c < joined.size(); ++c) {
            const double fit =
                std::min(box.xMax, joined.at(c).second) - std::max(box.xMin, joined.at(c).first);
            if (fit > bestFit) {
                bestFit = fit;
                best = c;
            }
        }
        return best;
    };
    // A row of lines carries on the table's row above when it stands right under it and
    // fills fewer of its columns, each filled above too: a cell's text running onto more lines.
    PageTable table;
    table.columns = joined;
    QSet<qsizetype> above;
    double aboveBottom = -1e9;
    for (const QList<int>& row : rows) {
        QSet<qsizetype> filled;
        double top = 1e9;
        double bottom = -1e9;
        for (const int i : row) {
            filled.insert(columnOf(i));
            top = std::min(top, m_lines.at(i).line->box.yMin);
            bottom = std::max(bottom, m_lines.at(i).line->box.yMax);
        }
        const bool carries = !table.rows.isEmpty() && top - aboveBottom < 0.5 * em() &&
                             filled.size() < above.size() && above.contains(filled);
        if (!carries) {
            table.rows.append(QList<QList<int>>(joined.size()));
            above = filled;
        }
        for (const int i : row)
            table.rows.last()[columnOf(i)].append(i);
        aboveBottom = bottom;
    }
    // The first row names the columns when it writes words and no numbers, and rows with
    // numbers follow, or when it is written in capitals and the rows under it are not; rows of
    // larger type under it name them too.
    auto textOf = [this](const QList<QList<int>>& row) {
        QString text;
        for (const QList<int>& cell : row)
            for (const int i : cell)
                text += lineText(*m_lines.at(i).line) + QLatin1Char(' ');
        return text;
    };
    auto capitals = [](const QString& text) {
        return text.toUpper() == text && text.toLower() != text;
    };
    const QString names = textOf(table.rows.first());
    bool numbersUnder = false;
    bool capitalsUnder = false;
    for (qsizetype r = 1; r < table.rows.size(); ++r) {
        numbersUnder = numbersUnder || hasDigit(textOf(table.rows.at(r)));
        capitalsUnder = capitalsUnder || capitals(textOf(table.rows.at(r)));
    }
    qsizetype nameRows = 0;
    if (table.rows.size() > 2 &&
        ((!hasDigit(names) && numbersUnder) || (capitals(names) && !capitalsUnder))) {
        nameRows = 1;
        while (nameRows + 2 < table.rows.size() &&
               std::all_of(table.rows.at(nameRows).cbegin(), table.rows.at(nameRows).cend(),
                           [this](const QList<int>& cell) {
                               return std::all_of(cell.cbegin(), cell.cend(), [this](int i) {
                                   return m_lines.at(i).part == Part::Heading;
                               });
                           }))
            ++nameRows;
    }
    QSet<qsizetype> named;
    for (qsizetype r = 0; r < nameRows; ++r)
        for (qsizetype c = 0; c < joined.size(); ++c)
            if (!table.rows.at(r).at(c).isEmpty())
                named.insert(c);
    // The first column, of the rows' own names, may have none.
    named.insert(0);
    if (nameRows > 0 && named.size() == joined.size())
        table.headerRows = int(nameRows);
    for (QList<QList<int>>& row : table.rows)
        for (QList<int>& cell : row)
            std::sort(cell.begin(), cell.end(), [this](int a, int b) {
                const LayoutBox& x = m_lines.at(a).line->box;
                const LayoutBox& y = m_lines.at(b).line->box;
                return x.yMin < y.yMin - 0.3 * em() ||
                       (x.yMin < y.yMin + 0.3 * em() && x.xMin < y.xMin);
            });
    for (const QList<int>& row : rows)
        for (const int i : row) {
            m_tableOfLine.insert(i, int(m_tables.size()));
            m_lines[i].part = Part::InTable;
        }
    m_tables.append(table);
}

namespace {

} // namespace

bool PageReader::carriesOpenTable(PageTable& table) const
{
    if (!m_openTable)
        return false;
    const QList<std::pair<double, double>>& open = m_openTable->columns;
    QList<qsizetype> under;
    for (const auto& column : std::as_const(table.columns)) {
        qsizetype best = -1;
        double bestOverlap = 0;
        for (qsizetype c = 0; c < open.size(); ++c) {
            const double overlap = std::min(column.second, open.at(c).second) -
                                   std::max(column.first, open.at(c).first);
            if (overlap > bestOverlap) {
                bestOverlap = overlap;
                best = c;
            }
        }
        if (best < 0 || under.contains(best))
            return false;
        under.append(best);
    }
    QList<QList<SpokenWord>> names;
    for (const qsizetype c : std::as_const(under))
        names.append(m_openTable->names.at(c));
    // The names row repeated at the top of the page: each of its cells its column's name.
    qsizetype same = 0;
    bool repeats = true;
    for (qsizetype c = 0; c < names.size(); ++c) {
        QString cell;
        for (const int i : table.rows.first().at(c))
            cell += lineText(*m_lines.at(i).line);
        QString name;
        for (const SpokenWord& word : names.at(c))
            name += word.text;
        const QString letters = lettersOf(cell);
        if (cell.isEmpty())
            continue;
        repeats = repeats && letters == lettersOf(name);
        same += letters.isEmpty() ? 0 : 1;
    }
    table.headerRows = repeats && same > 0 && table.rows.size() > 1 ? 1 : 0;
    table.carriedNames = names;
    return true;
}

// Each row is read as one line, its cells left to right, each after its column's name where
// the table has a row of names.
QList<QList<SpokenWord>> PageReader::readTable(int table, PageReading& reading)
{
    const PageTable& found = m_tables.at(table);
    const qsizetype columns = found.rows.first().size();
    auto cellWords = [this](const QList<int>& cell) {
        QList<SpokenWord> words;
        for (const int i : cell)
            words += spokenWords(m_lines.at(i));
        return words;
    };
    // The columns' names are read once, as the table's first line.
    QList<QList<SpokenWord>> names(columns);
    ReadLine header;
    header.kind = LineKind::TableRow;
    header.startsParagraph = true;
    header.startsBlock = true;
    for (qsizetype c = 0; c < columns && !found.carriedNames.isEmpty(); ++c)
        names[c] = found.carriedNames.at(c);
    for (qsizetype c = 0; c < columns && found.carriedNames.isEmpty(); ++c) {
        for (qsizetype r = 0; r < found.headerRows; ++r)
            names[c] += cellWords(found.rows.at(r).at(c));
        if (!names.at(c).isEmpty() && names.at(c).last().text.endsWith(QLatin1Char(':')))
            names[c].last().text.chop(1);
        if (names.at(c).isEmpty())
            continue;
        endCell(header.words);
        header.words += names.at(c);
    }
    header.citedNotes = std::exchange(m_cited, {});
    if (!header.words.isEmpty())
        reading.lines.append(header);
    for (qsizetype r = found.headerRows; r < found.rows.size(); ++r) {
        ReadLine line;
        line.kind = LineKind::TableRow;
        line.startsParagraph = true;
        line.startsBlock = r == 0 || (r == found.headerRows && header.words.isEmpty());
        const QList<QList<int>>& row = found.rows.at(r);
        for (qsizetype c = 0; c < columns; ++c) {
            const QList<SpokenWord> value = cellWords(row.at(c));
            if (value.isEmpty())
                continue;
            endCell(line.words);
            if (c > 0 && !names.at(c).isEmpty()) {
                QList<SpokenWord> name = names.at(c);
                name.last().text += QLatin1Char(':');
                line.words += name;
            }
            line.words += value;
        }
        line.citedNotes = std::exchange(m_cited, {});
        if (!line.words.isEmpty())
            reading.lines.append(line);
    }
    return names;
}

} // namespace lectorix
