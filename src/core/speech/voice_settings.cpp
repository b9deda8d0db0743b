#include "core/speech/voice_settings.h"

#include "core/speech/speech_engine.h"

namespace lectorix {

void applyVoiceSettings(const VoiceSettings& settings, const std::function<speech::Voice&()>& voice,
                        const std::function<void(const VoiceSettingFailure&)>& failed)
{
    if (settings.voiceIndex != -1)
        runStep(
            VoiceSettingStep::ChooseVoice,
            [&] {
                const QList<speech::VoiceToken> tokens = voice().installedVoices();
                if (settings.voiceIndex < 0 || settings.voiceIndex >= tokens.size())
                    throw Failure(failures::InvalidArgument);
                voice().setVoice(tokens.at(settings.voiceIndex));
            },
            failed);
    runStep(
        VoiceSettingStep::SetVolume, [&] { voice().setVolume(settings.volume); }, failed);
    runStep(
        VoiceSettingStep::SetRate, [&] { voice().setRate(settings.rate); }, failed);
}

QString voiceIdLanguage(const QString& identifier)
{
    return identifier.section(QLatin1Char('/'), -1).toLower();
}

QString voiceLanguage(const VoiceSettings& settings)
{
    try {
        const std::unique_ptr<speech::Voice> voice = speech::engine().createVoice();
        if (settings.voiceIndex == -1)
            return voiceIdLanguage(voice->voice().id);
        return voiceIdLanguage(voice->installedVoices().value(settings.voiceIndex).id);
    } catch (...) {
        return QString();
    }
}

} // namespace lectorix
