#pragma once

#include "core/pdf/document_outline.h"
#include "core/pdf/page_layout.h"
#include "core/text/spoken_piece.h"

#include <QList>
#include <QString>

namespace lectorix {

// A chapter of a document: from the PDF's outline, else from the headings its layout reading
// found. A text without either has none.
struct Chapter
{
    QString title;
    // 0 for the top; one more for each step down (a section of a chapter).
    int level = 0;
    // The page it starts on, counted from 1; 0 when unknown (text without pages, or an outline
    // entry that leads nowhere in the document).
    int page = 0;
    // Where it starts in the document's text, in the offsets the layout's words and the
    // spoken pieces carry; -1 while unknown (its page is not among the pages read so far).
    qsizetype offset = -1;
};

// The chapters of an outline, in its order, nested entries kept with their level. A chapter
// starts at its title's words on its target page, where they are read there (in a heading
// first, then starting a paragraph; or a heading giving the title's first words), after the
// entry before when that is on the same page; else, after such an entry, at the next heading
// or sentence read after it; else at the first word read on that page, or on the next page
// with one. pages are the pages laid out so far, pieces what is read of them (the layout
// reading's pieces).
QList<Chapter> outlineChapters(const QList<OutlineEntry>& outline, const QList<LayoutPage>& pages,
                               const QList<SpokenPiece>& pieces);

// The chapters the headings among pieces make, in reading order. A heading set larger than
// another is a level above it; headings that follow one another on one page at the same level
// with nothing read between them are one chapter ("Chapter 3: The Drawing-Room"), unless the
// first names a contents page. The headings of a title page (the pages before the first that
// reads anything else, when they hold more than one heading) are none. pages give the
// headings' sizes and pages; without them every heading is a chapter of level 0 and page 0.
QList<Chapter> headingChapters(const QList<SpokenPiece>& pieces, const QList<LayoutPage>& pages);

// The document's chapters: the outline's when it has an entry that leads into the document,
// else the headings'.
QList<Chapter> documentChapters(const QList<OutlineEntry>& outline, const QList<LayoutPage>& pages,
                                const QList<SpokenPiece>& pieces);

// The index of the chapter holding offset: the one starting last at or before it (at the same
// start, the later in the list, which is the deeper one); -1 before the first chapter or
// when none has a known start.
qsizetype chapterAt(const QList<Chapter>& chapters, qsizetype offset);

// For each chapter, the index of the piece it starts with: the piece that reads its offset,
// wherever the reading order puts it, else the first, in reading order, that comes after it.
// pieces.size() when no piece does, or when the chapter's start is unknown.
QList<qsizetype> chapterFirstPieces(const QList<Chapter>& chapters,
                                    const QList<SpokenPiece>& pieces);

} // namespace lectorix
