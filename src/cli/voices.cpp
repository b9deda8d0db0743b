#include "cli/voices.h"

#include "core/speech/espeak/espeak_library.h"
#include "core/speech/speech_engine.h"

#include <QHash>

#include <algorithm>

namespace lectorix::cli {

namespace {

// The preferred language of each espeak-ng voice, by identifier: the tag with the smallest
// priority number. Empty when the engine's data cannot be read; callers then fall back to
// identifierLanguage.
QHash<QString, QString> espeakLanguages()
{
    QHash<QString, QString> languages;
    try {
        for (const speech::espeak::VoiceInfo& info : speech::espeak::Library::instance().voices()) {
            const auto preferred =
                std::min_element(info.languages.cbegin(), info.languages.cend(),
                                 [](const auto& a, const auto& b) { return a.second < b.second; });
            if (preferred != info.languages.cend())
                languages.insert(info.identifier, preferred->first);
        }
    } catch (...) {
        languages.clear();
    }
    return languages;
}

QString oneLineField(QString text)
{
    for (QChar& c : text)
        if (c == QLatin1Char('\t') || c == QLatin1Char('\n') || c == QLatin1Char('\r'))
            c = QLatin1Char(' ');
    return text;
}

} // namespace

QList<VoiceListing> installedVoiceListings()
{
    const QList<speech::VoiceToken> tokens = speech::engine().createVoice()->installedVoices();
    const QHash<QString, QString> languages = espeakLanguages();
    QList<VoiceListing> listings;
    listings.reserve(tokens.size());
    for (const speech::VoiceToken& token : tokens) {
        const QString language = languages.value(token.id);
        listings.append({token.id, language.isEmpty() ? identifierLanguage(token.id) : language,
                         token.description});
    }
    return listings;
}

QString listingLine(const VoiceListing& voice)
{
    return oneLineField(voice.identifier) + QLatin1Char('\t') + oneLineField(voice.language) +
           QLatin1Char('\t') + oneLineField(voice.name);
}

QString identifierLanguage(const QString& identifier)
{
    return identifier.section(QLatin1Char('/'), -1);
}

int findVoice(const QList<VoiceListing>& voices, const QString& wanted)
{
    for (qsizetype i = 0; i < voices.size(); ++i)
        if (voices.at(i).identifier == wanted)
            return int(i);
    for (qsizetype i = 0; i < voices.size(); ++i)
        if (voices.at(i).identifier.compare(wanted, Qt::CaseInsensitive) == 0 ||
            voices.at(i).name.compare(wanted, Qt::CaseInsensitive) == 0)
            return int(i);
    return -1;
}

} // namespace lectorix::cli
