#pragma once

#include <Qt>

class QWidget;

namespace lectorix {
class MainWindow;

// The small handlers that keep the window's state: pointer, stored values, reading state.
// They report nothing; a settings file that cannot be written is ignored here.

// The mouse moved over control (MainWindow itself, a frame, a text box or a push button).
void pointerMoved(MainWindow& form, QWidget* control);

void pdfPathChanged(MainWindow& form);
void outputFolderChanged(MainWindow& form);
void voiceChosen(MainWindow& form);
void passwordPromptToggled(MainWindow& form);
void saveToFolderChosen(MainWindow& form);
void saveBesidePdfChosen(MainWindow& form);
void textToReadChanged(MainWindow& form);
// The focus leaves textToReadEdit for another control of the window.
void textToReadLeft(MainWindow& form, Qt::FocusReason reason);

} // namespace lectorix
