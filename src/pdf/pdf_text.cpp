#include "pdf/pdf_text.h"

namespace lectorix {
// No extraction yet.
void GetPDFText(Form1&, const QString&) {}
} // namespace lectorix
