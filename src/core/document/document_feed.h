#pragma once

#include "core/base/job.h"
#include "core/document/feed_preparation.h"
#include "core/text/layout/reading.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <deque>
#include <functional>
#include <memory>

namespace lectorix {

class ExtractionJob;
struct ExtractionResult;
class RecognitionAhead;

struct FeedRequest
{
    // The PDF, converted a range of pages at a time; the first range copies it into
    // workFolder and the later ones read that copy, so a document changed or removed meanwhile
    // is still read as it was.
    QString pdfPath;
    QString password;
    QString converter = QStringLiteral("pdftotext");
    QString workFolder;
    // Pages converted first, and the most converted at once later; each later range is twice
    // as long as the one before. A small first range lets a reading start speaking at once.
    int firstRangePages = 10;
    int largestRangePages = 80;
    // Pages without usable text are recognised (in the language's and English), a few pages
    // ahead of the page heard (setPageHeard).
    bool recognise = false;
    // Line by line as the text stands, instead of read into sentences; the layout reading's
    // choices otherwise (its language may still be set when text is found).
    bool verbatim = false;
    LayoutReadingOptions reading;
};

// How a feed ended before its last range.
enum class FeedFault {
    Converter, // the converter could not run at all (a MachineFault: the detail says why)
    Declined,  // the password was asked for and not given, before any text came
};

// A document turned into prepared text range by range: its pages converted a range at a time
// by ExtractionJob (whose steps and password questions it passes on as its own), pages without
// usable text recognised on the way where asked (RecognitionAhead), and each range read from
// its layout into sentences (RangePreparation). Reading the converter's layout, the layout
// reading and the cutting into sentences run on a worker thread, one range after the other,
// never on the thread that owns the feed; the ranges come back by rangeReady() in order. A feed
// cancelled or destroyed at any point hands nothing more over and leaves no process; the
// worker finishing a range meanwhile only drops its result.
class DocumentFeed final : public Job
{
    Q_OBJECT

public:
    explicit DocumentFeed(FeedRequest request, QObject* parent = nullptr);
    ~DocumentFeed() override;

    void start();
    void cancel() override;
    // Until the last range has been handed over, or the feed failed or was cancelled.
    bool isRunning() const override { return m_running; }
    // The password that opened the document, once one was answered.
    const QString& password() const { return m_request.password; }
    // With recognition: whether the next page to hand over waits for its recognition.
    bool isWaitingForRecognition() const;
    // The page heard: recognition may go on a few pages past it.
    void setPageHeard(int page);
    // The sentence language and recognition languages, from a slot of textFound() on.
    void setLanguage(const QString& language);
    // Hands over what the pages held for the pages after them make now (a reading whose next
    // page is being recognised need not wait for it).
    void readHeldPages();

    // The whole of a document as an export speaks it, prepared on a worker thread and handed
    // over by documentPrepared(); the feed needs no start() for it.
    void prepareWhole(WholeDocument document);

signals:
    // The first text, or the first pages to recognise, are there: a slot may still set the
    // language (setLanguage) before anything is prepared.
    void textFound();
    void rangeReady(const lectorix::FedRange& range);
    void failed(lectorix::FeedFault fault, const QString& detail);
    // Recognition could not run at all: what to install. The pages pass without words.
    void recognitionFailed(const QString& message);
    void documentPrepared(const lectorix::PreparedDocument& prepared);

private:
    using Task = std::function<FedRange(RangePreparation&)>;
    void convertNextRange();
    void rangeExtracted(const ExtractionResult& result);
    void takeForRecognition(const ExtractionResult& result);
    void takeRecognisedPages();
    void noteText();
    void rangeDone(bool last);
    void finishWhenDone();
    void queue(Task task);
    void runNext();
    void taskDone(FedRange range);

    FeedRequest m_request;
    bool m_running = false;
    ExtractionJob* m_extraction = nullptr;
    RecognitionAhead* m_recognition = nullptr;
    int m_nextPage = 1;
    int m_rangePages = 0;
    bool m_textFound = false;
    bool m_anyText = false;
    bool m_allExtracted = false;
    bool m_finishQueued = false;
    // The preparation is handed to one worker at a time; this thread does not touch it between.
    std::shared_ptr<RangePreparation> m_preparation;
    std::deque<Task> m_tasks;
    bool m_preparing = false;
};

} // namespace lectorix

Q_DECLARE_METATYPE(lectorix::FedRange)
Q_DECLARE_METATYPE(lectorix::PreparedDocument)
