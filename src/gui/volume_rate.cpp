#include "gui/volume_rate.h"

#include "core/base/error_report.h"
#include "core/base/event_pump.h"
#include "core/settings/settings.h"
#include "core/reading/reading_session.h"
#include "core/settings/settings_keys.h"
#include "gui/dialogs.h"
#include "gui/export_controller.h"
#include "gui/main_window.h"
#include "gui/reading_controller.h"
#include "gui/wav_rendering.h"

#include <QLabel>
#include <QSignalBlocker>
#include <QSlider>

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

void volumeChanged(MainWindow& form)
{
    sliderChanged(form, VolumeRole);
}

void rateChanged(MainWindow& form)
{
    sliderChanged(form, RateRole);
}

void testSpeed(MainWindow& form)
{
    Guard g("Form1", "PushButton14_Click");
    if (g.test(100, [&] { return form.exporting().savingFile(); }))
        return; // a test already runs, or a conversion does
    g(102, [&] { form.exporting().setSavingFile(true); });
    g(104, [&] { form.setMousePointer(MainWindow::PointerBusy); });
    g(106, [] { events::processPending(); });
    g(108, [&] { speakWithWindowVoice(form, QStringLiteral("This is a test"), QString()); });
    g(110, [&] { form.setMousePointer(MainWindow::PointerDefault); });
    g(112, [&] { form.exporting().setSavingFile(false); });
}

} // namespace lectorix
