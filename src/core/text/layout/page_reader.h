#pragma once

// The reading of one laid-out page, for the layout reading only: each line's part is decided
// first (roles.cpp; headings.cpp, contents.cpp), then the lines to read are given in order, tables
// row by row, footnotes apart (layout_page_lines.cpp).

#include "core/text/layout/roles.h"

#include <QRegularExpression>

#include <cmath>
#include <deque>

namespace lectorix {

// Heading type is at least this much larger than the body's.
inline constexpr double HeadingSize = 1.15;

inline double verticalMiddle(const LayoutBox& box)
{
    return (box.yMin + box.yMax) / 2;
}

// A footnote's mark at the start of a word: a number or a typographer's symbol.
const QRegularExpression& noteMark();
// A dot leader of a table of contents, on its own or ending a word: four dots or more.
bool isLeader(const QString& word);
bool opensQuote(QChar c);
bool endsSentence(const QString& text);
// A word of many letters set much taller than wide: turned on its side. A short word's shape
// says nothing: "ill" or "it," in narrow type stands taller than wide too.
bool isRotated(const LayoutWord& word);
// A line turned on its side: taller than wide, with a word turned or its words following each
// other down or up the page.
bool isTurnedLine(const LayoutLine& line);

enum class Part { Undecided, Dropped, Footnote, DropCap, Heading, InTable, Contents, TableRow };

struct PageLine
{
    const LayoutLine* line = nullptr;
    int block = 0;
    double height = 0;
    Part part = Part::Undecided;
    int dropCap = -1; // the drop capital that begins this line's first word
};

class PageReader
{
public:
    PageReader(const LayoutPage& page, const DocumentSurvey& survey);

    PageReading read();

private:
    double em() const { return m_body.height; }
    bool isBodyType(const PageLine& line) const
    {
        return std::abs(line.height - em()) <= 0.12 * em();
    }
    bool needsRepair(const LayoutBlock& block) const;
    void repairLines(const LayoutBlock& block, int index);
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
    // The line's words as spoken: rotated words and footnote markers left out, a drop capital
    // joined; cells apart by a wide gap end with a comma.
    QList<SpokenWord> spokenWords(const PageLine& line, qsizetype firstWord = 0);
    bool joinsDropCap(const QString& cap, const QString& word) const;
    // What the words of a line keep of their setting: a capital glued to the small capitals
    // after it ("A CTIONS"), and a soft hyphen ending the line.
    void keepSetting(const PageLine& line, QList<SpokenWord>& words) const;
    void readBlock(int block, PageReading& reading);
    void readTable(int table, PageReading& reading);
    void readNotes(PageReading& reading);

    const LayoutPage& m_page;
    const DocumentSurvey& m_survey;
    BodyMeasures m_body;
    QList<PageLine> m_lines;
    bool m_pageTurned = false; // most of its text is turned on its side
    std::deque<LayoutLine> m_repairedLines;
    QSet<QString> m_noteMarks;
    QList<int> m_noteStarts; // lines that begin a footnote, in order down the page
    QHash<int, int> m_tableOfBlock;
    QList<QList<QList<int>>> m_tables; // each table's rows, each row's lines from left to right
    QStringList m_cited;
};

} // namespace lectorix
