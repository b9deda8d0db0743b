#include "gui/volume_rate.h"
#include "gui/voice_list.h"

#include "core/reading/reading_session.h"
#include "core/settings/settings.h"
#include "core/settings/settings_keys.h"
#include "core/speech/speech_engine.h"
#include "core/speech/speech_rendering.h"
#include "gui/dialogs.h"
#include "gui/error_report.h"
#include "gui/export_controller.h"
#include "gui/main_window.h"
#include "gui/reading_controller.h"
#include "gui/reading_failure_reports.h"
#include "gui/voice_setup.h"

#include <QLabel>
#include <QSignalBlocker>
#include <QSlider>
#include <QTimer>

namespace lectorix {

namespace {

// What tells the two sliders apart.
struct SliderRole
{
    const char* procedure;
    QSlider* (MainWindow::*slider)() const;
    QLabel* (MainWindow::*label)() const;
    const char* caption; // followed by the value
    const QString* key;
    int resetDefault; // the value a refused move returns to when none is stored
    void (speech::Voice::*apply)(int);
};

const SliderRole VolumeRole{.procedure = "Slider1_Change",
                            .slider = &MainWindow::volumeSlider,
                            .label = &MainWindow::volumeValueLabel,
                            .caption = "Volume Level = ",
                            .key = &keys::Volume,
                            .resetDefault = 100,
                            .apply = &speech::Voice::setVolume};
const SliderRole RateRole{.procedure = "Slider2_Change",
                          .slider = &MainWindow::rateSlider,
                          .label = &MainWindow::speedValueLabel,
                          .caption = "Speech Rate = ",
                          .key = &keys::Rate,
                          .resetDefault = 0,
                          .apply = &speech::Voice::setRate};

void sliderChanged(MainWindow& form, const SliderRole& role)
{
    Guard g("Form1", role.procedure);
    QSlider* slider = (form.*role.slider)();
    const QString key = *role.key;
    if (g.test(108, [&] { return form.exporting().savingFile(); })) {
        g(122, [] { showMessage(SliderRefusedMessage); });
        g(124, [&] {
            // Putting the slider back is a change of its own; it must neither store the value
            // nor show the refusal a second time.
            const QSignalBlocker quiet(slider);
            MainWindow::setSliderValue(slider,
                                       convert::leadingNumber(readSetting(key, role.resetDefault)));
        });
        return;
    }
    const int value = slider->value();
    g(110,
      [&] { (form.*role.label)()->setText(QLatin1String(role.caption) + QString::number(value)); });
    g(112, [&] { writeSetting(key, convert::fromInt(value)); });
    speech::Voice* reading = form.reading().session()->voice();
    if (g.test(114, [&] { return reading != nullptr; }))
        g(116, [&] { (reading->*role.apply)(value); });
    if (g.test(118, [&] { return form.reading().renderVoice() != nullptr; }))
        g(120, [&] { ((*form.reading().renderVoice()).*role.apply)(value); });
}

} // namespace

void VoiceController::volumeChanged()
{
    MainWindow& form = m_window;
    sliderChanged(form, VolumeRole);
}

void VoiceController::rateChanged()
{
    MainWindow& form = m_window;
    sliderChanged(form, RateRole);
}

namespace {

const QString TestSentence = QStringLiteral("This is a test");
constexpr int TestWatchIntervalMs = 50;

// Starts the test sentence in the window's renderVoice, with the chosen voice and the
// sliders' values, so the sliders act on it while it is heard. Returns false when nothing is
// being spoken: a failing step of making the voice is reported, a voice that cannot be loaded
// is named in a message, and any other failure of the speaking (no audio server) is quiet.
bool startTestSentence(MainWindow& form)
{
    std::unique_ptr<speech::Voice>& voice = form.reading().renderVoice();
    runStep(
        RenderingStep::CreateVoice, [&] { voice = speech::engine().createVoice(); },
        reportRenderingFailure);
    if (!voice)
        return false;
    applyVoiceSettings(
        chosenVoice(form), [&]() -> speech::Voice& { return *voice; },
        [](const VoiceSettingFailure& failure) {
            reportRenderingFailure(renderingFailure(failure));
        });
    try {
        voice->speakAsync(TestSentence);
        return true;
    } catch (...) {
        const QString failure = describeCurrentException();
        if (failure == speech::ClassNotRegistered) {
            Guard g("Speak", "SaveToWAV");
            g(144,
              [&] { showMessage(failure + QStringLiteral("\r\r") + speech::TryAnotherVoice); });
        }
        return false;
    }
}

// The test is over: its voice goes, and the window takes moves and presses again.
void endTestSpeed(MainWindow& form)
{
    form.reading().renderVoice().reset();
    Guard g("Form1", "PushButton14_Click");
    g(110, [&] { form.setMousePointer(MainWindow::PointerDefault); });
    g(112, [&] { form.exporting().setSavingFile(false); });
}

} // namespace

void VoiceController::testSpeed()
{
    MainWindow& form = m_window;
    Guard g("Form1", "PushButton14_Click");
    if (g.test(100, [&] { return form.exporting().savingFile(); }))
        return; // a test already runs, or a conversion does
    g(102, [&] { form.exporting().setSavingFile(true); });
    g(104, [&] { form.setMousePointer(MainWindow::PointerBusy); });
    bool speaking = false;
    g(108, [&] { speaking = startTestSentence(form); });
    if (!speaking) {
        endTestSpeed(form);
        return;
    }
    // The sentence is heard while the window goes on; a short timer notices its end.
    auto* watch = new QTimer(&form);
    watch->setInterval(TestWatchIntervalMs);
    QObject::connect(watch, &QTimer::timeout, &form, [&form, watch] {
        if (form.reading().renderVoice() && !form.reading().renderVoice()->isDone())
            return;
        watch->stop();
        watch->deleteLater();
        endTestSpeed(form);
    });
    watch->start();
}

} // namespace lectorix
