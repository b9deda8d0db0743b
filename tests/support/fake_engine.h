#pragma once

#include "core/speech/speech_engine.h"

#include <QStringList>

#include <functional>

namespace lectorix::test {

// A scriptable speech engine. It installs itself as the program's engine for its lifetime
// (and empties the program-wide voices when it goes, since they may hold its voices),
// records every call as a line of its log, and fails where a test tells it to.
//
// Log lines name the voice or stream they concern by the order of creation:
//   "voice1 created", "voice1 setVoice v2", "voice1 volume 80", "voice1 rate -10",
//   "voice1 speak This is a test", "voice1 speakAsync Words", "voice1 output stream1",
//   "voice1 output default", "voice1 destroyed", "stream1 created", "stream1 open /path",
//   "stream1 close", "stream1 destroyed"
class FakeEngine final : public speech::Engine
{
public:
    FakeEngine();
    ~FakeEngine() override;

    // The installed voices: ids "v1".."vN", descriptions from the list or "Voice 1".."Voice N".
    void setVoices(int count);
    void setVoices(const QStringList& descriptions);
    // Installed voices with these identifiers ("zle/ru"), each its own description; a voice
    // then names the one last given to setVoice as its voice().
    void setVoiceIds(const QStringList& ids);

    // A non-empty description makes that operation throw lectorix::Failure with it.
    QString failCreateVoice;
    QString failGetVoices;
    QString failSpeak; // speak and speakAsync
    QString failCreateStream;
    QString failOpen;

    // Runs inside speak/speakAsync, e.g. to move a slider or press a button meanwhile.
    std::function<void(const QString& textOrPath)> onSpeak;

    QStringList log;
    // The silence asked for after each text given to speak or speakAsync, in order; the log
    // leaves it out.
    QList<int> silences;
    // The log lines containing the given text.
    QStringList logOf(const QString& part) const { return log.filter(part); }
    // The texts handed over for asynchronous speaking, in order.
    QStringList queued() const;
    int voicesAlive() const { return m_voicesAlive; }

    std::unique_ptr<speech::Voice> createVoice() override;
    std::unique_ptr<speech::FileStream> createFileStream() override;

private:
    friend class FakeVoice;
    friend class FakeStream;
    QList<speech::VoiceToken> m_voices;
    int m_voicesMade = 0;
    int m_streamsMade = 0;
    int m_voicesAlive = 0;
};

} // namespace lectorix::test
