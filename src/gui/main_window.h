#pragma once

#include <QCursor>
#include <QWidget>

#include <functional>
#include <optional>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QSlider;

namespace lectorix {

// The main window. Its controls carry the names of the layout table, both as members (so
// handler code reads like the window it drives) and as object names (so tests and screen
// readers find them). Form1 builds and wires the controls; the work of each handler lives in
// its subsystem's folder.
class Form1 final : public QWidget
{
    Q_OBJECT

public:
    // Mouse pointer states of the window.
    enum MousePointer { PointerDefault = 0, PointerBusy = 11, PointerCustom = 99 };

    explicit Form1(QWidget* parent = nullptr);
    ~Form1() override;

    // Runs the start-up steps. Returns false when the program must end at once (no voices).
    bool Form_Load();

    // The window's mouse pointer (0, 11 or 99), readable by tests.
    int mousePointer() const { return m_mousePointer; }
    void setMousePointer(int pointer);
    // The image shown for pointer 99; none when HAND-M.CUR was not found.
    void setCustomPointer(const QCursor& cursor) { m_customCursor = cursor; }
    bool hasCustomPointer() const { return m_customCursor.has_value(); }

    // Selects or clears an option button the way the classic control does: selecting one
    // clears the other, and clearing leaves both cleared.
    static void setOptionValue(QRadioButton* option, bool selected);
    // Sets a slider, failing like the classic control when the value is out of its range.
    static void setSliderValue(QSlider* slider, double value);

    // How the program ends when the window closes; tests replace it.
    static void setEndProgram(std::function<void(int)> endProgram);

    bool SavingFile = false;

    QPushButton* PushButton1 = nullptr;  // "..." choose PDF
    QPushButton* PushButton2 = nullptr;  // "Start Reading" / "Pause" / "Resume"
    QPushButton* PushButton3 = nullptr;  // "Help"
    QPushButton* PushButton4 = nullptr;  // "Load Text From Text File"
    QPushButton* PushButton5 = nullptr;  // "Save Text To Text File"
    QPushButton* PushButton6 = nullptr;  // "Clear Text"
    QPushButton* PushButton7 = nullptr;  // "Load Sample/Example File"
    QPushButton* PushButton8 = nullptr;  // "Save Audio As MP3"
    QPushButton* PushButton9 = nullptr;  // "..." choose output folder
    QPushButton* PushButton10 = nullptr; // "Add Voices"
    QPushButton* PushButton11 = nullptr; // "Refresh List"
    QPushButton* PushButton14 = nullptr; // "Test Speed"
    QLineEdit* Text1 = nullptr;          // PDF path
    QPlainTextEdit* Text2 = nullptr;     // text to read
    QLineEdit* Text3 = nullptr;          // output folder
    QComboBox* Combo1 = nullptr;         // voices
    QSlider* Slider1 = nullptr;          // volume 0..100
    QSlider* Slider2 = nullptr;          // rate -10..10
    QCheckBox* Check1 = nullptr;         // prompt for password
    QRadioButton* Option1 = nullptr;     // save to this folder
    QRadioButton* Option2 = nullptr;     // save beside the PDF
    QGroupBox* Frame1 = nullptr;
    QGroupBox* Frame2 = nullptr;
    QGroupBox* Frame3 = nullptr;
    QGroupBox* Frame4 = nullptr;
    QGroupBox* Frame5 = nullptr;
    QGroupBox* Frame6 = nullptr;
    QGroupBox* Frame7 = nullptr;
    QGroupBox* Frame8 = nullptr;
    QGroupBox* Frame9 = nullptr;
    QLabel* lblVolume = nullptr;
    QLabel* lblSpeed = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label5 = nullptr;
    QLabel* Label6 = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    void wireHandlers();
    void Form_QueryUnload();
    void Form_Unload();

    int m_mousePointer = PointerDefault;
    std::optional<QCursor> m_customCursor;
    bool m_unloading = false;
};

} // namespace lectorix
