#pragma once

#include <QString>

namespace lectorix {
class MainWindow;

void choosePdf(MainWindow& form); // "..." beside the PDF path
// What choosing path does: it becomes the PDF to read, and its text fills the text box.
void openPdf(MainWindow& form, const QString& path);

} // namespace lectorix
