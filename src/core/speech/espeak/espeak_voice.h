#pragma once

#include "core/speech/espeak/audio_chain.h"
#include "core/speech/speech_engine.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>

namespace lectorix::speech {

class PulseOutput;
class WavSink;

// A voice object over espeak-ng. Queued texts are synthesized stretch by stretch on the
// voice's own worker thread (the library itself is shared, one stretch at a time, see
// espeak::Library) and either played through PulseAudio or written into a WAV file.
// Playback is pulled by PulseAudio's thread through an AudioChain that applies the current
// speed and volume to every sample as it leaves, so both are heard at once.
class EspeakVoice final : public Voice
{
public:
    // The espeak-ng library must be loaded (espeak::Library::ensureLoaded).
    EspeakVoice();
    // Stops promptly: drops what is queued, cancels the stretch being synthesized, silences
    // the output and joins the worker.
    ~EspeakVoice() override;

    QList<VoiceToken> installedVoices() override;
    void setVoice(const VoiceToken& token) override;
    VoiceToken voice() const override;
    void setVolume(int volume) override;
    int volume() const override { return m_volume; }
    void setRate(int rate) override;
    int rate() const override { return m_rate; }

    void speakAsync(const QString& text, int silenceAfterMs = VoicesOwnPause) override;
    void speak(const QString& text, int silenceAfterMs = VoicesOwnPause) override;

    void pause() override;
    void resume() override;
    void stop() override;
    bool isDone() const override;
    int textsBegun() const override { return m_textsBegun; }
    WordPosition currentWord() const override;

    void setAudioOutputStream(FileStream* stream) override;

private:
    struct Job
    {
        QString text;
        int silenceAfterMs = VoicesOwnPause;
        QString voice;
        std::shared_ptr<WavSink> file; // null: live playback
        uint64_t generation = 0;
        int index = 0; // the order in which the text was queued
        bool finished = false;
        QString error;
    };

    std::shared_ptr<Job> enqueue(const QString& text, int silenceAfterMs);
    void waitFor(const std::shared_ptr<Job>& job);
    void cancelAll();
    void run();
    void speakJob(const Job& job);
    bool cancelled(const Job& job) const;
    double targetWpm() const;

    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<std::shared_ptr<Job>> m_queue;
    bool m_busy = false;
    bool m_paused = false;
    VoiceToken m_voice;
    bool m_voiceChecked = false;
    std::shared_ptr<WavSink> m_fileOutput;

    std::atomic<bool> m_stop{false};
    std::atomic<uint64_t> m_generation{0};
    std::atomic<int> m_volume{100};
    std::atomic<int> m_rate{0};
    std::atomic<int> m_textsBegun{0};
    int m_textsQueued = 0; // with m_mutex held

    // Words of live speech, on the audio chain's count of samples, waiting to be heard.
    struct WordMark
    {
        uint64_t sample;
        uint64_t generation;
        WordPosition word;
    };
    mutable std::mutex m_wordMutex;
    mutable std::deque<WordMark> m_wordMarks;
    mutable WordPosition m_wordHeard;

    int m_engineRate;
    AudioChain m_live;
    std::unique_ptr<PulseOutput> m_pulse; // made on the first live text, kept until the end
    QString m_pulseFailure;               // why m_pulse could not be made; used from enqueue only
    std::thread m_worker;
};

} // namespace lectorix::speech
