#pragma once

#include <QString>

namespace lectorix {
class Form1;

// Fills Text2 with the text of pages 1 to 100 of the PDF, or with a message (also shown in a
// message box) when it has none. The converter writes into {TEMP}, never beside the PDF, so a
// user's own text file of the same name is left alone.
void GetPDFText(Form1& form, const QString& pdfPath);

} // namespace lectorix
