#include "cli/batch_conversion.h"

#include "core/conversion/audio_outputs.h"

#include "cli/arguments.h"
#include "cli/interrupt_watch.h"
#include "cli/password.h"
#include "cli/terminal_progress.h"
#include "core/conversion/audio_outputs.h"
#include "core/files/text_decoding.h"

#include <QFile>
#include <QFileInfo>
#include <QTimer>

namespace lectorix::cli {

namespace {

// How long a cancelled job may take to report that it has stopped before it is destroyed,
// which stops it too.
constexpr int CancelGraceMs = 15000;

QString oneLine(QString text)
{
    text.replace(QLatin1String("\r\n"), QLatin1String(" "));
    text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return text.simplified();
}

} // namespace

QString shownName(const QString& input)
{
    return input == StandardInputName ? QStringLiteral("standard input") : quotedName(input);
}

// The text of a text file by the program's reading rule; problem says why there is none.
QString readTextInput(const QString& path, QString& problem)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        problem = QFileInfo::exists(path) ? QStringLiteral("cannot be read: ") + file.errorString()
                                          : conversionFailureReason(ConversionOutcome::Missing);
        return QString();
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        problem = QStringLiteral("cannot be read: ") + file.errorString();
        return QString();
    }
    return decodeTextFile(bytes);
}

QString stepFailureText(const QString& description, const QString& reason)
{
    const QString said = oneLine(description);
    return reason.isEmpty() ? said : said + QStringLiteral(": ") + oneLine(reason);
}

QString failureText(const ConversionResult& result)
{
    const QString reason = conversionFailureReason(result.outcome);
    // Only where the outcome alone does not say what went wrong does the job's message add
    // to it; elsewhere the message is the window's sentence, which repeats the file's path.
    const bool messageAddsDetail = result.outcome == ConversionOutcome::Failed ||
                                   result.outcome == ConversionOutcome::OutputFailed;
    const QString detail = oneLine(result.detail.isEmpty() ? result.message : result.detail);
    if (!messageAddsDetail || detail.isEmpty())
        return reason;
    return reason + QStringLiteral(": ") + detail;
}

BatchConversion::BatchConversion(QList<BatchInput> inputs, BatchChoices choices,
                                 TerminalProgress& progress, QObject* parent)
    : QObject(parent), m_inputs(std::move(inputs)), m_choices(std::move(choices)),
      m_progress(progress)
{
}

BatchConversion::~BatchConversion()
{
    delete m_job; // a running job cancels itself
}

void BatchConversion::start()
{
    next();
}

void BatchConversion::interrupt(int signalNumber)
{
    if (m_ended || m_signal != 0)
        return;
    m_signal = signalNumber;
    if (!m_job) {
        end(interruptedExitCode(signalNumber));
        return;
    }
    m_job->cancel();
    QTimer::singleShot(CancelGraceMs, this, [this] {
        if (m_ended)
            return;
        delete m_job;
        end(interruptedExitCode(m_signal));
    });
}

void BatchConversion::next()
{
    if (m_ended) // an interruption came before the batch had started
        return;
    ++m_current;
    if (m_current >= m_inputs.size()) {
        end(m_failures == 0 ? 0 : 1);
        return;
    }
    m_askedForPassword = false;
    startCurrent(m_choices.password);
}

