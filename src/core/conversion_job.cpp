#include "core/conversion_job.h"

#include "core/child_process.h"
#include "core/chunking.h"
#include "core/document_text.h"
#include "core/error_report.h"
#include "core/failure.h"
#include "core/file_utils.h"
#include "core/mp3_encoding.h"
#include "core/mp3_output.h"
#include "core/pdf_converter.h"
#include "core/process_runner.h"
#include "core/program_end.h"
#include "core/speech_engine.h"
#include "core/speech_rendering.h"
#include "core/temp_folder.h"

#include <QFile>
#include <QFileInfo>
#include <QTimer>

namespace lectorix {

namespace {

QString notMade(const QString& outputPath, const QString& why)
{
    return QStringLiteral("The MP3 file %1 could not be made: %2").arg(outputPath, why);
}

QString partOf(int i, int n)
{
    return QStringLiteral("part %1 of %2").arg(i).arg(n);
}

QByteArrayList argumentsOf(const QString& commandLine)
{
    QByteArrayList argv;
    for (const QString& piece : splitCommandLine(commandLine))
        argv << QFile::encodeName(piece);
    return argv;
}

// How much of the whole job each part stands for, for the progress bar.
constexpr double ExtractionShare = 0.05;
constexpr double JoiningShare = 0.02;
constexpr double SpeakingShareOfPiece = 0.8;

} // namespace

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
    ChildProcess* tool = nullptr;
    std::unique_ptr<SpeechRendering> rendering;
    QString textPath;
    QString partialPath;
    int pieces = 0;

    QString workPath(const QString& name) const { return work->path() + QLatin1Char('/') + name; }
    QString piecePath(int i, const char* extension) const
    {
        return chunkFileName(textPath, i, QLatin1String(extension));
    }

    void report(ConversionStage stage, int piece, double fraction)
    {
        emit q->progress({stage, piece, pieces, qBound(0.0, fraction, 1.0)});
    }
    double pieceFraction(int i, double withinPiece) const
    {
        const double share = 1.0 - ExtractionShare - (pieces > 1 ? JoiningShare : 0.0);
        return ExtractionShare + share * ((i - 1) + withinPiece) / qMax(1, pieces);
    }

    void start();
    void extracted(const ExtractionResult& result);
    void makeMp3();
    void speakPiece(int i);
    void spoken(int i, const QString& failure);
    void encoded(int i, const QString& target, int exitCode);
    void join();
    void complete();
    void finish(ConversionOutcome outcome, const QString& message,
                const QString& detail = QString());
    void removeWorkingFiles();
};

void ConversionJob::State::start()
{
    running = true;
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
                   notMade(request.outputPath, QStringLiteral("the text could not be written to "
                                                              "the working folder.")));
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
        makeMp3();
        return;
    case ExtractionOutcome::NeedsPassword:
        finish(request.password.isEmpty() ? ConversionOutcome::NeedsPassword
                                          : ConversionOutcome::WrongPassword,
               protectedTextMessage(pdf));
        return;
    case ExtractionOutcome::Protected:
        finish(ConversionOutcome::Protected, protectedTextMessage(pdf));
        return;
    case ExtractionOutcome::Unreadable:
        finish(ConversionOutcome::Unreadable, unreadableTextMessage(pdf));
        return;
    case ExtractionOutcome::Missing:
        finish(ConversionOutcome::Missing, protectedTextMessage(pdf));
        return;
    case ExtractionOutcome::Failed:
        // The window says what it always said when no text came out; the detail says why.
        finish(ConversionOutcome::Failed, protectedTextMessage(pdf), result.detail);
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
    g(182, [&] { pieces = cutIntoChunkFiles(request.voice.rate, textPath); });
    if (pieces < 1) {
        finish(ConversionOutcome::Failed,
               notMade(request.outputPath, QStringLiteral("the text could not be cut into "
                                                          "parts.")));
        return;
    }
    speakPiece(1);
}

