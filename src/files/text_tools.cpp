#include "files/text_tools.h"

namespace lectorix {
void PushButton3_Click(Form1&) {}
void PushButton4_Click(Form1&) {}
void PushButton5_Click(Form1&) {}
void PushButton6_Click(Form1&) {}
void PushButton7_Click(Form1&) {}
} // namespace lectorix
