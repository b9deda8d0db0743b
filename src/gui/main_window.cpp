#include "gui/main_window.h"

#include "gui/control_handlers.h"
#include "core/error_report.h"
#include "gui/globals.h"
#include "core/settings.h"
#include "core/file_utils.h"
#include "gui/folder_picker.h"
#include "gui/pdf_chooser.h"
#include "gui/text_tools.h"
#include "core/pdf_converter.h"
#include "gui/mp3_conversion.h"
#include "core/event_pump.h"
#include "core/program_end.h"
#include "core/temp_folder.h"
#include "gui/read_aloud.h"
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

Form1::Form1(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("Form1"));
    buildControls();
    wireHandlers();
}

Form1::~Form1() = default;

void Form1::buildControls()
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

    PushButton3 = button(this, "PushButton3", QStringLiteral("Help"), twips(120, 120, 7800, 405),
                         QStringLiteral("Help"));
    Frame3 = frame(this, "Frame3", QStringLiteral("PDF File"), twips(120, 570, 7800, 800));
    Text1 = place(Frame3, new QLineEdit, "Text1", twips(240, 300, 6500, 345),
                  QStringLiteral("PDF File"));
    PushButton1 = button(Frame3, "PushButton1", QStringLiteral("..."), twips(6840, 300, 720, 345),
                         QStringLiteral("Choose PDF File"));
    Frame7 = frame(this, "Frame7", QStringLiteral("Option"), twips(120, 1420, 7800, 735));
    const QString check1Caption =
        QStringLiteral("Prompt for password because PDF files are password protected");
    Check1 = place(Frame7, new QCheckBox(check1Caption), "Check1", twips(240, 300, 6015, 255),
                   check1Caption);
    fitCaption(Check1);
    Frame5 = frame(this, "Frame5", QStringLiteral("Text To Read"), twips(120, 2220, 7800, 4140));
    Text2 = place(Frame5, new QPlainTextEdit(QStringLiteral("Text2")), "Text2",
                  twips(240, 300, 7320, 2670), QStringLiteral("Text To Read"));
    Text2->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Text2->setMouseTracking(true);
    Text2->viewport()->setMouseTracking(true);
    PushButton4 = button(Frame5, "PushButton4", QStringLiteral("Load Text From Text File"),
                         twips(240, 3105, 3600, 405), QStringLiteral("Load Text From Text File"));
    PushButton5 = button(Frame5, "PushButton5", QStringLiteral("Save Text To Text File"),
                         twips(3960, 3105, 3600, 405), QStringLiteral("Save Text To Text File"));
    PushButton6 = button(Frame5, "PushButton6", QStringLiteral("Clear Text"),
                         twips(240, 3615, 3600, 405), QStringLiteral("Clear Text"));
    PushButton7 = button(Frame5, "PushButton7", QStringLiteral("Load Sample/Example File"),
                         twips(3960, 3615, 3600, 405), QStringLiteral("Load Sample/Example File"));

    Frame1 = frame(this, "Frame1", QStringLiteral("Volume Control"), twips(8040, 30, 7800, 1110));
    Slider1 = slider(Frame1, "Slider1", twips(60, 300, 7650, 315), 0, 100,
                     QStringLiteral("Volume Control"));
    lblVolume = label(Frame1, "lblVolume", QString(), twips(705, 675, 6315, 330),
                      Qt::AlignHCenter | Qt::AlignTop);
    Label3 = label(Frame1, "Label3", QStringLiteral("Max."), twips(7170, 720, 405, 225));
    Label2 = label(Frame1, "Label2", QStringLiteral("Min."), twips(150, 720, 375, 195));
    Frame4 =
        frame(this, "Frame4", QStringLiteral("Speed of Speech"), twips(8040, 1200, 7800, 1110));
    Slider2 = slider(Frame4, "Slider2", twips(180, 300, 5805, 315), -10, 10,
                     QStringLiteral("Speed of Speech"));
    PushButton14 = button(Frame4, "PushButton14", QStringLiteral("Test Speed"),
                          twips(6120, 300, 1440, 345), QStringLiteral("Test Speed"));
    lblSpeed = label(Frame4, "lblSpeed", QString(), twips(900, 675, 4395, 330),
                     Qt::AlignHCenter | Qt::AlignTop);
    Label6 = label(Frame4, "Label6", QStringLiteral("Slow"), twips(225, 720, 615, 255));
    Label5 = label(Frame4, "Label5", QStringLiteral("Fast"), twips(5550, 720, 360, 225));
    Frame2 = frame(this, "Frame2", QStringLiteral("Voice Used"), twips(8040, 2370, 7800, 840));
    Combo1 = place(Frame2, new QComboBox, "Combo1", twips(240, 300, 4200, 345),
                   QStringLiteral("Voice Used"));
    PushButton11 = button(Frame2, "PushButton11", QStringLiteral("Refresh List"),
                          twips(4560, 300, 1440, 345), QStringLiteral("Refresh List"));
    PushButton10 = button(Frame2, "PushButton10", QStringLiteral("Add Voices"),
                          twips(6120, 300, 1440, 345), QStringLiteral("Add Voices"));
    PushButton2 = button(this, "PushButton2", QStringLiteral("Start Reading"),
                         twips(8040, 3330, 7800, 405), QStringLiteral("Start Reading"));
    Frame6 =
        frame(this, "Frame6", QStringLiteral("Save As MP3 File(s)"), twips(8040, 3780, 7800, 2580));
    Frame8 = frame(Frame6, "Frame8", QStringLiteral("Save Option"), twips(240, 210, 7320, 1815));
    const QString option1Caption = QStringLiteral("Save results to this folder:");
    Option1 = place(Frame8, new QRadioButton(option1Caption), "Option1", twips(240, 330, 3615, 255),
                    option1Caption);
    fitCaption(Option1);
    Frame9 = frame(Frame8, "Frame9", QString(), twips(480, 510, 6600, 780));
    Frame9->setAccessibleName(QStringLiteral("Output Folder"));
    Text3 = place(Frame9, new QLineEdit, "Text3", twips(240, 300, 5430, 345),
                  QStringLiteral("Output Folder"));
    PushButton9 = button(Frame9, "PushButton9", QStringLiteral("..."), twips(5880, 300, 600, 345),
                         QStringLiteral("Choose Output Folder"));
    const QString option2Caption = QStringLiteral("Save results in folder of original file");
    Option2 = place(Frame8, new QRadioButton(option2Caption), "Option2",
                    twips(240, 1410, 3615, 255), option2Caption);
    fitCaption(Option2);
    PushButton8 = button(Frame6, "PushButton8", QStringLiteral("Save Audio As MP3"),
                         twips(240, 2070, 7320, 405), QStringLiteral("Save Audio As MP3"));

    // Tab order of the layout table; Text2 (tab index 0) has the focus when the window opens.
    const QList<QWidget*> tabOrder = {
        Text2,       PushButton3,  Text1,        PushButton1, PushButton4,  PushButton5,
        Slider1,     Slider2,      Combo1,       PushButton2, PushButton6,  PushButton7,
        PushButton8, PushButton10, PushButton11, Check1,      PushButton14, Text3,
        PushButton9, Option2,      Option1};
    for (qsizetype i = 1; i < tabOrder.size(); ++i)
        setTabOrder(tabOrder[i - 1], tabOrder[i]);
    Text2->setFocus();

    setMouseTracking(true);
    const QList<QWidget*> pointerAreas = {
        this,        Frame1,      Frame2,      Frame3,       Frame4,      Frame5,
        Frame6,      Frame7,      Frame8,      Frame9,       Text1,       Text2->viewport(),
        PushButton1, PushButton2, PushButton3, PushButton4,  PushButton5, PushButton6,
        PushButton7, PushButton8, PushButton9, PushButton10, PushButton11};
    for (QWidget* w : pointerAreas) {
        w->setMouseTracking(true);
        w->installEventFilter(this);
    }
    Text1->setMouseTracking(true);
    Text2->installEventFilter(this);
}

