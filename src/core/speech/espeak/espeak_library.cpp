#include "core/speech/espeak/espeak_library.h"

#include "core/base/failure.h"
#include "core/process/missing_parts.h"

#include <espeak-ng/speak_lib.h>

#include <QHash>

#include <algorithm>
#include <cstring>

// libespeak-ng 1.51 (Debian 12's) opens an audio device on every initialisation, whatever the
// output mode: it connects to the sound server, and without XDG_RUNTIME_DIR leaves a
// /tmp/pulse-* folder behind, though synchronous output only hands the samples over and the
// program plays them through its own stream. This definition of pcaudiolib's entry point is
// the one the dynamic linker binds libespeak-ng's call to: it declines, as on a machine
// without sound, and synchronous output never asks for the device again. Later releases of
// espeak-ng open no device for synchronous output and never call it.
struct audio_object;
extern "C" __attribute__((visibility("default"))) audio_object*
create_audio_device_object(const char* /*device*/, const char* /*application*/,
                           const char* /*description*/)
{
    return nullptr;
}

namespace lectorix::speech::espeak {

namespace {

// Where espeak-ng's synthesis callback delivers; set only while the library mutex is held.
const Library::SampleSink* g_sink = nullptr;
const Library::WordSink* g_words = nullptr;

int deliverSamples(short* samples, int count, espeak_EVENT* events)
{
    if (events != nullptr && g_words != nullptr && *g_words) {
        for (; events->type != espeakEVENT_LIST_TERMINATED; ++events) {
            // text_position counts code points from 1; sample counts from the synthesis start.
            if (events->type == espeakEVENT_WORD && events->text_position > 0)
                (*g_words)(events->text_position - 1, events->length, events->sample);
        }
    }
    if (samples == nullptr || count <= 0 || g_sink == nullptr)
        return 0;
    return (*g_sink)(samples, count) ? 0 : 1; // non-zero tells espeak-ng to stop
}

int matchScore(const VoiceInfo& voice, const QString& tag, const QString& language, int* priority)
{
    int best = 0;
    *priority = 1000;
    for (const auto& [lang, prio] : voice.languages) {
        int score = 0;
        if (!tag.isEmpty() && lang == tag)
            score = 3;
        else if (lang == language)
            score = 2;
        else if (lang.startsWith(language + QLatin1Char('-')))
            score = 1;
        if (score > best || (score == best && score > 0 && prio < *priority)) {
            best = score;
            *priority = prio;
        }
    }
    return best;
}

} // namespace

QString localeLanguageTag(const QString& locale)
{
    QString name = locale.section(QLatin1Char('.'), 0, 0).section(QLatin1Char('@'), 0, 0);
    if (name.isEmpty() || name == QLatin1String("C") || name == QLatin1String("POSIX"))
        return {};
    return name.replace(QLatin1Char('_'), QLatin1Char('-')).toLower();
}

QString userLocale()
{
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const QString value = qEnvironmentVariable(variable);
        if (!value.isEmpty())
            return value;
    }
    return {};
}

int bestVoiceFor(const QList<VoiceInfo>& voices, const QString& languageTag)
{
    const auto pick = [&voices](const QString& tag) {
        const QString language = tag.section(QLatin1Char('-'), 0, 0);
        int bestIndex = -1, bestScore = 0, bestPriority = 0;
        for (int i = 0; i < voices.size(); ++i) {
            int priority = 0;
            const int score = matchScore(voices[i], tag, language, &priority);
            if (score > bestScore || (score == bestScore && score > 0 && priority < bestPriority)) {
                bestIndex = i;
                bestScore = score;
                bestPriority = priority;
            }
        }
        return bestIndex;
    };
    int index = languageTag.isEmpty() ? -1 : pick(languageTag);
    if (index < 0)
        index = pick(QStringLiteral("en"));
    if (index < 0 && !voices.isEmpty())
        index = 0;
    return index;
}

