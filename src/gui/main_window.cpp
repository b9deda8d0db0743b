#include "gui/main_window.h"

#include "core/base/error_report.h"
#include "core/base/event_pump.h"
#include "core/base/program_end.h"
#include "core/files/file_utils.h"
#include "core/files/temp_folder.h"
#include "core/pdf/pdf_converter.h"
#include "core/process/launcher_sharing.h"
#include "core/settings/settings.h"
#include "gui/control_handlers.h"
#include "gui/folder_picker.h"
#include "gui/mp3_conversion.h"
#include "gui/pdf_chooser.h"
#include "gui/read_aloud.h"
#include "gui/reading_controls.h"
#include "gui/reading_failure_reports.h"
#include "gui/text_tools.h"
#include "gui/voice_list.h"
#include "gui/volume_rate.h"

#include <QAccessible>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSlider>

#include <cstdio>
#include <unistd.h>

namespace lectorix {

namespace {

std::function<void(int)>& endProgram()
{
    static std::function<void(int)> end = [](int code) {
        std::fflush(nullptr);
        ::_exit(code);
    };
    return end;
}

// Positions are in twips, 15 to a pixel.
QRect twips(int left, int top, int width, int height)
{
    return {left / 15, top / 15, width / 15, height / 15};
}

template <typename T>
T* place(QWidget* parent, T* control, const char* name, const QRect& geometry,
         const QString& accessibleName)
{
    control->setParent(parent);
    control->setObjectName(QLatin1String(name));
    control->setGeometry(geometry);
    control->setAccessibleName(accessibleName);
    return control;
}

// Grows a control whose caption would not fit in its designed size; it keeps its position.
void fitCaption(QWidget* control)
{
    const QSize hint = control->sizeHint();
    control->resize(qMax(control->width(), hint.width()), qMax(control->height(), hint.height()));
}

} // namespace

MainWindow::MainWindow(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("mainWindow"));
    readingSession = new ReadingSession(this);
    buildControls();
    wireHandlers();
}

MainWindow::~MainWindow() = default;

