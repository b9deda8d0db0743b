#include "core/files/file_utils.h"
#include "core/files/temp_folder.h"
#include "core/files/text_files.h"
#include "core/ocr/recognition_job.h"
#include "core/pdf/document_text.h"
#include "core/pdf/pdf_converter.h"
#include "core/process/missing_parts.h"
#include "gui/dialogs.h"
#include "gui/document_controller.h"
#include "gui/error_report.h"
#include "gui/job_failure_reports.h"
#include "gui/main_window.h"
#include "gui/password_prompt.h"
#include "gui/pdf_passwords.h"

#include <QCheckBox>
#include <QFile>
#include <QPlainTextEdit>

namespace lectorix {

namespace {

// Each extraction writes a text file of its own, so an overtaken one never removes or reads
// the newer one's.
QString freshTextPath()
{
    static quint64 extractions = 0;
    ++extractions;
    return tempPath(extractions == 1 ? QStringLiteral("extract.txt")
                                     : QStringLiteral("extract-%1.txt").arg(extractions));
}

// passwordGiven: the try that ended with result had a password.
void showExtraction(MainWindow& form, const QString& pdfPath, const ExtractionResult& result,
                    bool passwordGiven)
{
    Guard g("Read", "GetPDFText");
    QString pending;
    switch (result.outcome) {
    case ExtractionOutcome::Cancelled:
        return;
    case ExtractionOutcome::Text: {
        QStringList lines;
        g.assign(124, lines, [&] {
            const TextFilePieces read = readTextFileLines(result.textPath);
            if (read.failure)
                reportTextLinesFailure(*read.failure);
            return read.pieces;
        });
        // The box is filled once with the whole text: appending line by line would copy the
        // growing text for every line.
        g(128, [&] {
            QString text;
            qsizetype total = 0;
            for (const QString& line : lines)
                total += line.size() + 1;
            text.reserve(total);
            for (const QString& line : lines) {
                if (!text.isEmpty())
                    text += QLatin1Char('\n');
                text += line;
            }
            form.textToReadEdit()->setPlainText(text);
        });
        emit form.documents().pdfTextShown(pdfPath);
        if (result.layout)
            emit form.documents().pdfLayoutShown(pdfPath, form.textToReadEdit()->toPlainText(),
                                                 result.pages);
        g(136, [&] { QFile::remove(result.textPath); });
        break;
    }
    case ExtractionOutcome::Unreadable:
        g(132, [&] { pending = unreadableTextMessage(pdfPath); });
        g(134, [&] { form.textToReadEdit()->setPlainText(pending); });
        break;
    case ExtractionOutcome::MachineFault:
        // The document may be fine: the text box keeps what it holds.
        g(138, [&] { pending = result.detail; });
        break;
    case ExtractionOutcome::NeedsPassword:
        // The user cancelled the password prompt: the box says why it is empty, and no message
        // box follows the one just closed.
        g(140, [&] { form.textToReadEdit()->setPlainText(protectedTextMessage(pdfPath)); });
        break;
    default:
        g(138, [&] {
            pending = noTextMessage(pdfPath, conversionOutcome(result.outcome, passwordGiven));
        });
        g(140, [&] { form.textToReadEdit()->setPlainText(pending); });
        break;
    }
    if (g.test(142, [&] { return !pending.trimmed().isEmpty(); }))
        g(144, [&] { showMessage(pending); });
}

// Converts request into the text box. A PDF that needs a password is given the one the user
// gives, until it opens or the user cancels (PdfPasswords).
void runExtraction(MainWindow& form, const ExtractionRequest& request,
                   ExtractionReportLines reportLines, std::function<void()> then)
{
    auto* job = new ExtractionJob(request, &form);
    form.documents().textExtraction() = job;
    QObject::connect(job, &Job::stepFailed, job,
                     [job, reportLines, tried = request.password](const JobFailure& failure) {
                         const auto extraction = failure.as<ExtractionStep>();
                         if (!extraction)
                             return;
                         ExtractionReportLines lines = reportLines;
                         // Converting with a password the user answered.
                         if (job->request().password != tried)
                             lines.convert = 112;
                         reportExtractionFailure(*extraction, lines);
                     });
    QObject::connect(job, &Job::asked, &form, [&form](JobQuestion* question) {
        form.documents().passwords().answer(*question);
    });
    QObject::connect(
        job, &ExtractionJob::finished, &form, [&form, job, then](const ExtractionResult& result) {
            if (form.documents().textExtraction() == job)
                form.documents().textExtraction() = nullptr;
            job->deleteLater();
            if (result.outcome == ExtractionOutcome::Cancelled)
                return;
            const ExtractionRequest tried = job->request();
            form.documents().passwords().ended(tried.pdfPath, tried.password, result.outcome);
            // A scan whose text the user has recognised: the box is filled once it is.
            const bool recognising =
                result.outcome == ExtractionOutcome::Unreadable &&
                form.documents().recognisePdfText(
                    tried, result, [&form, tried, result, then](bool recognised) {
                        if (!recognised)
                            showExtraction(form, tried.pdfPath, result, !tried.password.isEmpty());
                        if (then)
                            then();
                    });
            if (recognising)
                return;
            showExtraction(form, tried.pdfPath, result, !tried.password.isEmpty());
            if (then)
                then();
        });
    job->start();
}

} // namespace

void DocumentController::cancelTextExtraction()
{
    MainWindow& form = m_window;
    if (ExtractionJob* older = form.documents().textExtraction()) {
        form.documents().textExtraction() = nullptr;
        older->cancel(); // its end handler lets go of it
    }
    if (RecognitionJob* older = m_textRecognition) {
        m_textRecognition = nullptr;
        older->cancel(); // its end handler lets go of it
    }
}

void DocumentController::loadPdfText(const QString& pdfPath, std::function<void()> then)
{
    MainWindow& form = m_window;
    Guard g("Read", "GetPDFText");
    // A newer document overtakes an older one still converting: the older one is dropped.
    cancelTextExtraction();

    ExtractionRequest request;
    request.pdfPath = pdfPath;
    request.firstPage = 1;
    request.lastPage = 100;
    ExtractionReportLines reportLines{"Read", "GetPDFText", 0, 116, 120, 122};
    // Without the converter no document can be read: say what to install, and the box keeps
    // what it holds.
    const QString missing = [] {
        try {
            return missingToolMessage(converterPath(), QStringLiteral("pdftotext"));
        } catch (const Failure&) {
            return QString(); // no usable {TEMP}: reported where it is used
        }
    }();
    if (!missing.isEmpty()) {
        g(144, [&] { showMessage(missing); });
        if (then)
            then();
        return;
    }
    g(100, [&] { form.textToReadEdit()->setPlainText(QString()); });
    g.assign(104, request.converter, [] { return converterPath(); });
    const std::optional<QString> known = form.documents().passwords().known(pdfPath);
    if (known) {
        request.password = *known;
        if (!known->isEmpty())
            reportLines.convert = 112;
    } else if (g.test(106,
                      [&] { return form.passwordPromptCheck()->checkState() == Qt::Checked; })) {
        QString password;
        g.assign(108, password, [&] { return askPassword(pdfPath); });
        if (g.test(110, [&] { return !password.trimmed().isEmpty(); })) {
            request.password = password;
            reportLines.convert = 112;
        } else {
            reportLines.convert = 114;
        }
    }
    g.assign(118, request.textPath, [] { return freshTextPath(); });
    // The converter writes into {TEMP}, never beside the PDF, so a user's own text file of the
    // same name is left alone. Without a usable {TEMP} there is nowhere to write.
    if (request.textPath.isEmpty()) {
        showExtraction(form, pdfPath, {ExtractionOutcome::Failed, {}, {}, false, {}}, false);
        if (then)
            then();
        return;
    }

    runExtraction(form, request, reportLines, std::move(then));
}

} // namespace lectorix
