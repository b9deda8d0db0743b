#include "gui/document_controller.h"

#include "core/base/program_folder.h"
#include "core/files/file_utils.h"
#include "core/files/text_files.h"
#include "core/pdf/document_text.h"
#include "gui/command_line.h"
#include "gui/dialogs.h"
#include "gui/error_report.h"
#include "gui/job_failure_reports.h"
#include "gui/main_window.h"

#include <QFileInfo>
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

DocumentController::DocumentController(MainWindow& window) : m_window(window) {}

void DocumentController::wire()
{
    const auto click = [this](QPushButton* button, void (DocumentController::*handler)()) {
        connect(button, &QPushButton::clicked, this, handler);
    };
    click(m_window.choosePdfButton(), &DocumentController::choosePdf);
    click(m_window.loadTextButton(), &DocumentController::loadTextFromFile);
    click(m_window.saveTextButton(), &DocumentController::saveTextToFile);
    click(m_window.clearTextButton(), &DocumentController::clearText);
    click(m_window.loadSampleButton(), &DocumentController::loadSample);
    // Enter opens the path typed; leaving the box opens it only after an edit (opening puts the
    // path back, which clears the box's modified flag, so Enter does not open it twice).
    QLineEdit* pdfPath = m_window.pdfPathEdit();
    connect(pdfPath, &QLineEdit::returnPressed, this, &DocumentController::pdfPathEntered);
    connect(pdfPath, &QLineEdit::editingFinished, this, [this, pdfPath] {
        if (pdfPath->isModified())
            pdfPathEntered();
    });
}

void DocumentController::choosePdf()
{
    Guard g("Form1", "PushButton1_Click");
    Dialogs::FileRequest request;
    QString chosen;
    // Each request starts empty, so no earlier choice is offered again.
    g(100, [&] { chosen.clear(); });
    g(102, [&] { request.title = QStringLiteral("Select PDF File"); });
    g(104, [&] { request.filter = QStringLiteral("PDF Documents (*.pdf)|*.pdf"); });
    g.assign(106, chosen, [&] { return dialogs().openFile(request); });
    if (g.test(108, [&] { return chosen.isEmpty(); }))
        return;
    openPdf(chosen);
}

void DocumentController::openPdf(const QString& path)
{
    Guard g("Form1", "PushButton1_Click");
    MainWindow& form = m_window;
    g(110, [&] { form.pdfPathEdit()->setText(path); });
    g(112, [&] { form.setMousePointer(MainWindow::PointerBusy); });
    g(114, [&] { m_useTextBox = false; });
    emit pdfOpened(path);
    g(116, [&] {
        loadPdfText(form.pdfPathEdit()->text(), [&form] {
            Guard then("Form1", "PushButton1_Click");
            then(118, [&] { form.setMousePointer(MainWindow::PointerDefault); });
        });
    });
}

void DocumentController::pdfPathEntered()
{
    const QString path = m_window.pdfPathEdit()->text();
    if (!path.isEmpty())
        openPdf(path);
}

void DocumentController::loadTextFromFile()
{
    Guard g("Form1", "PushButton4_Click");
    Dialogs::FileRequest request;
    QString chosen;
    g(100, [&] { chosen.clear(); });
    g(102, [&] { request.filter = TextFilter; });
    g.assign(104, chosen, [&] { return dialogs().openFile(request); });
    if (g.test(106, [&] { return chosen.isEmpty(); }))
        return;
    loadTextFile(chosen);
}

void DocumentController::loadTextFile(const QString& path)
{
    Guard g("Form1", "PushButton4_Click");
    MainWindow& form = m_window;
    QStringList blocks;
    // A PDF still converting would replace the file's text a moment later.
    cancelTextExtraction();
    g(108, [&] { form.setMousePointer(MainWindow::PointerBusy); });
    g(110, [&] { form.textToReadEdit()->setPlainText(QString()); });
    g.assign(112, blocks, [&] {
        const TextFilePieces read = readTextFileBlocks(path);
        if (read.failure)
            reportTextBlocksFailure(*read.failure);
        return read.pieces;
    });
    // The blocks go into the box in one step: appending them one by one would copy the
    // growing text for every block.
    g(116, [&] { form.textToReadEdit()->setPlainText(blocks.join(QString())); });
    g(120, [&] { m_useTextBox = true; });
    g(122, [&] { form.setMousePointer(MainWindow::PointerDefault); });
}

void DocumentController::saveTextToFile()
{
    Guard g("Form1", "PushButton5_Click");
    MainWindow& form = m_window;
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
    g(122, [&] { writeStringToFile(form.textToReadEdit()->toPlainText(), target); });
    g(124, [&] { form.setMousePointer(MainWindow::PointerDefault); });
}

void DocumentController::clearText()
{
    Guard g("Form1", "PushButton6_Click");
    g(100, [&] { m_window.textToReadEdit()->setPlainText(QString()); });
    g(102, [&] { m_window.pdfPathEdit()->setText(QString()); });
}

// Once the sample's text is shown: the pointer, and the offer to open the samples folder.
void DocumentController::offerSampleFolder()
{
    Guard g("Form1", "PushButton7_Click");
    Dialogs::Answer answer = Dialogs::Answer::No;
    g(108, [&] { m_window.setMousePointer(MainWindow::PointerDefault); });
    g.assign(110, answer, [] {
        return showMessage(QStringLiteral("Would you like this software to open the folder "
                                          "where these sample files are stored (so that you can "
                                          "view them before working with them)?"),
                           Dialogs::Buttons::YesNo);
    });
    if (answer != Dialogs::Answer::Yes)
        return;
    // A file browser that could not be started is named only when xdg-open is missing.
    g(112, [] { openOnDesktop(QUrl::fromLocalFile(samplesFolder())); });
}

void DocumentController::loadSample()
{
    Guard g("Form1", "PushButton7_Click");
    MainWindow& form = m_window;
    g(100, [&] { form.pdfPathEdit()->setText(samplesFolder() + QStringLiteral("sample1.pdf")); });
    g(102, [&] { form.setMousePointer(MainWindow::PointerBusy); });
    g(104, [&] { m_useTextBox = false; });
    g(106, [&] { loadPdfText(form.pdfPathEdit()->text(), [this] { offerSampleFolder(); }); });
}

void DocumentController::openDocument(const QString& path)
{
    // The PDF box keeps the path for the next session, which may start in another folder.
    const QString absolutePath = QFileInfo(path).absoluteFilePath();
    const DocumentKind kind = documentKind(absolutePath);
    if (kind == DocumentKind::Unsupported)
        return;
    // As choosing the document in the window would, without the file dialog.
    if (kind == DocumentKind::Pdf)
        openPdf(absolutePath);
    else
        loadTextFile(absolutePath);
}

void DocumentController::textBoxLeft(Qt::FocusReason reason)
{
    // Only a move to another control of this window counts; switching windows or opening a
    // menu does not.
    if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason ||
        reason == Qt::MenuBarFocusReason)
        return;
    m_useTextBox = true;
}

} // namespace lectorix