void MainWindow::buildControls()
{
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(9);
    font.setBold(true);
    setFont(font);
    QFont buttonFont = font;
    buttonFont.setPointSizeF(11.25);

    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    setPalette(white);
    setAutoFillBackground(true);
    setFixedSize(1064, 433);

    auto frame = [&](QWidget* parent, const char* name, const QString& caption, QRect where) {
        auto* box = place(parent, new QGroupBox(caption), name, where, caption);
        box->setMouseTracking(true);
        return box;
    };
    auto button = [&](QWidget* parent, const char* name, const QString& caption, QRect where,
                      const QString& accessible) {
        auto* b = place(parent, new QPushButton(caption), name, where, accessible);
        b->setFont(buttonFont);
        b->setMouseTracking(true);
        b->setAutoDefault(false);
        return b;
    };
    auto label = [&](QWidget* parent, const char* name, const QString& caption, QRect where,
                     Qt::Alignment align = Qt::AlignLeft | Qt::AlignTop) {
        auto* l = place(parent, new QLabel(caption), name, where, caption);
        l->setAlignment(align);
        fitCaption(l);
        return l;
    };
    auto slider = [&](QWidget* parent, const char* name, QRect where, int min, int max,
                      const QString& accessible) {
        auto* s = place(parent, new QSlider(Qt::Horizontal), name, where, accessible);
        s->setRange(min, max);
        s->setSingleStep(1);
        s->setPageStep(5);
        s->setTickPosition(QSlider::TicksBelow);
        s->setTickInterval(max - min > 20 ? 5 : 1);
        s->setTracking(false); // a change is reported when the user lets go
        return s;
    };

    helpButton = button(this, "helpButton", QStringLiteral("Help"), twips(120, 120, 7800, 405),
                        QStringLiteral("Help"));
    pdfFrame = frame(this, "pdfFrame", QStringLiteral("PDF File"), twips(120, 570, 7800, 800));
    pdfPathEdit = place(pdfFrame, new QLineEdit, "pdfPathEdit", twips(240, 300, 6500, 345),
                        QStringLiteral("PDF File"));
    choosePdfButton = button(pdfFrame, "choosePdfButton", QStringLiteral("..."),
                             twips(6840, 300, 720, 345), QStringLiteral("Choose PDF File"));
    optionFrame = frame(this, "optionFrame", QStringLiteral("Option"), twips(120, 1420, 7800, 735));
    const QString check1Caption =
        QStringLiteral("Prompt for password because PDF files are password protected");
    passwordPromptCheck = place(optionFrame, new QCheckBox(check1Caption), "passwordPromptCheck",
                                twips(240, 300, 6015, 255), check1Caption);
    fitCaption(passwordPromptCheck);
    textFrame =
        frame(this, "textFrame", QStringLiteral("Text To Read"), twips(120, 2220, 7800, 4140));
    textToReadEdit = place(textFrame, new QPlainTextEdit(QStringLiteral("Text2")), "textToReadEdit",
                           twips(240, 300, 7320, 2670), QStringLiteral("Text To Read"));
    textToReadEdit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    textToReadEdit->setMouseTracking(true);
    textToReadEdit->viewport()->setMouseTracking(true);
    loadTextButton =
        button(textFrame, "loadTextButton", QStringLiteral("Load Text From Text File"),
               twips(240, 3105, 3600, 405), QStringLiteral("Load Text From Text File"));
    saveTextButton = button(textFrame, "saveTextButton", QStringLiteral("Save Text To Text File"),
                            twips(3960, 3105, 3600, 405), QStringLiteral("Save Text To Text File"));
    clearTextButton = button(textFrame, "clearTextButton", QStringLiteral("Clear Text"),
                             twips(240, 3615, 3600, 405), QStringLiteral("Clear Text"));
    loadSampleButton =
        button(textFrame, "loadSampleButton", QStringLiteral("Load Sample/Example File"),
               twips(3960, 3615, 3600, 405), QStringLiteral("Load Sample/Example File"));

    volumeFrame =
        frame(this, "volumeFrame", QStringLiteral("Volume Control"), twips(8040, 30, 7800, 1110));
    volumeSlider = slider(volumeFrame, "volumeSlider", twips(60, 300, 7650, 315), 0, 100,
                          QStringLiteral("Volume Control"));
    volumeValueLabel = label(volumeFrame, "volumeValueLabel", QString(), twips(705, 675, 6315, 330),
                             Qt::AlignHCenter | Qt::AlignTop);
    volumeMaxLabel =
        label(volumeFrame, "volumeMaxLabel", QStringLiteral("Max."), twips(7170, 720, 405, 225));
    volumeMinLabel =
        label(volumeFrame, "volumeMinLabel", QStringLiteral("Min."), twips(150, 720, 375, 195));
    speedFrame =
        frame(this, "speedFrame", QStringLiteral("Speed of Speech"), twips(8040, 1200, 7800, 1110));
    rateSlider = slider(speedFrame, "rateSlider", twips(180, 300, 5805, 315), -10, 10,
                        QStringLiteral("Speed of Speech"));
    testSpeedButton = button(speedFrame, "testSpeedButton", QStringLiteral("Test Speed"),
                             twips(6120, 300, 1440, 345), QStringLiteral("Test Speed"));
    speedValueLabel = label(speedFrame, "speedValueLabel", QString(), twips(900, 675, 4395, 330),
                            Qt::AlignHCenter | Qt::AlignTop);
    speedSlowLabel =
        label(speedFrame, "speedSlowLabel", QStringLiteral("Slow"), twips(225, 720, 615, 255));
    speedFastLabel =
        label(speedFrame, "speedFastLabel", QStringLiteral("Fast"), twips(5550, 720, 360, 225));
    voiceFrame =
        frame(this, "voiceFrame", QStringLiteral("Voice Used"), twips(8040, 2370, 7800, 840));
    voiceCombo = place(voiceFrame, new QComboBox, "voiceCombo", twips(240, 300, 4200, 345),
                       QStringLiteral("Voice Used"));
    refreshVoicesButton = button(voiceFrame, "refreshVoicesButton", QStringLiteral("Refresh List"),
                                 twips(4560, 300, 1440, 345), QStringLiteral("Refresh List"));
    addVoicesButton = button(voiceFrame, "addVoicesButton", QStringLiteral("Add Voices"),
                             twips(6120, 300, 1440, 345), QStringLiteral("Add Voices"));
    readButton = button(this, "readButton", QStringLiteral("Start Reading"),
                        twips(8040, 3330, 7800, 405), QStringLiteral("Start Reading"));
    mp3Frame = frame(this, "mp3Frame", QStringLiteral("Save As MP3 File(s)"),
                     twips(8040, 3780, 7800, 2580));
    saveOptionFrame = frame(mp3Frame, "saveOptionFrame", QStringLiteral("Save Option"),
                            twips(240, 210, 7320, 1815));
    const QString option1Caption = QStringLiteral("Save results to this folder:");
    saveToFolderOption = place(saveOptionFrame, new QRadioButton(option1Caption),
                               "saveToFolderOption", twips(240, 330, 3615, 255), option1Caption);
    fitCaption(saveToFolderOption);
    outputFolderFrame =
        frame(saveOptionFrame, "outputFolderFrame", QString(), twips(480, 510, 6600, 780));
    outputFolderFrame->setAccessibleName(QStringLiteral("Output Folder"));
    outputFolderEdit = place(outputFolderFrame, new QLineEdit, "outputFolderEdit",
                             twips(240, 300, 5430, 345), QStringLiteral("Output Folder"));
    chooseOutputFolderButton =
        button(outputFolderFrame, "chooseOutputFolderButton", QStringLiteral("..."),
               twips(5880, 300, 600, 345), QStringLiteral("Choose Output Folder"));
    const QString option2Caption = QStringLiteral("Save results in folder of original file");
    saveBesidePdfOption = place(saveOptionFrame, new QRadioButton(option2Caption),
                                "saveBesidePdfOption", twips(240, 1410, 3615, 255), option2Caption);
    fitCaption(saveBesidePdfOption);
    saveMp3Button = button(mp3Frame, "saveMp3Button", QStringLiteral("Save Audio As MP3"),
                           twips(240, 2070, 7320, 405), QStringLiteral("Save Audio As MP3"));

    // Tab order: down the left column, then down the right one, as the controls stand on the
    // screen. textToReadEdit has the focus when the window opens.
    const QList<QWidget*> tabOrder = {helpButton,
                                      pdfPathEdit,
                                      choosePdfButton,
                                      passwordPromptCheck,
                                      textToReadEdit,
                                      loadTextButton,
                                      saveTextButton,
                                      clearTextButton,
                                      loadSampleButton,
                                      volumeSlider,
                                      rateSlider,
                                      testSpeedButton,
                                      voiceCombo,
                                      refreshVoicesButton,
                                      addVoicesButton,
                                      readButton,
                                      saveToFolderOption,
                                      outputFolderEdit,
                                      chooseOutputFolderButton,
                                      saveBesidePdfOption,
                                      saveMp3Button};
    for (qsizetype i = 1; i < tabOrder.size(); ++i)
        setTabOrder(tabOrder[i - 1], tabOrder[i]);
    textToReadEdit->setFocus();

    setMouseTracking(true);
    const QList<QWidget*> pointerAreas = {this,
                                          volumeFrame,
                                          voiceFrame,
                                          pdfFrame,
                                          speedFrame,
                                          textFrame,
                                          mp3Frame,
                                          optionFrame,
                                          saveOptionFrame,
                                          outputFolderFrame,
                                          pdfPathEdit,
                                          textToReadEdit->viewport(),
                                          choosePdfButton,
                                          readButton,
                                          helpButton,
                                          loadTextButton,
                                          saveTextButton,
                                          clearTextButton,
                                          loadSampleButton,
                                          saveMp3Button,
                                          chooseOutputFolderButton,
                                          addVoicesButton,
                                          refreshVoicesButton};
    for (QWidget* w : pointerAreas) {
        w->setMouseTracking(true);
        w->installEventFilter(this);
    }
    pdfPathEdit->setMouseTracking(true);
    textToReadEdit->installEventFilter(this);
}

