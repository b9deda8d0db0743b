#pragma once

#include "core/pdf/document_text.h"
#include "core/reading/reading_session.h"
#include "core/speech/speech_engine.h"

#include <QCursor>
#include <QPointer>
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

class ReadingHighlight;
class ReadingPlaceKeeper;

// The main window. Its controls carry the names of the layout table, both as members (so
// handler code reads like the window it drives) and as object names (so tests and screen
// readers find them). MainWindow builds and wires the controls; the work of each handler lives in
// its subsystem's folder.
class MainWindow final : public QWidget
{
    Q_OBJECT

public:
    // Mouse pointer states of the window.
    enum MousePointer { PointerDefault = 0, PointerBusy = 11, PointerCustom = 99 };

    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    // Runs the start-up steps. Returns false when the program must end at once (no voices).
    bool startUp();

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

    bool savingFile = false;
    // True when the text box is the source for reading aloud, false when the PDF is.
    bool useTextBox = false;
    // The reading aloud; the caption of the reading button shows its state.
    ReadingSession* readingSession = nullptr;
    // Where the voice is, shown in the text box while it is read.
    ReadingHighlight* readingHighlight = nullptr;
    // Where readings of PDFs stopped early.
    ReadingPlaceKeeper* readingPlaceKeeper = nullptr;
    // The voice of a "Test Speed" or WAV rendering, while one runs; the sliders act on it.
    std::unique_ptr<speech::Voice> renderVoice;
    // The extraction filling the text box, while one runs.
    QPointer<ExtractionJob> textExtraction;

    QPushButton* choosePdfButton = nullptr;          // "..." choose PDF
    QPushButton* readButton = nullptr;               // "Start Reading" / "Pause" / "Resume"
    QPushButton* helpButton = nullptr;               // "Help"
    QPushButton* loadTextButton = nullptr;           // "Load Text From Text File"
    QPushButton* saveTextButton = nullptr;           // "Save Text To Text File"
    QPushButton* clearTextButton = nullptr;          // "Clear Text"
    QPushButton* loadSampleButton = nullptr;         // "Load Sample/Example File"
    QPushButton* saveMp3Button = nullptr;            // "Save Audio As MP3"
    QPushButton* chooseOutputFolderButton = nullptr; // "..." choose output folder
    QPushButton* addVoicesButton = nullptr;          // "Add Voices"
    QPushButton* refreshVoicesButton = nullptr;      // "Refresh List"
    QPushButton* testSpeedButton = nullptr;          // "Test Speed"
    QLineEdit* pdfPathEdit = nullptr;                // PDF path
    QPlainTextEdit* textToReadEdit = nullptr;        // text to read
    QLineEdit* outputFolderEdit = nullptr;           // output folder
    QComboBox* voiceCombo = nullptr;                 // voices
    QSlider* volumeSlider = nullptr;                 // volume 0..100
    QSlider* rateSlider = nullptr;                   // rate -10..10
    QCheckBox* passwordPromptCheck = nullptr;        // prompt for password
    QRadioButton* saveToFolderOption = nullptr;      // save to this folder
    QRadioButton* saveBesidePdfOption = nullptr;     // save beside the PDF
    QGroupBox* volumeFrame = nullptr;
    QGroupBox* voiceFrame = nullptr;
    QGroupBox* pdfFrame = nullptr;
    QGroupBox* speedFrame = nullptr;
    QGroupBox* textFrame = nullptr;
    QGroupBox* mp3Frame = nullptr;
    QGroupBox* optionFrame = nullptr;
    QGroupBox* saveOptionFrame = nullptr;
    QGroupBox* outputFolderFrame = nullptr;
    QLabel* volumeValueLabel = nullptr;
    QLabel* speedValueLabel = nullptr;
    QLabel* volumeMinLabel = nullptr;
    QLabel* volumeMaxLabel = nullptr;
    QLabel* speedFastLabel = nullptr;
    QLabel* speedSlowLabel = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    void wireHandlers();
    void releaseReadingVoice();
    void endProgramNow();

    int m_mousePointer = PointerDefault;
    std::optional<QCursor> m_customCursor;
    bool m_unloading = false;
};

} // namespace lectorix
