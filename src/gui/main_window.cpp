#include "gui/main_window.h"

#include "core/files/file_utils.h"
#include "core/pdf/pdf_converter.h"
#include "core/process/launcher_sharing.h"
#include "core/settings/settings.h"
#include "gui/chapter_list.h"
#include "gui/dialogs.h"
#include "gui/document_controller.h"
#include "gui/error_report.h"
#include "gui/export_controller.h"
#include "gui/listening_controller.h"
#include "gui/mp3_conversion.h"
#include "gui/page_view/page_view_panel.h"
#include "gui/pronunciation_editor.h"
#include "gui/read_aloud.h"
#include "gui/reading_controller.h"
#include "gui/settings_controller.h"
#include "gui/voice_list.h"
#include "gui/volume_rate.h"
#include "gui/window_layout.h"
#include "gui/window_sizing.h"

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
#include <QSlider>
#include <QStyle>
#include <QTabBar>

namespace lectorix {

namespace {

// Grows a control whose caption would not fit in its designed size; it keeps its position.
void fitCaption(QWidget* control)
{
    const QSize hint = control->sizeHint();
    control->resize(qMax(control->width(), hint.width()), qMax(control->height(), hint.height()));
}

// A caption that, with the style's margins, is wider than its push button is set in a smaller
// type (not below 8 points): the button keeps its designed place and size.
void fitButtonCaption(QPushButton* button)
{
    const QStyle* style = button->style();
    const int margins = 2 * (style->pixelMetric(QStyle::PM_ButtonMargin, nullptr, button) +
                             style->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, button));
    QFont font = button->font();
    while (font.pointSizeF() > 8 &&
           QFontMetrics(font).horizontalAdvance(button->text()) + margins > button->width())
        font.setPointSizeF(font.pointSizeF() - 0.25);
    button->setFont(font);
}

QSlider* makeSlider(const ControlRow& row)
{
    auto* slider = new QSlider(Qt::Horizontal);
    slider->setRange(row.minimum, row.maximum);
    slider->setSingleStep(1);
    slider->setPageStep(5);
    slider->setTickPosition(QSlider::TicksBelow);
    slider->setTickInterval(row.maximum - row.minimum > 20 ? 5 : 1);
    slider->setTracking(false); // a change is reported when the user lets go
    return slider;
}

QLabel* makeLabel(const QString& caption, Qt::Alignment alignment)
{
    auto* label = new QLabel(caption);
    label->setAlignment(alignment);
    return label;
}

// The bare control of a row, before it is placed.
QWidget* makeControl(const ControlRow& row, const QFont& buttonFont)
{
    const QString caption = QString::fromUtf8(row.caption);
    switch (row.kind) {
    case ControlKind::Frame:
        return new QGroupBox(caption);
    case ControlKind::Button: {
        auto* button = new QPushButton(caption);
        button->setFont(buttonFont);
        button->setAutoDefault(false);
        return button;
    }
    case ControlKind::Label:
        return makeLabel(caption, Qt::AlignLeft | Qt::AlignTop);
    case ControlKind::ValueLabel:
        return makeLabel(caption, Qt::AlignHCenter | Qt::AlignTop);
    case ControlKind::Slider:
        return makeSlider(row);
    case ControlKind::LineEdit:
        return new QLineEdit(caption);
    case ControlKind::TextEdit: {
        auto* edit = new QPlainTextEdit(caption);
        edit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        return edit;
    }
    case ControlKind::CheckBox:
        return new QCheckBox(caption);
    case ControlKind::Option:
        return new QRadioButton(caption);
    case ControlKind::ComboBox:
        return new QComboBox;
    }
    return nullptr;
}

template <typename T> void findControl(const QWidget& window, T*& control, const char* name)
{
    control = window.findChild<T*>(QLatin1String(name));
    Q_ASSERT_X(control, "MainWindow", name);
}

} // namespace

MainWindow::MainWindow(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint |
                          Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("mainWindow"));
    buildControls();
    findControls();
    m_settings = std::make_unique<SettingsController>(*this);
    m_voices = std::make_unique<VoiceController>(*this);
    m_documents = std::make_unique<DocumentController>(*this);
    m_reading = std::make_unique<ReadingController>(*this);
    m_export = std::make_unique<ExportController>(*this);
    m_listening = std::make_unique<ListeningController>(*this);
    m_sizing = new WindowSizing(*this);
    wireHandlers();
}

MainWindow::~MainWindow()
{
    // A window destroyed without being closed (a test's) ends its work just as quietly, but
    // leaves the rest of the program running.
    endWork();
}

bool MainWindow::startUp()
{
    if (!m_settings->startUp())
        return false;
    m_sizing->restore();
    return true;
}

