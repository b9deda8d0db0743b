#include "core/speech/voice_settings.h"

#include "core/base/error_report.h"
#include "core/base/failure.h"
#include "core/speech/speech_engine.h"

namespace lectorix {

void applyVoiceSettings(Guard& g, int firstLine, const VoiceSettings& settings,
                        const std::function<speech::Voice&()>& voice)
{
    if (g.test(firstLine, [&] { return settings.voiceIndex != -1; }))
        g(firstLine + 2, [&] {
            const QList<speech::VoiceToken> tokens = voice().installedVoices();
            if (settings.voiceIndex < 0 || settings.voiceIndex >= tokens.size())
                throw Failure(failures::InvalidArgument);
            voice().setVoice(tokens.at(settings.voiceIndex));
        });
    g(firstLine + 4, [&] { voice().setVolume(settings.volume); });
    g(firstLine + 6, [&] { voice().setRate(settings.rate); });
}

} // namespace lectorix
