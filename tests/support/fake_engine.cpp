#include "support/fake_engine.h"

#include "core/base/failure.h"

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
    void note(const QString& what) { m_engine.log << m_name + QLatin1Char(' ') + what; }

    FakeEngine& m_engine;
    QString m_name;
    bool m_open = false;
    int m_pipe = -1;
};

class FakeVoice final : public speech::Voice
{
public:
    FakeVoice(FakeEngine& engine, QString name) : m_engine(engine), m_name(std::move(name))
    {
        ++m_engine.m_voicesAlive;
        note(QStringLiteral("created"));
    }
    ~FakeVoice() override
    {
        --m_engine.m_voicesAlive;
        note(QStringLiteral("destroyed"));
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
    }
    void setVolume(int volume) override
    {
        m_volume = volume;
        note(QStringLiteral("volume %1").arg(volume));
    }
    int volume() const override { return m_volume; }
    void setRate(int rate) override
    {
        m_rate = rate;
        note(QStringLiteral("rate %1").arg(rate));
    }
    int rate() const override { return m_rate; }

    void speakAsync(const QString& text) override
    {
        speakAs(QStringLiteral("speakAsync "), text);
        ++m_begun; // a fake voice begins everything at once
    }
    int textsBegun() const override { return m_begun; }
    void speak(const QString& text) override { speakAs(QStringLiteral("speak "), text); }
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
    void note(const QString& what) { m_engine.log << m_name + QLatin1Char(' ') + what; }
    void speakAs(const QString& how, const QString& text)
    {
        note(how + text);
        if (m_engine.onSpeak)
            m_engine.onSpeak(text);
        if (!m_engine.failSpeak.isEmpty())
            throw Failure(m_engine.failSpeak);
    }

    FakeEngine& m_engine;
    QString m_name;
    int m_volume = 100;
    int m_rate = 0;
    int m_begun = 0;
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
    return std::make_unique<FakeVoice>(*this, QStringLiteral("voice%1").arg(++m_voicesMade));
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

} // namespace lectorix::test
