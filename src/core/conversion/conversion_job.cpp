#include "core/conversion/conversion_job.h"

#include "core/process/child_process.h"
#include "core/conversion/chunking.h"
#include "core/text/text_preparation.h"
#include "core/pdf/document_text.h"
#include "core/speech/speech_text.h"
#include "core/text/text_splitting.h"
#include "core/base/error_report.h"
#include "core/base/failure.h"
#include "core/files/file_utils.h"
#include "core/process/missing_parts.h"
#include "core/conversion/mp3_encoding.h"
#include "core/conversion/mp3_output.h"
#include "core/conversion/mp3_tags.h"
#include "core/pdf/pdf_converter.h"
#include "core/process/process_runner.h"
#include "core/base/program_end.h"
#include "core/speech/speech_engine.h"
#include "core/speech/speech_rendering.h"
#include "core/files/temp_folder.h"

#include <QFile>
#include <QFileInfo>
#include <QTimer>

#include <csignal>
#include <optional>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

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
constexpr int EncoderLanes = 2;
constexpr qsizetype MinimumLaneLength = 10000;

} // namespace

ConversionOutcome conversionOutcome(ExtractionOutcome extraction, bool passwordGiven)
{
    switch (extraction) {
    case ExtractionOutcome::Text:
        return ConversionOutcome::Done;
    case ExtractionOutcome::NeedsPassword:
        return passwordGiven ? ConversionOutcome::WrongPassword : ConversionOutcome::NeedsPassword;
    case ExtractionOutcome::Protected:
        return ConversionOutcome::Protected;
    case ExtractionOutcome::Unreadable:
        return ConversionOutcome::Unreadable;
    case ExtractionOutcome::Missing:
        return ConversionOutcome::Missing;
    case ExtractionOutcome::Failed:
    case ExtractionOutcome::MachineFault:
        return ConversionOutcome::Failed;
    case ExtractionOutcome::Cancelled:
        return ConversionOutcome::Cancelled;
    }
    return ConversionOutcome::Failed;
}

QString conversionFailureReason(ConversionOutcome outcome)
{
    switch (outcome) {
    case ConversionOutcome::Done:
        return QStringLiteral("done");
    case ConversionOutcome::NeedsPassword:
        return QStringLiteral("needs a password");
    case ConversionOutcome::WrongPassword:
        return QStringLiteral("wrong password");
    case ConversionOutcome::Protected:
        return QStringLiteral("damaged, or its text is protected");
    case ConversionOutcome::Unreadable:
        return QStringLiteral("no text layer (a scanned document?)");
    case ConversionOutcome::Missing:
        return QStringLiteral("missing");
    case ConversionOutcome::OutputFailed:
        return QStringLiteral("cannot write the output");
    case ConversionOutcome::Failed:
        return QStringLiteral("the conversion failed");
    case ConversionOutcome::Cancelled:
        return QStringLiteral("cancelled");
    }
    return QString();
}

struct ConversionJob::State
{
    ConversionJob* q = nullptr;
    ConversionRequest request;
    Guard guard{"Form1", "PushButton8_Click"};
    bool running = false;
    std::unique_ptr<QTemporaryDir> work;
    std::unique_ptr<EndCleanup> onProgramEnd;
    ExtractionJob* extraction = nullptr;
    // One voice speaking into one encoder: a lane. A long text is spoken in two lanes at
    // once, so both processor cores encode; their parts are joined at the end.
    struct Lane
    {
        QString textPath;
        QString mp3Path;
        ChildProcess* encoder = nullptr;
        std::unique_ptr<SpeechRendering> rendering;
        qint64 spoken = 0;
        bool speakingDone = false;
        std::optional<int> encoderExit;
    };
    std::vector<Lane> lanes;
    ChildProcess* joiner = nullptr;
    ChildProcess* documentInfo = nullptr; // pdfinfo, for the tags
    bool documentInfoDone = true;
    bool waitingForDocumentInfo = false;
    QString textPath;
    QString partialPath;
    int pieces = 0;
    qint64 totalCharacters = 0;

