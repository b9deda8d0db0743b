#include "core/speech/espeak/audio_chain.h"

#include <sonic.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <new>
#include <utility>

namespace lectorix::speech {

namespace {
// Input is handed to the time-stretcher in small blocks so a speed change takes hold quickly.
constexpr size_t StretchBlock = 512;
} // namespace

namespace {
sonicStream newStretcher(int inputRate, int outputRate)
{
    sonicStream sonic = sonicCreateStream(inputRate, 1);
    if (sonic == nullptr)
        throw std::bad_alloc();
    if (inputRate != outputRate)
        sonicSetRate(sonic, float(inputRate) / float(outputRate));
    return sonic;
}
} // namespace

AudioChain::AudioChain(int inputRate, int outputRate)
    : m_sonic(newStretcher(inputRate, outputRate)), m_inputRate(inputRate), m_outputRate(outputRate)
{
}

AudioChain::~AudioChain()
{
    sonicDestroyStream(m_sonic);
}

void AudioChain::push(std::vector<short> samples, int nativeWpm)
{
    if (samples.empty())
        return;
    std::lock_guard lock(m_mutex);
    m_pending += samples.size();
    m_pushedTotal += samples.size();
    m_stretches.push_back({std::move(samples), 0, nativeWpm});
    m_ended = false;
}

void AudioChain::pushSilence(size_t count)
{
    if (count == 0)
        return;
    const size_t input = size_t(uint64_t(count) * uint64_t(m_inputRate) / uint64_t(m_outputRate));
    std::lock_guard lock(m_mutex);
    m_pending += input;
    m_pushedTotal += input;
    m_stretches.push_back({{}, 0, 0, count, input});
    m_ended = false;
}

size_t AudioChain::pullSilence(Stretch& silence, short* out, size_t max)
{
    if (!m_flushed) {
        sonicFlushStream(m_sonic);
        m_flushed = true;
    }
    if (sonicSamplesAvailable(m_sonic) > 0)
        return 0;
    const size_t count = std::min(max, silence.silentSamples - silence.position);
    std::fill(out, out + count, short(0));
    const auto credited = [&silence](size_t position) {
        return size_t(uint64_t(position) * silence.inputSamples / silence.silentSamples);
    };
    const size_t input = credited(silence.position + count) - credited(silence.position);
    silence.position += count;
    m_pending -= input;
    m_pulledTotal += input;
    return count;
}

void AudioChain::endOfInput()
{
    std::lock_guard lock(m_mutex);
    m_ended = true;
}

void AudioChain::clear()
{
    // Made before the old one goes, so a failure leaves the chain with a valid stretcher.
    sonicStream fresh = newStretcher(m_inputRate, m_outputRate);
    std::lock_guard lock(m_mutex);
    m_stretches.clear();
    m_pending = 0;
    m_pulledTotal = m_pushedTotal;
    std::swap(m_sonic, fresh);
    sonicDestroyStream(fresh);
    m_flushed = true;
    m_ended = true;
    m_room.notify_all();
}

size_t AudioChain::pull(short* out, size_t max, double targetWpm, int volume)
{
    std::lock_guard lock(m_mutex);
    size_t produced = 0;
    while (produced < max) {
        if (sonicSamplesAvailable(m_sonic) > 0) {
            const int want = int(std::min<size_t>(max - produced, 1 << 20));
            produced += size_t(sonicReadShortFromStream(m_sonic, out + produced, want));
            continue;
        }
        if (!m_stretches.empty() && m_stretches.front().silentSamples > 0) {
            Stretch& silence = m_stretches.front();
            produced += pullSilence(silence, out + produced, max - produced);
            if (silence.position == silence.silentSamples)
                m_stretches.pop_front();
            continue;
        }
        if (!m_stretches.empty()) {
            Stretch& s = m_stretches.front();
            const size_t count = std::min(StretchBlock, s.samples.size() - s.position);
            double speed = targetWpm / double(s.nativeWpm > 0 ? s.nativeWpm : targetWpm);
            if (std::abs(speed - 1.0) < 1e-3)
                speed = 1.0;
            sonicSetSpeed(m_sonic, float(speed));
            sonicWriteShortToStream(m_sonic, s.samples.data() + s.position, int(count));
            s.position += count;
            m_pending -= count;
            m_pulledTotal += count;
            m_flushed = false;
            if (s.position == s.samples.size())
                m_stretches.pop_front();
            continue;
        }
        if (m_ended && !m_flushed) {
            sonicFlushStream(m_sonic);
            m_flushed = true;
            continue;
        }
        break;
    }
    if (volume < 100) {
        const int gain = std::max(volume, 0);
        for (size_t i = 0; i < produced; ++i)
            out[i] = short(int(out[i]) * gain / 100);
    }
    m_room.notify_all();
    return produced;
}

bool AudioChain::finished() const
{
    std::lock_guard lock(m_mutex);
    return m_ended && m_stretches.empty() && m_flushed && sonicSamplesAvailable(m_sonic) == 0;
}

size_t AudioChain::pending() const
{
    std::lock_guard lock(m_mutex);
    return m_pending;
}

uint64_t AudioChain::pushedSamples() const
{
    std::lock_guard lock(m_mutex);
    return m_pushedTotal;
}

uint64_t AudioChain::pulledSamples() const
{
    std::lock_guard lock(m_mutex);
    return m_pulledTotal;
}

void AudioChain::waitForRoom(size_t limit, const std::function<bool()>& cancelled)
{
    std::unique_lock lock(m_mutex);
    m_room.wait(lock, [&] { return m_pending <= limit || cancelled(); });
}

void AudioChain::interrupt()
{
    std::lock_guard lock(m_mutex);
    m_room.notify_all();
}

namespace {

// Below this magnitude a sample at an utterance's end is silence.
constexpr int QuietLevel = 16;

bool quiet(short sample)
{
    return std::abs(int(sample)) < QuietLevel;
}

} // namespace

size_t trimQuietStart(std::vector<short>& samples)
{
    const auto sound = std::find_if_not(samples.begin(), samples.end(), quiet);
    const auto dropped = size_t(sound - samples.begin());
    samples.erase(samples.begin(), sound);
    return dropped;
}

void trimQuietEnd(std::vector<short>& samples)
{
    const auto sound = std::find_if_not(samples.rbegin(), samples.rend(), quiet);
    samples.erase(sound.base(), samples.end());
}

} // namespace lectorix::speech
