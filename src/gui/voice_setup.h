#pragma once

#include "core/speech/voice_settings.h"

namespace lectorix {
class MainWindow;

// What the window has chosen at this moment: the voice list's position (-1 for none) and the
// values of the volume and rate sliders.
VoiceSettings chosenVoice(const MainWindow& form);

} // namespace lectorix
