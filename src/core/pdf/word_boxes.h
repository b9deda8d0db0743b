#pragma once

#include "core/pdf/page_layout.h"

#include <QList>
#include <QMap>

#include <optional>

namespace lectorix {

// A box on one page, in points from the page's top left corner.
struct PageBox
{
    int page = 0; // counted from 1
    LayoutBox box;
};

// A word of the text: where it starts and how long it is, in the text's offsets.
struct TextWord
{
    qsizetype offset = 0;
    qsizetype length = 0;
};

// Where the words of a document's text stand on its pages: from a range of the text to the
// boxes it covers, and from a point on a page to the word there. Fed with the pages as they
// become known (their words' offsets in the whole text); words without a box (plain-text
// pages) are not placed.
class WordBoxes
{
public:
    // Adds pages; a page already known is replaced by the new one of the same number.
    void addPages(const QList<LayoutPage>& pages);
    void clear();
    bool isEmpty() const { return m_pages.isEmpty(); }
    bool hasPage(int page) const { return m_pages.contains(page); }

    // The boxes covering the words that overlap [start, start + length), in text order; the
    // words of one line that follow each other make one box.
    QList<PageBox> boxesOf(qsizetype start, qsizetype length) const;

    // The word whose box holds the point (x, y) of page, or the nearest one on the line there;
    // none when no line of the page is there.
    std::optional<TextWord> wordAt(int page, double x, double y) const;

    // A page's words in reading order, each with its offset and box.
    QList<LayoutWord> wordsOf(int page) const;

private:
    struct Placed
    {
        qsizetype offset;
        qsizetype length;
        int page;
        int line; // numbered across the page, so that neighbours on one line are told
        LayoutBox box;
        QString text;
    };
    void index() const;

    QMap<int, QList<Placed>> m_pages;
    mutable QList<Placed> m_byOffset; // every word, by offset; made again after a change
    mutable bool m_indexed = true;
};

} // namespace lectorix
