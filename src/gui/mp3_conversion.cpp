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
#include "gui/document_controller.h"
#include "gui/error_report.h"
#include "gui/export_controller.h"
#include "gui/job_failure_reports.h"
#include "gui/main_window.h"
#include "gui/password_prompt.h"
#include "gui/pdf_passwords.h"
#include "gui/voice_setup.h"

#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QRadioButton>
#include <QUrl>

namespace lectorix {

namespace {

// "Done." with where the MP3 went (or the folder of the chapters' MP3s, ending in "/"), and a
// button that opens its folder as the desktop opens folders.
void showDone(const QString& outputPath)
{
    Dialogs::Message done{DoneMessage, applicationTitle()};
    done.detail = QFileInfo(outputPath).absoluteFilePath();
    done.actionButton = OpenFolderButton;
    if (dialogs().message(done) == Dialogs::Answer::Action)
        dialogs().openUrl(QUrl::fromLocalFile(QFileInfo(outputPath).absolutePath()));
}

// The conversion's end, back in the window: pointer, message, and the flag that refuses a
// second conversion and slider moves meanwhile.
void conversionFinished(MainWindow& form, const ConversionRequest& request,
                        const ConversionResult& result)
{
    Guard g("Form1", "PushButton8_Click");
    g(228, [&] { removeLauncher(request.encoder); });
    g(234, [&] { form.setMousePointer(MainWindow::PointerDefault); });
    // A window that is closing shows no more messages, and a password prompt just cancelled
    // needs none after it.
    const bool passwordCancelled = result.outcome == ConversionOutcome::NeedsPassword ||
                                   result.outcome == ConversionOutcome::WrongPassword;
    if (!form.isClosing() && !passwordCancelled) {
        QString message = result.message;
        if (result.outcome == ConversionOutcome::Protected ||
            result.outcome == ConversionOutcome::Missing)
            message = noTextMessage(request.sourcePdf, result.outcome);
        emit form.exporting().exportEnded(request.outputPath, result.outcome, message);
        if (g.test(236, [&] { return !message.trimmed().isEmpty(); }))
            g(238, [&] { showMessage(message); });
        else
            g(240, [&] {
                showDone(result.chapterFolder.isEmpty() ? request.outputPath
                                                        : result.chapterFolder + u'/');
            });
        tellUnreadablePages(result.unreadablePages);
    }
    g(244, [&] { form.exporting().setSavingFile(false); });
}

// Where the text of the box goes: asked with a save dialog that proposes its first words, in
// the output folder when that is chosen and exists. Empty when the user cancelled. The name
// is never empty and never hidden, whatever was typed.
QString askMp3ForText(const MainWindow& form, const QString& text)
{
    const AudioFormat format = form.exporting().audioFormat();
    const QString outputFolder = form.outputFolderEdit()->text();
    Dialogs::FileRequest request;
    request.title = QStringLiteral("Save Audio As MP3");
    request.filter = format == AudioFormat::M4b    ? M4bFileFilter
                     : format == AudioFormat::Opus ? OpusFileFilter
                                                   : Mp3FileFilter;
    request.initialFolder = form.saveToFolderOption()->isChecked() && isFolder(outputFolder)
                                ? outputFolder
                                : QDir::homePath();
    request.fileName = withAudioExtension(mp3FileName(firstWordsName(text)), format);
    const QString chosen = dialogs().saveFile(request);
    if (chosen.isEmpty())
        return QString();
    QString name = fileNameOf(chosen);
    const QString extension = audioFormatExtension(format);
    if (name.endsWith(extension, Qt::CaseInsensitive))
        name.chop(extension.size());
    return folderOf(chosen) + withAudioExtension(mp3FileName(name), format);
}

void runConversion(MainWindow& form, const ConversionRequest& request, const QString& documentName);

// The encoder, voice and job of a request whose document and output are set; the job runs
// on its own and its end comes back to conversionFinished.
void startConversion(MainWindow& form, Guard& g, ConversionRequest request,
                     const QString& documentName)
{
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
    request.format = form.exporting().audioFormat();
    request.verbatim = readsVerbatim();
    request.readFootnotes = readsFootnotes();
    request.splitChapters = form.chapterFilesCheck()->isChecked();
    request.pronunciations = userPronunciations();
    request.pauses = savedSpeechPauses();
    request.oneVoice = usesOneVoice();

    runConversion(form, request, documentName);
}

// The window's answers to a conversion's questions: a PDF's password until it opens or the user
// cancels (PdfPasswords), and whether to recognise a scan (none while the window closes).
void answerConversion(MainWindow& form, JobQuestion& question)
{
    if (question.kind() == JobQuestion::Kind::Password) {
        form.documents().passwords().answer(question);
        return;
    }
    const QPointer<JobQuestion> asked = &question;
    const bool yes =
        !form.isClosing() && form.documents().scans().recogniseOrAsk(question.document());
    if (!asked)
        return;
    if (yes)
        asked->accept();
    else
        asked->decline();
}

// Runs the conversion, answering its questions, to its end.
void runConversion(MainWindow& form, const ConversionRequest& request, const QString& documentName)
{
    auto* job = new ConversionJob(request, &form);
    // Counted first, so the count falls when the job ends, not when its message is closed.
    form.exporting().track(job);
    reportFailuresOf(*job);
    QPointer<ConversionProgressDialog> progress =
        new ConversionProgressDialog(job, documentName, &form);
    QObject::connect(job, &Job::asked, &form,
                     [&form](JobQuestion* question) { answerConversion(form, *question); });
    QObject::connect(job, &ConversionJob::finished, &form,
                     [&form, job, progress](const ConversionResult& result) {
                         // Gone before the end is shown, so no Cancel is left behind it.
                         if (progress)
                             progress->dismiss();
                         job->deleteLater();
                         const ConversionRequest& done = job->request();
                         form.documents().passwords().ended(done.sourcePdf, done.password,
                                                            result.outcome);
                         conversionFinished(form, done, result);
                     });
    job->start();
}

// "Save Audio As MP3" with no PDF named: the text of the box, when there is any, to an MP3
// the user names.
void saveBoxText(MainWindow& form, Guard& g)
{
    const QString text = form.textToReadEdit()->toPlainText();
    if (text.trimmed().isEmpty()) {
        showMessage(NothingToSaveMessage);
        form.exporting().setSavingFile(false);
        return;
    }
    ConversionRequest request;
    request.outputPath = askMp3ForText(form, text);
    if (request.outputPath.isEmpty()) {
        form.exporting().setSavingFile(false);
        return;
    }
    request.sourceText = text;
    request.sourceName = fileNameOf(request.outputPath);
    g(108, [&] { form.setMousePointer(MainWindow::PointerBusy); });
    startConversion(form, g, request, request.sourceName);
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
    if (pdfPath.trimmed().isEmpty()) {
        saveBoxText(form, g);
        return;
    }
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
    if (const auto known = form.documents().passwords().known(pdfPath)) {
        request.password = *known;
    } else if (g.test(120,
                      [&] { return form.passwordPromptCheck()->checkState() == Qt::Checked; })) {
        QString password;
        g.assign(122, password, [&] { return askPassword(pdfPath); });
        if (g.test(124, [&] { return !password.trimmed().isEmpty(); }))
            request.password = password;
    }
    g(168, [&] {
        request.outputPath =
            withAudioExtension(mp3OutputPath(pdfPath, outputFolder, saveToFolder, saveBesidePdf),
                               form.exporting().audioFormat());
    });
    if (form.documents().scans().recognises(pdfPath))
        request.recognition = RecognitionMode::Auto;
    startConversion(form, g, request, fileNameOf(pdfPath));
}

} // namespace lectorix