void MainWindow::wireHandlers()
{
    auto click = [this](QPushButton* b, void (*handler)(MainWindow&)) {
        connect(b, &QPushButton::clicked, this, [this, handler] { handler(*this); });
    };
    click(choosePdfButton, choosePdf);
    click(readButton, pressReadButton);
    click(helpButton, showHelp);
    click(loadTextButton, loadTextFromFile);
    click(saveTextButton, saveTextToFile);
    click(clearTextButton, clearText);
    click(loadSampleButton, loadSample);
    click(saveMp3Button, saveAudioAsMp3);
    click(chooseOutputFolderButton, chooseOutputFolder);
    click(addVoicesButton, openAddVoicesPage);
    click(refreshVoicesButton, refreshVoiceList);
    click(testSpeedButton, testSpeed);

    connect(readingSession, &ReadingSession::stateChanged, this,
            [this] { showReadingState(*this); });
    connect(readingSession, &ReadingSession::stepFailed, this, &reportReadingFailure);
    setUpReadingControls(*this);
    connect(volumeSlider, &QSlider::valueChanged, this, [this] { volumeChanged(*this); });
    connect(rateSlider, &QSlider::valueChanged, this, [this] { rateChanged(*this); });
    connect(pdfPathEdit, &QLineEdit::textChanged, this, [this] { pdfPathChanged(*this); });
    connect(outputFolderEdit, &QLineEdit::textChanged, this,
            [this] { outputFolderChanged(*this); });
    connect(textToReadEdit, &QPlainTextEdit::textChanged, this,
            [this] { textToReadChanged(*this); });
    connect(voiceCombo, &QComboBox::currentIndexChanged, this, [this] { voiceChosen(*this); });
    connect(passwordPromptCheck, &QCheckBox::stateChanged, this,
            [this] { passwordPromptToggled(*this); });
    connect(saveToFolderOption, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            saveToFolderChosen(*this);
    });
    connect(saveBesidePdfOption, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            saveBesidePdfChosen(*this);
    });
}

