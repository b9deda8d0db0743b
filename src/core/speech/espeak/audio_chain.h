#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <vector>

struct sonicStreamStruct;

namespace lectorix::speech {

// Samples between the synthesizer and an output: one producer pushes synthesized stretches,
// one consumer pulls them as they are played or written. Speed and volume are applied at the
// pull, so a change reaches the very next samples played:
// - speed: each stretch remembers the words per minute it was synthesized at; the pull
//   time-stretches it (libsonic) by target / native, which is 1 in the usual case;
// - volume: a linear gain, 100 leaving the samples untouched.
// Thread-safe between the one producer and the one consumer.
class AudioChain
{
public:
    // Samples come in at inputRate and leave at outputRate (resampled when they differ).
    AudioChain(int inputRate, int outputRate);
    ~AudioChain();
    AudioChain(const AudioChain&) = delete;
    AudioChain& operator=(const AudioChain&) = delete;

    void push(std::vector<short> samples, int nativeWpm);
    // Silence of exactly count samples at the output rate, after what was pushed before: the
    // speech before it is let out of the time-stretcher first, and the silence is neither
    // stretched nor resampled.
    void pushSilence(size_t count);
    // No more input for now: the last samples held back by the time-stretcher are let out.
    void endOfInput();
    // Drops everything not yet pulled.
    void clear();

    // Writes up to max samples into out; 0 when nothing is ready now.
    size_t pull(short* out, size_t max, double targetWpm, int volume);

    // True when endOfInput() was called and every sample has been pulled.
    bool finished() const;
    // Input samples not yet pulled, at the native rate.
    size_t pending() const;
    // Positions on one running count of input samples: where the next pushed sample will
    // stand, and how many have been pulled (what clear() drops counts as pulled).
    uint64_t pushedSamples() const;
    uint64_t pulledSamples() const;

    // Blocks the producer while more than limit samples wait, or until cancelled() is
    // true (checked again on interrupt()).
    void waitForRoom(size_t limit, const std::function<bool()>& cancelled);
    // Wakes a producer blocked in waitForRoom (after setting its cancel flag).
    void interrupt();

private:
    struct Stretch
    {
        std::vector<short> samples;
        size_t position = 0;
        int nativeWpm = 0;
        // A silence: silentSamples output samples, counted as inputSamples on the running
        // count of input samples (which words are timed by).
        size_t silentSamples = 0;
        size_t inputSamples = 0;
    };

    // Lets out the silence at the front; false when the time-stretcher must be drained first.
    size_t pullSilence(Stretch& silence, short* out, size_t max);

    mutable std::mutex m_mutex;
    std::condition_variable m_room;
    std::deque<Stretch> m_stretches;
    size_t m_pending = 0;
    uint64_t m_pushedTotal = 0;
    uint64_t m_pulledTotal = 0;
    bool m_ended = true;
    bool m_flushed = true;
    sonicStreamStruct* m_sonic = nullptr;
    int m_inputRate;
    int m_outputRate;
};

// The voice's own silence at the ends of an utterance: the samples before its first sound
// (returning how many were dropped) or after its last, quieter than a sound. espeak-ng's
// pauses are zeros, and its speech fades to a few units at most before them.
size_t trimQuietStart(std::vector<short>& samples);
void trimQuietEnd(std::vector<short>& samples);

} // namespace lectorix::speech
