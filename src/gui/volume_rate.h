#pragma once

#include <QString>

namespace lectorix {
class MainWindow;

// The refusal shown when a slider moves while a file is being saved.
inline const QString SliderRefusedMessage =
    QStringLiteral("You can not adjust because file is being saved now.");

// A slider moved (by the user, by start-up, or by the program): show the value, store it and
// apply it to the voices that exist now. While savingFile is set the move is refused: one
// message, the slider goes back to the stored value, and nothing is stored or applied.
void volumeChanged(MainWindow& form); // volume
void rateChanged(MainWindow& form);   // rate
// "Test Speed": speaks a test sentence with the chosen voice and the sliders, and returns at
// once; while it is heard, the sliders act on it and a second press is refused.
void testSpeed(MainWindow& form);

} // namespace lectorix