void MainWindow::buildControls()
{
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(9);
    font.setBold(true);
    setFont(font);
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    setPalette(white);
    setAutoFillBackground(true);
    // Larger than designed, the text box grows; smaller, controls would be cut off.
    setMinimumSize(WindowSize);
    resize(WindowSize);
    setMouseTracking(true);
    installEventFilter(this);

    QFont buttonFont = font;
    buttonFont.setPointSizeF(11.25);
    QWidget* previousTabStop = nullptr;
    for (const ControlRow& row : windowLayout()) {
        const QString parentName = QLatin1String(row.parent);
        QWidget* parent = parentName == objectName() ? this : findChild<QWidget*>(parentName);
        Q_ASSERT_X(parent, "MainWindow", row.name);
        QWidget* control = buildControl(row, makeControl(row, buttonFont));
        control->setParent(parent);
        // Tab order: the order of the table, down the left column and then the right one.
        if (takesTabFocus(row.kind)) {
            if (previousTabStop)
                setTabOrder(previousTabStop, control);
            previousTabStop = control;
        }
    }
    buildPageView();
    // textToReadEdit has the focus when the window opens.
    findChild<QPlainTextEdit*>(QStringLiteral("textToReadEdit"))->setFocus();
}

void MainWindow::buildPageView()
{
    auto* frame = findChild<QGroupBox*>(QStringLiteral("textFrame"));
    auto* textBox = findChild<QPlainTextEdit*>(QStringLiteral("textToReadEdit"));
    auto* tabs = new QTabBar(frame);
    tabs->setObjectName(QStringLiteral("textViewTabs"));
    tabs->setAccessibleName(QStringLiteral("Show"));
    tabs->setDrawBase(false);
    tabs->setExpanding(false);
    tabs->setUsesScrollButtons(false);
    for (const char* caption : TextViewTabCaptions)
        tabs->addTab(QString::fromUtf8(caption));
    // Its inner buttons are Qt's own parts, named as Qt names its others.
    for (QWidget* part : tabs->findChildren<QWidget*>())
        if (!part->objectName().startsWith(QLatin1String("qt_")))
            part->setObjectName(QLatin1String("qt_tabbar_") + part->objectName());
    tabs->setGeometry(pixelsFromTwips(TextViewTabsTwips));
    m_followers.append({tabs, tabs->geometry(), Follow::Right});

    auto* panel = new PageViewPanel(frame);
    panel->setObjectName(QStringLiteral("pageViewPanel"));
    panel->setGeometry(textBox->geometry());
    panel->hide();
    m_followers.append({panel, panel->geometry(), Follow::Grow});
    setTabOrder(textBox, panel);
}

QWidget* MainWindow::buildControl(const ControlRow& row, QWidget* control)
{
    control->setObjectName(QLatin1String(row.name));
    control->setGeometry(pixelsFromTwips(row.twips));
    control->setAccessibleName(accessibleNameOf(row));
    if (row.kind == ControlKind::Label || row.kind == ControlKind::ValueLabel ||
        row.kind == ControlKind::CheckBox || row.kind == ControlKind::Option)
        fitCaption(control);
    if (auto* button = qobject_cast<QPushButton*>(control))
        fitButtonCaption(button);
    if (row.follow != Follow::Stay)
        m_followers.append({control, control->geometry(), row.follow});
    if (row.kind == ControlKind::Frame || row.kind == ControlKind::Button)
        control->setMouseTracking(true);
    if (row.pointerHandler) {
        // A text box's mouse moves arrive at its viewport.
        auto* edit = qobject_cast<QPlainTextEdit*>(control);
        QWidget* area = edit ? edit->viewport() : control;
        area->setMouseTracking(true);
        area->installEventFilter(this);
        control->setMouseTracking(true);
        if (edit)
            edit->installEventFilter(this); // leaving the text box
    }
    return control;
}

void MainWindow::findControls()
{
    Controls& c = m_controls;
    findControl(*this, c.helpButton, "helpButton");
    findControl(*this, c.choosePdfButton, "choosePdfButton");
    findControl(*this, c.loadTextButton, "loadTextButton");
    findControl(*this, c.saveTextButton, "saveTextButton");
    findControl(*this, c.clearTextButton, "clearTextButton");
    findControl(*this, c.loadSampleButton, "loadSampleButton");
    findControl(*this, c.testSpeedButton, "testSpeedButton");
    findControl(*this, c.refreshVoicesButton, "refreshVoicesButton");
    findControl(*this, c.addVoicesButton, "addVoicesButton");
    findControl(*this, c.readButton, "readButton");
    findControl(*this, c.chooseOutputFolderButton, "chooseOutputFolderButton");
    findControl(*this, c.saveMp3Button, "saveMp3Button");
    findControl(*this, c.pausesButton, "pausesButton");
    findControl(*this, c.pdfFrame, "pdfFrame");
    findControl(*this, c.optionFrame, "optionFrame");
    findControl(*this, c.textFrame, "textFrame");
    findControl(*this, c.volumeFrame, "volumeFrame");
    findControl(*this, c.speedFrame, "speedFrame");
    findControl(*this, c.voiceFrame, "voiceFrame");
    findControl(*this, c.mp3Frame, "mp3Frame");
    findControl(*this, c.saveOptionFrame, "saveOptionFrame");
    findControl(*this, c.outputFolderFrame, "outputFolderFrame");
    findControl(*this, c.pdfPathEdit, "pdfPathEdit");
    findControl(*this, c.outputFolderEdit, "outputFolderEdit");
    findControl(*this, c.textToReadEdit, "textToReadEdit");
    findControl(*this, c.passwordPromptCheck, "passwordPromptCheck");
    findControl(*this, c.chapterFilesCheck, "chapterFilesCheck");
    findControl(*this, c.volumeSlider, "volumeSlider");
    findControl(*this, c.rateSlider, "rateSlider");
    findControl(*this, c.volumeValueLabel, "volumeValueLabel");
    findControl(*this, c.speedValueLabel, "speedValueLabel");
    findControl(*this, c.voiceCombo, "voiceCombo");
    findControl(*this, c.chapterCombo, "chapterCombo");
    findControl(*this, c.readingStatusLabel, "readingStatusLabel");
    findControl(*this, c.saveToFolderOption, "saveToFolderOption");
    findControl(*this, c.saveBesidePdfOption, "saveBesidePdfOption");
    c.textViewTabs = findChild<QTabBar*>(QStringLiteral("textViewTabs"));
    c.pageViewPanel = findChild<PageViewPanel*>(QStringLiteral("pageViewPanel"));
}

