#include "core/text/layout/page_reader.h"

#include "core/text/text_language.h"
#include "core/text/text_splitting.h"

#include <algorithm>
#include <numeric>

namespace lectorix {

namespace {

// A line ending a sentence this much shorter than its block's width ends its paragraph.
constexpr double ShortLineShare = 0.2;

// A table of contents' entry without its dot leader and the page number after it.
void dropLeader(QList<SpokenWord>& words)
{
    for (qsizetype i = 0; i < words.size(); ++i) {
        const qsizetype dots = words.at(i).text.indexOf(QLatin1String("..."));
        if (!isLeader(words.at(i).text) && dots < 0)
            continue;
        words.resize(dots > 0 && !isLeader(words.at(i).text) ? i + 1 : i);
        if (dots > 0 && !words.isEmpty() && words.size() == i + 1) {
            words.last().text.truncate(dots);
            words.last().sourceLength = dots;
        }
        return;
    }
}

} // namespace

bool PageReader::joinsDropCap(const QString& cap, const QString& word) const
{
    const QStringList parts = wordsOf(word);
    if (parts.isEmpty())
        return true;
    const QString rest = parts.first().toLower();
    if (m_survey.knowsWord(cap.toLower() + rest))
        return true;
    return !(cap.size() == 1 && QStringLiteral("AaIiOo").contains(cap) && m_survey.knowsWord(rest));
}

QList<SpokenWord> PageReader::spokenWords(const PageLine& line, qsizetype firstWord)
{
    static const QRegularExpression glued(QStringLiteral("^(.*[\\p{L}\\p{P}])(\\d{1,3})$"));
    QList<SpokenWord> words;
    const QList<LayoutWord>& source = line.line->words;
    if (line.dropCap >= 0 && firstWord == 0) {
        const LayoutWord& cap = m_lines.at(line.dropCap).line->words.first();
        words.append({plainForSpeech(cap.text), cap.offset, cap.text.size(),
                      joinsDropCap(cap.text, source.first().text)});
    }
    for (qsizetype i = firstWord; i < source.size(); ++i) {
        const LayoutWord& word = source.at(i);
        if (isRotated(word) && !m_pageTurned)
            continue;
        const auto mark = noteMark().match(word.text);
        const bool wholeMark = mark.hasMatch() && mark.capturedLength(1) == word.text.size();
        const bool raised = word.box.height() <= 0.8 * line.height &&
                            word.box.yMax < line.line->box.yMax - 0.2 * line.height;
        const bool afterWord = !words.isEmpty() && !words.last().text.back().isDigit();
        if (wholeMark && raised && afterWord) {
            m_cited.append(word.text);
            continue;
        }
        QString text = word.text;
        const auto tail = glued.match(text);
        if (tail.hasMatch() && m_noteMarks.contains(tail.captured(2)) &&
            std::any_of(text.cbegin(), text.cend(), [](QChar c) { return c.isLetter(); })) {
            m_cited.append(tail.captured(2));
            text = tail.captured(1);
        }
        const QString spoken = plainForSpeech(text);
        if (!spoken.isEmpty())
            words.append({spoken, word.offset, text.size()});
    }
    keepSetting(line, words);
    return words;
}

namespace {

// A caption's start: the word naming a figure or a table and its number ("Figure 3.", "Fig. 2",
// "Table 1:", "Abbildung 1.2:"). The number's own full stop would end a sentence of one word;
// it is read as the colon before the caption's title, and the caption starts a paragraph.
bool startsCaption(QList<SpokenWord>& words)
{
    static const QRegularExpression name(
        QStringLiteral("^(figure|fig\\.|table|abbildung|abb\\.|tabelle|tableau|"
                       "\\x{0440}\\x{0438}\\x{0441}\\.|\\x{0440}\\x{0438}\\x{0441}\\x{0443}\\x{"
                       "043D}\\x{043E}\\x{043A}|"
                       "\\x{0442}\\x{0430}\\x{0431}\\x{043B}\\x{0438}\\x{0446}\\x{0430})$"),
        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression number(QStringLiteral("^(\\d+(?:[.-]\\d+)*[a-z]?)([.:])?$"));
    if (words.size() < 3 || !name.match(words.at(0).text).hasMatch())
        return false;
    const QRegularExpressionMatch numbered = number.match(words.at(1).text);
    if (!numbered.hasMatch() || numbered.captured(2).isEmpty())
        return false;
    words[1].text = numbered.captured(1) + QLatin1Char(':');
    return true;
}

LineKind kindOf(Part part)
{
    switch (part) {
    case Part::Heading:
        return LineKind::Heading;
    case Part::Contents:
        return LineKind::ContentsEntry;
    case Part::TableRow:
        return LineKind::TableRow;
    default:
        return LineKind::Text;
    }
}

QString textOf(const QList<SpokenWord>& words)
{
    return words.isEmpty() ? QString() : words.last().text;
}

} // namespace

void PageReader::readLines(const QList<int>& lines, PageReading& reading)
{
    double left = 1e9;
    double right = -1e9;
    for (const int i : std::as_const(lines)) {
        left = std::min(left, m_lines.at(i).line->box.xMin);
        right = std::max(right, m_lines.at(i).line->box.xMax);
    }
    if (lines.size() < 3 && m_body.hasFrame)
        right = std::max(right, m_body.frame.xMax);
    // A line clearly shorter than the block's lines ends before its column's right edge.
    const double shortEnd = right - ShortLineShare * (right - left);
    const bool aside = std::none_of(lines.cbegin(), lines.cend(), [this](int i) {
        return isBodyType(m_lines.at(i)) || m_lines.at(i).part != Part::Undecided;
    });
    const PageLine* previous = nullptr;
    QString previousEnd;
    bool caption = false;
    for (const int i : std::as_const(lines)) {
        const PageLine& line = m_lines.at(i);
        ReadLine read;
        read.kind = kindOf(line.part);
        read.words = spokenWords(line);
        if (read.kind == LineKind::ContentsEntry)
            dropLeader(read.words);
        read.citedNotes = std::exchange(m_cited, {});
        if (read.words.isEmpty())
            continue;
        const LayoutBox& box = line.line->box;
        read.isShort = box.xMax < shortEnd;
        read.startsBlock = previous == nullptr;
        read.aside = aside;
        if (previous != nullptr) {
            const bool ended = endsSentence(previousEnd);
            const bool previousShort = previous->line->box.xMax < shortEnd;
            const bool indented = box.xMin > left + 0.6 * em() && box.xMin < left + 6 * em();
            const double gap = box.yMin - previous->line->box.yMax;
            read.startsParagraph = gap > 0.9 * std::max(em(), line.height) ||
                                   (ended && (indented || previousShort)) ||
                                   (ended && opensQuote(read.words.first().text.front())) ||
                                   previous->part != line.part;
        }
        // A caption is read apart from the sentence it interrupts, with the rest of its
        // paragraph.
        if ((previous == nullptr || read.startsParagraph || endsSentence(previousEnd)) &&
            read.kind == LineKind::Text && startsCaption(read.words)) {
            read.startsParagraph = true;
            caption = true;
        } else if (read.startsParagraph) {
            caption = false;
        }
        if (caption && read.kind == LineKind::Text) {
            read.kind = LineKind::Caption;
            read.aside = true;
        }
        previous = &line;
        previousEnd = textOf(read.words);
        reading.lines.append(read);
    }
}

void PageReader::readNotes(const QList<int>& lines, PageReading& reading)
{
    for (const int i : std::as_const(lines)) {
        const PageLine& line = m_lines.at(i);
        ReadLine read;
        if (m_noteStarts.contains(i)) {
            const LayoutWord& first = line.line->words.first();
            const QString mark = noteMark().match(first.text).captured(1);
            const bool alone = first.text == mark || first.text == mark + QLatin1Char('.');
            read.words = spokenWords(line, alone ? 1 : 0);
            if (!alone && !read.words.isEmpty() && read.words.first().offset == first.offset) {
                SpokenWord& word = read.words.first();
                word.text.remove(0, mark.size());
                word.offset += mark.size();
                word.sourceLength -= mark.size();
                if (word.text.isEmpty())
                    read.words.removeFirst();
            }
            read.startsParagraph = true;
            read.startsBlock = true;
            reading.notes.append({mark, {}});
        }
        m_cited.clear();
        if (read.words.isEmpty() && !m_noteStarts.contains(i))
            read.words = spokenWords(line);
        if (!read.words.isEmpty() && !reading.notes.isEmpty())
            reading.notes.last().lines.append(read);
    }
}

PageReading PageReader::read()
{
    PageReading reading;
    if (em() <= 0)
        return reading;
    dropFurniture();
    keepTableColumns();
    splitWideGaps();
    dropLineNumbers();
    dropMarksAmongNumbers();
    joinListMarks();
    findFootnotes();
    findDropCaps();
    findHeadingsAndContents();
    findTables();
    const QList<PageUnit> units = readingOrder();
    QList<int> notes;
    for (const PageUnit& unit : units) {
        const qsizetype before = reading.lines.size();
        if (unit.table >= 0) {
            PageTable& table = m_tables[unit.table];
            if (reading.lines.isEmpty())
                carriesOpenTable(table);
            const QList<QList<SpokenWord>> names = readTable(unit.table, reading);
            if (std::any_of(names.cbegin(), names.cend(),
                            [](const QList<SpokenWord>& name) { return !name.isEmpty(); }))
                reading.openTable = OpenTable{table.columns, names};
            else
                reading.openTable.reset();
        } else if (unit.notes) {
            QList<int> lines = unit.lines;
            std::stable_sort(lines.begin(), lines.end(), [this](int a, int b) {
                return m_lines.at(a).line->box.yMin < m_lines.at(b).line->box.yMin;
            });
            notes += lines;
        } else {
            readLines(unit.lines, reading);
            if (reading.lines.size() > before)
                reading.openTable.reset();
        }
    }
    readNotes(notes, reading);
    return reading;
}

} // namespace lectorix
