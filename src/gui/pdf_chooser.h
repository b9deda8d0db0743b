#pragma once

namespace lectorix {
class Form1;

void PushButton1_Click(Form1& form); // "..." beside the PDF path

} // namespace lectorix
