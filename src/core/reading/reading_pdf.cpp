// The reading session's PDF: fed a range of pages at a time as pieces to say (DocumentFeed),
// its outline and pages kept for its chapters, pages without usable text recognised a few pages
// ahead of the voice.

#include "core/base/failure.h"
#include "core/document/document_feed.h"
#include "core/files/temp_folder.h"
#include "core/pdf/outline_job.h"
#include "core/reading/reading_session.h"

#include <QTemporaryDir>

namespace lectorix {

bool ReadingSession::startPdf()
{
    step(ReadingStep::MakeWorkingFolder,
         [&] { m_workFolder = makeWorkingFolder(QStringLiteral("reading")); });
    if (!m_workFolder) {
        // No usable temporary folder (already reported): nothing may be written there.
        setState(ReadingState::Idle);
        return false;
    }
    m_anyText = false;
    if (!m_request.outline)
        readOutline();
    FeedRequest feed;
    feed.pdfPath = m_request.pdfPath;
    feed.password = m_request.password;
    feed.converter = m_request.converter;
    feed.workFolder = m_workFolder->path();
    feed.recognise = m_request.recognise;
    feed.verbatim = m_request.verbatim;
    feed.reading.readFootnotes = m_request.readFootnotes;
    m_feed = new DocumentFeed(feed, this);
    // The extraction's own steps (copying, testing) are the front end's to report, as steps of
    // the reading.
    connect(m_feed, &Job::stepFailed, this, &Job::stepFailed);
    connect(m_feed, &Job::asked, this, &ReadingSession::relay);
    // The voice is made with the first text: sentences end, and pages are recognised, by its
    // language.
    connect(m_feed, &DocumentFeed::textFound, this, [this] {
        makeVoice();
        m_feed->setLanguage(m_voiceLanguage);
    });
    connect(m_feed, &DocumentFeed::rangeReady, this, &ReadingSession::takeRange);
    connect(m_feed, &DocumentFeed::failed, this, &ReadingSession::feedFailed);
    connect(m_feed, &DocumentFeed::recognitionFailed, this, &ReadingSession::recognitionFailed);
    m_feed->start();
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

// The next part of the text and the pieces ready to say; with the document's last, the pages
// that could not be read are named, and a document without any text ends the reading.
void ReadingSession::takeRange(const FedRange& range)
{
    // The password the user answered opens the later ranges too.
    m_request.password = m_feed->password();
    if (range.readFailure)
        emit stepFailed(ReadingFailure{ReadingStep::ReadPages, *range.readFailure, QString()});
    if (range.converted) {
        emit textConverted(range.offset, range.text);
        m_pageStarts.append(range.pageStarts);
        m_layoutPages.append(range.pages);
        if (!range.pages.isEmpty())
            emit pagesLaidOut(range.pages);
        m_anyText = true;
    }
    m_pieces.append(range.pieces);
    if (range.last) {
        m_complete = true;
        if (!range.unreadablePages.isEmpty())
            emit unreadablePages(range.unreadablePages);
        if (!m_anyText) {
            stop();
            return;
        }
    }
    findChapters();
    m_queueStep = ReadingStep::QueuePdfText;
    if (m_voice)
        queueAhead();
    else if (m_anyText)
        m_nextPiece = m_pieces.size(); // the voice could not be made (reported): nothing is said
}

// The converter could not run (said as the converter's step, naming the package that brings
// it), or the password was asked for and not given: the reading ends.
void ReadingSession::feedFailed(FeedFault fault, const QString& detail)
{
    m_request.password = m_feed->password();
    if (fault == FeedFault::Converter)
        emit stepFailed(ReadingFailure{m_request.password.isEmpty()
                                           ? ReadingStep::ConvertPages
                                           : ReadingStep::ConvertPagesWithPassword,
                                       detail, QString()});
    stop();
}

// The voice has said everything while a page is being recognised: the pages held back for the
// pages after them are said now, so a scan starts speaking once its first page is recognised.
void ReadingSession::sayHeldPages()
{
    if (!m_feed || !m_feed->isWaitingForRecognition() || !m_voice || !m_voice->isDone() ||
        m_nextPiece < m_pieces.size())
        return;
    m_feed->readHeldPages();
}

// The voice has begun the utterance at heardOffset: recognition may go on a few pages past
// the page that holds it.
void ReadingSession::followRecognition(qsizetype heardOffset)
{
    if (m_feed)
        m_feed->setPageHeard(pageAt(heardOffset));
}

// The rest of the document is not fed any more.
void ReadingSession::dropFeed()
{
    if (!m_feed)
        return;
    m_feed->disconnect(this);
    m_feed->cancel(); // stops its tools at once and removes their files
    m_feed->deleteLater();
    m_feed = nullptr;
}

} // namespace lectorix
