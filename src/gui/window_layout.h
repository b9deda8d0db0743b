#pragma once

#include <QRect>
#include <QString>

#include <span>

namespace lectorix {

// What a row of the layout builds.
enum class ControlKind {
    Frame,      // QGroupBox
    Button,     // QPushButton, in the larger button font
    Label,      // QLabel, left aligned
    ValueLabel, // QLabel, centred: shows a slider's value
    Slider,     // horizontal QSlider from min to max
    LineEdit,   // QLineEdit
    TextEdit,   // QPlainTextEdit, caption as its first text
    CheckBox,   // QCheckBox
    Option,     // QRadioButton
    ComboBox,   // QComboBox
};

// How a control follows the window made larger than its designed size.
enum class Follow {
    Stay,  // keeps its place and size
    Grow,  // grows by the window's extra width and height: the text box and its frame
    Down,  // moves down by the extra height: the buttons below the text box
    Right, // moves right by the extra width: the right column
};

// One control of the main window. The window builds itself from these rows, in this order,
// and its tests check it against them.
struct ControlRow
{
    ControlKind kind;
    const char* name;   // object name: tests and screen readers find the control by it
    const char* parent; // object name of its container ("mainWindow" for the window)
    const char* caption;
    QRect twips;                 // position and designed size, in twips (15 to a pixel)
    const char* accessible;      // accessible name; nullptr: the caption
    bool pointerHandler = false; // moving the mouse over it sets the window's pointer
    int minimum = 0;             // sliders only
    int maximum = 0;
    Follow follow = Follow::Stay;
};

// The window's controls, containers before what they hold. The focusable ones take the focus
// with Tab in this order.
std::span<const ControlRow> windowLayout();

// Beside the table's controls: the tabs that show the text box or the PDF's pages in its place,
// on the right of the text frame's top edge (in twips, in the frame; they follow its right
// side), and their captions.
inline constexpr QRect TextViewTabsTwips{3960, 0, 3600, 300};
inline constexpr const char* TextViewTabCaptions[] = {"Text", "Pages"};

// The window's designed size in pixels, and its smallest.
inline constexpr QSize WindowSize{1064, 433};

// Where a control placed at designed (pixels, in its container) goes in a window that is extra
// larger than its designed size (negative extra counts as none).
QRect followWindow(const QRect& designed, Follow follow, QSize extra);

// Twips to pixels.
QRect pixelsFromTwips(const QRect& twips);

// The accessible name a row gives its control.
QString accessibleNameOf(const ControlRow& row);

// True for the kinds that take the focus with Tab.
bool takesTabFocus(ControlKind kind);

} // namespace lectorix
