#pragma once

// Text without geometry (typed, pasted, loaded, a converter's plain text) as pages the layout
// reading reads, and the reading of such a page: what its lines' order and text say, where no
// box says more. Used by the layout reading only.

#include "core/text/layout/roles.h"

namespace lectorix {

// The text as pages without boxes: pages are the parts between form feeds, numbered from
// firstPage; blocks the runs of non-blank lines (a page that begins with a blank line begins
// with an empty block); words the runs of non-blanks, each with its offset in the text counted
// from startOffset. A page ended by a form feed is whole; the text after the last one is not,
// and none is made of it when it is empty.
QList<LayoutPage> plainTextPages(const QString& text, qsizetype startOffset = 0, int firstPage = 1);

// Reads pages without boxes in order, one after the other:
//  - the lines of a paragraph are joined; a paragraph ends at a blank line or a page break
//    unless its sentence plainly runs on (no sentence mark before, a small letter after), and
//    after a line that ends a sentence clearly shorter than the page's usual line;
//  - on a whole page, the running lines (DocumentSurvey::isRunningLine) at its top and bottom
//    go, and so does a column of bare numbers (line numbers in a margin);
//  - a bare number never stands as a paragraph of its own: it goes with its neighbours.
class PlainTextReader
{
public:
    PageReading read(const LayoutPage& page, const DocumentSurvey& survey);

private:
    struct Line
    {
        const LayoutLine* line = nullptr;
        QString text;
        bool blankBefore = false;
    };

    bool startsParagraph(const QString& text, bool blankBefore) const;
    void follow(const ReadLine& read, const QString& text);

    QString m_lastLine; // the last line read, of this page or an earlier one
    bool m_lastShort = false;
    bool m_pageBreak = false; // a page ended since the last line
    qsizetype m_paragraphLength = 0;
    bool m_paragraphIsNumber = false;
};

} // namespace lectorix