void Form1::wireHandlers()
{
    auto click = [this](QPushButton* b, void (*handler)(Form1&)) {
        connect(b, &QPushButton::clicked, this, [this, handler] { handler(*this); });
    };
    click(PushButton1, PushButton1_Click);
    click(PushButton2, PushButton2_Click);
    click(PushButton3, PushButton3_Click);
    click(PushButton4, PushButton4_Click);
    click(PushButton5, PushButton5_Click);
    click(PushButton6, PushButton6_Click);
    click(PushButton7, PushButton7_Click);
    click(PushButton8, PushButton8_Click);
    click(PushButton9, PushButton9_Click);
    click(PushButton10, PushButton10_Click);
    click(PushButton11, PushButton11_Click);
    click(PushButton14, PushButton14_Click);

    connect(Slider1, &QSlider::valueChanged, this, [this] { Slider1_Change(*this); });
    connect(Slider2, &QSlider::valueChanged, this, [this] { Slider2_Change(*this); });
    connect(Text1, &QLineEdit::textChanged, this, [this] { Text1_Change(*this); });
    connect(Text3, &QLineEdit::textChanged, this, [this] { Text3_Change(*this); });
    connect(Text2, &QPlainTextEdit::textChanged, this, [this] { Text2_Change(*this); });
    connect(Combo1, &QComboBox::currentIndexChanged, this, [this] { Combo1_Click(*this); });
    connect(Check1, &QCheckBox::stateChanged, this, [this] { Check1_Click(*this); });
    connect(Option1, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            Option1_Click(*this);
    });
    connect(Option2, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            Option2_Click(*this);
    });
}

void Form1::setMousePointer(int pointer)
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

void Form1::setOptionValue(QRadioButton* option, bool selected)
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

void Form1::setSliderValue(QSlider* slider, double value)
{
    const int whole = convert::roundHalfEven(value);
    if (whole < slider->minimum() || whole > slider->maximum())
        throw Failure(failures::InvalidPropertyValue);
    slider->setValue(whole);
}

void Form1::setEndProgram(std::function<void(int)> end)
{
    endProgram() = std::move(end);
}

bool Form1::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseMove) {
        // Qt hands a move the control ignores on to its container; only the control under the
        // mouse counts, as with the classic controls.
        const auto* move = static_cast<QMouseEvent*>(event);
        QWidget* under = childAt(mapFromGlobal(move->globalPosition().toPoint()));
        if (!under)
            under = this;
        if (under == watched)
            pointerMoved(*this, watched == Text2->viewport() ? Text2 : under);
    } else if (watched == Text2 && event->type() == QEvent::FocusOut)
        Text2_Validate(*this, static_cast<QFocusEvent*>(event)->reason());
    return QWidget::eventFilter(watched, event);
}

void Form1::closeEvent(QCloseEvent* event)
{
    if (m_unloading)
        return;
    m_unloading = true;
    Form_QueryUnload();
    Form_Unload();
    event->accept();
}

void Form1::Form_QueryUnload()
{
    Guard g("Form1", "Form_QueryUnload");
    g(100, [] { globals().ReadingVoice.reset(); });
}

void Form1::Form_Unload()
{
    events::setProgramEnding(true);
    runEndCleanups();
    try {
        RemoveFile(converterPath());
    } catch (const Failure&) {
        // No usable temporary folder: nothing was written there either.
    }
    endProgram()(0);
}

} // namespace lectorix
