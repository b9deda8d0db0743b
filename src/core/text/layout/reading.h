#pragma once

#include "core/pdf/page_layout.h"
#include "core/text/spoken_piece.h"

#include <QList>
#include <QString>

#include <memory>

namespace lectorix {

struct LayoutReadingOptions
{
    // Footnotes are read after the paragraph that cites them; without, they are left out.
    bool readFootnotes = true;
    // The voice's language code, for where sentences end.
    QString language;
};

// Turns the laid-out pages of a document into utterances, one sentence each, deciding each
// line's part from its place, size and repetition:
//  - headings are kept as utterances of their own;
//  - running headers, footers and page numbers are left out when they stand outside the body's
//    text block and repeat; a line in the body's type inside the block is always read;
//  - footnote markers leave the sentence, and footnotes are read after the paragraph that
//    cites them (or left out);
//  - margin and rotated text and printers' marks are left out;
//  - a drop cap joins the word it begins; columns are read one after the other;
//  - tables are read row by row, each value after its column's name, on the next page too when
//    the table runs on there; a table of contents without its dot leaders and page numbers;
//  - a chart's scales and the names of its bars are left out; a figure's caption is read after
//    its number ("Figure 2: ..."), after the sentence its figure interrupts;
//  - pages whose text is not language are not read, and are named in unreadablePages(); nor
//    are pages in a script no voice speaks (isUnspokenScript), named there and in
//    unspokenPages().
// Pages without boxes (plainTextPages: typed or loaded text) go through the same paragraphs and
// sentences, their lines' parts decided from their order and text alone (PlainTextReader).
// Each piece's offsets are those of the words' offsets (layoutText). Pages come in parts, as
// ranges of pages are converted; a paragraph running across parts comes out once, whole.
class LayoutPreparation
{
public:
    explicit LayoutPreparation(LayoutReadingOptions options = {});
    ~LayoutPreparation();

    // Adds the next pages, whose words' offsets are set.
    void add(const QList<LayoutPage>& pages);
    // Marks the end of the document: everything still held is let out.
    void finish();
    // Reads the pages held for the pages after them now, without waiting for those: for a
    // reading whose next pages are slow to come (recognised), so the voice need not wait. Their
    // running lines may then be read, as they have not been seen repeating yet.
    void readHeldPages();
    // The pieces whose end is known, in order; each is handed out once.
    QList<SpokenPiece> takePieces();
    // The numbers of the pages seen so far whose text could not be read as language.
    QList<int> unreadablePages() const;
    // Those of them in a script no voice speaks.
    QList<int> unspokenPages() const;

private:
    struct State;
    std::unique_ptr<State> m_state;
};

// Whether a page has text worth reading: words that read as language. A page without words (a
// scan, a picture, a blank page) has none, nor has one of glyphs without characters.
bool hasUsableText(const LayoutPage& page);

} // namespace lectorix
