#include "core/conversion/conversion_job.h"

#include "core/base/failure.h"
#include "core/conversion/encoder_lanes.h"
#include "core/conversion/mp3_output.h"
#include "core/conversion/mp3_tags.h"
#include "core/conversion/spoken_text.h"
#include "core/files/file_utils.h"
#include "core/files/temp_folder.h"
#include "core/files/text_decoding.h"
#include "core/pdf/document_text.h"
#include "core/process/child_process.h"
#include "core/process/missing_parts.h"
#include "core/speech/speech_engine.h"
#include "core/text/text_splitting.h"

#include <QFile>
#include <QFileInfo>
#include <QTimer>

namespace lectorix {

namespace {

QString notMade(const QString& outputPath, const QString& why)
{
    return QStringLiteral("The MP3 file %1 could not be made: %2").arg(outputPath, why);
}

// How much of the whole job each part stands for, for the progress bar.
constexpr double ExtractionShare = 0.05;
constexpr double FinishingShare = 0.02;

// One encoder for each processor core of the machines this runs on; a text shorter than two
// lanes' worth is not worth joining.
constexpr int EncoderLaneCount = 2;
constexpr qsizetype MinimumLaneLength = 10000;

} // namespace

struct ConversionJob::State
{
    ConversionJob* q = nullptr;
    ConversionRequest request;
    bool running = false;
    std::unique_ptr<QTemporaryDir> work;
    ExtractionJob* extraction = nullptr;
    EncoderLanes* lanes = nullptr;
    ChildProcess* documentInfo = nullptr; // pdfinfo, for the tags
    bool documentInfoDone = true;
    bool waitingForDocumentInfo = false;
    // The document's text: the extraction's text file, or the text given.
    QString textPath;
    // The PDF's pages, when the converter gave their layout.
    bool layout = false;
    QList<LayoutPage> pages;
    QList<int> unreadablePages;
    QString partialPath;
    int pieces = 0;
    qint64 totalCharacters = 0;
    qint64 spokenCharacters = 0;

    QString workPath(const QString& name) const { return work->path() + QLatin1Char('/') + name; }

    void report(ConversionStage stage, int piece, double fraction)
    {
        emit q->progress(
            {stage, piece, pieces, qBound(0.0, fraction, 1.0), spokenCharacters, totalCharacters});
    }
    template <typename Body> bool step(ConversionStep which, Body&& body)
    {
        return runStep(which, std::forward<Body>(body),
                       [this](const ConversionFailure& failure) { emit q->stepFailed(failure); });
    }

    void start();
    void extract();
    void extracted(const ExtractionResult& result);
    void makeMp3();
    bool reserveOutput();
    QList<Utterance> utterancesToSpeak();
    void speakAndEncode(const QList<Utterance>& utterances);
    void spoken(qint64 characters, int lanesSpoken);
    void lanesEnded(LanesEnd end, const QString& speechFailure);
    void encoderFailed();
    void readDocumentInfo();
    void complete();
    void finish(ConversionOutcome outcome, const QString& message,
                const QString& detail = QString());
    void removeWorkingFiles();
    // Why a step that wrote files failed: a full disk (of the output or the working folder)
    // when that is the cause, else the usual reason.
    QString writingFailure(const QString& usual, qint64 needed = 0) const;
};

QString ConversionJob::State::writingFailure(const QString& usual, qint64 needed) const
{
    QString full = diskFullMessage(QFileInfo(request.outputPath).absolutePath());
    if (full.isEmpty() && work)
        full = diskFullMessage(QFileInfo(work->path()).absolutePath(), needed);
    return notMade(request.outputPath, full.isEmpty() ? usual : full);
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
               notMade(request.outputPath, QStringLiteral("no working folder.")));
        return;
    }
    report(ConversionStage::Extracting, 0, 0.0);
    if (request.sourcePdf.isEmpty())
        QTimer::singleShot(0, q, [this] { makeMp3(); });
    else
        extract();
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

