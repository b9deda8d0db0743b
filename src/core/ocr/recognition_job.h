#pragma once

#include "core/base/failure.h"
#include "core/base/job.h"
#include "core/pdf/page_layout.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>

namespace lectorix {

struct RecognitionRequest
{
    QString pdfPath;
    // Given as owner and as user password; empty for none.
    QString password;
    // The pages to recognise, counted from 1 (in any order; repeats count once).
    QList<int> pages;
    // Tesseract's language codes (recognition_languages.h); empty for English.
    QStringList languages;
    // How many tesseract processes run at once; 0 for one per core (at most four).
    int lanes = 0;
    // The most pages one tesseract run takes. Each process first takes a single page, so the
    // first pages come soon; later runs take more, loading the language model once for all.
    int pagesPerRun = 4;
    // Recognise every page of the document; pages is then not used.
    bool allPages = false;
    // languages are only a guess (none was chosen): the pages are recognised in the language
    // the document declares, else in the one its first page, recognised first and alone, is
    // written in (identifiedLanguage), with English, when tesseract has that language; the
    // first page is recognised again when its language was not the guess.
    bool identifyLanguage = false;
};

// Which pages of a PDF a conversion or a reading recognises: none, those without usable
// text (no words, or words that are not language), or all.
enum class RecognitionMode { Never, Auto, Always };

enum class RecognitionOutcome {
    Done,         // every page was tried; those that failed are named in failedPages
    Failed,       // the document's pages could not be read (damaged, wrong password, ...)
    MachineFault, // a tool or a language's data is not installed: the message says what to install
    Cancelled,
};

// The steps of a recognition that can fail on their own. A page that fails to render or
// to be recognised is one failure, and the job goes on with the other pages.
enum class RecognitionStep {
    MakeWorkingFolder, // the job's private folder under {TEMP}
    ListLanguages,     // asking tesseract which languages it has
    ReadPageSizes,     // pdfinfo on the document (its failure is the outcome's message)
    RenderPage,        // pdftoppm on one page
    RecognisePages,    // one tesseract run over rendered pages
};
using RecognitionFailure = StepFailure<RecognitionStep>;

struct RecognitionResult
{
    RecognitionOutcome outcome = RecognitionOutcome::Failed;
    // Why it failed, what to install; empty for Done.
    QString message;
    // What a tool said, where there is something beyond the message.
    QString detail;
    // Every page asked for, in page order, as pageRecognised() gave them (with Done).
    QList<LayoutPage> pages;
    // The pages that could not be rendered or recognised, in order; they come as pages
    // without words.
    QList<int> failedPages;
};

// Recognises the text of a PDF's pages: renders each page to a grey 300 dpi image (pdftoppm)
// and recognises the images with the tesseract program, one process per core, each taking a
// list of pages so that its language model loads once per run. Every page comes as the
// page layout of a text page, in points of the page as shown, its words with tesseract's
// confidence. It never waits inside the event loop: the tools are child processes whose end
// arrives as an event. All images and outputs live in a private folder under {TEMP}, removed
// when the job ends, is cancelled or is destroyed, with no tool left running.
class RecognitionJob final : public Job
{
    Q_OBJECT

public:
    explicit RecognitionJob(RecognitionRequest request, QObject* parent = nullptr);
    // Destroying a running job stops its tools and removes its files; no finished() follows.
    ~RecognitionJob() override;

    void start();
    // Stops the tools at once and removes the job's files; finished() follows with Cancelled
    // before this returns.
    void cancel() override;
    bool isRunning() const override;
    const RecognitionRequest& request() const;

signals:
    // One recognised page, in page order: a page comes only after every page before it.
    void pageRecognised(const lectorix::LayoutPage& page);
    // Pages given so far of all pages asked for.
    void progress(int done, int total);
    void finished(const lectorix::RecognitionResult& result);

private:
    struct State;
    struct Lane;
    void listLanguages();
    void languagesListed(int exitCode);
    void readPageSizes();
    void pageSizesRead(int exitCode);
    void startLanes();
    void addLanes(int count);
    void firstPageRecognised(Lane& lane);
    void takeRun(Lane& lane);
    void renderNext(Lane& lane);
    void pageRendered(Lane& lane, int exitCode);
    void recognise(Lane& lane);
    void recognised(Lane& lane, int exitCode);
    void failPage(int page, RecognitionStep step, const QString& description,
                  const QString& reason);
    void givePagesInOrder();
    void finish(RecognitionOutcome outcome, const QString& message = QString(),
                const QString& detail = QString());
    void finishSoon(RecognitionOutcome outcome, const QString& message,
                    const QString& detail = QString());
    void stopAll();

    std::unique_ptr<State> d;
};

} // namespace lectorix

Q_DECLARE_METATYPE(lectorix::LayoutPage)
Q_DECLARE_METATYPE(lectorix::RecognitionResult)