void ConversionJob::State::speakPiece(int i)
{
    report(ConversionStage::Speaking, i, pieceFraction(i, 0.0));
    const QString wav = piecePath(i, ".wav");
    QFile::remove(wav);
    rendering = std::make_unique<SpeechRendering>(
        q, request.voice, piecePath(i, ".txt"), wav,
        [this, i](const QString& failure) { spoken(i, failure); });
}

void ConversionJob::State::spoken(int i, const QString& failure)
{
    rendering.reset();
    const QString wav = piecePath(i, ".wav");
    QFile::remove(piecePath(i, ".txt"));
    if (!failure.isEmpty() || !QFileInfo::exists(wav)) {
        QFile::remove(wav);
        finish(ConversionOutcome::Failed,
               failure == speech::ClassNotRegistered
                   ? failure + QStringLiteral("\r\r") + speech::TryAnotherVoice
                   : notMade(request.outputPath,
                             partOf(i, pieces) + QStringLiteral(" could not be rendered to "
                                                                "speech.")));
        return;
    }
    report(ConversionStage::Encoding, i, pieceFraction(i, SpeakingShareOfPiece));
    const QString target = pieces == 1 ? partialPath : piecePath(i, ".mp3");
    if (!tool) {
        tool = new ChildProcess(q);
    }
    tool->disconnect(q);
    connect(tool, &ChildProcess::finished, q,
            [this, i, target](int exitCode) { encoded(i, target, exitCode); });
    int started = -1;
    guard(pieces == 1 ? 194 : 196, [&] {
        started = tool->start(
            argumentsOf(encoderCommandLine(request.encoder, fileOperand(wav), fileOperand(target))),
            workPath(QStringLiteral("encoder.log")));
    });
    if (started != 0)
        encoded(i, target, started);
}

void ConversionJob::State::encoded(int i, const QString& target, int exitCode)
{
    QFile::remove(piecePath(i, ".wav"));
    if (exitCode != 0 || !QFileInfo::exists(target)) {
        finish(ConversionOutcome::Failed,
               notMade(request.outputPath,
                       QStringLiteral("the MP3 encoder failed on ") + partOf(i, pieces) +
                           QStringLiteral(" (is the package lame installed?).")));
        return;
    }
    if (i < pieces)
        speakPiece(i + 1);
    else if (pieces > 1)
        join();
    else
        complete();
}

void ConversionJob::State::join()
{
    report(ConversionStage::Joining, pieces, 1.0 - JoiningShare);
    QStringList parts;
    for (int i = 1; i <= pieces; ++i)
        parts << piecePath(i, ".mp3");
    const QString script = workPath(QStringLiteral("JoinMP3.sh"));
    const bool written = guard(216, [&] {
        writeStringToFile(joinScript(parts, partialPath), script);
        QFile::setPermissions(script, QFile::ReadOwner | QFile::WriteOwner);
    });
    int started = -1;
    if (written) {
        tool->disconnect(q);
        connect(tool, &ChildProcess::finished, q, [this](int exitCode) {
            if (exitCode != 0) {
                finish(ConversionOutcome::Failed,
                       notMade(request.outputPath,
                               QStringLiteral("its %1 parts could not be joined.").arg(pieces)));
                return;
            }
            complete();
        });
        guard(218, [&] { started = tool->start(argumentsOf(shellScriptCommandLine(script))); });
    }
    if (started != 0)
        finish(ConversionOutcome::Failed,
               notMade(request.outputPath,
                       QStringLiteral("its %1 parts could not be joined.").arg(pieces)));
}

void ConversionJob::State::complete()
{
    const QFileInfo made(partialPath);
    if (!made.exists() || made.size() == 0) {
        finish(ConversionOutcome::Failed,
               notMade(request.outputPath, QStringLiteral("the encoder wrote nothing.")));
        return;
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
    finish(ConversionOutcome::Done, QString());
}

void ConversionJob::State::removeWorkingFiles()
{
    if (tool)
        tool->stop();
    rendering.reset();
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
