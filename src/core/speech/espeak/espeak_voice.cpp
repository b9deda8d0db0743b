#include "core/speech/espeak/espeak_voice.h"

#include "core/base/failure.h"
#include "core/speech/espeak/espeak_library.h"
#include "core/speech/espeak/pulse_output.h"
#include "core/speech/espeak/wav_writer.h"
#include "core/speech/speech_text.h"

#include <QDebug>

#include <algorithm>
#include <cmath>

namespace lectorix::speech {

namespace {

// Live synthesis stays this far ahead of playback (in samples at the engine's rate): enough
// to ride over another voice's stretch holding the library, little enough to keep memory low.
constexpr double LookAheadSeconds = 2.0;
constexpr size_t FileBlock = 8192;

espeak::Library& library()
{
    return espeak::Library::instance();
}

// Where the code point at index codePoints stands in text, in UTF-16 code units.
qsizetype utf16Offset(const QString& text, int codePoints)
{
    qsizetype i = 0;
    for (int n = 0; n < codePoints && i < text.size(); ++n)
        i += (text[i].isHighSurrogate() && i + 1 < text.size()) ? 2 : 1;
    return i;
}

} // namespace

EspeakVoice::EspeakVoice()
    : m_engineRate(library().sampleRate()), m_live(m_engineRate, WavSampleRate)
{
    m_voice = library().tokens().value(0);
}

EspeakVoice::~EspeakVoice()
{
    m_stop = true;
    cancelAll();
    if (m_worker.joinable())
        m_worker.join();
    m_pulse.reset();
}

QList<VoiceToken> EspeakVoice::installedVoices()
{
    return library().tokens();
}

void EspeakVoice::setVoice(const VoiceToken& token)
{
    std::lock_guard lock(m_mutex);
    m_voice = token;
    m_voiceChecked = false;
}

VoiceToken EspeakVoice::voice() const
{
    std::lock_guard lock(m_mutex);
    return m_voice;
}

void EspeakVoice::setVolume(int volume)
{
    if (volume < 0 || volume > 100)
        throw Failure(failures::InvalidArgument);
    m_volume = volume;
}

void EspeakVoice::setRate(int rate)
{
    if (rate < -10 || rate > 10)
        throw Failure(failures::InvalidArgument);
    m_rate = rate;
}

double EspeakVoice::targetWpm() const
{
    return espeak::NormalWpm * std::pow(3.0, m_rate / 10.0);
}

void EspeakVoice::setAudioOutputStream(FileStream* stream)
{
    std::shared_ptr<WavSink> sink;
    if (stream != nullptr) {
        auto* wav = dynamic_cast<WavFileStream*>(stream);
        if (wav == nullptr)
            throw Failure(failures::InvalidArgument);
        sink = wav->sink();
        if (!sink || !sink->isOpen())
            throw Failure(QStringLiteral("The WAV file stream is not open."));
    }
    std::lock_guard lock(m_mutex);
    m_fileOutput = std::move(sink);
}

std::shared_ptr<EspeakVoice::Job> EspeakVoice::enqueue(const QString& text, int silenceAfterMs)
{
    if (silenceAfterMs < VoicesOwnPause)
        throw Failure(failures::InvalidArgument);
    auto job = std::make_shared<Job>();
    job->text = text;
    job->silenceAfterMs = silenceAfterMs;
    bool check = false;
    {
        std::lock_guard lock(m_mutex);
        job->voice = m_voice.id;
        job->file = m_fileOutput;
        check = !m_voiceChecked;
    }
    if (check) {
        library().checkVoice(job->voice); // throws "Class not registered"
        std::lock_guard lock(m_mutex);
        m_voiceChecked = m_voice.id == job->voice;
    }
    if (!job->file) {
        // A server that could not be reached is not tried again by this voice: every text
        // would otherwise wait for its own connection attempt (seconds when the server hangs).
        if (!m_pulseFailure.isEmpty())
            throw Failure(m_pulseFailure);
        if (!m_pulse) {
            // Created here, before the worker can see a live job, and never replaced.
            try {
                m_pulse = std::make_unique<PulseOutput>(
                    WavSampleRate, PulseOutput::Source{[this](short* out, size_t max) {
                                                           return m_live.pull(out, max, targetWpm(),
                                                                              m_volume);
                                                       },
                                                       [this] { return m_live.finished(); }});
            } catch (const Failure& failure) {
                m_pulseFailure = failure.description();
                throw;
            }
            std::lock_guard lock(m_mutex);
            if (m_paused)
                m_pulse->setPaused(true);
        }
        const QString broken = m_pulse->error();
        if (!broken.isEmpty())
            throw Failure(broken);
    }
    std::lock_guard lock(m_mutex);
    job->generation = m_generation;
    job->index = m_textsQueued++;
    m_queue.push_back(job);
    if (!m_worker.joinable())
        m_worker = std::thread([this] { run(); });
    m_wake.notify_all();
    return job;
}

void EspeakVoice::speakAsync(const QString& text, int silenceAfterMs)
{
    enqueue(text, silenceAfterMs);
}

void EspeakVoice::speak(const QString& text, int silenceAfterMs)
{
    waitFor(enqueue(text, silenceAfterMs));
}

void EspeakVoice::waitFor(const std::shared_ptr<Job>& job)
{
    // Waits for everything queued, not only this job: what is heard is heard in order.
    // stop() empties the queue, so that ends the wait too.
    {
        std::unique_lock lock(m_mutex);
        m_wake.wait(lock, [this] { return m_stop || (!m_busy && m_queue.empty()); });
        if (!job->error.isEmpty())
            throw Failure(job->error);
    }
    if (job->file || !m_pulse)
        return;
    // Live speech is spoken once it has been heard, not merely synthesized.
    while (!cancelled(*job) && !m_pulse->finishedPlaying() && m_pulse->error().isEmpty()) {
        std::unique_lock lock(m_mutex);
        if (!m_queue.empty())
            break; // more was queued meanwhile; what this call asked for has been heard
        m_wake.wait_for(lock, std::chrono::milliseconds(20));
    }
    if (const QString error = m_pulse->error(); !error.isEmpty())
        throw Failure(error);
}

void EspeakVoice::stop()
{
    cancelAll();
}

void EspeakVoice::pause()
{
    std::lock_guard lock(m_mutex);
    m_paused = true;
    if (m_pulse)
        m_pulse->setPaused(true);
}

void EspeakVoice::resume()
{
    std::lock_guard lock(m_mutex);
    m_paused = false;
    if (m_pulse)
        m_pulse->setPaused(false);
    m_wake.notify_all();
}

bool EspeakVoice::isDone() const
{
    {
        std::lock_guard lock(m_mutex);
        if (m_busy || !m_queue.empty())
            return false;
    }
    return !m_pulse || m_pulse->finishedPlaying();
}

void EspeakVoice::cancelAll()
{
    {
        std::lock_guard lock(m_mutex);
        m_queue.clear();
        ++m_generation;
        m_wake.notify_all();
    }
    m_live.clear();
    if (m_pulse)
        m_pulse->discard();
    std::lock_guard lock(m_wordMutex);
    m_wordMarks.clear();
    m_wordHeard = {};
}

WordPosition EspeakVoice::currentWord() const
{
    // What was pulled is still in PulseAudio's buffer for a moment before it is heard.
    const uint64_t buffered =
        uint64_t(PulseOutput::BufferMilliseconds) * uint64_t(m_engineRate) / 1000;
    const uint64_t pulled = m_live.pulledSamples();
    const uint64_t heard = pulled > buffered ? pulled - buffered : 0;
    const uint64_t generation = m_generation;
    std::lock_guard lock(m_wordMutex);
    while (!m_wordMarks.empty() && m_wordMarks.front().sample <= heard) {
        if (m_wordMarks.front().generation == generation)
            m_wordHeard = m_wordMarks.front().word;
        m_wordMarks.pop_front();
    }
    return m_wordHeard;
}

bool EspeakVoice::cancelled(const Job& job) const
{
    return m_stop || job.generation != m_generation;
}

void EspeakVoice::run()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_stop || !m_queue.empty(); });
        if (m_stop)
            return;
        const std::shared_ptr<Job> job = m_queue.front();
        m_busy = true;
        ++m_textsBegun;
        lock.unlock();
        QString error;
        try {
            speakJob(*job);
        } catch (const Failure& failure) {
            error = failure.description();
        } catch (const std::exception& e) {
            error = QString::fromLocal8Bit(e.what());
        }
        const bool live = !job->file;
        if (live && cancelled(*job)) {
            // A stretch may have slipped in after the cancel emptied the chain.
            m_live.clear();
            if (m_pulse)
                m_pulse->discard();
        }
        lock.lock();
        job->finished = true;
        job->error = error;
        if (!m_queue.empty() && m_queue.front() == job)
            m_queue.pop_front();
        if (!error.isEmpty()) {
            // What follows a failed text is dropped; the caller learns of it from speak().
            qWarning("Speech: %s", qUtf8Printable(error));
            m_queue.clear();
        }
        m_busy = false;
        m_wake.notify_all();
        if (m_queue.empty() && live) {
            m_live.endOfInput();
            lock.unlock();
            m_pulse->kick();
            lock.lock();
        }
    }
}

