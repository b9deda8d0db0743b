#pragma once

// The parts the lines of a laid-out page play: body text, headings, tables, a table of
// contents, footnotes, and the furniture left out (running lines, page numbers, margin and
// rotated text, printers' marks, drop capitals joined to their word). Used by the layout
// reading only.

#include "core/pdf/page_layout.h"

#include <QHash>
#include <QList>
#include <QSet>
#include <QString>

#include <optional>

namespace lectorix {

// A word as it is spoken, and where it stands in the document's text.
struct SpokenWord
{
    QString text;
    qsizetype offset = 0;
    // How many characters of the document's text it stands for.
    qsizetype sourceLength = 0;
    // The next word follows without a blank (a drop capital and the rest of its word).
    bool glued = false;
};

// A caption is a figure's or a table's title and what its block says after it.
enum class LineKind { Text, Heading, TableRow, ContentsEntry, Caption };

// A line that is read, in reading order, with what the layout says about its start.
struct ReadLine
{
    LineKind kind = LineKind::Text;
    QList<SpokenWord> words;
    // Starts a paragraph for certain (an indent, a gap, a new speaker, a heading's edge).
    bool startsParagraph = false;
    // The first line of a block, or of a page: a paragraph may run on into it, or not.
    bool startsBlock = false;
    // Ends clearly before its column's right edge.
    bool isShort = false;
    // Set in another type than the body's, in a block of its own (a caption, a box): read
    // after a sentence it interrupts.
    bool aside = false;
    // The footnote marks the line cites.
    QStringList citedNotes;
};

struct FootNote
{
    QString mark;
    QList<ReadLine> lines;
};

// A table the page ends with, which a table at the top of the next page may carry on: the
// spans of its columns across the page and their names (none where a column has none).
struct OpenTable
{
    QList<std::pair<double, double>> columns;
    QList<QList<SpokenWord>> names;
};

struct PageReading
{
    QList<ReadLine> lines;
    QList<FootNote> notes;
    // The table read last on the page, nothing after it, when it names its columns.
    std::optional<OpenTable> openTable;
};

// What the document's pages say about its body: the type size of the text and the box it
// fills on a usual page.
struct BodyMeasures
{
    double height = 0;
    // How wide a character of the body's type is, on average: type set larger is wider too,
    // where a line in another face of the body's size (italics) may only be taller.
    double advance = 0;
    LayoutBox frame;
    bool hasFrame = false;
};

// What is learned from every page seen, before any page is read: type sizes, the body's box,
// the lines at the pages' edges, and the words the document writes.
class DocumentSurvey
{
public:
    void add(const LayoutPage& page);
    BodyMeasures measures() const;
    // How many pages hold this line, digits aside, among the lines at their top or bottom.
    int edgeRepeats(const QString& line) const { return m_edges.value(edgeKey(line)); }
    bool knowsWord(const QString& lowerWord) const { return m_words.contains(lowerWord); }
    // A running header or footer, where it stands at a page's top or bottom: a bare page
    // number, a printer's mark (a job ticket, a file name), or a line repeated there, digits
    // aside, on RunningLinePages pages or more. Without a box that shows the line standing
    // outside the body's text (plain text), only its order says it is at an edge, and it must
    // repeat on one page more: a chapter's title opening two pages is no running line.
    bool isRunningLine(const QString& line, bool outsideText) const;
    // How many pages hold this very line (digits too) among the lines at their top or bottom,
    // with its top where top is: a running line set as large as a heading repeats thus, where
    // a chapter's title heads its first page only.
    int placeRepeats(const QString& line, double top) const;
    // How many pages hold this line, digits aside, among the lines at their top or bottom, with
    // its top where top is and a number in it as far from the page's number as a number of this
    // line is from pageNumber: a running line carrying its page's number ("4 SMITH v. JONES").
    // A chapter's number does not keep step with the pages.
    int numberedRepeats(const QString& line, double top, int pageNumber) const;

    static constexpr int RunningLinePages = 2;

    static QString edgeKey(const QString& line);

private:
    struct LineSummary
    {
        LayoutBox box;
        double height = 0;
        bool inLongBlock = false; // a block of more than one line
    };
    using PageLines = QList<LineSummary>;

    void learnWords(const LayoutLine& line, bool hyphenBefore, bool hyphenAfter);
    // Counts the depth lines at the top and at the bottom of a page whose lines are given from
    // top to bottom.
    void countEdges(const QList<const LayoutLine*>& lines, int depth);

    QHash<int, double> m_heights; // characters set at each height, in quarter points
    QHash<int, std::pair<double, qsizetype>> m_widths; // their words' widths and characters
    QHash<QString, QList<double>> m_places;            // an edge line's tops, a page each
    // An edge line's tops, digits aside, a page each, with the page's number less each number
    // in the line.
    QHash<QString, QList<std::pair<double, QList<int>>>> m_numberedPlaces;
    QList<PageLines> m_pages;
    QHash<QString, int> m_edges;
    QSet<QString> m_words;
    mutable BodyMeasures m_measures;
    mutable bool m_measured = false;
};

// A page number: digits, or a roman numeral (not a lone capital letter, which is as likely a
// word or a drop capital), optionally between dashes or in brackets.
bool isBareNumber(const QString& text);

// The height of a line's type: that of its longest word.
double lineHeight(const LayoutLine& line);

// Decides the part of every line of a page and gives the lines to read and the footnotes. A
// table read first on the page, in the columns of openTable (the previous page's last), carries
// it on: its values are read after those columns' names, and a repeated names row is not read.
PageReading readPage(const LayoutPage& page, const DocumentSurvey& survey,
                     const std::optional<OpenTable>& openTable = std::nullopt);

// The text of a line, words one blank apart.
QString lineText(const LayoutLine& line);

} // namespace lectorix
