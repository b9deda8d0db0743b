#include "gui/pdf_chooser.h"

#include "core/base/error_report.h"
#include "gui/dialogs.h"
#include "gui/main_window.h"
#include "gui/pdf_text.h"

#include <QLineEdit>

namespace lectorix {

void choosePdf(MainWindow& form)
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
    openPdf(form, chosen);
}

void openPdf(MainWindow& form, const QString& path)
{
    Guard g("Form1", "PushButton1_Click");
    g(110, [&] { form.pdfPathEdit->setText(path); });
    g(112, [&] { form.setMousePointer(MainWindow::PointerBusy); });
    g(114, [&] { form.useTextBox = false; });
    g(116, [&] {
        loadPdfText(form, form.pdfPathEdit->text(), [&form] {
            Guard then("Form1", "PushButton1_Click");
            then(118, [&] { form.setMousePointer(MainWindow::PointerDefault); });
        });
    });
}

} // namespace lectorix
