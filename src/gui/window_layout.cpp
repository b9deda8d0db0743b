#include "gui/window_layout.h"

#include <QString>

#include <array>

namespace lectorix {

namespace {

using K = ControlKind;
constexpr bool Hand = true;

// clang-format off
const std::array Layout{
    ControlRow{K::Button, "helpButton", "mainWindow", "Help", {120, 120, 3840, 405}, "Help", Hand},
    ControlRow{K::Button, "pronunciationsButton", "mainWindow", "Pronunciations...",
               {4080, 120, 3840, 405}, nullptr, Hand},
    ControlRow{K::Frame, "pdfFrame", "mainWindow", "PDF File", {120, 570, 7800, 800}, nullptr, Hand},
    ControlRow{K::LineEdit, "pdfPathEdit", "pdfFrame", "", {240, 300, 6500, 345}, "PDF File", Hand},
    ControlRow{K::Button, "choosePdfButton", "pdfFrame", "...", {6840, 300, 720, 345},
               "Choose PDF File", Hand},
    ControlRow{K::Frame, "optionFrame", "mainWindow", "Option", {120, 1420, 7800, 735}, nullptr,
               Hand},
    ControlRow{K::CheckBox, "passwordPromptCheck", "optionFrame",
               "Prompt for password because PDF files are password protected",
               {240, 300, 6015, 255}, nullptr},
    ControlRow{K::Button, "pausesButton", "optionFrame", "Pauses...", {6360, 255, 1200, 345},
               nullptr, Hand},
    ControlRow{K::Frame, "textFrame", "mainWindow", "Text To Read", {120, 2220, 7800, 4140},
               nullptr, Hand, 0, 0, Follow::Grow},
    // The chapters of the document read, the one being read shown; choosing one reads it.
    ControlRow{K::Label, "chapterLabel", "textFrame", "Chapter:", {240, 345, 900, 255}, nullptr},
    ControlRow{K::ComboBox, "chapterCombo", "textFrame", "", {1140, 300, 6420, 345}, "Chapter"},
    ControlRow{K::TextEdit, "textToReadEdit", "textFrame", "Text2", {240, 705, 7320, 2010},
               "Text To Read", Hand, 0, 0, Follow::Grow},
    // While a reading runs: its chapter, page and time left.
    ControlRow{K::ValueLabel, "readingStatusLabel", "textFrame", "", {240, 2760, 7320, 300},
               nullptr, false, 0, 0, Follow::Down},
    ControlRow{K::Button, "loadTextButton", "textFrame", "Load Text From Text File",
               {240, 3105, 3600, 405}, nullptr, Hand, 0, 0, Follow::Down},
    ControlRow{K::Button, "saveTextButton", "textFrame", "Save Text To Text File",
               {3960, 3105, 3600, 405}, nullptr, Hand, 0, 0, Follow::Down},
    ControlRow{K::Button, "clearTextButton", "textFrame", "Clear Text", {240, 3615, 3600, 405},
               nullptr, Hand, 0, 0, Follow::Down},
    ControlRow{K::Button, "loadSampleButton", "textFrame", "Load Sample/Example File",
               {3960, 3615, 3600, 405}, nullptr, Hand, 0, 0, Follow::Down},
    ControlRow{K::Frame, "volumeFrame", "mainWindow", "Volume Control", {8040, 30, 7800, 1110},
               nullptr, Hand, 0, 0, Follow::Right},
    ControlRow{K::Slider, "volumeSlider", "volumeFrame", "", {60, 300, 7650, 315},
               "Volume Control", false, 0, 100},
    ControlRow{K::ValueLabel, "volumeValueLabel", "volumeFrame", "", {705, 675, 6315, 330},
               nullptr},
    ControlRow{K::Label, "volumeMaxLabel", "volumeFrame", "Max.", {7170, 720, 405, 225}, nullptr},
    ControlRow{K::Label, "volumeMinLabel", "volumeFrame", "Min.", {150, 720, 375, 195}, nullptr},
    ControlRow{K::Frame, "speedFrame", "mainWindow", "Speed of Speech", {8040, 1200, 7800, 1110},
               nullptr, Hand, 0, 0, Follow::Right},
    ControlRow{K::Slider, "rateSlider", "speedFrame", "", {180, 300, 5805, 315},
               "Speed of Speech", false, -10, 10},
    // The only button without a pointer handler of its own.
    ControlRow{K::Button, "testSpeedButton", "speedFrame", "Test Speed", {6120, 300, 1440, 345},
               nullptr},
    ControlRow{K::ValueLabel, "speedValueLabel", "speedFrame", "", {900, 675, 4395, 330},
               nullptr},
    ControlRow{K::Label, "speedSlowLabel", "speedFrame", "Slow", {225, 720, 615, 255}, nullptr},
    ControlRow{K::Label, "speedFastLabel", "speedFrame", "Fast", {5550, 720, 360, 225}, nullptr},
    ControlRow{K::Frame, "voiceFrame", "mainWindow", "Voice Used", {8040, 2370, 7800, 840},
               nullptr, Hand, 0, 0, Follow::Right},
    ControlRow{K::ComboBox, "voiceCombo", "voiceFrame", "", {240, 300, 4200, 345}, "Voice Used"},
    ControlRow{K::Button, "refreshVoicesButton", "voiceFrame", "Refresh List",
               {4560, 300, 1440, 345}, nullptr, Hand},
    ControlRow{K::Button, "addVoicesButton", "voiceFrame", "Add Voices", {6120, 300, 1440, 345},
               nullptr, Hand},
    ControlRow{K::Button, "readButton", "mainWindow", "Start Reading", {8040, 3330, 5040, 405},
               nullptr, Hand, 0, 0, Follow::Right},
    ControlRow{K::ComboBox, "sleepTimerCombo", "mainWindow", "", {13200, 3360, 2640, 345},
               "Sleep Timer", false, 0, 0, Follow::Right},
    ControlRow{K::Frame, "mp3Frame", "mainWindow", "Save As MP3 File(s)",
               {8040, 3780, 7800, 2580}, nullptr, Hand, 0, 0, Follow::Right},
    ControlRow{K::Frame, "saveOptionFrame", "mp3Frame", "Save Option", {240, 210, 7320, 1815},
               nullptr, Hand},
    ControlRow{K::Option, "saveToFolderOption", "saveOptionFrame", "Save results to this folder:",
               {240, 330, 3615, 255}, nullptr},
    ControlRow{K::Frame, "outputFolderFrame", "saveOptionFrame", "", {480, 510, 6600, 780},
               "Output Folder", Hand},
    ControlRow{K::LineEdit, "outputFolderEdit", "outputFolderFrame", "", {240, 300, 5430, 345},
               "Output Folder"},
    ControlRow{K::Button, "chooseOutputFolderButton", "outputFolderFrame", "...",
               {5880, 300, 600, 345}, "Choose Output Folder", Hand},
    ControlRow{K::Option, "saveBesidePdfOption", "saveOptionFrame",
               "Save results in folder of original file", {240, 1410, 3615, 255}, nullptr},
    ControlRow{K::CheckBox, "chapterFilesCheck", "saveOptionFrame", "Save one MP3 per chapter",
               {3960, 1410, 3240, 255}, nullptr},
    ControlRow{K::Button, "saveMp3Button", "mp3Frame", "Save Audio As MP3",
               {240, 2070, 5520, 405}, nullptr, Hand},
    ControlRow{K::ComboBox, "audioFormatCombo", "mp3Frame", "", {5880, 2100, 1680, 345},
               "Audio Format"},
};
// clang-format on

} // namespace

std::span<const ControlRow> windowLayout()
{
    return Layout;
}

QRect pixelsFromTwips(const QRect& twips)
{
    return {twips.x() / 15, twips.y() / 15, twips.width() / 15, twips.height() / 15};
}

QRect followWindow(const QRect& designed, Follow follow, QSize extra)
{
    const int wider = qMax(0, extra.width());
    const int taller = qMax(0, extra.height());
    switch (follow) {
    case Follow::Grow:
        return designed.adjusted(0, 0, wider, taller);
    case Follow::Down:
        return designed.translated(0, taller);
    case Follow::Right:
        return designed.translated(wider, 0);
    case Follow::Stay:
        break;
    }
    return designed;
}

QString accessibleNameOf(const ControlRow& row)
{
    return QString::fromUtf8(row.accessible ? row.accessible : row.caption);
}

bool takesTabFocus(ControlKind kind)
{
    return kind != ControlKind::Frame && kind != ControlKind::Label &&
           kind != ControlKind::ValueLabel;
}

} // namespace lectorix