    QString workPath(const QString& name) const { return work->path() + QLatin1Char('/') + name; }
    QString piecePath(int i, const char* extension) const
    {
        return chunkFileName(textPath, i, QLatin1String(extension));
    }

    void report(ConversionStage stage, int piece, double fraction)
    {
        emit q->progress({stage, piece, pieces, qBound(0.0, fraction, 1.0)});
    }

    void start();
    void extracted(const ExtractionResult& result);
    void makeMp3();
    void speakAndEncode();
    bool startLane(Lane& lane);
    void spoken(Lane& lane, const QString& failure);
    void encoderEnded(Lane& lane, int exitCode);
    void encoderFailed();
    void allEncoded();
    void join();
    void readDocumentInfo();
    Mp3Tags tags() const;
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
    Guard& g = guard;
    g(114, [&] { work = makeWorkingFolder(QStringLiteral("conversion")); });
    if (!work) {
        finish(ConversionOutcome::Failed,
               notMade(request.outputPath, QStringLiteral("no working folder.")));
        return;
    }
    // Closing the window ends the program at once; what this job wrote goes with it.
    onProgramEnd = std::make_unique<EndCleanup>(
        [this] { finish(ConversionOutcome::Cancelled, ConversionCancelledMessage); });
    textPath = workPath(QStringLiteral("output.txt"));
    report(ConversionStage::Extracting, 0, 0.0);

    if (request.sourcePdf.isEmpty()) {
        if (!guard(116, [&] { writeStringToFile(request.sourceText, textPath); })) {
            finish(ConversionOutcome::Failed,
                   writingFailure(QStringLiteral("the text could not be written to the working "
                                                 "folder."),
                                  request.sourceText.size()));
            return;
        }
        QTimer::singleShot(0, q, [this] { makeMp3(); });
        return;
    }