void BatchConversion::startCurrent(const QString& password)
{
    const BatchInput& input = current();
    if (input.name != StandardInputName && QFileInfo(input.name).isDir()) {
        fail(QStringLiteral("is a folder, not a document"));
        return;
    }
    ConversionRequest request;
    request.outputPath = input.outputPath;
    request.voice = m_choices.voice;
    request.password = password;
    request.title = m_choices.title;
    request.artist = m_choices.artist;
    request.verbatim = m_choices.verbatim;
    request.readFootnotes = m_choices.readFootnotes;
    request.language = m_choices.language;
    request.splitChapters = m_choices.splitChapters;
    request.resume = m_choices.resume;
    request.pronunciations = m_choices.pronunciations;
    request.recognition = m_choices.recognition;
    request.recognitionLanguages = m_choices.recognitionLanguages;
    request.format = m_choices.format;
    request.cover = m_choices.cover;
    request.pauses = m_choices.pauses;
    request.oneVoice = m_choices.oneVoice;
    if (input.name == StandardInputName) {
        request.sourceText = m_choices.standardInputText;
        request.sourceName = QStringLiteral("standard input");
    } else if (isTextInput(input.name)) {
        QString problem;
        request.sourceText = readTextInput(input.name, problem);
        if (!problem.isEmpty()) {
            fail(problem);
            return;
        }
        request.sourceName = input.name;
    } else {
        request.sourcePdf = QFileInfo(input.name).absoluteFilePath();
    }
    // Nothing to say would still make a valid, silent MP3, and report it done.
    if (request.sourcePdf.isEmpty() && request.sourceText.trimmed().isEmpty()) {
        fail(QStringLiteral("no text to read"));
        return;
    }

    m_progress.startDocument(shownName(input.name), int(m_current) + 1, int(m_inputs.size()));
    auto* job = new ConversionJob(std::move(request), this);
    m_job = job;
    connect(job, &ConversionJob::progress, this, [this, job](const ConversionProgress& progress) {
        if (job == m_job)
            m_progress.update(progress);
    });
    connect(job, &Job::stepFailed, this,
            [this](const JobFailure& failure) { printStepFailure(stepFailureText(failure)); });
    connect(job, &Job::asked, this, &BatchConversion::answer);
    connect(job, &ConversionJob::finished, this, [this, job](const ConversionResult& result) {
        if (job != m_job)
            return;
        m_job = nullptr;
        job->deleteLater();
        currentFinished(result);
    });
    job->start();
}

void BatchConversion::currentFinished(const ConversionResult& result)
{
    if (m_signal != 0) {
        end(interruptedExitCode(m_signal));
        return;
    }
    // Pages left out are said even when the rest was converted: the listener will miss them.
    if (!result.unreadablePages.isEmpty())
        printStepFailure(unreadablePagesReason(result.unreadablePages));
    switch (result.outcome) {
    case ConversionOutcome::Done:
        if (m_progress.isEnabled())
            m_progress.printMessage(
                QStringLiteral("%1 (%2 of %3): written to %4\n")
                    .arg(shownName(current().name), QString::number(m_current + 1),
                         QString::number(m_inputs.size()),
                         quotedName(result.chapterFolder.isEmpty()
                                        ? current().outputShown
                                        : chapterFolder(current().outputShown) + u'/')));
        next();
        return;
    default:
        break;
    }
    fail(failureText(result));
}

// A password is asked for on the terminal once per input, when none was given and prompting is
// allowed; the converter asks nothing else (recognition is chosen by its options).
void BatchConversion::answer(JobQuestion* question)
{
    if (question->kind() != JobQuestion::Kind::Password || !m_choices.password.isEmpty() ||
        m_askedForPassword || !m_choices.mayPrompt) {
        question->decline();
        return;
    }
    m_askedForPassword = true;
    m_progress.clear();
    const QPointer<JobQuestion> asked = question;
    const std::optional<QString> password =
        promptForPassword(QStringLiteral("Password for %1: ").arg(shownName(current().name)),
                          InterruptWatch::wakeDescriptor());
    if (InterruptWatch::receivedSignal() != 0) {
        // Cancelling the job lets go of its question.
        interrupt(InterruptWatch::receivedSignal());
        return;
    }
    if (!asked)
        return;
    if (!password || password->isEmpty()) {
        asked->decline();
        return;
    }
    // The time left is counted from here, not from before the prompt.
    m_progress.startDocument(shownName(current().name), int(m_current) + 1, int(m_inputs.size()));
    asked->answer(*password);
}

void BatchConversion::fail(const QString& reason)
{
    ++m_failures;
    m_progress.printMessage(
        QStringLiteral("%1: %2: %3\n").arg(ProgramName, shownName(current().name), reason));
    next();
}

// A step that failed while the job goes on: said at once, naming the input.
void BatchConversion::printStepFailure(const QString& text)
{
    m_progress.printMessage(
        QStringLiteral("%1: %2: %3\n").arg(ProgramName, shownName(current().name), text));
}

void BatchConversion::end(int exitCode)
{
    if (m_ended)
        return;
    m_ended = true;
    m_progress.clear();
    emit finished(exitCode);
}

} // namespace lectorix::cli
