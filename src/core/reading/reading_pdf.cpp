// The reading session's PDF: converted a range of pages at a time into pieces to say, its
// outline and pages kept for its chapters.

#include "core/base/failure.h"
#include "core/files/temp_folder.h"
#include "core/files/text_decoding.h"
#include "core/pdf/document_text.h"
#include "core/pdf/outline_job.h"
#include "core/reading/reading_session.h"
#include "core/reading/recognition_ahead.h"
#include "core/text/layout/plain_text.h"

#include <QFile>
#include <QTemporaryDir>

namespace lectorix {

namespace {

// Pages of a PDF converted first, and the most converted at once later; each later range is
// twice as long as the one before.
constexpr int FirstRangePages = 10;
constexpr int LargestRangePages = 80;

} // namespace

bool ReadingSession::startPdf()
{
    step(ReadingStep::MakeWorkingFolder,
         [&] { m_workFolder = makeWorkingFolder(QStringLiteral("reading")); });
    if (!m_workFolder) {
        // No usable temporary folder (already reported): nothing may be written there.
        setState(ReadingState::Idle);
        return false;
    }
    m_nextPage = 1;
    m_rangePages = FirstRangePages;
    m_anyText = false;
    if (!m_request.outline)
        readOutline();
    convertNextRange();
    return true;
}

// The outline, for the chapters, is read beside the text; a PDF without one, or one that
// cannot be read, has the chapters of its headings.
void ReadingSession::readOutline()
{
    m_outline = new OutlineJob({m_request.pdfPath, m_request.password}, this);
    connect(m_outline, &OutlineJob::finished, this, [this](const OutlineResult& result) {
        if (m_outline) {
            m_outline->deleteLater();
            m_outline = nullptr;
        }
        if (result.cancelled)
            return;
        m_request.outline = result.entries;
        findChapters();
    });
    m_outline->start();
}

// A long document is converted a range of pages at a time: the first range is small, so the
// voice starts at once, and the rest follows in larger ranges while it speaks.
void ReadingSession::convertNextRange()
{
    const QString copy = m_workFolder->path() + QStringLiteral("/output.pdf");
    ExtractionRequest extract;
    extract.password = m_request.password;
    extract.converter = m_request.converter;
    extract.firstPage = m_nextPage;
    extract.lastPage = m_nextPage + m_rangePages - 1;
    if (m_nextPage == 1) {
        // The first range copies the document; the rest read that copy, so a document
        // changed or removed meanwhile is still read as it was.
        extract.pdfPath = m_request.pdfPath;
        extract.workingCopyPath = copy;
    } else {
        extract.pdfPath = copy;
        extract.textPath = m_workFolder->path() + QStringLiteral("/range.txt");
    }
    m_extraction = new ExtractionJob(extract, this);
    // The extraction's own steps (copying, testing) are the front end's to report, as
    // steps of the reading.
    connect(m_extraction, &Job::stepFailed, this, &Job::stepFailed);
    connect(m_extraction, &Job::asked, this, &ReadingSession::relay);
    connect(m_extraction, &ExtractionJob::finished, this,
            [this](const ExtractionResult& result) { rangeExtracted(result); });
    m_extraction->start();
}

void ReadingSession::rangeExtracted(const ExtractionResult& result)
{
    const int requestedPages = m_rangePages;
    if (m_extraction) {
        // The password the user answered opens the later ranges too.
        m_request.password = m_extraction->request().password;
        m_extraction->deleteLater();
        m_extraction = nullptr;
    }
    if (result.outcome == ExtractionOutcome::MachineFault) {
        // Said as the converter's step, naming the package that brings it.
        emit stepFailed(ReadingFailure{m_request.password.isEmpty()
                                           ? ReadingStep::ConvertPages
                                           : ReadingStep::ConvertPagesWithPassword,
                                       result.detail, QString()});
        stop();
        return;
    }
    if (result.outcome == ExtractionOutcome::Cancelled)
        return;
    // The password was asked for and not given.
    if (result.outcome == ExtractionOutcome::NeedsPassword && !m_anyText) {
        stop();
        return;
    }
    m_nextPage += requestedPages;
    m_rangePages = qMin(m_rangePages * 2, LargestRangePages);

    bool last = false;
    if (m_request.recognise && result.layout &&
        (result.outcome == ExtractionOutcome::Text ||
         result.outcome == ExtractionOutcome::Unreadable)) {
        last = takeForRecognition(result, requestedPages);
    } else if (result.outcome == ExtractionOutcome::Text) {
        last = takeRange(result, requestedPages);
    } else if (result.outcome == ExtractionOutcome::Unreadable) {
        // A range of scanned pages: the text may start further on.
        last = result.layout && result.pages.size() < requestedPages;
    } else {
        // No text file: before any text, the document cannot be read, and the reading ends
        // quietly; after some, the document has ended (a range beyond the last page).
        last = true;
    }
    if (last) {
        if (endDocument())
            return;
    } else {
        convertNextRange();
    }
    findChapters();
    m_queueStep = ReadingStep::QueuePdfText;
    if (m_voice)
        queueAhead();
    else if (m_anyText)
        m_nextPiece = m_pieces.size(); // the voice could not be made (reported): nothing is said
}

// Reads a converted range into the pieces waiting to be said, making the voice with the first
// text. Returns whether the range was the document's last.
bool ReadingSession::takeRange(const ExtractionResult& result, int requestedPages)
{
    QString text;
    step(ReadingStep::ReadPages, [&] { text = readTextFile(result.textPath); });
    QFile::remove(result.textPath);
    emit textConverted(m_textOffset, text);
    for (qsizetype at = text.indexOf(QLatin1Char('\f')); at >= 0;
         at = text.indexOf(QLatin1Char('\f'), at + 1))
        m_pageStarts.append(m_textOffset + at + 1);
    if (!m_anyText) {
        m_anyText = true;
        makeVoice();
    }
    if (m_request.verbatim)
        await(verbatimPieces(text), m_textOffset);
    else if (result.layout)
        takeLayout(result.pages);
    else
        prepare(plainTextPages(text, m_textOffset, m_nextPage - requestedPages));
    m_textOffset += text.size();
    // The converter gives every page asked for that the document has (pdftotext's plain text
    // ends each with a form feed): fewer than asked for is the end.
    if (result.layout)
        return result.pages.size() < requestedPages;
    return text.count(QLatin1Char('\f')) < requestedPages;
}

// A range's pages, read from their layout; their words' offsets continue the text so far.
void ReadingSession::takeLayout(QList<LayoutPage> pages)
{
    layoutText(pages, m_textOffset);
    m_layoutPages.append(pages);
    prepare(pages);
}

// Pages read into the pieces waiting to be said, with those held for them.
void ReadingSession::prepare(const QList<LayoutPage>& pages)
{
    if (!m_layoutPreparation) {
        LayoutReadingOptions options;
        options.readFootnotes = m_request.readFootnotes;
        options.language = m_voiceLanguage;
        m_layoutPreparation = std::make_unique<LayoutPreparation>(options);
    }
    m_layoutPreparation->add(pages);
    await(m_layoutPreparation->takePieces(), 0);
}

// Every range has been converted: once no page waits for its recognition, the document is
// finished, and a document without any text ends the reading. Returns whether it ended.
bool ReadingSession::endDocument()
{
    m_allConverted = true;
    if (m_documentFinished || (m_recognition && !m_recognition->isEmpty()))
        return false;
    finishDocument();
    if (m_anyText)
        return false;
    stop();
    return true;
}

// The document has been converted: what the preparations still hold is let out, and the pages
// that could not be read are named.
void ReadingSession::finishDocument()
{
    m_documentFinished = true;
    if (m_layoutPreparation) {
        m_layoutPreparation->finish();
        await(m_layoutPreparation->takePieces(), 0);
        m_unreadablePages = m_layoutPreparation->unreadablePages();
    }
    m_complete = true;
    if (!m_unreadablePages.isEmpty())
        emit unreadablePages(m_unreadablePages);
}

} // namespace lectorix
