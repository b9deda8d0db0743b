#pragma once

#include "core/speech/speech_engine.h"

#include <QHash>
#include <QList>
#include <QString>

#include <optional>

namespace lectorix {

// The installed voice that speaks language (a tag such as "ru" or "cmn"): the first in tokens
// whose identifier names that language exactly, else the first naming a regional variant of
// it ("en" finds "gmw/en-US"); an empty token when none does.
speech::VoiceToken voiceForLanguage(const QList<speech::VoiceToken>& tokens,
                                    const QString& language);

// The language of the voice that speaks an utterance of language (Utterance.language) when
// chosenLanguage is the chosen voice's: that of the installed voice voiceForLanguage finds,
// else chosenLanguage, as LanguageVoices chooses.
QString speakingLanguage(const QList<speech::VoiceToken>& installed, const QString& language,
                         const QString& chosenLanguage);

// Switches a voice between the voice chosen for a text and the voices of the languages its
// utterances are in. Volume and rate belong to the voice object, so every language is heard
// at the same ones.
class LanguageVoices
{
public:
    // The voice's current voice is the chosen one.
    explicit LanguageVoices(speech::Voice& voice);

    // From the next text queued on, speak with the voice of language, or with the chosen
    // voice for an empty language or one no installed voice speaks. The voice is only told
    // when it changes.
    void choose(const QString& language);

private:
    speech::VoiceToken tokenFor(const QString& language);

    speech::Voice& m_voice;
    speech::VoiceToken m_chosen;
    QString m_current; // the language spoken now; empty: the chosen voice
    std::optional<QList<speech::VoiceToken>> m_installed;
};

} // namespace lectorix
