#pragma once

#include <QString>

namespace lectorix {
class MainWindow;

void showHelp(MainWindow& form);         // "Help"
void loadTextFromFile(MainWindow& form); // "Load Text From Text File"
// What choosing path there does: the file's text fills the text box and becomes the source.
void loadTextFile(MainWindow& form, const QString& path);
void saveTextToFile(MainWindow& form);   // "Save Text To Text File"
void clearText(MainWindow& form);        // "Clear Text"
void loadSample(MainWindow& form);       // "Load Sample/Example File"

// The help message, built from the captions the window shows at that moment.
QString helpText(const MainWindow& form);

} // namespace lectorix
