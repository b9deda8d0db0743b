#pragma once

// What the test engines' voices share: a name by order of creation ("voice1", "voice2", ...),
// a line in the engine's log for each thing done to them, a count of the voices alive, and
// the volume and rate kept as set.

#include "core/speech/speech_engine.h"

#include <QMutex>
#include <QStringList>

namespace lectorix::test {

// The engines' records are written by every thread that speaks for a conversion's lanes as
// well as by the test's own thread: one lock guards them all.
inline QMutex& recordsLock()
{
    static QMutex lock;
    return lock;
}

class RecordingVoice : public speech::Voice
{
public:
    RecordingVoice(QStringList& log, int& alive, int number)
        : m_log(log), m_alive(alive), m_name(QStringLiteral("voice%1").arg(number))
    {
        {
            const QMutexLocker locked(&recordsLock());
            ++m_alive;
        }
        note(QStringLiteral("created"));
    }
    ~RecordingVoice() override
    {
        {
            const QMutexLocker locked(&recordsLock());
            --m_alive;
        }
        note(QStringLiteral("destroyed"));
    }
    RecordingVoice(const RecordingVoice&) = delete;
    RecordingVoice& operator=(const RecordingVoice&) = delete;

    void setVolume(int volume) override { m_volume = volume; }
    int volume() const override { return m_volume; }
    void setRate(int rate) override { m_rate = rate; }
    int rate() const override { return m_rate; }
    int textsBegun() const override { return m_begun; }

protected:
    void note(const QString& what)
    {
        const QMutexLocker locked(&recordsLock());
        m_log << m_name + QLatin1Char(' ') + what;
    }
    // A test voice begins every text it is handed at once.
    void begin() { ++m_begun; }

private:
    QStringList& m_log;
    int& m_alive;
    QString m_name;
    int m_volume = 100;
    int m_rate = 0;
    int m_begun = 0;
};

} // namespace lectorix::test
