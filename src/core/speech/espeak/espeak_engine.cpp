#include "core/speech/espeak/espeak_engine.h"

#include "core/speech/espeak/espeak_library.h"
#include "core/speech/espeak/espeak_voice.h"
#include "core/speech/espeak/wav_writer.h"

namespace lectorix::speech {

std::unique_ptr<Voice> EspeakEngine::createVoice()
{
    espeak::Library::instance().ensureLoaded();
    return std::make_unique<EspeakVoice>();
}

std::unique_ptr<FileStream> EspeakEngine::createFileStream()
{
    return std::make_unique<WavFileStream>(WavSampleRate);
}

namespace {
Engine* g_chosen = nullptr;
} // namespace

Engine& engine()
{
    if (g_chosen != nullptr)
        return *g_chosen;
    static EspeakEngine espeakEngine;
    return espeakEngine;
}

void setEngine(Engine* chosen)
{
    g_chosen = chosen;
}

} // namespace lectorix::speech
