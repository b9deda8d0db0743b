#include "files/pdf_chooser.h"

namespace lectorix {
void PushButton1_Click(Form1&) {}
} // namespace lectorix
