#include "support/held_engine.h"

#include "core/base/failure.h"
#include "support/recording_voice.h"

namespace lectorix::test {

namespace {

class HeldVoice final : public RecordingVoice
{
public:
    HeldVoice(HeldEngine& engine, int number)
        : RecordingVoice(engine.log, engine.alive, number), m_engine(engine)
    {
    }

    QList<speech::VoiceToken> installedVoices() override { return {}; }
    void setVoice(const speech::VoiceToken&) override {}
    void speakAsync(const QString& text, int = 0) override
    {
        note(QStringLiteral("speak ") + text);
        if (m_engine.beginAtOnce)
            begin();
    }
    speech::WordPosition currentWord() const override { return m_engine.word; }
    void speak(const QString& text, int = 0) override { speakAsync(text); }
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
    HeldEngine& m_engine;
    bool m_paused = false;
};

} // namespace

HeldEngine::HeldEngine()
{
    speech::setEngine(this);
}

HeldEngine::~HeldEngine()
{
    speech::setEngine(nullptr);
}

std::unique_ptr<speech::Voice> HeldEngine::createVoice()
{
    return std::make_unique<HeldVoice>(*this, ++m_made);
}

std::unique_ptr<speech::FileStream> HeldEngine::createFileStream()
{
    throw Failure(QStringLiteral("a held engine writes no files"));
}

QStringList HeldEngine::spokenBy(const QString& voice) const
{
    QStringList texts;
    const QString prefix = voice + QStringLiteral(" speak ");
    for (const QString& line : log)
        if (line.startsWith(prefix))
            texts << line.mid(prefix.size());
    return texts;
}

} // namespace lectorix::test