void EspeakVoice::speakJob(const Job& job)
{
    const bool live = !job.file;
    std::unique_ptr<AudioChain> fileChain;
    if (!live)
        fileChain = std::make_unique<AudioChain>(m_engineRate, WavSampleRate);
    std::vector<short> block(FileBlock);
    const auto writeOut = [&] {
        size_t n = 0;
        while ((n = fileChain->pull(block.data(), block.size(), targetWpm(), m_volume)) > 0)
            job.file->write(block.data(), n);
    };
    const auto isCancelled = [this, &job] { return cancelled(job); };
    const size_t lookAhead = size_t(LookAheadSeconds * m_engineRate);

    // Unless the text keeps the voice's own pauses, its silence before the first sound and
    // after the last is left out: the silence asked for is all that is heard between texts.
    const bool trimEnds = job.silenceAfterMs != VoicesOwnPause;
    const QList<QPair<qsizetype, QString>> stretches = StretchCutter::stretchesOf(job.text);
    std::vector<WordMark> words;
    for (qsizetype index = 0; index < stretches.size() && !cancelled(job); ++index) {
        // Named, not a structured binding, so the lambdas below may capture them.
        const qsizetype pieceStart = stretches.at(index).first;
        const QString& piece = stretches.at(index).second;
        const QByteArray utf8 = piece.toUtf8();
        if (live) {
            m_live.waitForRoom(lookAhead, isCancelled);
        } else {
            std::unique_lock lock(m_mutex);
            m_wake.wait(lock, [&] { return !m_paused || cancelled(job); });
        }
        if (cancelled(job))
            break;
        const int wpm =
            std::clamp(int(std::lround(targetWpm())), espeak::MinimumWpm, espeak::MaximumWpm);
        std::vector<short> samples;
        words.clear();
        const auto noteWord = [&](int codePoint, int length, int64_t sample) {
            const qsizetype start = utf16Offset(piece, codePoint);
            const qsizetype end = utf16Offset(piece, codePoint + qMax(length, 0));
            words.push_back({uint64_t(qMax<int64_t>(sample, 0)),
                             job.generation,
                             {job.index, pieceStart + start, end - start}});
        };
        library().synthesize(
            job.voice, wpm, utf8,
            [&](const short* data, int count) {
                if (cancelled(job))
                    return false;
                samples.insert(samples.end(), data, data + count);
                return true;
            },
            live ? espeak::Library::WordSink(noteWord) : espeak::Library::WordSink());
        if (cancelled(job))
            break;
        if (trimEnds && index == 0) {
            const size_t dropped = trimQuietStart(samples);
            for (WordMark& mark : words)
                mark.sample = mark.sample > dropped ? mark.sample - dropped : 0;
        }
        if (trimEnds && index + 1 == stretches.size())
            trimQuietEnd(samples);
        if (live) {
            const uint64_t base = m_live.pushedSamples();
            m_live.push(std::move(samples), wpm);
            {
                std::lock_guard lock(m_wordMutex);
                for (WordMark& mark : words) {
                    mark.sample += base;
                    m_wordMarks.push_back(mark);
                }
            }
            m_pulse->kick();
        } else {
            fileChain->push(std::move(samples), wpm);
            writeOut();
        }
    }
    if (cancelled(job))
        return;
    // The silence is added as samples at the output's rate, after the speech has left the
    // time-stretcher, so it lasts as long at every rate.
    const size_t silence = size_t(qMax(job.silenceAfterMs, 0)) * size_t(WavSampleRate) / 1000;
    if (live) {
        if (silence > 0) {
            m_live.pushSilence(silence);
            m_pulse->kick();
        }
        return;
    }
    fileChain->endOfInput();
    writeOut();
    std::fill(block.begin(), block.end(), short(0));
    for (size_t left = silence; left > 0;) {
        const size_t n = std::min(left, block.size());
        job.file->write(block.data(), n);
        left -= n;
    }
}

} // namespace lectorix::speech
