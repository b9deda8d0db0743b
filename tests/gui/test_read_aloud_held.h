#pragma once

// An engine whose voices finish only when the test says so, so a reading can be held inside
// its waiting loop while the test presses the button, edits the text or closes the window.

#include "core/base/failure.h"
#include "core/speech/speech_engine.h"

#include <QStringList>

namespace lectorix::test {

class HeldEngine final : public speech::Engine
{
public:
    HeldEngine() { speech::setEngine(this); }
    ~HeldEngine() override { speech::setEngine(nullptr); }

    // Everything queued so far counts as heard (except on a paused voice).
    bool finished = false;
    // The word the voices report as heard now.
    speech::WordPosition word;
    // "voice1 created", "voice1 speak <text>", "voice1 pause", "voice1 resume", ...
    QStringList log;
    int alive = 0;

    std::unique_ptr<speech::Voice> createVoice() override;
    std::unique_ptr<speech::FileStream> createFileStream() override
    {
        throw Failure(QStringLiteral("not used here"));
    }

private:
    int m_made = 0;
};

class HeldVoice final : public speech::Voice
{
public:
    HeldVoice(HeldEngine& engine, int number)
        : m_engine(engine), m_name(QStringLiteral("voice%1").arg(number))
    {
        ++m_engine.alive;
        note(QStringLiteral("created"));
    }
    ~HeldVoice() override
    {
        --m_engine.alive;
        note(QStringLiteral("destroyed"));
    }

    QList<speech::VoiceToken> installedVoices() override { return {}; }
    void setVoice(const speech::VoiceToken&) override {}
    void setVolume(int volume) override { m_volume = volume; }
    int volume() const override { return m_volume; }
    void setRate(int rate) override { m_rate = rate; }
    int rate() const override { return m_rate; }
    void speakAsync(const QString& text) override
    {
        note(QStringLiteral("speak ") + text);
        ++m_begun;
    }
    int textsBegun() const override { return m_begun; }
    speech::WordPosition currentWord() const override { return m_engine.word; }
    void speak(const QString& text) override { speakAsync(text); }
    void pause() override
    {
        m_paused = true;
        note(QStringLiteral("pause"));
    }
    void resume() override
    {
        m_paused = false;
        note(QStringLiteral("resume"));
    }
    void stop() override
    {
        m_engine.finished = true;
        note(QStringLiteral("stop"));
    }
    bool isDone() const override { return m_engine.finished && !m_paused; }
    void setAudioOutputStream(speech::FileStream*) override {}

private:
    void note(const QString& what) { m_engine.log << m_name + QLatin1Char(' ') + what; }

    HeldEngine& m_engine;
    QString m_name;
    int m_volume = 100;
    int m_rate = 0;
    bool m_paused = false;
    int m_begun = 0;
};

inline std::unique_ptr<speech::Voice> HeldEngine::createVoice()
{
    return std::make_unique<HeldVoice>(*this, ++m_made);
}

} // namespace lectorix::test
