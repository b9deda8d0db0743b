#include "core/engine/espeak_engine.h"

#include "core/engine/espeak_library.h"
#include "core/engine/espeak_voice.h"
#include "core/engine/wav_writer.h"

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
