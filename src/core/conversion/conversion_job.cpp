#include "core/conversion/conversion_job.h"

#include "core/base/failure.h"
#include "core/conversion/conversion_state.h"
#include "core/conversion/mp3_tags.h"
#include "core/files/temp_folder.h"
#include "core/pdf/document_text.h"
#include "core/process/missing_parts.h"

#include <QFile>
#include <QFileInfo>
#include <QTimer>

namespace lectorix {

QString notMadeMessage(const QString& outputPath, const QString& why)
{
    return QStringLiteral("The MP3 file %1 could not be made: %2").arg(outputPath, why);
}

QString ConversionJob::State::writingFailure(const QString& usual, qint64 needed) const
{
    QString full = diskFullMessage(QFileInfo(request.outputPath).absolutePath());
    if (full.isEmpty() && work)
        full = diskFullMessage(QFileInfo(work->path()).absolutePath(), needed);
    return notMadeMessage(request.outputPath, full.isEmpty() ? usual : full);
}

void ConversionJob::State::start()
{
    running = true;
    // A missing tool is named before any work is done, with the package that brings it.
    QStringList missing;
    if (!request.sourcePdf.isEmpty())
        missing << missingToolMessage(request.converter, QStringLiteral("pdftotext"));
    missing << missingToolMessage(request.encoder, QStringLiteral("lame"));
    missing.removeAll(QString());
    if (!missing.isEmpty()) {
        finish(ConversionOutcome::Failed, missing.join(QLatin1Char(' ')));
        return;
    }
    step(ConversionStep::MakeWorkingFolder,
         [&] { work = makeWorkingFolder(QStringLiteral("conversion")); });
    if (!work) {
        finish(ConversionOutcome::Failed,
               notMadeMessage(request.outputPath, QStringLiteral("no working folder.")));
        return;
    }
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
    connect(extraction, &ExtractionJob::stepFailed, q, &ConversionJob::extractionStepFailed);
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
        if (textExtracted && running)
            makeMp3();
    });
    outline->start();
}

void ConversionJob::State::extracted(const ExtractionResult& result)
{
    const QString pdf = request.sourcePdf;
    switch (result.outcome) {
    case ExtractionOutcome::Text:
        textPath = result.textPath;
        layout = result.layout;
        pages = result.pages;
        readDocumentInfo();
        textExtracted = true;
        if (outlineDone)
            makeMp3();
        return;
    case ExtractionOutcome::NeedsPassword:
    case ExtractionOutcome::Protected:
    case ExtractionOutcome::Missing:
        finish(conversionOutcome(result.outcome, !request.password.isEmpty()),
               protectedTextMessage(pdf));
        return;
    case ExtractionOutcome::Unreadable:
        finish(ConversionOutcome::Unreadable, unreadableTextMessage(pdf));
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

// The PDF's Title and Author, read while the voice speaks.
void ConversionJob::State::readDocumentInfo()
{
    documentInfo = new ChildProcess(q);
    documentInfoDone = false;
    connect(documentInfo, &ChildProcess::finished, q, [this] {
        documentInfoDone = true;
        for (const int output : std::exchange(waitingForTags, {}))
            if (running && !placeOutput(output, documentTags()))
                return;
        if (waitingForDocumentInfo)
            complete();
    });
    if (documentInfo->start(documentInfoArguments(request.sourcePdf, request.password), QString(),
                            -1, workPath(QStringLiteral("info.txt"))) != 0)
        documentInfoDone = true; // no pdfinfo: the tags go without
}

void ConversionJob::State::removeWorkingFiles()
{
    if (lanes)
        lanes->stop();
    if (documentInfo)
        documentInfo->stop();
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
    removeWorkingFiles();
    emit q->finished({outcome, message, detail, unreadablePages});
}

ConversionJob::ConversionJob(ConversionRequest request, QObject* parent)
    : QObject(parent), d(std::make_unique<State>())
{
    qRegisterMetaType<ConversionProgress>();
    qRegisterMetaType<ConversionResult>();
    qRegisterMetaType<ConversionFailure>();
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

} // namespace lectorix
