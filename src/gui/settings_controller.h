#pragma once

#include <QObject>

namespace lectorix {
class MainWindow;

// The window's start-up and its remembered choices: start-up restores the stored values into
// the controls (and writes the converter launcher); afterwards each change of the PDF path,
// the output folder, the password option or the save option is stored. A settings file that
// cannot be written is ignored by the storing handlers: they have no report of their own.
class SettingsController final : public QObject
{
    Q_OBJECT

public:
    explicit SettingsController(MainWindow& window);

    // Connects the controls; called once the window's controllers exist.
    void wire();

    // Runs the start-up steps. Returns false when the program must end at once (no voices).
    bool startUp();

    void chooseOutputFolder(); // "..." beside the output folder
    // "Pauses...": shows the pauses and the one-voice choice, and stores what the user sets.
    void choosePauses();

private:
    void setUpWindow();
    void restoreSliders();
    void writeConverterLauncher();
    void restoreDocument();
    void restoreOptions();

    void pdfPathChanged();
    void outputFolderChanged();
    void passwordPromptToggled();
    void saveOptionChosen();

    MainWindow& m_window;
};

} // namespace lectorix