void MainWindow::setMousePointer(int pointer)
{
    m_mousePointer = pointer;
    switch (pointer) {
    case PointerBusy:
        setCursor(Qt::WaitCursor);
        break;
    case PointerCustom:
        if (m_customCursor)
            setCursor(*m_customCursor);
        else
            unsetCursor();
        break;
    default:
        unsetCursor();
        break;
    }
}

void MainWindow::setOptionValue(QRadioButton* option, bool selected)
{
    if (option->isChecked() == selected)
        return;
    if (selected) {
        option->setChecked(true);
        return;
    }
    option->setAutoExclusive(false);
    option->setChecked(false);
    option->setAutoExclusive(true);
}

void MainWindow::setSliderValue(QSlider* slider, double value)
{
    const int whole = convert::roundHalfEven(value);
    if (whole < slider->minimum() || whole > slider->maximum())
        throw Failure(failures::InvalidPropertyValue);
    slider->setValue(whole);
}

void MainWindow::setEndProgram(std::function<void(int)> end)
{
    endProgram() = std::move(end);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseMove) {
        // Qt hands a move the control ignores on to its container; only the control under the
        // mouse counts, as with the classic controls.
        const auto* move = static_cast<QMouseEvent*>(event);
        QWidget* under = childAt(mapFromGlobal(move->globalPosition().toPoint()));
        if (!under)
            under = this;
        if (under == watched)
            pointerMoved(*this, watched == textToReadEdit->viewport() ? textToReadEdit : under);
    } else if (watched == textToReadEdit && event->type() == QEvent::FocusOut)
        textToReadLeft(*this, static_cast<QFocusEvent*>(event)->reason());
    return QWidget::eventFilter(watched, event);
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    if (m_unloading)
        return;
    m_unloading = true;
    releaseReadingVoice();
    endProgramNow();
    event->accept();
}

void MainWindow::releaseReadingVoice()
{
    Guard g("Form1", "Form_QueryUnload");
    g(100, [&] { stopReading(*this); });
}

void MainWindow::endProgramNow()
{
    events::setProgramEnding(true);
    runEndCleanups();
    try {
        removeLauncher(converterPath());
    } catch (const Failure&) {
        // No usable temporary folder: nothing was written there either.
    }
    endProgram()(0);
}

} // namespace lectorix
