#include "gui/mp3_conversion.h"

#include "core/error_report.h"
#include "gui/main_window.h"
#include "gui/globals.h"
#include "core/file_utils.h"
#include "core/pdf_converter.h"
#include "gui/password_prompt.h"
#include "core/mp3_output.h"
#include "gui/pdf_text.h"
#include "core/process_runner.h"
#include "core/text_files.h"
#include "gui/dialogs.h"
#include "core/event_pump.h"
#include "core/failure.h"
#include "core/program_end.h"
#include "core/program_folder.h"
#include "core/temp_folder.h"
#include "core/chunking.h"
#include "core/mp3_encoding.h"
#include "gui/wav_rendering.h"

#include <QCheckBox>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QRadioButton>
#include <QSlider>

namespace lectorix {

namespace {

// One conversion. What the window showed at the click is taken once, so editing the boxes
// while the conversion runs changes neither the document, nor its name, nor its folder.
struct Conversion
{
    Form1& form;
    Guard& g;
    QString pdfPath;
    QString outputFolder;
    bool saveToFolder = false;
    bool saveBesidePdf = false;
    QString textPath;
    QString outputPath;
    QString partialPath; // the MP3 until it is complete; empty when none was made
    QString pending;     // the message instead of "Done."
};

QString notMade(const QString& outputPath, const QString& why)
{
    return QStringLiteral("The MP3 file %1 could not be made: %2").arg(outputPath, why);
}

QString partOf(int i, int n)
{
    return QStringLiteral("part %1 of %2").arg(i).arg(n);
}

// Renders every chunk and encodes it: with one chunk straight into the unfinished MP3, with
// more into pieces that are joined afterwards. Stops at the first chunk that fails, since the
// MP3 cannot be complete any more. Returns false with run.pending set when something failed.
bool renderAndEncode(Conversion& run, int n)
{
    Guard& g = run.g;
    for (int i = 1; i <= n; ++i) {
        if (events::programEnding())
            return false;
        const QString chunk = chunkFileName(run.textPath, i, QStringLiteral(".txt"));
        const QString wav = chunkFileName(run.textPath, i, QStringLiteral(".wav"));
        const QString piece = chunkFileName(run.textPath, i, QStringLiteral(".mp3"));
        g(186, [&] { RemoveFile(wav); });
        g(188, [&] { SaveToWAV(run.form, chunk, wav); });
        // A rendering whose speaking failed leaves its voice behind and whatever it had
        // written: such a WAV file is not the chunk's speech.
        const bool rendered = FileExists(wav) && !globals().RenderVoice;
        if (!g.test(190, [&] { return rendered; })) {
            RemoveFile(wav);
            run.pending =
                notMade(run.outputPath, partOf(i, n) + QStringLiteral(" could not be rendered "
                                                                      "to speech."));
            return false;
        }
        bool encoded = false;
        if (g.test(192, [&] { return n == 1; }))
            g(194, [&] { encoded = WAVToMP3(wav, run.partialPath); });
        else
            g(196, [&] { encoded = WAVToMP3(wav, piece); });
        g(198, [&] { RemoveFile(wav); });
        if (events::programEnding())
            return false;
        if (!encoded) {
            run.pending = notMade(run.outputPath,
                                  QStringLiteral("the MP3 encoder failed on ") + partOf(i, n) +
                                      QStringLiteral(" (is the package lame installed?)."));
            return false;
        }
    }
    return true;
}

// Joins the pieces into the unfinished MP3 with JoinMP3.sh.
bool joinPieces(Conversion& run, int n)
{
    Guard& g = run.g;
    QString script;
    QStringList pieces;
    for (int i = 1; i <= n; ++i)
        pieces << chunkFileName(run.textPath, i, QStringLiteral(".mp3"));
    QString line;
    int exitCode = -1;
    g(204, [&] { line = joinScript(pieces, run.partialPath); });
    const bool written = g(216, [&] {
        script = tempPath(QStringLiteral("JoinMP3.sh"));
        WriteStringToFile(line, script);
        // Rewriting keeps the mode of a file found there, and a umask may let the group
        // write; the script is this user's own.
        QFile::setPermissions(script, QFile::ReadOwner | QFile::WriteOwner);
    });
    if (written)
        g(218, [&] {
            checkOwnProgram(script);
            exitCode = RunAndWait(shellScriptCommandLine(script), 0);
        });
    g(220, [&] { RemoveFile(script); });
    if (exitCode == 0 || events::programEnding())
        return exitCode == 0;
    run.pending =
        notMade(run.outputPath, QStringLiteral("its %1 parts could not be joined.").arg(n));
    return false;
}

// Lines 162 to 228: from a readable text file to the finished MP3.
void makeMp3(Conversion& run)
{
    Guard& g = run.g;
    QString encoder;
    QByteArray encoderImage;
    g(
        162, [&] { encoder = tempPath(QStringLiteral("lame")); },
        [&] { encoderImage = customResource(103); });
    if (g.test(164, [&] { return !FileExists(encoder); }))
        g(166, [&] { WriteFileIfMissing(encoderImage, encoder, true); });

    g(168, [&] {
        run.outputPath =
            mp3OutputPath(run.pdfPath, run.outputFolder, run.saveToFolder, run.saveBesidePdf);
    });
    g(180, [&] {
        try {
            run.partialPath = reservePartialFile(run.outputPath);
        } catch (const Failure& failure) {
            run.pending = notMade(run.outputPath, failure.description());
        }
    });

    if (!run.partialPath.isEmpty() && !events::programEnding()) {
        int n = 0;
        g(182, [&] { n = CutTextFileFSO(run.form.Slider2->value(), run.textPath); });
        bool complete = n >= 1 && renderAndEncode(run, n);
        if (complete && g.test(202, [&] { return n != 1; }))
            complete = joinPieces(run, n);
        for (int i = 1; i <= n; ++i)
            g(224, [&] { RemoveFile(chunkFileName(run.textPath, i, QStringLiteral(".mp3"))); });
        if (complete && !events::programEnding()) {
            if (!FileExists(run.partialPath) || QFileInfo(run.partialPath).size() == 0)
                run.pending = notMade(run.outputPath, QStringLiteral("the encoder wrote nothing."));
            else
                g(226, [&] {
                    try {
                        renameOver(run.partialPath, run.outputPath);
                        run.partialPath.clear();
                    } catch (const Failure& failure) {
                        run.pending = failure.description();
                    }
                });
        } else if (run.pending.isEmpty()) {
            run.pending = notMade(run.outputPath, QStringLiteral("the conversion was stopped."));
        }
        if (!run.partialPath.isEmpty())
            RemoveFile(run.partialPath);
    }
    g(228, [&] { RemoveFile(encoder); });
}

} // namespace

void PushButton8_Click(Form1& form)
{
    Guard g("Form1", "PushButton8_Click");
    if (g.test(100, [&] { return form.SavingFile; }))
        return;
    g(102, [&] { form.SavingFile = true; });

    Conversion run{form,
                   g,
                   form.Text1->text(),
                   form.Text3->text(),
                   form.Option1->isChecked(),
                   form.Option2->isChecked(),
                   {},
                   {},
                   {},
                   {}};
    if (!g.test(104, [&] { return IsFolder(run.outputFolder) || run.saveBesidePdf; })) {
        g(242, [] { showMessage(FolderMissingMessage); });
        g(244, [&] { form.SavingFile = false; });
        return;
    }
    g(108, [&] { form.setMousePointer(Form1::PointerBusy); });

    QString converter;
    QString workingCopy;
    g(112, [&] { converter = converterPath(); });
    g(114, [&] { workingCopy = tempPath(QStringLiteral("output.pdf")); });

    // Closing the window meanwhile: the running tool is stopped by the runner; what this
    // conversion wrote goes with it.
    EndCleanup onEnd([&run] {
        const QString folder = tempFolder();
        removeConversionFiles(folder, true);
        QFile::remove(folder + QStringLiteral("/lame"));
        if (!run.partialPath.isEmpty())
            QFile::remove(run.partialPath);
    });

    // An earlier run's copy, text and chunks go first: a PDF that cannot be copied must not
    // convert the previous document.
    g(
        116, [] { removeConversionFiles(tempFolder(), true); },
        [&] { CopyFileChecked(run.pdfPath, workingCopy); });
    g(118, [] { WaitSeconds(0.1); });

    QString password;
    const bool askPassword = g.test(120, [&] { return form.Check1->checkState() == Qt::Checked; });
    if (askPassword)
        g.assign(122, password, [&] { return AskPassword(workingCopy); });
    if (askPassword && g.test(124, [&] { return !password.trimmed().isEmpty(); }))
        g(126, [&] { RunConverter(converter, password, workingCopy, QString()); });
    else if (askPassword)
        g(128, [&] { RunConverter(converter, QString(), workingCopy, QString()); });
    else
        g(130, [&] { RunConverter(converter, QString(), workingCopy, QString()); });
    g(132, [] { WaitSeconds(0.1); });

    g(134, [&] { run.textPath = StripExtension(workingCopy) + QStringLiteral(".txt"); });
    for (int tries = 0; tries < 100 && !FileExists(run.textPath) && !events::programEnding();
         ++tries)
        g(154, [] { WaitSeconds(0.01); });

    if (!events::programEnding()) {
        if (g.test(158, [&] { return !FileExists(run.textPath); }))
            g(232, [&] { run.pending = protectedTextMessage(run.pdfPath); });
        else if (g.test(160, [&] { return NoTextPDF(run.textPath); }))
            g(230, [&] { run.pending = unreadableTextMessage(run.pdfPath); });
        else
            makeMp3(run);
    }

    g(234, [&] { form.setMousePointer(Form1::PointerDefault); });
    // A window that is closing shows no more messages.
    if (!events::programEnding()) {
        if (g.test(236, [&] { return !run.pending.trimmed().isEmpty(); }))
            g(238, [&] { showMessage(run.pending); });
        else
            g(240, [] { showMessage(DoneMessage); });
    }
    g(244, [&] { form.SavingFile = false; });
}

} // namespace lectorix
