#pragma once

namespace lectorix {
class Form1;

void PushButton8_Click(Form1& form); // "Save Audio As MP3"

} // namespace lectorix