void MainWindow::wireHandlers()
{
    const auto click = [this](QPushButton* button, auto handler) {
        connect(button, &QPushButton::clicked, this, handler);
    };
    click(helpButton(), [this] { showHelp(); });
    click(findChild<QPushButton*>(QStringLiteral("pronunciationsButton")),
          [this] { editPronunciations(*this); });
    click(readButton(), [this] { m_reading->pressReadButton(); });
    click(saveMp3Button(), [this] { m_export->saveAudioAsMp3(); });
    click(testSpeedButton(), [this] { m_voices->testSpeed(); });
    connect(volumeSlider(), &QSlider::valueChanged, this, [this] { m_voices->volumeChanged(); });
    connect(rateSlider(), &QSlider::valueChanged, this, [this] { m_voices->rateChanged(); });
    // The text box and the pages take turns in their place.
    connect(textViewTabs(), &QTabBar::currentChanged, this, [this](int shown) {
        const bool pages = shown == PagesTab;
        textToReadEdit()->setVisible(!pages);
        pageViewPanel()->setVisible(pages);
    });
    m_settings->wire();
    m_voices->wire();
    m_documents->wire();
    m_reading->wire();
    m_listening->wire();
    m_sizing->wire();
    letEnterPressButtons(*this);
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

QString MainWindow::helpText() const
{
    const QString cr = QStringLiteral("\r");
    return QStringLiteral("This program will:") + cr + cr +
           QStringLiteral("extract text from a PDF. This text is usually typed into the PDF "
                          "using the keyboard.") +
           cr + cr + QStringLiteral("This program will not:") + cr + cr +
           QStringLiteral("extract text that is inside an image. Even though the image is "
                          "embedded within a PDF file, it is still an image and \"unreadable\".") +
           cr + cr +
           QStringLiteral("Volume and Speed are not adjusting in real time for saving as MP3.") +
           cr + cr + QStringLiteral("Please adjust ") + volumeFrame()->title() +
           QStringLiteral(" and ") + speedFrame()->title() + QStringLiteral(" sliders and press ") +
           saveMp3Button()->text() + QStringLiteral(" button again");
}

void MainWindow::showHelp()
{
    Guard g("Form1", "PushButton3_Click");
    g(100, [&] { showMessage(helpText()); });
}

void MainWindow::pointerMoved(QWidget* control)
{
    if (control == readButton()) {
        setMousePointer(PointerCustom);
        return;
    }
    if (m_mousePointer == PointerBusy)
        return;
    const bool handButton = qobject_cast<QPushButton*>(control) != nullptr;
    setMousePointer(handButton ? PointerCustom : PointerDefault);
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
            pointerMoved(watched == textToReadEdit()->viewport() ? textToReadEdit() : under);
    } else if (watched == textToReadEdit() && event->type() == QEvent::FocusOut) {
        m_documents->textBoxLeft(static_cast<QFocusEvent*>(event)->reason());
    }
    return QWidget::eventFilter(watched, event);
}

void MainWindow::resizeEvent(QResizeEvent* event)
{
    const QSize extra = size() - WindowSize;
    for (const Follower& f : std::as_const(m_followers))
        f.control->setGeometry(followWindow(f.designed, f.follow, extra));
    QWidget::resizeEvent(event);
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    if (!m_closing)
        m_sizing->keepSize();
    // Nothing new starts, and a job that ends now shows nothing.
    endWork();
    event->accept();
}

void MainWindow::endWork()
{
    if (m_closing)
        return;
    m_closing = true;
    {
        Guard g("Form1", "Form_QueryUnload");
        g(100, [&] { m_reading->stop(); });
    }
    m_export->cancelConversions();
    m_documents->cancelTextExtraction();
    m_reading->chapters()->cancel();
    try {
        removeLauncher(converterPath());
    } catch (const Failure&) {
        // No usable temporary folder: nothing was written there either.
    }
}

} // namespace lectorix
