// A table of contents on a page: its entries, read as their titles, without the dot leaders
// and the page numbers, wherever the converter set them.

#include "core/text/layout/page_reader.h"

#include <algorithm>
#include <cmath>

namespace lectorix {

namespace {

// A page number ends a table of contents' entry at least this far (in the body's type size)
// from its title.
constexpr double EntryNumberGap = 0.6;
// Dots set apart, this many or more in a row, are a table of contents' leader.
constexpr qsizetype LeaderDots = 4;

} // namespace

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
                std::abs(verticalMiddle(entry.line->box) - verticalMiddle(box)) <= 0.4 * em())
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
    // On such a page a line with a number set beside it is an entry too.
    for (PageLine& number : m_lines) {
        const LayoutBox& box = number.line->box;
        if (number.part != Part::Undecided || !isBareNumber(lineText(*number.line)))
            continue;
        for (PageLine& entry : m_lines) {
            if ((entry.part == Part::Contents ||
                 (entry.part == Part::Undecided && entry.height < HeadingSize * em() &&
                  !isBareNumber(lineText(*entry.line)))) &&
                entry.line->box.xMax <= box.xMin &&
                std::abs(verticalMiddle(entry.line->box) - verticalMiddle(box)) <= 0.4 * em()) {
                entry.part = Part::Contents;
                number.part = Part::Dropped;
            }
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

} // namespace lectorix
