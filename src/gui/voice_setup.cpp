#include "gui/voice_setup.h"

#include "gui/main_window.h"

#include <QComboBox>
#include <QSlider>

namespace lectorix {

VoiceSettings chosenVoice(const MainWindow& form)
{
    return {form.voiceCombo()->currentIndex(), form.volumeSlider()->value(),
            form.rateSlider()->value()};
}

} // namespace lectorix