QList<VoiceToken> orderedTokens(const QList<VoiceInfo>& voices, const QString& languageTag)
{
    QList<VoiceInfo> sorted = voices;
    std::sort(sorted.begin(), sorted.end(), [](const VoiceInfo& a, const VoiceInfo& b) {
        const int byName = QString::compare(a.name, b.name, Qt::CaseInsensitive);
        return byName != 0 ? byName < 0 : a.identifier < b.identifier;
    });
    const int first = bestVoiceFor(sorted, languageTag);
    if (first > 0)
        sorted.move(first, 0);

    QHash<QString, int> nameCount;
    for (const VoiceInfo& v : sorted)
        ++nameCount[v.name.toCaseFolded()];
    QList<VoiceToken> tokens;
    tokens.reserve(sorted.size());
    for (const VoiceInfo& v : sorted) {
        QString description = v.name.isEmpty() ? v.identifier : v.name;
        if (nameCount.value(v.name.toCaseFolded()) > 1 || v.name.isEmpty())
            description = QStringLiteral("%1 [%2]").arg(description, v.identifier);
        tokens.append({v.identifier, description});
    }
    return tokens;
}

Library& Library::instance()
{
    static Library* library = new Library; // deliberately never destroyed, see the header
    return *library;
}

void Library::ensureLoaded()
{
    std::lock_guard lock(m_mutex);
    loadLocked();
}

int Library::sampleRate()
{
    std::lock_guard lock(m_mutex);
    loadLocked();
    return m_sampleRate;
}

void Library::loadLocked()
{
    if (m_loaded)
        return;
    // A null path lets espeak-ng honour ESPEAK_DATA_PATH; DONT_EXIT keeps a missing data
    // folder from ending the whole program. It answers 0 or less when the data is unusable.
    const int rate =
        espeak_Initialize(AUDIO_OUTPUT_SYNCHRONOUS, 100, nullptr, espeakINITIALIZE_DONT_EXIT);
    if (rate <= 0 || espeak_ListVoices(nullptr)[0] == nullptr) {
        if (rate > 0)
            espeak_Terminate();
        throw Failure(VoiceDataMissingMessage);
    }
    espeak_SetSynthCallback(deliverSamples);
    m_sampleRate = rate;
    m_currentVoice.clear();
    m_currentWpm = -1;
    m_loaded = true;
}

QList<VoiceInfo> Library::voices()
{
    std::lock_guard lock(m_mutex);
    loadLocked();
    QList<VoiceInfo> result;
    for (const espeak_VOICE** v = espeak_ListVoices(nullptr); v && *v; ++v) {
        VoiceInfo info;
        info.identifier = QString::fromUtf8((*v)->identifier);
        info.name = QString::fromUtf8((*v)->name);
        // The language list is a run of (priority byte, NUL-terminated tag), ended by a 0 byte.
        for (const char* p = (*v)->languages; p && *p; p += std::strlen(p + 1) + 2)
            info.languages.append({QString::fromUtf8(p + 1).toLower(), int(*p)});
        result.append(info);
    }
    return result;
}

QList<VoiceToken> Library::tokens()
{
    return orderedTokens(voices(), localeLanguageTag(userLocale()));
}

void Library::selectVoiceLocked(const QString& identifier)
{
    if (identifier == m_currentVoice)
        return;
    m_currentVoice.clear();
    m_currentWpm = -1;
    const QByteArray name = identifier.toUtf8();
    if (name.isEmpty() || name.contains('\0') || espeak_SetVoiceByName(name.constData()) != EE_OK)
        throw Failure(ClassNotRegistered);
    m_currentVoice = identifier;
}

void Library::checkVoice(const QString& identifier)
{
    std::lock_guard lock(m_mutex);
    loadLocked();
    selectVoiceLocked(identifier);
}

void Library::synthesize(const QString& identifier, int wpm, const QByteArray& utf8Text,
                         const SampleSink& sink, const WordSink& words)
{
    std::lock_guard lock(m_mutex);
    loadLocked();
    selectVoiceLocked(identifier);
    wpm = std::clamp(wpm, MinimumWpm, MaximumWpm);
    if (wpm != m_currentWpm) {
        espeak_SetParameter(espeakRATE, wpm, 0);
        m_currentWpm = wpm;
    }
    g_sink = &sink;
    g_words = &words;
    const espeak_ERROR result =
        espeak_Synth(utf8Text.constData(), size_t(utf8Text.size()) + 1, 0, POS_CHARACTER, 0,
                     espeakCHARS_UTF8 | espeakPHONEMES | espeakENDPAUSE, nullptr, nullptr);
    g_sink = nullptr;
    g_words = nullptr;
    if (result != EE_OK && result != EE_BUFFER_FULL)
        throw Failure(QStringLiteral("The speech engine failed to synthesize speech "
                                     "(eSpeak NG error %1).")
                          .arg(int(result)));
}

} // namespace lectorix::speech::espeak
