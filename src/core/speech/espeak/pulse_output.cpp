#include "core/speech/espeak/pulse_output.h"

#include "core/base/failure.h"
#include "core/process/missing_parts.h"

#include <pulse/context.h>
#include <pulse/error.h>
#include <pulse/rtclock.h>
#include <pulse/stream.h>
#include <pulse/thread-mainloop.h>

#include <algorithm>

namespace lectorix::speech {

namespace {

constexpr pa_usec_t ConnectTimeoutUsec = 5'000'000;
constexpr pa_usec_t BufferUsec = pa_usec_t(PulseOutput::BufferMilliseconds) * 1000;

void dropOperation(pa_operation* operation)
{
    if (operation != nullptr)
        pa_operation_unref(operation);
}

bool contextSettled(pa_context* context)
{
    const pa_context_state_t state = pa_context_get_state(context);
    return state == PA_CONTEXT_READY || !PA_CONTEXT_IS_GOOD(state);
}

bool streamSettled(pa_stream* stream)
{
    const pa_stream_state_t state = pa_stream_get_state(stream);
    return state == PA_STREAM_READY || !PA_STREAM_IS_GOOD(state);
}

class LoopLock
{
public:
    explicit LoopLock(pa_threaded_mainloop* loop) : m_loop(loop)
    {
        pa_threaded_mainloop_lock(m_loop);
    }
    ~LoopLock() { pa_threaded_mainloop_unlock(m_loop); }
    LoopLock(const LoopLock&) = delete;
    LoopLock& operator=(const LoopLock&) = delete;

private:
    pa_threaded_mainloop* m_loop;
};

QString unreachable(const QString& reason)
{
    return QStringLiteral("No audio output: the PulseAudio sound server can not be reached "
                          "(%1). %2")
        .arg(reason, SoundServerFix);
}

} // namespace

PulseOutput::PulseOutput(int sampleRate, Source source) : m_source(std::move(source))
{
    m_loop = pa_threaded_mainloop_new();
    if (m_loop == nullptr || pa_threaded_mainloop_start(m_loop) < 0) {
        shutdown();
        throw Failure(unreachable(QStringLiteral("the audio client could not start")));
    }
    QString failure;
    {
        LoopLock lock(m_loop);
        pa_mainloop_api* api = pa_threaded_mainloop_get_api(m_loop);
        m_context = pa_context_new(api, "Lectorix");
        if (m_context == nullptr) {
            failure = unreachable(QStringLiteral("out of memory"));
        } else {
            pa_context_set_state_callback(m_context, &PulseOutput::onContextState, this);
            pa_time_event* deadline = pa_context_rttime_new(
                m_context, pa_rtclock_now() + ConnectTimeoutUsec,
                [](pa_mainloop_api*, pa_time_event*, const struct timeval*, void* self) {
                    auto* out = static_cast<PulseOutput*>(self);
                    out->m_timedOut = true;
                    pa_threaded_mainloop_signal(out->m_loop, 0);
                },
                this);
            if (pa_context_connect(m_context, nullptr, PA_CONTEXT_NOFLAGS, nullptr) >= 0) {
                while (!contextSettled(m_context) && !m_timedOut)
                    pa_threaded_mainloop_wait(m_loop);
            }
            if (pa_context_get_state(m_context) != PA_CONTEXT_READY) {
                failure =
                    unreachable(m_timedOut && PA_CONTEXT_IS_GOOD(pa_context_get_state(m_context))
                                    ? QStringLiteral("no answer within 5 seconds")
                                    : QString::fromUtf8(pa_strerror(pa_context_errno(m_context))));
            } else {
                const pa_sample_spec format{PA_SAMPLE_S16LE, uint32_t(sampleRate), 1};
                m_stream = pa_stream_new(m_context, "Speech", &format, nullptr);
                if (m_stream != nullptr) {
                    pa_stream_set_state_callback(m_stream, &PulseOutput::onStreamState, this);
                    pa_stream_set_write_callback(m_stream, &PulseOutput::onWrite, this);
                    pa_buffer_attr attr;
                    attr.maxlength = uint32_t(-1);
                    attr.tlength = uint32_t(pa_usec_to_bytes(BufferUsec, &format));
                    attr.prebuf = uint32_t(-1);
                    attr.minreq = uint32_t(-1);
                    attr.fragsize = uint32_t(-1);
                    if (pa_stream_connect_playback(m_stream, nullptr, &attr,
                                                   PA_STREAM_ADJUST_LATENCY, nullptr,
                                                   nullptr) >= 0) {
                        while (!streamSettled(m_stream) && !m_timedOut)
                            pa_threaded_mainloop_wait(m_loop);
                    }
                }
                if (m_stream == nullptr || pa_stream_get_state(m_stream) != PA_STREAM_READY)
                    failure = QStringLiteral("No audio output: PulseAudio refused the playback "
                                             "stream (%1).")
                                  .arg(QString::fromUtf8(pa_strerror(pa_context_errno(m_context))));
            }
            if (deadline != nullptr)
                api->time_free(deadline);
        }
    }
    if (!failure.isEmpty()) {
        shutdown();
        throw Failure(failure);
    }
}

PulseOutput::~PulseOutput()
{
    shutdown();
}

void PulseOutput::shutdown()
{
    if (m_loop == nullptr)
        return;
    {
        LoopLock lock(m_loop);
        if (m_stream != nullptr) {
            pa_stream_set_state_callback(m_stream, nullptr, nullptr);
            pa_stream_set_write_callback(m_stream, nullptr, nullptr);
            if (PA_STREAM_IS_GOOD(pa_stream_get_state(m_stream)))
                pa_stream_disconnect(m_stream);
            pa_stream_unref(m_stream);
            m_stream = nullptr;
        }
        if (m_context != nullptr) {
            pa_context_set_state_callback(m_context, nullptr, nullptr);
            pa_context_disconnect(m_context);
            pa_context_unref(m_context);
            m_context = nullptr;
        }
    }
    pa_threaded_mainloop_stop(m_loop);
    pa_threaded_mainloop_free(m_loop);
    m_loop = nullptr;
}

void PulseOutput::kick()
{
    LoopLock lock(m_loop);
    pump();
}

void PulseOutput::setPaused(bool paused)
{
    LoopLock lock(m_loop);
    if (m_stream == nullptr || paused == m_paused)
        return;
    m_paused = paused;
    dropOperation(pa_stream_cork(m_stream, paused ? 1 : 0, nullptr, nullptr));
    if (!paused)
        pump();
}

void PulseOutput::discard()
{
    LoopLock lock(m_loop);
    if (m_stream != nullptr && pa_stream_get_state(m_stream) == PA_STREAM_READY)
        dropOperation(pa_stream_flush(m_stream, nullptr, nullptr));
    m_played = m_written;
}

bool PulseOutput::finishedPlaying()
{
    LoopLock lock(m_loop);
    if (!m_error.isEmpty())
        return true;
    if (!m_source.finished())
        return false;
    if (m_drainRequested != m_written)
        pump();
    return m_played >= m_written;
}

QString PulseOutput::error()
{
    LoopLock lock(m_loop);
    return m_error;
}

void PulseOutput::pump()
{
    if (m_stream == nullptr || pa_stream_get_state(m_stream) != PA_STREAM_READY)
        return;
    if (!m_paused) {
        size_t writable = pa_stream_writable_size(m_stream);
        if (writable == size_t(-1))
            writable = 0;
        while (writable >= sizeof(short)) {
            void* data = nullptr;
            size_t bytes = writable;
            if (pa_stream_begin_write(m_stream, &data, &bytes) < 0 || data == nullptr)
                break;
            bytes = std::min(bytes, writable);
            const size_t count = m_source.pull(static_cast<short*>(data), bytes / sizeof(short));
            if (count == 0) {
                pa_stream_cancel_write(m_stream);
                break;
            }
            if (pa_stream_write(m_stream, data, count * sizeof(short), nullptr, 0,
                                PA_SEEK_RELATIVE) < 0)
                break;
            ++m_written;
            writable -= count * sizeof(short);
        }
    }
    if (m_drainRequested != m_written && m_source.finished()) {
        // Playback starts only once the buffer is full; the drain also starts a short tail.
        m_drainRequested = m_written;
        m_drains.push_back(m_written);
        pa_operation* drain = pa_stream_drain(m_stream, &PulseOutput::onDrained, this);
        if (drain == nullptr)
            m_drains.pop_back();
        dropOperation(drain);
    }
}

void PulseOutput::onContextState(pa_context* context, void* self)
{
    auto* out = static_cast<PulseOutput*>(self);
    if (!PA_CONTEXT_IS_GOOD(pa_context_get_state(context)) && out->m_error.isEmpty())
        out->m_error = QStringLiteral("No audio output: the connection to the PulseAudio sound "
                                      "server was lost (%1).")
                           .arg(QString::fromUtf8(pa_strerror(pa_context_errno(context))));
    pa_threaded_mainloop_signal(out->m_loop, 0);
}

void PulseOutput::onStreamState(pa_stream* stream, void* self)
{
    auto* out = static_cast<PulseOutput*>(self);
    if (pa_stream_get_state(stream) == PA_STREAM_FAILED && out->m_error.isEmpty())
        out->m_error = QStringLiteral("No audio output: PulseAudio stopped the playback "
                                      "stream (%1).")
                           .arg(QString::fromUtf8(
                               pa_strerror(pa_context_errno(pa_stream_get_context(stream)))));
    pa_threaded_mainloop_signal(out->m_loop, 0);
}

void PulseOutput::onWrite(pa_stream*, size_t, void* self)
{
    static_cast<PulseOutput*>(self)->pump();
}

void PulseOutput::onDrained(pa_stream*, int success, void* self)
{
    auto* out = static_cast<PulseOutput*>(self);
    if (out->m_drains.empty())
        return;
    const uint64_t covered = out->m_drains.front();
    out->m_drains.pop_front();
    // An unsuccessful drain was cut short by a flush: nothing of it is left to hear either.
    Q_UNUSED(success);
    out->m_played = std::max(out->m_played, covered);
    pa_threaded_mainloop_signal(out->m_loop, 0);
}

} // namespace lectorix::speech
