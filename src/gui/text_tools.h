#pragma once

#include <QString>

namespace lectorix {
class Form1;

void PushButton3_Click(Form1& form); // "Help"
void PushButton4_Click(Form1& form); // "Load Text From Text File"
void PushButton5_Click(Form1& form); // "Save Text To Text File"
void PushButton6_Click(Form1& form); // "Clear Text"
void PushButton7_Click(Form1& form); // "Load Sample/Example File"

// The help message, built from the captions the window shows at that moment.
QString helpText(const Form1& form);

} // namespace lectorix
