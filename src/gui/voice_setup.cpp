#include "gui/voice_setup.h"

#include "gui/main_window.h"
#include "core/failure.h"
#include "core/speech_engine.h"

#include <QComboBox>
#include <QSlider>

namespace lectorix {

bool hasSelectedVoice(const Form1& form)
{
    return form.Combo1->currentIndex() != -1;
}

void useSelectedVoice(speech::Voice& voice, const Form1& form)
{
    const int index = form.Combo1->currentIndex();
    const QList<speech::VoiceToken> tokens = voice.GetVoices();
    if (index < 0 || index >= tokens.size())
        throw Failure(failures::InvalidArgument);
    voice.setVoice(tokens.at(index));
}

void useSliderVolume(speech::Voice& voice, const Form1& form)
{
    voice.setVolume(form.Slider1->value());
}

void useSliderRate(speech::Voice& voice, const Form1& form)
{
    voice.setRate(form.Slider2->value());
}

} // namespace lectorix
