#include "gui/text_tools.h"

#include "core/base/error_report.h"
#include "core/files/file_utils.h"
#include "core/base/program_folder.h"
#include "core/files/text_files.h"
#include "gui/dialogs.h"
#include "gui/job_failure_reports.h"
#include "gui/main_window.h"
#include "gui/pdf_text.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QUrl>

namespace lectorix {

namespace {
const QString TextFilter = QStringLiteral("Text Files (*.txt)|*.txt|All Files (*.*)|*.*|");

QString samplesFolder()
{
    return programFolder() + QStringLiteral("/Samples/");
}
} // namespace

QString helpText(const MainWindow& form)
{
    const QString cr = QStringLiteral("\r");
    return QStringLiteral("This program will:") + cr + cr +
           QStringLiteral("extract text from a PDF. This text is usually typed into the PDF "
                          "using the keyboard.") +
           cr + cr + QStringLiteral("This program will not:") + cr + cr +
           QStringLiteral("extract text that is inside an image. Even though the image is "
                          "embedded within a PDF file, it is still an image and \"unreadable\".") +
           cr + cr +
           QStringLiteral("Volume and Speed are not adjusting in real time for saving as MP3.") +
           cr + cr + QStringLiteral("Please adjust ") + form.volumeFrame->title() +
           QStringLiteral(" and ") + form.speedFrame->title() +
           QStringLiteral(" sliders and press ") + form.saveMp3Button->text() +
           QStringLiteral(" button again");
}

void showHelp(MainWindow& form)
{
    Guard g("Form1", "PushButton3_Click");
    g(100, [&] { showMessage(helpText(form)); });
}

void loadTextFromFile(MainWindow& form)
{
    Guard g("Form1", "PushButton4_Click");
    Dialogs::FileRequest request;
    QString chosen;
    g(100, [&] { chosen.clear(); });
    g(102, [&] { request.filter = TextFilter; });
    g.assign(104, chosen, [&] { return dialogs().openFile(request); });
    if (g.test(106, [&] { return chosen.isEmpty(); }))
        return;
    loadTextFile(form, chosen);
}

void loadTextFile(MainWindow& form, const QString& path)
{
    Guard g("Form1", "PushButton4_Click");
    QStringList blocks;
    // A PDF still converting would replace the file's text a moment later.
    cancelTextExtraction(form);
    g(108, [&] { form.setMousePointer(MainWindow::PointerBusy); });
    g(110, [&] { form.textToReadEdit->setPlainText(QString()); });
    g.assign(112, blocks, [&] {
        const TextFilePieces read = readTextFileBlocks(path);
        if (read.failure)
            reportTextBlocksFailure(*read.failure);
        return read.pieces;
    });
    // The blocks go into the box in one step: appending them one by one would copy the
    // growing text for every block.
    g(116, [&] { form.textToReadEdit->setPlainText(blocks.join(QString())); });
    g(120, [&] { form.useTextBox = true; });
    g(122, [&] { form.setMousePointer(MainWindow::PointerDefault); });
}

void saveTextToFile(MainWindow& form)
{
    Guard g("Form1", "PushButton5_Click");
    Dialogs::FileRequest request;
    QString target;
    // The dialog keeps Qt's overwrite confirmation: replacing a file should never surprise.
    g(106, [&] { target.clear(); });
    g(110, [&] { request.title = QStringLiteral("Save"); });
    g(112, [&] { request.filter = TextFilter; });
    g.assign(114, target, [&] { return dialogs().saveFile(request); });
    if (g.test(118, [&] { return target.isEmpty(); }))
        return;
    g(120, [&] { form.setMousePointer(MainWindow::PointerBusy); });
    g(122, [&] { writeStringToFile(form.textToReadEdit->toPlainText(), target); });
    g(124, [&] { form.setMousePointer(MainWindow::PointerDefault); });
}

void clearText(MainWindow& form)
{
    Guard g("Form1", "PushButton6_Click");
    g(100, [&] { form.textToReadEdit->setPlainText(QString()); });
    g(102, [&] { form.pdfPathEdit->setText(QString()); });
}

namespace {

// Once the sample's text is shown: the pointer, and the offer to open the samples folder.
void offerSampleFolder(MainWindow& form)
{
    Guard g("Form1", "PushButton7_Click");
    Dialogs::Answer answer = Dialogs::Answer::No;
    g(108, [&] { form.setMousePointer(MainWindow::PointerDefault); });
    g.assign(110, answer, [] {
        return showMessage(QStringLiteral("Would you like this software to open the folder "
                                          "where these sample files are stored (so that you can "
                                          "view them before working with them)?"),
                           Dialogs::Buttons::YesNo);
    });
    if (answer != Dialogs::Answer::Yes)
        return;
    // Whether a file browser came up is not examined, as with any shell request.
    g(112, [] { dialogs().openUrl(QUrl::fromLocalFile(samplesFolder())); });
}

} // namespace

void loadSample(MainWindow& form)
{
    Guard g("Form1", "PushButton7_Click");
    g(100, [&] { form.pdfPathEdit->setText(samplesFolder() + QStringLiteral("sample1.pdf")); });
    g(102, [&] { form.setMousePointer(MainWindow::PointerBusy); });
    g(104, [&] { form.useTextBox = false; });
    g(106,
      [&] { loadPdfText(form, form.pdfPathEdit->text(), [&form] { offerSampleFolder(form); }); });
}

} // namespace lectorix