    ExtractionRequest extract;
    extract.pdfPath = request.sourcePdf;
    extract.password = request.password;
    extract.converter = request.converter;
    extract.workingCopyPath = workPath(QStringLiteral("output.pdf"));
    extract.report = {
        "Form1", "PushButton8_Click", 116, request.password.isEmpty() ? 130 : 126, 158, 160};
    extraction = new ExtractionJob(extract, q);
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

void ConversionJob::State::makeMp3()
{
    Guard& g = guard;
    if (request.encoder.contains(QLatin1Char('/')) &&
        !g(164, [&] { checkOwnProgram(request.encoder); })) {
        finish(ConversionOutcome::Failed,
               notMade(request.outputPath, QStringLiteral("the MP3 encoder was refused.")));
        return;
    }
    QString refusal;
    g(180, [&] {
        try {
            partialPath = reservePartialFile(request.outputPath);
        } catch (const Failure& failure) {
            refusal = failure.description();
        }
    });
    if (partialPath.isEmpty()) {
        finish(ConversionOutcome::OutputFailed,
               notMade(request.outputPath,
                       refusal.isEmpty() ? QStringLiteral("it could not be created.") : refusal));
        return;
    }
    // The text is spoken as it would be read aloud: a paragraph to a line, without running
    // headers and page numbers. The chunk limits then count the prepared text.
    if (!request.verbatim &&
        !g(182, [&] { writeStringToFile(utteranceLines(prepareForSpeech(readTextFile(textPath))),
                                        textPath); })) {
        finish(ConversionOutcome::Failed,
               notMade(request.outputPath, QStringLiteral("the text could not be prepared for "
                                                          "speech.")));
        return;
    }
    g(182, [&] { pieces = cutIntoChunkFiles(request.voice.rate, textPath); });
    if (pieces < 1) {
        finish(ConversionOutcome::Failed,
               notMade(request.outputPath, QStringLiteral("the text could not be cut into "
                                                          "parts.")));
        return;
    }
    speakAndEncode();
}

// The voice speaks into a pipe that the encoder reads as it goes: the two work side by side,
// and no WAV file is written. Encoding takes most of the time, so a long text is cut in two
// at a sentence and spoken in two lanes at once, one encoder on each processor core.
void ConversionJob::State::speakAndEncode()
{
    QString text;
    for (int i = 1; i <= pieces; ++i) {
        text += readTextFile(piecePath(i, ".txt"));
        QFile::remove(piecePath(i, ".txt"));
    }
    totalCharacters = text.size();
    QStringList parts = splitAtStretches(text, EncoderLanes, MinimumLaneLength);
    if (parts.isEmpty())
        parts << QString(); // silence: still an MP3
    text.clear();
    lanes = std::vector<Lane>(size_t(parts.size()));
    pieces = int(lanes.size());
    for (size_t i = 0; i < lanes.size(); ++i) {
        Lane& lane = lanes[i];
        lane.textPath = workPath(QStringLiteral("part%1.txt").arg(i + 1));
        lane.mp3Path = lanes.size() == 1 ? partialPath : workPath(QStringLiteral("part%1.mp3").arg(i + 1));
        if (!guard(186, [&] { writeStringToFile(parts.at(qsizetype(i)), lane.textPath); })) {
            finish(ConversionOutcome::Failed,
                   writingFailure(QStringLiteral("the text could not be written to the working "
                                                 "folder."),
                                  parts.at(qsizetype(i)).size()));
            return;
        }
    }
    report(ConversionStage::Speaking, 1, ExtractionShare);
    for (Lane& lane : lanes)
        if (!startLane(lane))
            return;
}

bool ConversionJob::State::startLane(Lane& lane)
{
    int pipe[2] = {-1, -1};
    if (::pipe2(pipe, O_CLOEXEC) != 0) {
        finish(ConversionOutcome::Failed,
               notMade(request.outputPath, QStringLiteral("no pipe to the MP3 encoder.")));
        return false;
    }
    lane.encoder = new ChildProcess(q);
    connect(lane.encoder, &ChildProcess::finished, q,
            [this, &lane](int exitCode) { encoderEnded(lane, exitCode); });
    int started = -1;
    guard(lanes.size() == 1 ? 194 : 196, [&] {
        started = lane.encoder->start(
            pipedEncoderArguments(request.encoder, lane.mp3Path, lanes.size() > 1),
            lane.textPath + QStringLiteral(".log"), pipe[0]);
    });
    ::close(pipe[0]);
    if (started != 0) {
        ::close(pipe[1]);
        encoderFailed();
        return false;
    }
    lane.rendering = std::make_unique<SpeechRendering>(
        q, request.voice, QStringList{lane.textPath}, pipe[1],
        [this, &lane](int, qint64 spoken) {
            lane.spoken = spoken;
            qint64 all = 0;
            int speaking = 0;
            for (const Lane& each : lanes) {
                all += each.spoken;
                speaking += each.speakingDone ? 1 : 0;
            }
            const double share = 1.0 - ExtractionShare - FinishingShare;
            report(ConversionStage::Speaking, qMin(speaking + 1, pieces),
                   ExtractionShare + share * double(all) / double(qMax<qint64>(1, totalCharacters)));
        },
        [this](const RenderingFailure& failure) { emit q->renderingFailed(failure); },
        [this, &lane](const QString& failure) { spoken(lane, failure); });
    return true;
}

void ConversionJob::State::spoken(Lane& lane, const QString& failure)
{
    lane.rendering.reset();
    if (!failure.isEmpty()) {
        if (lane.encoderExit && *lane.encoderExit != 0) {
            encoderFailed(); // the encoder went first, and the voice lost its listener
            return;
        }
        finish(ConversionOutcome::Failed,
               failure == speech::ClassNotRegistered
                   ? failure + QStringLiteral("\r\r") + speech::TryAnotherVoice
                   : notMade(request.outputPath,
                             QStringLiteral("the text could not be rendered to speech.")));
        return;
    }
    lane.speakingDone = true;
    if (lane.encoderExit)
        encoderEnded(lane, *lane.encoderExit);
}

void ConversionJob::State::encoderEnded(Lane& lane, int exitCode)
{
    lane.encoderExit = exitCode;
    if (exitCode != 0) {
        encoderFailed();
        return;
    }
    // While the voice still speaks, spoken() comes back here, or learns of the failure.
    if (!lane.speakingDone)
        return;
    for (const Lane& each : lanes)
        if (!each.speakingDone || !each.encoderExit)
            return;
    allEncoded();
}

void ConversionJob::State::allEncoded()
{
    if (lanes.size() == 1) {
        complete();
        return;
    }
    join();
}

void ConversionJob::State::join()
{
    report(ConversionStage::Joining, pieces, 1.0 - FinishingShare);
    QStringList parts;
    for (const Lane& lane : lanes)
        parts << lane.mp3Path;
    const QString script = workPath(QStringLiteral("JoinMP3.sh"));
    const bool written = guard(216, [&] {
        writeStringToFile(joinScript(parts, partialPath), script);
        QFile::setPermissions(script, QFile::ReadOwner | QFile::WriteOwner);
    });
    const auto failed = [this] {
        finish(ConversionOutcome::Failed,
               writingFailure(QStringLiteral("its %1 parts could not be joined.").arg(pieces)));
    };
    int started = -1;
    if (written) {
        joiner = new ChildProcess(q);
        connect(joiner, &ChildProcess::finished, q, [this, failed](int exitCode) {
            if (exitCode == 0)
                complete();
            else
                failed();
        });
        guard(218, [&] {
            QByteArrayList argv;
            for (const QString& piece : splitCommandLine(shellScriptCommandLine(script)))
                argv << QFile::encodeName(piece);
            started = joiner->start(argv);
        });
    }
    if (started != 0)
        failed();
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
    if (documentInfo->start(documentInfoArguments(request.sourcePdf, request.password),
                            QString(), -1, workPath(QStringLiteral("info.txt"))) != 0)
        documentInfoDone = true; // no pdfinfo: the tags go without
}

Mp3Tags ConversionJob::State::tags() const
{
    Mp3Tags tags;
    if (!request.sourcePdf.isEmpty())
        tags = tagsFromDocumentInfo(readTextFile(workPath(QStringLiteral("info.txt"))));
    if (!request.title.isEmpty())
        tags.title = request.title;
    if (tags.title.isEmpty()) {
        const QString name = request.sourcePdf.isEmpty() ? request.sourceName : request.sourcePdf;
        tags.title = stripExtension(fileNameOf(name));
    }
    if (!request.artist.isEmpty())
        tags.artist = request.artist;
    QString voiceName;
    try {
        const auto voice = speech::engine().createVoice();
        voiceName = request.voice.voiceIndex < 0
                        ? voice->voice().description
                        : voice->installedVoices().value(request.voice.voiceIndex).description;
    } catch (const Failure&) {
    }
    tags.comment = QStringLiteral("Read aloud by Lectorix with the voice %1 at speed %2")
                       .arg(voiceName.isEmpty() ? QStringLiteral("chosen") : voiceName)
                       .arg(request.voice.rate);
    return tags;
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
        writeMp3Tags(partialPath, tags());
    } catch (const Failure& failure) {
        // The sound is complete; a player then shows the file name.
        qWarning("%s", qPrintable(failure.description()));
    }
    QString refusal;
    guard(226, [&] {
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
    report(ConversionStage::Encoding, pieces, 1.0);
    finish(ConversionOutcome::Done, QString());
}

void ConversionJob::State::removeWorkingFiles()
{
    for (Lane& lane : lanes) {
        if (lane.encoder)
            lane.encoder->stop();
        lane.rendering.reset();
    }
    if (joiner)
        joiner->stop();
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
    onProgramEnd.reset();
    emit q->finished({outcome, message, detail});
}

ConversionJob::ConversionJob(ConversionRequest request, QObject* parent)
    : QObject(parent), d(std::make_unique<State>())
{
    qRegisterMetaType<ConversionProgress>();
    qRegisterMetaType<ConversionResult>();
    d->q = this;
    // A write into the pipe of an encoder that has ended must fail, not end the program.
    std::signal(SIGPIPE, SIG_IGN);
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
