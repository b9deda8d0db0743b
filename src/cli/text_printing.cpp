#include "cli/text_printing.h"

#include "cli/arguments.h"
#include "cli/batch_conversion.h"
#include "core/conversion/chunking.h"
#include "core/conversion/conversion_job.h"
#include "core/pdf/document_text.h"
#include "core/files/temp_folder.h"
#include "core/files/text_decoding.h"
#include "core/text/text_preparation.h"

#include <QEventLoop>
#include <QFileInfo>
#include <QTemporaryDir>

namespace lectorix::cli {

namespace {

// The text of a PDF, by the same extraction a conversion uses; problem says why there is none.
QString pdfText(const QString& path, const QString& password, QString& problem)
{
    const std::unique_ptr<QTemporaryDir> work = makeWorkingFolder(QStringLiteral("conversion"));
    if (!work) {
        problem = QStringLiteral("no working folder");
        return QString();
    }
    ExtractionRequest request;
    request.pdfPath = QFileInfo(path).absoluteFilePath();
    request.password = password;
    request.workingCopyPath = work->path() + QStringLiteral("/output.pdf");
    request.report = {"Form1", "PushButton8_Click", 116, password.isEmpty() ? 130 : 126, 158, 160};
    ExtractionJob job(request);
    ExtractionResult result;
    QEventLoop loop;
    QObject::connect(&job, &ExtractionJob::finished, &loop,
                     [&](const ExtractionResult& finished) {
                         result = finished;
                         loop.quit();
                     });
    job.start();
    if (job.isRunning())
        loop.exec();
    if (result.outcome == ExtractionOutcome::Text)
        return readTextFile(result.textPath);
    // A tool that could not run says why in its detail; the other outcomes have their reason.
    const bool toolFailed = result.outcome == ExtractionOutcome::MachineFault ||
                            result.outcome == ExtractionOutcome::Failed ||
                            result.outcome == ExtractionOutcome::Cancelled;
    problem = toolFailed && !result.detail.isEmpty()
                  ? result.detail
                  : conversionFailureReason(conversionOutcome(result.outcome, !password.isEmpty()));
    return QString();
}

} // namespace

int printSpokenTexts(const QStringList& inputs, const TextPrintingChoices& choices,
                     const std::function<bool(const QString&)>& write,
                     const std::function<void(const QString&)>& printError)
{
    int status = 0;
    for (const QString& input : inputs) {
        QString problem;
        QString text;
        if (input == StandardInputName)
            text = choices.standardInputText;
        else if (QFileInfo(input).isDir())
            problem = QStringLiteral("is a folder, not a document");
        else if (isTextInput(input))
            text = readTextInput(input, problem);
        else
            text = pdfText(input, choices.password, problem);
        if (!problem.isEmpty()) {
            printError(QStringLiteral("%1: %2").arg(shownName(input), problem));
            status = 1;
            continue;
        }
        const QList<SpokenPiece> pieces =
            choices.verbatim ? linesForSpeech(text) : prepareForSpeech(text);
        QString lines;
        for (const SpokenPiece& piece : pieces) {
            const QString line = speechLine(piece.text);
            if (!line.trimmed().isEmpty())
                lines += line + QLatin1Char('\n');
        }
        if (!write(lines))
            return 1;
    }
    return status;
}

} // namespace lectorix::cli
