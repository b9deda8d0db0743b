#include "gui/voice_setup.h"

#include "gui/main_window.h"
#include "core/failure.h"
#include "core/speech_engine.h"

#include <QComboBox>
#include <QSlider>

namespace lectorix {

bool hasSelectedVoice(const MainWindow& form)
{
    return form.voiceCombo->currentIndex() != -1;
}

void useSelectedVoice(speech::Voice& voice, const MainWindow& form)
{
    const int index = form.voiceCombo->currentIndex();
    const QList<speech::VoiceToken> tokens = voice.installedVoices();
    if (index < 0 || index >= tokens.size())
        throw Failure(failures::InvalidArgument);
    voice.setVoice(tokens.at(index));
}

void useSliderVolume(speech::Voice& voice, const MainWindow& form)
{
    voice.setVolume(form.volumeSlider->value());
}

void useSliderRate(speech::Voice& voice, const MainWindow& form)
{
    voice.setRate(form.rateSlider->value());
}

} // namespace lectorix
