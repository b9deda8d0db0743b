#include "core/document/feed_preparation.h"

#include "core/base/failure.h"
#include "core/files/text_decoding.h"
#include "core/text/layout/plain_text.h"
#include "core/text/speech_pauses.h"

#include <QFile>

namespace lectorix {

RangePreparation::RangePreparation(LayoutReadingOptions options, bool verbatim)
    : m_options(std::move(options)), m_verbatim(verbatim)
{
}

RangePreparation::~RangePreparation() = default;

FedRange RangePreparation::takeText(const QString& textPath, bool layout, QList<LayoutPage> pages,
                                    int firstPage, int requestedPages)
{
    FedRange range;
    range.converted = true;
    range.offset = m_textOffset;
    try {
        range.text = readTextFile(textPath);
    } catch (...) {
        range.readFailure = describeCurrentException();
    }
    QFile::remove(textPath);
    const QString& text = range.text;
    for (qsizetype at = text.indexOf(QLatin1Char('\f')); at >= 0;
         at = text.indexOf(QLatin1Char('\f'), at + 1))
        range.pageStarts.append(m_textOffset + at + 1);
    if (m_verbatim) {
        cutIntoSentences(verbatimPieces(text), m_textOffset, range);
    } else if (layout) {
        layoutText(pages, m_textOffset);
        range.pages = pages;
        prepare(pages, range);
    } else {
        prepare(plainTextPages(text, m_textOffset, firstPage), range);
    }
    m_textOffset += text.size();
    // The converter gives every page asked for that the document has (pdftotext's plain text
    // ends each with a form feed): fewer than asked for is the end.
    range.fewerPages =
        layout ? pages.size() < requestedPages : text.count(QLatin1Char('\f')) < requestedPages;
    return range;
}

FedRange RangePreparation::takePages(QList<LayoutPage> pages)
{
    FedRange range;
    range.converted = true;
    range.offset = m_textOffset;
    QString text;
    for (const LayoutPage& page : std::as_const(pages)) {
        QList<LayoutPage> one{page};
        if (page.number > 1)
            range.pageStarts.append(m_textOffset + text.size());
        text += layoutText(one, m_textOffset + text.size());
    }
    if (m_verbatim) {
        cutIntoSentences(verbatimPieces(text), m_textOffset, range);
    } else {
        layoutText(pages, m_textOffset);
        range.pages = pages;
        prepare(pages, range);
    }
    range.text = std::move(text);
    m_textOffset += range.text.size();
    return range;
}

FedRange RangePreparation::readHeldPages()
{
    FedRange range;
    if (m_layout) {
        m_layout->readHeldPages();
        cutIntoSentences(m_layout->takePieces(), 0, range);
    }
    return range;
}

void RangePreparation::finish(FedRange& range)
{
    range.last = true;
    if (!m_layout)
        return;
    m_layout->finish();
    cutIntoSentences(m_layout->takePieces(), 0, range);
    range.unreadablePages = m_layout->unreadablePages();
}

void RangePreparation::prepare(const QList<LayoutPage>& pages, FedRange& range)
{
    if (!m_layout)
        m_layout = std::make_unique<LayoutPreparation>(m_options);
    m_layout->add(pages);
    cutIntoSentences(m_layout->takePieces(), 0, range);
}

// Each sentence is an utterance of its own, so the pause after it is the one set; lines read
// verbatim stay whole. Their places are moved by shift into the whole text's offsets.
void RangePreparation::cutIntoSentences(QList<SpokenPiece> pieces, qsizetype shift, FedRange& range)
{
    if (!m_verbatim) {
        m_languages.assign(pieces);
        pieces = sentencePieces(pieces, m_options.language);
    }
    for (SpokenPiece& piece : pieces) {
        piece.sourceOffset += shift;
        for (SpokenPiece::Stretch& stretch : piece.stretches)
            stretch.sourceStart += shift;
        range.pieces.append(std::move(piece));
    }
}

PreparedDocument prepareWholeDocument(const WholeDocument& document)
{
    PreparedDocument prepared;
    try {
        const QString text =
            document.textPath.isEmpty() ? document.text : readTextFile(document.textPath);
        prepared.spoken =
            spokenDocument(text, document.layout ? &document.pages : nullptr, document.choices);
        // Lines read as they stand are no sentences and headings, and start no chapter.
        prepared.chapters = documentChapters(
            document.outline, document.layout ? document.pages : QList<LayoutPage>(),
            document.choices.verbatim ? QList<SpokenPiece>() : prepared.spoken.pieces);
    } catch (...) {
        prepared.failure = describeCurrentException();
    }
    return prepared;
}

} // namespace lectorix
