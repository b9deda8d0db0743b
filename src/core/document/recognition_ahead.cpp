#include "core/document/recognition_ahead.h"

#include "core/text/layout/reading.h"

namespace lectorix {

RecognitionAhead::RecognitionAhead(RecognitionAheadRequest request, QObject* parent)
    : QObject(parent), m_request(std::move(request))
{
}

RecognitionAhead::~RecognitionAhead()
{
    // A running job stops its tools and removes its files as it goes, without finishing.
    if (m_job) {
        m_job->disconnect(this);
        delete m_job;
    }
}

void RecognitionAhead::add(const QList<LayoutPage>& pages)
{
    for (const LayoutPage& page : pages)
        m_held.append({page, !m_broken && !hasUsableText(page)});
    letReadyOut();
    recogniseMore();
}

void RecognitionAhead::setPageHeard(int page)
{
    if (page <= m_pageHeard)
        return;
    m_pageHeard = page;
    recogniseMore();
}

QList<LayoutPage> RecognitionAhead::takeReady()
{
    return std::exchange(m_ready, {});
}

// One job at a time takes the pages waiting within reach of the voice; the next starts when
// it ends, or when the voice has moved on.
void RecognitionAhead::recogniseMore()
{
    if (m_job || m_broken)
        return;
    const int reach = m_pageHeard + m_request.pagesAhead;
    RecognitionRequest request;
    request.pdfPath = m_request.pdfPath;
    request.password = m_request.password;
    request.languages = m_request.languages;
    for (HeldPage& held : m_held) {
        if (!held.waiting || held.asked)
            continue;
        // The first page waiting is always taken: nothing after it can be read before it.
        if (!request.pages.isEmpty() && held.page.number > reach)
            break;
        held.asked = true;
        request.pages.append(held.page.number);
    }
    if (request.pages.isEmpty())
        return;
    m_job = new RecognitionJob(request, this);
    connect(m_job, &RecognitionJob::pageRecognised, this, &RecognitionAhead::pageRecognised);
    connect(m_job, &RecognitionJob::finished, this, &RecognitionAhead::jobFinished);
    m_job->start();
}

void RecognitionAhead::pageRecognised(const LayoutPage& page)
{
    for (HeldPage& held : m_held) {
        if (held.waiting && held.page.number == page.number) {
            held.page = page;
            held.waiting = false;
            break;
        }
    }
    letReadyOut();
}

void RecognitionAhead::jobFinished(const RecognitionResult& result)
{
    m_job->deleteLater();
    m_job = nullptr;
    if (result.outcome == RecognitionOutcome::Cancelled)
        return;
    const bool broken = result.outcome != RecognitionOutcome::Done;
    // Pages the job did not give (or all, when it could not run) pass as they came.
    for (HeldPage& held : m_held) {
        if (held.asked || broken)
            held.waiting = false;
    }
    if (broken) {
        m_broken = true;
        emit failed(result.message);
    }
    letReadyOut();
    recogniseMore();
}

void RecognitionAhead::letReadyOut()
{
    bool any = false;
    while (!m_held.isEmpty() && !m_held.first().waiting) {
        m_ready.append(m_held.takeFirst().page);
        any = true;
    }
    if (any)
        emit pagesReady();
}

} // namespace lectorix
