#pragma once

#include <QCursor>
#include <QList>
#include <QRect>
#include <QWidget>

#include <memory>
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
class QTabBar;

namespace lectorix {

struct ControlRow;
enum class Follow;
class DocumentController;
class ExportController;
class ListeningController;
class PageViewPanel;
class ReadingController;
class SettingsController;
class VoiceController;
class WindowSizing;

// The main window: a view that builds its controls from the layout table (window_layout.h)
// and wires them to its controllers, which own the state and the handlers: the settings and
// start-up, the voices, the document in the text box, the reading aloud, the MP3 export and
// what makes it a media player (media keys, the sleep timer, notifications).
// Controls are reached through accessors; their object names are those of the table.
//
// Closing the window ends the work it runs (the reading, the MP3 export, the extraction of a
// document's text) with no process or working file left behind; so does destroying it.
class MainWindow final : public QWidget
{
    Q_OBJECT

public:
    // Mouse pointer states of the window.
    enum MousePointer { PointerDefault = 0, PointerBusy = 11, PointerCustom = 99 };

    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    // True once the window is closing (or going): a job that ends now shows no message, and
    // nothing new starts.
    bool isClosing() const { return m_closing; }

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

    // The help message, built from the captions the window shows at that moment.
    QString helpText() const;
    void showHelp(); // "Help"

    SettingsController& settings() const { return *m_settings; }
    VoiceController& voices() const { return *m_voices; }
    DocumentController& documents() const { return *m_documents; }
    ReadingController& reading() const { return *m_reading; }
    ExportController& exporting() const { return *m_export; }
    ListeningController& listening() const { return *m_listening; }
    WindowSizing& sizing() const { return *m_sizing; }

    QPushButton* helpButton() const { return m_controls.helpButton; }
    QGroupBox* pdfFrame() const { return m_controls.pdfFrame; }
    QLineEdit* pdfPathEdit() const { return m_controls.pdfPathEdit; }
    QPushButton* choosePdfButton() const { return m_controls.choosePdfButton; }
    QGroupBox* optionFrame() const { return m_controls.optionFrame; }
    QCheckBox* passwordPromptCheck() const { return m_controls.passwordPromptCheck; }
    // "Save one MP3 per chapter": a PDF with chapters is saved as one MP3 for each.
    QCheckBox* chapterFilesCheck() const { return m_controls.chapterFilesCheck; }
    QPushButton* pausesButton() const { return m_controls.pausesButton; }
    QGroupBox* textFrame() const { return m_controls.textFrame; }
    QPlainTextEdit* textToReadEdit() const { return m_controls.textToReadEdit; }
    QComboBox* chapterCombo() const { return m_controls.chapterCombo; }
    // Shows the text box (TextTab) or the PDF's pages (PagesTab) in the text box's place.
    static constexpr int TextTab = 0;
    static constexpr int PagesTab = 1;
    QTabBar* textViewTabs() const { return m_controls.textViewTabs; }
    PageViewPanel* pageViewPanel() const { return m_controls.pageViewPanel; }
    QLabel* readingStatusLabel() const { return m_controls.readingStatusLabel; }
    QPushButton* loadTextButton() const { return m_controls.loadTextButton; }
    QPushButton* saveTextButton() const { return m_controls.saveTextButton; }
    QPushButton* clearTextButton() const { return m_controls.clearTextButton; }
    QPushButton* loadSampleButton() const { return m_controls.loadSampleButton; }
    QGroupBox* volumeFrame() const { return m_controls.volumeFrame; }
    QSlider* volumeSlider() const { return m_controls.volumeSlider; }
    QLabel* volumeValueLabel() const { return m_controls.volumeValueLabel; }
    QGroupBox* speedFrame() const { return m_controls.speedFrame; }
    QSlider* rateSlider() const { return m_controls.rateSlider; }
    QPushButton* testSpeedButton() const { return m_controls.testSpeedButton; }
    QLabel* speedValueLabel() const { return m_controls.speedValueLabel; }
    QGroupBox* voiceFrame() const { return m_controls.voiceFrame; }
    QComboBox* voiceCombo() const { return m_controls.voiceCombo; }
    QPushButton* refreshVoicesButton() const { return m_controls.refreshVoicesButton; }
    QPushButton* addVoicesButton() const { return m_controls.addVoicesButton; }
    QPushButton* readButton() const { return m_controls.readButton; }
    QGroupBox* mp3Frame() const { return m_controls.mp3Frame; }
    QGroupBox* saveOptionFrame() const { return m_controls.saveOptionFrame; }
    QRadioButton* saveToFolderOption() const { return m_controls.saveToFolderOption; }
    QGroupBox* outputFolderFrame() const { return m_controls.outputFolderFrame; }
    QLineEdit* outputFolderEdit() const { return m_controls.outputFolderEdit; }
    QPushButton* chooseOutputFolderButton() const { return m_controls.chooseOutputFolderButton; }
    QRadioButton* saveBesidePdfOption() const { return m_controls.saveBesidePdfOption; }
    QPushButton* saveMp3Button() const { return m_controls.saveMp3Button; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The controls the window's code reaches; the labels that only show a caption are not here.
    struct Controls
    {
        QPushButton *helpButton, *choosePdfButton, *loadTextButton, *saveTextButton,
            *clearTextButton, *loadSampleButton, *testSpeedButton, *refreshVoicesButton,
            *addVoicesButton, *readButton, *chooseOutputFolderButton, *saveMp3Button, *pausesButton;
        QGroupBox *pdfFrame, *optionFrame, *textFrame, *volumeFrame, *speedFrame, *voiceFrame,
            *mp3Frame, *saveOptionFrame, *outputFolderFrame;
        QLineEdit *pdfPathEdit, *outputFolderEdit;
        QPlainTextEdit* textToReadEdit;
        QCheckBox *passwordPromptCheck, *chapterFilesCheck;
        QSlider *volumeSlider, *rateSlider;
        QLabel *volumeValueLabel, *speedValueLabel, *readingStatusLabel;
        QComboBox *voiceCombo, *chapterCombo;
        QRadioButton *saveToFolderOption, *saveBesidePdfOption;
        QTabBar* textViewTabs;
        PageViewPanel* pageViewPanel;
    };

    void buildControls();
    // The tabs over the text box and the page view they show in its place.
    void buildPageView();
    QWidget* buildControl(const ControlRow& row, QWidget* parent);
    void findControls();
    void wireHandlers();
    void pointerMoved(QWidget* control);
    // Ends what runs: the reading (its place kept), the MP3 export, the text extraction; then
    // the launcher of the converter goes. Safe to call again.
    void endWork();

    Controls m_controls{};
    // The controls that follow the window's size, at their designed places.
    struct Follower
    {
        QWidget* control;
        QRect designed;
        Follow follow;
    };
    QList<Follower> m_followers;
    int m_mousePointer = PointerDefault;
    std::optional<QCursor> m_customCursor;
    bool m_closing = false;
    // Destroyed in reverse order, before the controls they act on.
    std::unique_ptr<SettingsController> m_settings;
    std::unique_ptr<VoiceController> m_voices;
    std::unique_ptr<DocumentController> m_documents;
    std::unique_ptr<ReadingController> m_reading;
    std::unique_ptr<ExportController> m_export;
    std::unique_ptr<ListeningController> m_listening;
    WindowSizing* m_sizing = nullptr;
};

} // namespace lectorix
