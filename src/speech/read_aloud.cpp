#include "speech/read_aloud.h"

namespace lectorix {
void PushButton2_Click(Form1&) {}
void SpeakLoud(Form1&) {}
QStringList SplitTextBySize(const QString&, int) { return {}; }
} // namespace lectorix
