#pragma once

#include "core/speech_engine.h"

#include <memory>

namespace lectorix {

// Program-wide state shared by the window's handlers.
struct Globals
{
    // True when the text box is the source for reading aloud, false when the PDF in Text1 is.
    bool UseTextBox = false;
    // The voice of the current reading; replaced by every new reading.
    std::unique_ptr<speech::Voice> ReadingVoice;
    // The voice of a WAV rendering; exists only while one runs.
    std::unique_ptr<speech::Voice> RenderVoice;
};

Globals& globals();

} // namespace lectorix
