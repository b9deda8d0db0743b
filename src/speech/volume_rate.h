#pragma once

namespace lectorix {
class Form1;

void Slider1_Change(Form1& form);
void Slider2_Change(Form1& form);
void PushButton14_Click(Form1& form); // "Test Speed"

} // namespace lectorix
