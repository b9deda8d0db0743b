#pragma once

#include "core/speech/speech_engine.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <mutex>

namespace lectorix::speech::espeak {

// One espeak-ng voice with what the voice list and the default choice need.
struct VoiceInfo
{
    QString identifier; // the voice file, e.g. "gmw/en-US"; what espeak_SetVoiceByName takes
    QString name;       // display name, e.g. "English (America)"
    // Language tags in lower case with the engine's priority (smaller is preferred).
    QList<QPair<QString, int>> languages;
};

// The language part of a POSIX locale name, as a lower-case tag: "de_AT.UTF-8@euro" gives
// "de-at", "C" and "POSIX" give "" (no preference).
QString localeLanguageTag(const QString& locale);

// The user's locale from LC_ALL, LC_MESSAGES or LANG, the first one that is set.
QString userLocale();

// Index into voices of the voice that best speaks languageTag: the exact tag first, then the
// bare language, then a regional variant of it, each by the engine's priority; English when
// nothing matches (or languageTag is empty). -1 only when voices is empty.
int bestVoiceFor(const QList<VoiceInfo>& voices, const QString& languageTag);

// Puts the enumeration in the order the program shows: the voice of the user's locale first,
// then every other voice by display name (case-insensitive), ties by identifier. Display names
// are made distinct by adding the identifier where two voices share one.
QList<VoiceToken> orderedTokens(const QList<VoiceInfo>& voices, const QString& languageTag);

// The process-wide gate to libespeak-ng. The library keeps its voice, rate and output in
// global state, so every use goes through here, one caller at a time. The instance is never
// destroyed (voices may still run while static objects are torn down at exit).
class Library
{
public:
    static Library& instance();

    // Loads the engine and its data on first use. Throws Failure when they are missing; a
    // later call tries again.
    void ensureLoaded();
    // The engine's output sample rate (22,050 Hz for espeak-ng's own voices).
    int sampleRate();

    // Every installed voice, read afresh from the data folder.
    QList<VoiceInfo> voices();
    // The tokens in the program's order (see orderedTokens) for the user's locale.
    QList<VoiceToken> tokens();

    // Throws Failure("Class not registered") when the engine cannot load the voice.
    void checkVoice(const QString& identifier);

    // Called with each block of synthesized samples; returning false abandons the stretch.
    using SampleSink = std::function<bool(const short* samples, int count)>;
    // Told of each word as its sound begins: its first character and its length, counted in
    // Unicode code points from the start of the stretch, and the number of samples delivered
    // before its sound.
    using WordSink = std::function<void(int codePoint, int length, int64_t sample)>;
    // Synthesizes one stretch of UTF-8 text with the given voice at wpm words per minute.
    // Blocks other callers meanwhile; keep the stretch short. What stands between "[[" and
    // "]]" is read as espeak-ng phonemes.
    void synthesize(const QString& identifier, int wpm, const QByteArray& utf8Text,
                    const SampleSink& sink, const WordSink& words = {});

private:
    Library() = default;
    void loadLocked();
    void selectVoiceLocked(const QString& identifier);

    std::mutex m_mutex;
    bool m_loaded = false;
    int m_sampleRate = 0;
    QString m_currentVoice;
    int m_currentWpm = -1;
};

// espeak-ng's normal and limit speeds in words per minute.
inline constexpr int NormalWpm = 175;
inline constexpr int MinimumWpm = 80;
inline constexpr int MaximumWpm = 450;

} // namespace lectorix::speech::espeak
