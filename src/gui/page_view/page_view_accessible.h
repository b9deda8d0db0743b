#pragma once

#include "core/pdf/page_layout.h"

#include <QList>
#include <QString>

namespace lectorix {

class PageView;

// The text a screen reader is given of the page shown: its words in reading order, one space
// apart, and where each starts in that text.
struct ShownPageText
{
    int page = 0;
    QString text;
    QList<LayoutWord> words;
    QList<int> starts;
};
ShownPageText shownPageText(const PageView& view);

// Where the word being read starts in the page's text; 0 when it is not on that page.
int readWordPosition(const PageView& view, const ShownPageText& shown);

// Makes the page view known to screen readers as a document with a text interface, the word
// being read as its caret. Called once; later calls do nothing.
void installPageViewAccessibility();

// Tells screen readers that the caret moved to the word being read.
void announceReadWord(PageView& view);

} // namespace lectorix
