#include "core/speech/language_voices.h"

#include "core/speech/voice_settings.h"

namespace lectorix {

speech::VoiceToken voiceForLanguage(const QList<speech::VoiceToken>& tokens,
                                    const QString& language)
{
    if (language.isEmpty())
        return {};
    const QString wanted = language.toLower();
    const speech::VoiceToken* variant = nullptr;
    for (const speech::VoiceToken& token : tokens) {
        const QString spoken = voiceIdLanguage(token.id);
        if (spoken == wanted)
            return token;
        if (!variant && spoken.startsWith(wanted + QLatin1Char('-')))
            variant = &token;
    }
    return variant ? *variant : speech::VoiceToken{};
}

QString speakingLanguage(const QList<speech::VoiceToken>& installed, const QString& language,
                         const QString& chosenLanguage)
{
    const speech::VoiceToken found = voiceForLanguage(installed, language);
    return found.id.isEmpty() ? chosenLanguage : voiceIdLanguage(found.id);
}

LanguageVoices::LanguageVoices(speech::Voice& voice) : m_voice(voice), m_chosen(voice.voice()) {}

speech::VoiceToken LanguageVoices::tokenFor(const QString& language)
{
    if (language.isEmpty())
        return m_chosen;
    if (!m_installed) {
        try {
            m_installed = m_voice.installedVoices();
        } catch (...) {
            m_installed.emplace(); // no list: every language is spoken by the chosen voice
        }
    }
    const speech::VoiceToken found = voiceForLanguage(*m_installed, language);
    return found.id.isEmpty() ? m_chosen : found;
}

void LanguageVoices::choose(const QString& language)
{
    if (language == m_current)
        return;
    const speech::VoiceToken token = tokenFor(language);
    const speech::VoiceToken now = tokenFor(m_current);
    m_current = language;
    if (token.id != now.id)
        m_voice.setVoice(token);
}

} // namespace lectorix
