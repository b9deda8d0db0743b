#pragma once

#include <QString>

namespace lectorix {
class Form1;

// Fills Text2 with the text of pages 1 to 100 of the PDF, or with a message when it has none.
void GetPDFText(Form1& form, const QString& pdfPath);

} // namespace lectorix
