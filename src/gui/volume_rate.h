#pragma once

#include <QString>

namespace lectorix {
class Form1;

// The refusal shown when a slider moves while a file is being saved.
inline const QString SliderRefusedMessage =
    QStringLiteral("You can not adjust because file is being saved now.");

// A slider moved (by the user, by start-up, or by the program): show the value, store it and
// apply it to the voices that exist now. While SavingFile is set the move is refused: one
// message, the slider goes back to the stored value, and nothing is stored or applied.
void Slider1_Change(Form1& form);     // volume
void Slider2_Change(Form1& form);     // rate
void PushButton14_Click(Form1& form); // "Test Speed"

} // namespace lectorix
