#include "core/document/document_feed.h"

#include "core/base/off_thread.h"
#include "core/document/recognition_ahead.h"
#include "core/ocr/recognition_languages.h"
#include "core/pdf/document_text.h"

#include <QFile>

namespace lectorix {

DocumentFeed::DocumentFeed(FeedRequest request, QObject* parent)
    : Job(parent), m_request(std::move(request)),
      m_preparation(std::make_shared<RangePreparation>(m_request.reading, m_request.verbatim))
{
    qRegisterMetaType<FedRange>();
    qRegisterMetaType<PreparedDocument>();
    m_preparation->setSourcePdf(m_request.pdfPath);
}

DocumentFeed::~DocumentFeed()
{
    cancel();
}

void DocumentFeed::start()
{
    m_running = true;
    m_nextPage = 1;
    m_rangePages = m_request.firstRangePages;
    convertNextRange();
}

void DocumentFeed::cancel()
{
    m_running = false;
    m_tasks.clear();
    dropQuestion();
    if (m_extraction) {
        m_extraction->disconnect(this);
        m_extraction->cancel();
        m_extraction->deleteLater();
        m_extraction = nullptr;
    }
    delete m_recognition; // stops its tools at once and removes their files
    m_recognition = nullptr;
}

bool DocumentFeed::isWaitingForRecognition() const
{
    return m_recognition && m_recognition->isWaiting();
}

void DocumentFeed::setPageHeard(int page)
{
    if (m_recognition)
        m_recognition->setPageHeard(page);
}

void DocumentFeed::setLanguage(const QString& language)
{
    m_request.reading.language = language;
}

void DocumentFeed::readHeldPages()
{
    if (!m_running || m_preparing || !m_tasks.empty() || !m_anyText)
        return;
    queue([](RangePreparation& preparation) { return preparation.readHeldPages(); });
}

void DocumentFeed::convertNextRange()
{
    const QString copy = m_request.workFolder + QStringLiteral("/output.pdf");
    ExtractionRequest extract;
    extract.password = m_request.password;
    extract.converter = m_request.converter;
    extract.firstPage = m_nextPage;
    extract.lastPage = m_nextPage + m_rangePages - 1;
    if (m_nextPage == 1) {
        extract.pdfPath = m_request.pdfPath;
        extract.workingCopyPath = copy;
    } else {
        // A file of its own for each range: the one before may still be waiting to be read.
        extract.pdfPath = copy;
        extract.textPath = m_request.workFolder + QStringLiteral("/range%1.txt").arg(m_nextPage);
    }
    m_extraction = new ExtractionJob(extract, this);
    connect(m_extraction, &Job::stepFailed, this, &Job::stepFailed);
    connect(m_extraction, &Job::asked, this, [this](JobQuestion* question) { relay(question); });
    connect(m_extraction, &ExtractionJob::finished, this,
            [this](const ExtractionResult& result) { rangeExtracted(result); });
    m_extraction->start();
}

void DocumentFeed::rangeExtracted(const ExtractionResult& result)
{
    const int requested = m_rangePages;
    if (m_extraction) {
        // The password the user answered opens the later ranges too.
        m_request.password = m_extraction->request().password;
        m_extraction->deleteLater();
        m_extraction = nullptr;
    }
    if (result.outcome == ExtractionOutcome::Cancelled || !m_running)
        return;
    if (result.outcome == ExtractionOutcome::MachineFault ||
        (result.outcome == ExtractionOutcome::NeedsPassword && !m_anyText)) {
        const FeedFault fault = result.outcome == ExtractionOutcome::MachineFault
                                    ? FeedFault::Converter
                                    : FeedFault::Declined;
        cancel();
        emit failed(fault, result.detail);
        return;
    }
    const int firstPage = m_nextPage;
    m_nextPage += requested;
    m_rangePages = qMin(m_rangePages * 2, m_request.largestRangePages);

    const bool text = result.outcome == ExtractionOutcome::Text;
    if (m_request.recognise && result.layout &&
        (text || result.outcome == ExtractionOutcome::Unreadable)) {
        takeForRecognition(result);
        rangeDone(result.pages.size() < requested);
    } else if (text) {
        noteText();
        m_anyText = true;
        // The converter gives every page asked for that the document has: fewer than asked
        // for is the end. With the pages' layout that is known now, and the next range is
        // converted while this one is prepared; plain text says it once it is read.
        const bool known = result.layout;
        const bool last = known && result.pages.size() < requested;
        const bool finish = (last || !known) && m_recognition == nullptr;
        m_finishQueued = m_finishQueued || (last && finish);
        queue([path = result.textPath, layout = result.layout, pages = result.pages, firstPage,
               requested, known, finish](RangePreparation& preparation) {
            FedRange range = preparation.takeText(path, layout, pages, firstPage, requested);
            range.endsExtraction = !known;
            if (range.fewerPages && finish)
                preparation.finish(range);
            return range;
        });
        if (known)
            rangeDone(last);
    } else if (result.outcome == ExtractionOutcome::Unreadable) {
        // A range of scanned pages: the text may start further on.
        rangeDone(result.layout && result.pages.size() < requested);
    } else {
        // No text file: before any text, the document cannot be read; after some, the
        // document has ended (a range beyond the last page).
        rangeDone(true);
    }
}

// A range's pages go through the recognition, which lets them out in order as each is ready;
// the pages themselves hold the text, so the range's text file is not read.
void DocumentFeed::takeForRecognition(const ExtractionResult& result)
{
    if (result.outcome == ExtractionOutcome::Text)
        QFile::remove(result.textPath);
    if (!m_recognition) {
        noteText(); // the recognition's languages are the text's
        RecognitionAheadRequest recognition;
        recognition.pdfPath = m_request.workFolder + QStringLiteral("/output.pdf");
        recognition.password = m_request.password;
        recognition.languages = recognitionLanguages(m_request.reading.language);
        m_recognition = new RecognitionAhead(recognition, this);
        // Queued, so the feed never ends the recognition from inside its own signal.
        connect(
            m_recognition, &RecognitionAhead::pagesReady, this,
            [this] {
                if (m_recognition)
                    takeRecognisedPages();
            },
            Qt::QueuedConnection);
        connect(
            m_recognition, &RecognitionAhead::failed, this,
            [this](const QString& message) {
                if (m_recognition)
                    emit recognitionFailed(message);
            },
            Qt::QueuedConnection);
    }
    m_recognition->add(result.pages);
}

void DocumentFeed::takeRecognisedPages()
{
    QList<LayoutPage> pages = m_recognition->takeReady();
    if (pages.isEmpty() || !m_running)
        return;
    m_anyText = true;
    const bool finish = m_allExtracted && m_recognition->isEmpty();
    m_finishQueued = m_finishQueued || finish;
    queue([pages, finish](RangePreparation& preparation) {
        FedRange range = preparation.takePages(pages);
        if (finish)
            preparation.finish(range);
        return range;
    });
}

void DocumentFeed::noteText()
{
    if (m_textFound)
        return;
    m_textFound = true;
    emit textFound();
}

void DocumentFeed::rangeDone(bool last)
{
    if (!last) {
        convertNextRange();
        return;
    }
    m_allExtracted = true;
    finishWhenDone();
}

// Every range has been converted: once no page waits for its recognition and nothing is being
// prepared, what the preparation still holds is let out with the document's end.
void DocumentFeed::finishWhenDone()
{
    if (!m_running || !m_allExtracted || m_finishQueued || m_preparing || !m_tasks.empty() ||
        (m_recognition && !m_recognition->isEmpty()))
        return;
    m_finishQueued = true;
    queue([](RangePreparation& preparation) {
        FedRange range;
        preparation.finish(range);
        return range;
    });
}

// The preparation's tasks run one after the other, in the order they came, each on a worker
// thread; the language set by then goes with each.
void DocumentFeed::queue(Task task)
{
    m_tasks.push_back(std::move(task));
    runNext();
}

void DocumentFeed::runNext()
{
    if (m_preparing || m_tasks.empty())
        return;
    m_preparing = true;
    Task task = std::move(m_tasks.front());
    m_tasks.pop_front();
    runOffThread(
        this,
        [preparation = m_preparation, language = m_request.reading.language,
         task = std::move(task)] {
            preparation->setLanguage(language);
            return task(*preparation);
        },
        [this](FedRange range) { taskDone(std::move(range)); });
}

void DocumentFeed::taskDone(FedRange range)
{
    m_preparing = false;
    if (!m_running)
        return;
    if (range.last) {
        m_running = false;
        delete m_recognition;
        m_recognition = nullptr;
    }
    emit rangeReady(range);
    // A slot may have cancelled the feed.
    if (!m_running)
        return;
    if (range.endsExtraction)
        rangeDone(range.fewerPages);
    runNext();
    finishWhenDone();
}

void DocumentFeed::prepareWhole(WholeDocument document)
{
    runOffThread(
        this, [document = std::move(document)] { return prepareWholeDocument(document); },
        [this](PreparedDocument prepared) { emit documentPrepared(prepared); });
}

} // namespace lectorix
