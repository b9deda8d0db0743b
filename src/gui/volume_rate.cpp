#include "gui/volume_rate.h"

#include "core/error_report.h"
#include "gui/main_window.h"
#include "gui/globals.h"
#include "core/settings.h"
#include "gui/dialogs.h"
#include "core/event_pump.h"
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
    QSlider* Form1::*slider;
    QLabel* Form1::*label;
    const char* caption; // followed by the value
    const char* key;
    int resetDefault; // the value a refused move returns to when none is stored
    void (speech::Voice::*apply)(int);
};

const SliderRole VolumeRole{.procedure = "Slider1_Change",
                            .slider = &Form1::Slider1,
                            .label = &Form1::lblVolume,
                            .caption = "Volume Level = ",
                            .key = "Volume Level",
                            .resetDefault = 100,
                            .apply = &speech::Voice::setVolume};
const SliderRole RateRole{.procedure = "Slider2_Change",
                          .slider = &Form1::Slider2,
                          .label = &Form1::lblSpeed,
                          .caption = "Speech Rate = ",
                          .key = "Speech Rate",
                          .resetDefault = 0,
                          .apply = &speech::Voice::setRate};

void sliderChanged(Form1& form, const SliderRole& role)
{
    Guard g("Form1", role.procedure);
    QSlider* slider = form.*role.slider;
    const QString key = QLatin1String(role.key);
    if (g.test(108, [&] { return form.SavingFile; })) {
        g(122, [] { showMessage(SliderRefusedMessage); });
        g(124, [&] {
            // Putting the slider back is a change of its own; it must neither store the value
            // nor show the refusal a second time.
            const QSignalBlocker quiet(slider);
            Form1::setSliderValue(slider,
                                  convert::leadingNumber(ReadSetting(key, role.resetDefault)));
        });
        return;
    }
    const int value = slider->value();
    g(110,
      [&] { (form.*role.label)->setText(QLatin1String(role.caption) + QString::number(value)); });
    g(112, [&] { WriteSetting(key, convert::fromInt(value)); });
    Globals& shared = globals();
    if (g.test(114, [&] { return shared.ReadingVoice != nullptr; }))
        g(116, [&] { ((*shared.ReadingVoice).*role.apply)(value); });
    if (g.test(118, [&] { return shared.RenderVoice != nullptr; }))
        g(120, [&] { ((*shared.RenderVoice).*role.apply)(value); });
}

} // namespace

void Slider1_Change(Form1& form)
{
    sliderChanged(form, VolumeRole);
}

void Slider2_Change(Form1& form)
{
    sliderChanged(form, RateRole);
}

void PushButton14_Click(Form1& form)
{
    Guard g("Form1", "PushButton14_Click");
    if (g.test(100, [&] { return form.SavingFile; }))
        return; // a test already runs, or a conversion does
    g(102, [&] { form.SavingFile = true; });
    g(104, [&] { form.setMousePointer(Form1::PointerBusy); });
    g(106, [] { events::processPending(); });
    g(108, [&] { SaveToWAV(form, QStringLiteral("This is a test"), QString()); });
    g(110, [&] { form.setMousePointer(Form1::PointerDefault); });
    g(112, [&] { form.SavingFile = false; });
}

} // namespace lectorix
