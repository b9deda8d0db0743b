#pragma once

// The reading of one laid-out page, for the layout reading only: each line's part is decided
// first (roles.cpp; headings.cpp, contents.cpp); lines are cut at wide gaps, list marks joined
// to their items, numbered lines left out and footnotes found column by column
// (page_pieces.cpp); tables are found (tables.cpp); then the page's parts are read in the order
// its columns and bands give (page_order.cpp), tables row by row, footnotes apart
// (page_lines.cpp).

#include "core/text/layout/roles.h"

#include <QRegularExpression>

#include <algorithm>
#include <cmath>
#include <deque>

namespace lectorix {

// Heading type is at least this much larger than the body's.
inline constexpr double HeadingSize = 1.15;

inline double verticalMiddle(const LayoutBox& box)
{
    return (box.yMin + box.yMax) / 2;
}

inline LayoutBox unionOf(const LayoutBox& a, const LayoutBox& b)
{
    return {std::min(a.xMin, b.xMin), std::min(a.yMin, b.yMin), std::max(a.xMax, b.xMax),
            std::max(a.yMax, b.yMax)};
}

// Whether two boxes share a stretch across the page.
inline bool overlapsAcross(const LayoutBox& a, const LayoutBox& b)
{
    return a.xMin < b.xMax && b.xMin < a.xMax;
}

// A footnote's mark at the start of a word: a number or a typographer's symbol.
const QRegularExpression& noteMark();
// A dot leader of a table of contents, on its own or ending a word: four dots or more.
bool isLeader(const QString& word);
bool opensQuote(QChar c);
bool endsSentence(const QString& text);
// A printer's mark in the margin: a short word of letters and digits run together ("Co17").
bool isPrintersMark(const QString& text);
// A word of many letters set much taller than wide: turned on its side. A short word's shape
// says nothing: "ill" or "it," in narrow type stands taller than wide too.
bool isRotated(const LayoutWord& word);
// A line turned on its side: taller than wide, with a word turned or its words following each
// other down or up the page.
bool isTurnedLine(const LayoutLine& line);

enum class Part { Undecided, Dropped, Footnote, DropCap, Heading, InTable, Contents, TableRow };

// A table: its rows from top to bottom, each row's cells from left to right (a cell empty
// where the row has none in that column), each cell's lines from top to bottom.
struct PageTable
{
    QList<QList<QList<int>>> rows;
    // The first rows name the columns: each value is read after its column's name.
    int headerRows = 0;
    // The spans of its columns across the page.
    QList<std::pair<double, double>> columns;
    // The names of its columns when they were given on an earlier page (the table carries on
    // the previous page's); its header rows then repeat them and are not read.
    QList<QList<SpokenWord>> carriedNames;
};

// What is read as one piece of a page's order: a block's lines of one kind, or a table.
struct PageUnit
{
    LayoutBox box;
    int block = -1;
    int table = -1;
    bool notes = false; // the block's footnote lines
    bool cut = false;   // lines cut from others at a wide gap
    QList<int> lines;
};

struct PageLine
{
    const LayoutLine* line = nullptr;
    int block = 0;
    double height = 0;
    Part part = Part::Undecided;
    int dropCap = -1; // the drop capital that begins this line's first word
    bool cut = false; // cut from a line at a wide gap
};

class PageReader
{
public:
    PageReader(const LayoutPage& page, const DocumentSurvey& survey,
               const std::optional<OpenTable>& openTable);

    PageReading read();

private:
    double em() const { return m_body.height; }
    bool isBodyType(const PageLine& line) const
    {
        return std::abs(line.height - em()) <= 0.12 * em();
    }
    bool needsRepair(const LayoutBlock& block) const;
    void repairLines(const LayoutBlock& block, int index);
    const LayoutLine* keepLine(const LayoutLine& line);
    void keepTableColumns();
    // Cells of a table, or two columns pdftotext set in one line, apart.
    void splitWideGaps();
    // A list's mark or a section's number set apart from its item ("2.", "(3)", "1.1").
    void joinListMarks();
    // Lines numbered in the margin, each number a block of its own.
    void dropLineNumbers();
    void dropMarksAmongNumbers();
    void dropFurniture();
    bool isRunningLine(const PageLine& line) const;
    bool isPageNumber(const PageLine& line) const;
    void findFootnotes();
    void findDropCaps();
    bool isHeading(const PageLine& line) const;
    void findHeadingsAndContents();
    void findEntryBeside(qsizetype leader);
    void joinLeaderDots(PageLine& line);
    void dropPageColumns();
    bool endsWithPageNumber(const LayoutLine& line) const;
    void findContentsWithoutLeaders();
    void joinCapitalsBeside(const PageLine& cap, int target);
    void joinHeadings();
    void joinLines(qsizetype first, qsizetype second);
    void findTables();
    bool isRunningText(const QList<QList<int>>& rows) const;
    bool isTableRun(const QList<QList<int>>& rows) const;
    void addTable(const QList<QList<int>>& rows);
    // The page's units in reading order: columns left to right, bands top to bottom.
    QList<PageUnit> readingOrder() const;
    void orderUnits(QList<PageUnit> units, QList<PageUnit>& ordered, int depth) const;
    bool isTextColumn(const QList<PageUnit>& group) const;
    // The line's words as spoken: rotated words and footnote markers left out, a drop capital
    // joined; cells apart by a wide gap end with a comma.
    QList<SpokenWord> spokenWords(const PageLine& line, qsizetype firstWord = 0);
    bool joinsDropCap(const QString& cap, const QString& word) const;
    // What the words of a line keep of their setting: a capital glued to the small capitals
    // after it ("A CTIONS"), and a soft hyphen ending the line.
    void keepSetting(const PageLine& line, QList<SpokenWord>& words) const;
    void readLines(const QList<int>& lines, PageReading& reading);
    // Whether the table carries on the open table of the previous page: each of its columns
    // under one of that table's. Its names are then taken over, and a first row repeating them
    // is a header row.
    bool carriesOpenTable(PageTable& table) const;
    // Reads the table; gives the names of its columns.
    QList<QList<SpokenWord>> readTable(int table, PageReading& reading);
    void readNotes(const QList<int>& lines, PageReading& reading);

    const LayoutPage& m_page;
    const DocumentSurvey& m_survey;
    BodyMeasures m_body;
    QList<PageLine> m_lines;
    bool m_pageTurned = false; // most of its text is turned on its side
    std::deque<LayoutLine> m_repairedLines;
    QSet<QString> m_noteMarks;
    QList<int> m_noteStarts; // lines that begin a footnote, in order down the page
    QList<PageTable> m_tables;
    QHash<int, int> m_tableOfLine;
    QStringList m_cited;
    std::optional<OpenTable> m_openTable;
};

} // namespace lectorix
