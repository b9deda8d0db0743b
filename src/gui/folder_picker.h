#pragma once

namespace lectorix {
class Form1;

void PushButton9_Click(Form1& form); // "..." beside the output folder

} // namespace lectorix
