#include "gui/mp3_conversion.h"

#include "core/base/program_folder.h"
#include "core/conversion/conversion_job.h"
#include "core/conversion/mp3_output.h"
#include "core/files/file_utils.h"
#include "core/files/temp_folder.h"
#include "core/pdf/pdf_converter.h"
#include "core/process/launcher_sharing.h"
#include "core/settings/settings.h"
#include "gui/conversion_progress.h"
#include "gui/dialogs.h"
#include "gui/error_report.h"
#include "gui/export_controller.h"
#include "gui/job_failure_reports.h"
#include "gui/main_window.h"
#include "gui/password_prompt.h"
#include "gui/reading_failure_reports.h"
#include "gui/voice_setup.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QRadioButton>

namespace lectorix {

namespace {

// The conversion's end, back in the window: pointer, message, and the flag that refuses a
// second conversion and slider moves meanwhile.
void conversionFinished(MainWindow& form, const QString& encoder, const ConversionResult& result)
{
    Guard g("Form1", "PushButton8_Click");
    g(228, [&] { removeLauncher(encoder); });
    g(234, [&] { form.setMousePointer(MainWindow::PointerDefault); });
    // A window that is closing shows no more messages.
    if (!form.isClosing()) {
        if (g.test(236, [&] { return !result.message.trimmed().isEmpty(); }))
            g(238, [&] { showMessage(result.message); });
        else
            g(240, [] { showMessage(DoneMessage); });
        tellUnreadablePages(result.unreadablePages);
    }
    g(244, [&] { form.exporting().setSavingFile(false); });
}

} // namespace

void ExportController::saveAudioAsMp3()
{
    MainWindow& form = m_window;
    Guard g("Form1", "PushButton8_Click");
    if (g.test(100, [&] { return form.exporting().savingFile(); }))
        return;
    g(102, [&] { form.exporting().setSavingFile(true); });

    // What the window shows at the click is taken once: editing the boxes while the
    // conversion runs changes neither the document, nor its name, nor its folder.
    const QString pdfPath = form.pdfPathEdit()->text();
    const QString outputFolder = form.outputFolderEdit()->text();
    const bool saveToFolder = form.saveToFolderOption()->isChecked();
    const bool saveBesidePdf = form.saveBesidePdfOption()->isChecked();
    if (!g.test(104, [&] { return isFolder(outputFolder) || saveBesidePdf; })) {
        g(242, [] { showMessage(FolderMissingMessage); });
        g(244, [&] { form.exporting().setSavingFile(false); });
        return;
    }
    g(108, [&] { form.setMousePointer(MainWindow::PointerBusy); });

    ConversionRequest request;
    request.sourcePdf = pdfPath;
    g.assign(112, request.converter, [] { return converterPath(); });
    if (g.test(120, [&] { return form.passwordPromptCheck()->checkState() == Qt::Checked; })) {
        QString password;
        g.assign(122, password, [&] { return askPassword(pdfPath); });
        if (g.test(124, [&] { return !password.trimmed().isEmpty(); }))
            request.password = password;
    }
    g(168, [&] {
        request.outputPath = mp3OutputPath(pdfPath, outputFolder, saveToFolder, saveBesidePdf);
    });
    // The encoder launcher: one already in {TEMP} is used as it is.
    QByteArray encoderImage;
    g(
        162, [&] { request.encoder = tempPath(QStringLiteral("lame")); },
        [&] { encoderImage = customResource(103); });
    shareLaunchers();
    if (g.test(164, [&] { return !fileExists(request.encoder); }))
        g(166, [&] { writeFileIfMissing(encoderImage, request.encoder, true); });
    if (request.encoder.isEmpty())
        request.encoder = QStringLiteral("lame");
    request.voice = chosenVoice(form);
    request.verbatim = readsVerbatim();
    request.readFootnotes = readsFootnotes();

    auto* job = new ConversionJob(request, &form);
    reportFailuresOf(*job);
    QObject::connect(job, &ConversionJob::finished, &form,
                     [&form, job](const ConversionResult& result) {
                         job->deleteLater();
                         conversionFinished(form, job->request().encoder, result);
                     });
    QObject::connect(job, &ConversionJob::renderingFailed, &form, &reportRenderingFailure);
    new ConversionProgressDialog(job, &form); // goes when the job ends
    job->start();
}

} // namespace lectorix
