#include "files/folder_picker.h"

namespace lectorix {
void PushButton9_Click(Form1&) {}
} // namespace lectorix
