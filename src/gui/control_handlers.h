#pragma once

#include <Qt>

class QWidget;

namespace lectorix {
class Form1;

// The small handlers that keep the window's state: pointer, stored values, reading state.
// They report nothing; a settings file that cannot be written is ignored here.

// The mouse moved over control (Form1 itself, a frame, a text box or a push button).
void pointerMoved(Form1& form, QWidget* control);

void Text1_Change(Form1& form);
void Text3_Change(Form1& form);
void Combo1_Click(Form1& form);
void Check1_Click(Form1& form);
void Option1_Click(Form1& form);
void Option2_Click(Form1& form);
void Text2_Change(Form1& form);
// The focus leaves Text2 for another control of the window.
void Text2_Validate(Form1& form, Qt::FocusReason reason);

} // namespace lectorix