void ConversionJob::State::extracted(const ExtractionResult& result)
{
    const QString pdf = request.sourcePdf;
    switch (result.outcome) {
    case ExtractionOutcome::Text:
        textPath = result.textPath;
        layout = result.layout;
        pages = result.pages;
        readDocumentInfo();
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

bool ConversionJob::State::reserveOutput()
{
    QString refusal;
    step(ConversionStep::ReserveOutput, [&] {
        try {
            partialPath = reservePartialFile(request.outputPath);
        } catch (const Failure& failure) {
            refusal = failure.description();
        }
    });
    if (partialPath.isEmpty())
        finish(ConversionOutcome::OutputFailed,
               notMade(request.outputPath,
                       refusal.isEmpty() ? QStringLiteral("it could not be created.") : refusal));
    return !partialPath.isEmpty();
}

void ConversionJob::State::makeMp3()
{
    if (request.encoder.contains(QLatin1Char('/')) &&
        !step(ConversionStep::CheckEncoder, [&] { checkOwnProgram(request.encoder); })) {
        finish(ConversionOutcome::Failed,
               notMade(request.outputPath, QStringLiteral("the MP3 encoder was refused.")));
        return;
    }
    if (!reserveOutput())
        return;
    QList<Utterance> utterances;
    const bool prepared =
        step(ConversionStep::PrepareText, [&] { utterances = utterancesToSpeak(); });
    if (!prepared) {
        finish(ConversionOutcome::Failed,
               notMade(request.outputPath, QStringLiteral("the text could not be prepared for "
                                                          "speech.")));
        return;
    }
    if (!textPath.isEmpty())
        QFile::remove(textPath);
    if (utterances.isEmpty() && !unreadablePages.isEmpty()) {
        // Not a page of it could be read: a scanned document, as far as the listener goes.
        finish(ConversionOutcome::Unreadable, unreadableTextMessage(request.sourcePdf));
        return;
    }
    speakAndEncode(utterances);
}

// The PDF read from its layout, or the text, as spokenDocument says; sentences are cut by the
// voice's language unless the request names one.
QList<Utterance> ConversionJob::State::utterancesToSpeak()
{
    const QString text = request.sourcePdf.isEmpty()
                             ? request.sourceText
                             : (layout && !request.verbatim ? QString() : readTextFile(textPath));
    LayoutReadingOptions options{request.readFootnotes, request.language};
    UtteranceOptions utterance{request.pauses, QString(), request.oneVoice};
    if (!request.verbatim)
        utterance.voiceLanguage = voiceLanguage(request.voice);
    if (layout && !request.verbatim && options.language.isEmpty())
        options.language = utterance.voiceLanguage;
    SpokenDocument spoken =
        spokenDocument(text, layout ? &pages : nullptr, request.verbatim, options, utterance);
    pages.clear();
    unreadablePages = spoken.unreadablePages;
    return spoken.utterances;
}

// Encoding takes most of the time, so a long text is cut in two at a sentence and spoken in
// two lanes at once, one encoder on each processor core.
void ConversionJob::State::speakAndEncode(const QList<Utterance>& utterances)
{
    totalCharacters = 0;
    for (const Utterance& utterance : utterances)
        totalCharacters += utterance.text.size() + 1;
    EncoderLanes::Setup setup{request.voice, request.encoder, partialPath, work->path()};
    lanes = new EncoderLanes(setup,
                             splitUtterances(utterances, EncoderLaneCount, MinimumLaneLength), q);
    pieces = lanes->count();
    connect(lanes, &EncoderLanes::spoken, q,
            [this](qint64 characters, int lanesSpoken) { spoken(characters, lanesSpoken); });
    connect(lanes, &EncoderLanes::renderingFailed, q,
            [this](const RenderingFailure& failure) { emit q->renderingFailed(failure); });
    connect(lanes, &EncoderLanes::joining, q,
            [this] { report(ConversionStage::Joining, pieces, 1.0 - FinishingShare); });
    connect(lanes, &EncoderLanes::ended, q,
            [this](LanesEnd end, const QString& failure) { lanesEnded(end, failure); });
    report(ConversionStage::Speaking, 1, ExtractionShare);
    EncoderLanes::Start started = EncoderLanes::Start::EncoderNotStarted;
    step(pieces == 1 ? ConversionStep::StartEncoder : ConversionStep::StartPartEncoder,
         [&] { started = lanes->start(); });
    if (started == EncoderLanes::Start::NoPipe)
        finish(ConversionOutcome::Failed,
               notMade(request.outputPath, QStringLiteral("no pipe to the MP3 encoder.")));
    else if (started != EncoderLanes::Start::Started)
        encoderFailed();
}

void ConversionJob::State::spoken(qint64 characters, int lanesSpoken)
{
    const double share = 1.0 - ExtractionShare - FinishingShare;
    spokenCharacters = characters;
    report(ConversionStage::Speaking, qMin(lanesSpoken + 1, pieces),
           ExtractionShare + share * double(characters) / double(qMax<qint64>(1, totalCharacters)));
}

void ConversionJob::State::lanesEnded(LanesEnd end, const QString& speechFailure)
{
    switch (end) {
    case LanesEnd::Encoded:
        complete();
        return;
    case LanesEnd::EncoderFailed:
        encoderFailed();
        return;
    case LanesEnd::SpeechFailed:
        finish(ConversionOutcome::Failed,
               speechFailure == speech::ClassNotRegistered
                   ? speechFailure + QStringLiteral("\r\r") + speech::TryAnotherVoice
                   : notMade(request.outputPath,
                             QStringLiteral("the text could not be rendered to speech.")));
        return;
    case LanesEnd::JoinFailed:
        finish(ConversionOutcome::Failed,
               writingFailure(QStringLiteral("its %1 parts could not be joined.").arg(pieces)));
        return;
    }
}

void ConversionJob::State::encoderFailed()
{
    finish(ConversionOutcome::Failed,
           writingFailure(QStringLiteral("the MP3 encoder failed (is the package lame "
                                         "installed?).")));
}

// The PDF's Title and Author, read while the voice speaks.
void ConversionJob::State::readDocumentInfo()
{
    documentInfo = new ChildProcess(q);
    documentInfoDone = false;
    connect(documentInfo, &ChildProcess::finished, q, [this] {
        documentInfoDone = true;
        if (waitingForDocumentInfo)
            complete();
    });
    if (documentInfo->start(documentInfoArguments(request.sourcePdf, request.password), QString(),
                            -1, workPath(QStringLiteral("info.txt"))) != 0)
        documentInfoDone = true; // no pdfinfo: the tags go without
}

void ConversionJob::State::complete()
{
    if (!documentInfoDone) {
        waitingForDocumentInfo = true;
        return;
    }
    waitingForDocumentInfo = false;
    const QFileInfo made(partialPath);
    if (!made.exists() || made.size() == 0) {
        finish(ConversionOutcome::Failed,
               notMade(request.outputPath, QStringLiteral("the encoder wrote nothing.")));
        return;
    }
    try {
        const QString info = request.sourcePdf.isEmpty()
                                 ? QString()
                                 : readTextFile(workPath(QStringLiteral("info.txt")));
        writeMp3Tags(partialPath, conversionTags(request, info));
    } catch (const Failure& failure) {
        // The sound is complete; a player then shows the file name.
        qWarning("%s", qPrintable(failure.description()));
    }
    QString refusal;
    step(ConversionStep::RenameOutput, [&] {
        try {
            renameOver(partialPath, request.outputPath);
            partialPath.clear();
        } catch (const Failure& failure) {
            refusal = failure.description();
        }
    });
    if (!partialPath.isEmpty()) {
        finish(ConversionOutcome::OutputFailed,
               refusal.isEmpty() ? notMade(request.outputPath, QStringLiteral("it could not be "
                                                                              "renamed."))
                                 : refusal);
        return;
    }
    spokenCharacters = totalCharacters;
    report(ConversionStage::Encoding, pieces, 1.0);
    finish(ConversionOutcome::Done, QString());
}

void ConversionJob::State::removeWorkingFiles()
{
    if (lanes)
        lanes->stop();
    if (documentInfo)
        documentInfo->stop();
    if (!partialPath.isEmpty())
        QFile::remove(partialPath);
    partialPath.clear();
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
