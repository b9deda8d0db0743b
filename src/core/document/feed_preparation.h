#pragma once

#include "core/pdf/document_outline.h"
#include "core/pdf/page_layout.h"
#include "core/text/chapters.h"
#include "core/text/language_identification.h"
#include "core/text/layout/reading.h"
#include "core/text/spoken_piece.h"
#include "core/text/spoken_text.h"

#include <QList>
#include <QString>

#include <memory>
#include <optional>

namespace lectorix {

// What a document feed hands over at a time, in order: the next part of the document's text
// and what of it is ready to be said.
struct FedRange
{
    // Whether the range brings text of its own (a range of pages converted or recognised):
    // pieces let out later (held pages, the document's end) bring none.
    bool converted = false;
    // Where text starts in the whole text, and the text (the converter's, or the recognised
    // pages' layout text).
    qsizetype offset = 0;
    QString text;
    // Where the pages after the document's first begin, in the whole text's offsets.
    QList<qsizetype> pageStarts;
    // The pages read from their layout, their words' offsets in the whole text.
    QList<LayoutPage> pages;
    // What is ready to be said: sentences (lines or blocks, verbatim), in the whole text's
    // offsets.
    QList<SpokenPiece> pieces;
    // The range's text file could not be read (the description); the range then has none.
    std::optional<QString> readFailure;
    // A range of pages converted as text: whether the converter gave fewer pages than were
    // asked for, so the document has no more.
    bool endsExtraction = false;
    bool fewerPages = false;
    // The document's last: every piece is out, and the pages left out are known.
    bool last = false;
    QList<int> unreadablePages;
};

// A document's text prepared range by range in the order the ranges come: read from the
// pages' layout, or as plain text, or line by line (verbatim), and cut into sentences. A paragraph
// running across ranges comes out once, whole. It belongs to no thread: a feed hands it to one
// worker at a time.
class RangePreparation
{
public:
    RangePreparation(LayoutReadingOptions options, bool verbatim);
    ~RangePreparation();

    // The language sentences end by, until the first range is prepared.
    void setLanguage(const QString& language) { m_options.language = language; }
    // The PDF whose declared language the paragraphs too short to tell take.
    void setSourcePdf(const QString& pdfPath) { m_languages.declaredBy(pdfPath); }
    // A converted range of pages from firstPage on: its text file (removed once read), and
    // the pages when the converter gave their layout. requestedPages says whether the converter
    // gave fewer pages than were asked for.
    FedRange takeText(const QString& textPath, bool layout, QList<LayoutPage> pages, int firstPage,
                      int requestedPages);
    // Pages in order, their words' offsets counted from their own text (recognised pages).
    FedRange takePages(QList<LayoutPage> pages);
    // The pieces of the pages held for the pages after them (LayoutPreparation::readHeldPages).
    FedRange readHeldPages();
    // Marks the document's end in range: what is still held is let out into it.
    void finish(FedRange& range);

private:
    void prepare(const QList<LayoutPage>& pages, FedRange& range);
    void cutIntoSentences(QList<SpokenPiece> pieces, qsizetype shift, FedRange& range);

    LayoutReadingOptions m_options;
    bool m_verbatim = false;
    qsizetype m_textOffset = 0;
    std::unique_ptr<LayoutPreparation> m_layout; // made with the first pages
    ParagraphLanguages m_languages;
};

// The whole of a document as an export speaks it (spokenDocument), from text given or read
// from textPath, and its chapters (documentChapters: from the outline, else the headings; none
// for lines read verbatim); a text that cannot be read gives the failure's description.
struct WholeDocument
{
    QString text;
    QString textPath; // read instead of text when given
    bool layout = false;
    QList<LayoutPage> pages;
    SpeechChoices choices;
    QList<OutlineEntry> outline;
};
struct PreparedDocument
{
    SpokenDocument spoken;
    QList<Chapter> chapters;
    std::optional<QString> failure;
};
PreparedDocument prepareWholeDocument(const WholeDocument& document);

} // namespace lectorix
