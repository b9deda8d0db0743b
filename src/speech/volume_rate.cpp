#include "speech/volume_rate.h"

namespace lectorix {
void Slider1_Change(Form1&) {}
void Slider2_Change(Form1&) {}
void PushButton14_Click(Form1&) {}
} // namespace lectorix
