#include "core/conversion/conversion_job.h"

#include "core/base/failure.h"
#include "core/conversion/audio_format.h"
#include "core/conversion/conversion_state.h"
#include "core/conversion/mp3_tags.h"
#include "core/files/temp_folder.h"
#include "core/ocr/page_recognition.h"
#include "core/ocr/recognition_languages.h"
#include "core/pdf/document_text.h"
#include "core/process/missing_parts.h"

#include <QFile>
#include <QFileInfo>
#include <QTimer>

namespace lectorix {

QString notMadeMessage(AudioFormat format, const QString& outputPath, const QString& why)
{
    return QStringLiteral("The %1 file %2 could not be made: %3")
        .arg(audioFormatTitle(format), outputPath, why);
}

QString ConversionJob::State::writingFailure(const QString& usual, qint64 needed) const
{
    QString full = diskFullMessage(QFileInfo(request.outputPath).absolutePath());
    if (full.isEmpty() && work)
        full = diskFullMessage(QFileInfo(work->path()).absolutePath(), needed);
    return notMadeMessage(request.format, request.outputPath, full.isEmpty() ? usual : full);
}

void ConversionJob::State::start()
{
    running = true;
    // A missing tool is named before any work is done, with the package that brings it.
    QStringList missing;
    if (!request.sourcePdf.isEmpty())
        missing << missingToolMessage(request.converter, QStringLiteral("pdftotext"));
    if (request.format == AudioFormat::Mp3)
        missing << missingToolMessage(request.encoder, QStringLiteral("lame"));
    else
        missing << missingToolMessage(request.formatTool, QStringLiteral("ffmpeg"));
    missing.removeAll(QString());
    if (!missing.isEmpty()) {
        finish(ConversionOutcome::Failed, missing.join(QLatin1Char(' ')));
        return;
    }
    step(ConversionStep::MakeWorkingFolder,
         [&] { work = makeWorkingFolder(QStringLiteral("conversion")); });
    if (!work) {
        finish(ConversionOutcome::Failed, notMadeMessage(request.format, request.outputPath,
                                                         QStringLiteral("no working folder.")));
        return;
    }
    startFinishing();
    report(ConversionStage::Extracting, 0, 0.0);
    if (request.sourcePdf.isEmpty()) {
        QTimer::singleShot(0, q, [this] { makeMp3(); });
    } else {
        readOutline();
        extract();
    }
}

void ConversionJob::State::extract()
{
    ExtractionRequest extract;
    extract.pdfPath = request.sourcePdf;
    extract.password = request.password;
    extract.converter = request.converter;
    extract.workingCopyPath = workPath(QStringLiteral("output.pdf"));
    extraction = new ExtractionJob(extract, q);
    connect(extraction, &Job::stepFailed, q, &Job::stepFailed);
    connect(extraction, &Job::asked, q, [this](JobQuestion* question) { q->relay(question); });
    connect(extraction, &ExtractionJob::finished, q,
            [this](const ExtractionResult& result) { extracted(result); });
    extraction->start();
}

// The outline is read beside the text; the text is prepared once both are there. A document
// whose outline cannot be read goes on without.
void ConversionJob::State::readOutline()
{
    outlineDone = false;
    outline = new OutlineJob({request.sourcePdf, request.password, request.outlineReader}, q);
    connect(outline, &OutlineJob::finished, q, [this](const OutlineResult& result) {
        outlineDone = true;
        outlineEntries = result.entries;
        makeMp3WhenReady();
    });
    outline->start();
}

// A password the user gave the extraction opens the document for the outline, pdfinfo and the
// cover too, which ran, or were set up, with the one that did not.
void ConversionJob::State::takeAnsweredPassword()
{
    const QString answered = extraction->request().password;
    if (!running || answered == request.password)
        return;
    request.password = answered;
    if (outline) {
        outline->disconnect(q);
        outline->cancel();
        outline->deleteLater();
    }
    readOutline();
    finishing->stop();
    delete finishing;
    startFinishing();
}

void ConversionJob::State::extracted(const ExtractionResult& result)
{
    const QString pdf = request.sourcePdf;
    takeAnsweredPassword();
    switch (result.outcome) {
    case ExtractionOutcome::Text:
        textPath = result.textPath;
        layout = result.layout;
        pages = result.pages;
        documentInfoDone = !finishing->startSideTools();
        if (!recognise(!layout && request.recognition == RecognitionMode::Always)) {
            textExtracted = true;
            makeMp3WhenReady();
        }
        return;
    case ExtractionOutcome::NeedsPassword:
    case ExtractionOutcome::Protected:
    case ExtractionOutcome::Missing:
        finish(conversionOutcome(result.outcome, !request.password.isEmpty()),
               protectedTextMessage(pdf));
        return;
    case ExtractionOutcome::Unreadable:
        layout = result.layout;
        pages = result.pages;
        if (request.recognition != RecognitionMode::Never) {
            recogniseScan();
            return;
        }
        q->ask(JobQuestion::Kind::RecogniseScan, pdf, QString(),
               [this](const std::optional<QString>& yes) {
                   if (!running)
                       return;
                   if (!yes) {
                       finish(ConversionOutcome::Unreadable,
                              unreadableTextMessage(request.sourcePdf));
                       return;
                   }
                   request.recognition = RecognitionMode::Auto;
                   recogniseScan();
               });
        return;
    case ExtractionOutcome::Failed:
        // The window says what it always said when no text came out; the detail says why.
        finish(ConversionOutcome::Failed, protectedTextMessage(pdf), result.detail);
        return;
    case ExtractionOutcome::MachineFault:
        finish(ConversionOutcome::Failed, result.detail);
        return;
    case ExtractionOutcome::Cancelled:
        return;
    }
}

// A document without readable text is recognised, or it ends as unreadable.
void ConversionJob::State::recogniseScan()
{
    documentInfoDone = !finishing->startSideTools();
    if (!recognise(!layout))
        finish(ConversionOutcome::Unreadable, unreadableTextMessage(request.sourcePdf));
}

// Starts recognising the pages the request asks for, or every page of a document whose pages
// are not known; false when there is none to recognise. The text counts as extracted once the
// recognition has given its pages.
bool ConversionJob::State::recognise(bool wholeDocument)
{
    const QList<int> wanted = pagesToRecognise(request.recognition, pages);
    if (request.recognition == RecognitionMode::Never || (!wholeDocument && wanted.isEmpty()))
        return false;
    RecognitionRequest asked{request.sourcePdf, request.password, wanted,
                             conversionRecognitionLanguages(request)};
    asked.allPages = wholeDocument;
    asked.identifyLanguage = request.recognitionLanguages.isEmpty();
    recognition = new RecognitionJob(asked, q);
    connect(recognition, &Job::stepFailed, q, &Job::stepFailed);
    connect(recognition, &RecognitionJob::progress, q, [this](int done, int total) {
        if (done >= total)
            return; // speaking follows
        emit q->progress({ConversionStage::Recognising, done + 1, total,
                          ExtractionShare + RecognitionShare * done / qMax(1, total), 0, 0});
    });
    connect(recognition, &RecognitionJob::finished, q,
            [this](const RecognitionResult& result) { recognitionEnded(result); });
    speakingFrom = ExtractionShare + RecognitionShare;
    emit q->progress({ConversionStage::Recognising, 1, int(wanted.size()), ExtractionShare, 0, 0});
    recognition->start();
    return true;
}

void ConversionJob::State::recognitionEnded(const RecognitionResult& result)
{
    switch (result.outcome) {
    case RecognitionOutcome::Done:
        recognisedText = mergeRecognisedPages(pages, result.pages);
        layout = true;
        recognised = true;
        unrecognisedPages = result.failedPages;
        textExtracted = true;
        makeMp3WhenReady();
        return;
    case RecognitionOutcome::Failed:
    case RecognitionOutcome::MachineFault:
        finish(ConversionOutcome::Failed, result.message, result.detail);
        return;
    case RecognitionOutcome::Cancelled:
        return;
    }
}

// The text is prepared once both the text and the outline are there; with one file per
// chapter, the document's title too, which names what comes before the first chapter.
void ConversionJob::State::makeMp3WhenReady()
{
    if (!running || mp3Started || !textExtracted || !outlineDone ||
        (request.splitChapters && !documentInfoDone))
        return;
    mp3Started = true;
    makeMp3();
}

// The PDF's Title and Author and its cover are read while the voice speaks (a tool that does
// not start leaves its part out); M4B's and Opus's sound is put into its container as each
// file's parts are encoded.
void ConversionJob::State::startFinishing()
{
    finishing = new SoundFinishing({request.format, request.formatTool,
                                    request.cover ? request.coverRenderer : QString(),
                                    request.sourcePdf, request.password, work->path()},
                                   q);
    connect(finishing, &SoundFinishing::sideToolsEnded, q, [this] { sideToolsEnded(); });
    connect(finishing, &SoundFinishing::soundReady, q, [this](int output) {
        --containersRunning;
        if (running)
            soundReady(output);
    });
    connect(finishing, &SoundFinishing::containerFailed, q, [this](bool started) {
        if (started)
            finish(ConversionOutcome::Failed,
                   writingFailure(QStringLiteral("its sound could not be put into the file.")));
        else
            encoderFailed();
    });
}

void ConversionJob::State::sideToolsEnded()
{
    documentInfoDone = true;
    makeMp3WhenReady();
    for (const int output : std::exchange(waitingForTags, {}))
        if (running && !placeOutput(output, documentTags()))
            return;
    if (waitingForDocumentInfo)
        complete();
}

void ConversionJob::State::removeWorkingFiles()
{
    if (lanes)
        lanes->stop();
    if (finishing)
        finishing->stop();
    if (outline)
        outline->cancel();
    if (outputs)
        outputs->removePartials();
    work.reset(); // removes the folder and everything in it
}

void ConversionJob::State::finish(ConversionOutcome outcome, const QString& message,
                                  const QString& detail)
{
    if (!running)
        return;
    running = false;
    if (extraction && extraction->isRunning())
        extraction->cancel();
    if (recognition && recognition->isRunning())
        recognition->cancel();
    if (feed) {
        feed->disconnect(q);
        feed->deleteLater(); // a text being prepared is dropped
        feed = nullptr;
    }
    removeWorkingFiles();
    const QString folder = outputs && outputs->perChapter() && outcome == ConversionOutcome::Done
                               ? chapterFolder(request.outputPath)
                               : QString();
    emit q->finished({outcome, message, detail, unreadablePages, folder});
    emit q->ended();
}

ConversionJob::ConversionJob(ConversionRequest request, QObject* parent)
    : Job(parent), d(std::make_unique<State>())
{
    qRegisterMetaType<ConversionProgress>();
    qRegisterMetaType<ConversionResult>();
    d->q = this;
    d->request = std::move(request);
}

ConversionJob::~ConversionJob()
{
    d->running = false;
    d->removeWorkingFiles();
}

void ConversionJob::start()
{
    if (!d->running)
        d->start();
}

void ConversionJob::cancel()
{
    dropQuestion();
    d->finish(ConversionOutcome::Cancelled, ConversionCancelledMessage);
}

bool ConversionJob::isRunning() const
{
    return d->running;
}

const ConversionRequest& ConversionJob::request() const
{
    return d->request;
}

QStringList conversionRecognitionLanguages(const ConversionRequest& request)
{
    if (!request.recognitionLanguages.isEmpty())
        return request.recognitionLanguages;
    return recognitionLanguages(request.language.isEmpty() ? voiceLanguage(request.voice)
                                                           : request.language);
}

} // namespace lectorix
