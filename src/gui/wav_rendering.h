#pragma once

#include "core/speech/speech_engine.h"

#include <QString>

namespace lectorix {
class MainWindow;

using speech::ClassNotRegistered;
// Shown, after the failure's own description, when the chosen voice cannot be loaded.
using speech::TryAnotherVoice;

// Speaks with the voice chosen in the voice list (the engine's default when none is) and the
// volume and rate of the sliders at the moment of the call, and returns when it is done.
// With a fileName, text is the path of a text file whose content is written to fileName as a
// 22,050 Hz 16-bit mono WAV file (replaced if it exists), complete and closed on return.
// With an empty fileName, text itself is spoken to the default audio output.
// The voice lives in the window's renderVoice meanwhile, so the sliders act on it. A voice that
// cannot be loaded is named in a message; any other failure of the speaking itself ends the
// call quietly; every other failure is reported and the call goes on.
void speakWithWindowVoice(MainWindow& form, const QString& text, const QString& fileName);

} // namespace lectorix
