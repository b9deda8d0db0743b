#include "pdf/mp3_conversion.h"

namespace lectorix {
void PushButton8_Click(Form1&) {}
} // namespace lectorix
