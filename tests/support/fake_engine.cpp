#include "support/fake_engine.h"

#include "core/base/failure.h"
#include "support/recording_voice.h"

#include <unistd.h>

namespace lectorix::test {

class FakeStream final : public speech::FileStream
{
public:
    FakeStream(FakeEngine& engine, QString name) : m_engine(engine), m_name(std::move(name))
    {
        note(QStringLiteral("created"));
    }
    ~FakeStream() override
    {
        if (m_pipe >= 0)
            ::close(m_pipe);
        note(QStringLiteral("destroyed"));
    }

    const QString& name() const { return m_name; }

    void open(const QString& path) override
    {
        note(QStringLiteral("open ") + path);
        if (!m_engine.failOpen.isEmpty())
            throw Failure(m_engine.failOpen);
        m_open = true;
    }
    void openPipe(int descriptor) override
    {
        note(QStringLiteral("open pipe"));
        m_pipe = descriptor;
        m_open = true;
    }
    void close() override
    {
        note(QStringLiteral("close"));
        m_open = false;
        if (m_pipe >= 0)
            ::close(m_pipe);
        m_pipe = -1;
    }
    bool isOpen() const override { return m_open; }

private:
    void note(const QString& what)
    {
        const QMutexLocker locked(&recordsLock());
        m_engine.log << m_name + QLatin1Char(' ') + what;
    }

    FakeEngine& m_engine;
    QString m_name;
    bool m_open = false;
    int m_pipe = -1;
};

class FakeVoice final : public RecordingVoice
{
public:
    FakeVoice(FakeEngine& engine, int number)
        : RecordingVoice(engine.log, engine.m_voicesAlive, number), m_engine(engine)
    {
    }

    QList<speech::VoiceToken> installedVoices() override
    {
        if (!m_engine.failGetVoices.isEmpty())
            throw Failure(m_engine.failGetVoices);
        return m_engine.m_voices;
    }
    void setVoice(const speech::VoiceToken& token) override
    {
        note(QStringLiteral("setVoice ") + token.id);
        m_voice = token;
    }
    speech::VoiceToken voice() const override { return m_voice; }
    void setVolume(int volume) override
    {
        RecordingVoice::setVolume(volume);
        note(QStringLiteral("volume %1").arg(volume));
    }
    void setRate(int rate) override
    {
        RecordingVoice::setRate(rate);
        note(QStringLiteral("rate %1").arg(rate));
    }

    void speakAsync(const QString& text, int silenceAfterMs) override
    {
        speakAs(QStringLiteral("speakAsync "), text, silenceAfterMs);
        begin();
    }
    void speak(const QString& text, int silenceAfterMs) override
    {
        speakAs(QStringLiteral("speak "), text, silenceAfterMs);
    }
    void pause() override { note(QStringLiteral("pause")); }
    void resume() override { note(QStringLiteral("resume")); }
    void stop() override { note(QStringLiteral("stop")); }
    bool isDone() const override { return true; }

    void setAudioOutputStream(speech::FileStream* stream) override
    {
        const auto* fake = dynamic_cast<FakeStream*>(stream);
        note(QStringLiteral("output ") + (fake ? fake->name() : QStringLiteral("default")));
    }

private:
    void speakAs(const QString& how, const QString& text, int silenceAfterMs)
    {
        note(how + text);
        {
            const QMutexLocker locked(&recordsLock());
            m_engine.silences << silenceAfterMs;
        }
        if (m_engine.onSpeak)
            m_engine.onSpeak(text);
        if (!m_engine.failSpeak.isEmpty())
            throw Failure(m_engine.failSpeak);
    }

    FakeEngine& m_engine;
    speech::VoiceToken m_voice;
};

FakeEngine::FakeEngine()
{
    setVoices(3);
    speech::setEngine(this);
}

FakeEngine::~FakeEngine()
{
    speech::setEngine(nullptr);
}

void FakeEngine::setVoices(int count)
{
    QStringList descriptions;
    for (int i = 1; i <= count; ++i)
        descriptions << QStringLiteral("Voice %1").arg(i);
    setVoices(descriptions);
}

void FakeEngine::setVoices(const QStringList& descriptions)
{
    m_voices.clear();
    for (qsizetype i = 0; i < descriptions.size(); ++i)
        m_voices.append({QStringLiteral("v%1").arg(i + 1), descriptions[i]});
}

std::unique_ptr<speech::Voice> FakeEngine::createVoice()
{
    if (!failCreateVoice.isEmpty())
        throw Failure(failCreateVoice);
    return std::make_unique<FakeVoice>(*this, ++m_voicesMade);
}

std::unique_ptr<speech::FileStream> FakeEngine::createFileStream()
{
    if (!failCreateStream.isEmpty())
        throw Failure(failCreateStream);
    return std::make_unique<FakeStream>(*this, QStringLiteral("stream%1").arg(++m_streamsMade));
}

QStringList FakeEngine::queued() const
{
    QStringList texts;
    const QString mark = QStringLiteral(" speakAsync ");
    for (const QString& line : log)
        if (const qsizetype at = line.indexOf(mark); at >= 0)
            texts << line.mid(at + mark.size());
    return texts;
}

void FakeEngine::setVoiceIds(const QStringList& ids)
{
    m_voices.clear();
    for (const QString& id : ids)
        m_voices.append({id, id});
}

} // namespace lectorix::test
