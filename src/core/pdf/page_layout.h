#pragma once

#include <QByteArrayView>
#include <QList>
#include <QString>

namespace lectorix {

// A rectangle on a page, in points from the page's top left corner.
struct LayoutBox
{
    double xMin = 0;
    double yMin = 0;
    double xMax = 0;
    double yMax = 0;

    double width() const { return xMax - xMin; }
    double height() const { return yMax - yMin; }
};

// One word as the page sets it. Its height stands for its type size: the converter gives no
// font, and within a document the same face gives the same height for the same size.
struct LayoutWord
{
    QString text;
    LayoutBox box;
    // Where the word starts in the document's text (see layoutText).
    qsizetype offset = 0;
    // For a recognised word, how sure the recognition was, 0..100; -1 for a word of the
    // document's own text.
    double confidence = -1;
};

struct LayoutLine
{
    LayoutBox box;
    QList<LayoutWord> words;
};

// Lines the converter found to belong together, in reading order; flow numbers the columns
// and text regions of the page in the order they are read, counted from 1 on each page.
struct LayoutBlock
{
    LayoutBox box;
    int flow = 0;
    QList<LayoutLine> lines;
};

struct LayoutPage
{
    int number = 0; // counted from 1 in the document
    double width = 0;
    double height = 0;
    QList<LayoutBlock> blocks;
    // Text without geometry (typed, loaded, a converter's plain text): no box is set, blocks
    // are the runs of lines between blank lines, and the page is read by its lines' order and
    // text alone.
    bool plainText = false;
    // Whether the page's first and last lines are a printed page's top and bottom, where
    // running lines and page numbers stand: false for plain text not ended by a page break.
    bool wholePage = true;
};

// The pages that pdftotext -bbox-layout wrote, with the number of the first one. Damaged or
// cut-off input gives the pages read up to the damage, and complete is false: the page being
// read when the input broke off keeps the words read before, an element out of its place (a
// word outside a line, say) is left out, and a missing or unreadable coordinate is 0.
struct PageLayouts
{
    QList<LayoutPage> pages;
    bool complete = true;
};

// Whether data begins as pdftotext -bbox-layout output (and not as plain text), up to the
// start of its pages.
bool isBoundingBoxLayout(QByteArrayView data);

// Reads pdftotext -bbox-layout output (UTF-8); the first page is numbered firstPage. Never
// throws on bad input. Words hold no line breaks or tabs, nor spaces at their ends, and a word
// without text is left out.
PageLayouts readBoundingBoxLayout(QByteArrayView data, int firstPage);

// Each page whose words are bytes of another encoding shown as Latin-1 (misreadEncoding) gets
// its words read again in that encoding, their boxes kept; pages of other text stay as they
// are. Called before layoutText, so that offsets count the words as read again.
void redecodeMisreadPages(QList<LayoutPage>& pages);

// The plain text of the pages, as the text box shows it and as offsets count: a word and the
// next on its line are one space apart, a line ends with a line break, a block with an empty
// line, a page with a form feed. Each word's offset is set to where it starts, counted from
// startOffset.
QString layoutText(QList<LayoutPage>& pages, qsizetype startOffset = 0);

} // namespace lectorix
