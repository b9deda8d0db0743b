#pragma once

#include "core/speech/speech_engine.h"

namespace lectorix::speech {

// The speech engine over the espeak-ng library, with PulseAudio for live speech and RIFF WAVE
// files for rendering. Every voice object it makes shares the one library.
class EspeakEngine final : public Engine
{
public:
    // Throws Failure when espeak-ng or its voice data can not be loaded.
    std::unique_ptr<Voice> createVoice() override;
    std::unique_ptr<FileStream> createFileStream() override;
};

} // namespace lectorix::speech
