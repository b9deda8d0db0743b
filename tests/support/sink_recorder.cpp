#include "support/sink_recorder.h"

#include "core/speech/speech_engine.h"

#include <pulse/context.h>
#include <pulse/error.h>
#include <pulse/stream.h>
#include <pulse/thread-mainloop.h>

#include <algorithm>
#include <cmath>

namespace lectorix::test {

namespace {
constexpr auto Window = std::chrono::milliseconds(10);
}

QString SinkRecorder::sinkName()
{
    return qEnvironmentVariable("LECTORIX_TEST_SINK");
}

SinkRecorder::SinkRecorder()
{
    const QByteArray monitor = (sinkName() + QStringLiteral(".monitor")).toUtf8();
    if (sinkName().isEmpty()) {
        m_error = QStringLiteral("no test sink (run under tools/with-audio.sh)");
        return;
    }
    m_loop = pa_threaded_mainloop_new();
    pa_threaded_mainloop_start(m_loop);
    pa_threaded_mainloop_lock(m_loop);
    m_context = pa_context_new(pa_threaded_mainloop_get_api(m_loop), "Lectorix test recorder");
    pa_context_set_state_callback(
        m_context,
        [](pa_context*, void* loop) {
            pa_threaded_mainloop_signal(static_cast<pa_threaded_mainloop*>(loop), 0);
        },
        m_loop);
    if (pa_context_connect(m_context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) >= 0) {
        while (PA_CONTEXT_IS_GOOD(pa_context_get_state(m_context)) &&
               pa_context_get_state(m_context) != PA_CONTEXT_READY)
            pa_threaded_mainloop_wait(m_loop);
    }
    if (pa_context_get_state(m_context) == PA_CONTEXT_READY) {
        const pa_sample_spec format{PA_SAMPLE_S16LE, SampleRate, 1};
        m_stream = pa_stream_new(m_context, "monitor", &format, nullptr);
        pa_stream_set_read_callback(m_stream, &SinkRecorder::onRead, this);
        pa_stream_set_state_callback(
            m_stream,
            [](pa_stream*, void* loop) {
                pa_threaded_mainloop_signal(static_cast<pa_threaded_mainloop*>(loop), 0);
            },
            m_loop);
        pa_buffer_attr attr;
        attr.maxlength = uint32_t(-1);
        attr.fragsize = uint32_t(pa_usec_to_bytes(10'000, &format));
        attr.tlength = attr.prebuf = attr.minreq = uint32_t(-1);
        if (pa_stream_connect_record(m_stream, monitor.constData(), &attr,
                                     PA_STREAM_ADJUST_LATENCY) >= 0) {
            while (PA_STREAM_IS_GOOD(pa_stream_get_state(m_stream)) &&
                   pa_stream_get_state(m_stream) != PA_STREAM_READY)
                pa_threaded_mainloop_wait(m_loop);
        }
        if (pa_stream_get_state(m_stream) != PA_STREAM_READY)
            m_error = QStringLiteral("can not record %1: %2")
                          .arg(QString::fromUtf8(monitor),
                               QString::fromUtf8(pa_strerror(pa_context_errno(m_context))));
    } else {
        m_error = QStringLiteral("can not reach PulseAudio: %1")
                      .arg(QString::fromUtf8(pa_strerror(pa_context_errno(m_context))));
    }
    pa_threaded_mainloop_unlock(m_loop);
}

SinkRecorder::~SinkRecorder()
{
    if (m_loop == nullptr)
        return;
    pa_threaded_mainloop_lock(m_loop);
    if (m_stream != nullptr) {
        pa_stream_set_read_callback(m_stream, nullptr, nullptr);
        pa_stream_set_state_callback(m_stream, nullptr, nullptr);
        pa_stream_disconnect(m_stream);
        pa_stream_unref(m_stream);
    }
    pa_context_set_state_callback(m_context, nullptr, nullptr);
    pa_context_disconnect(m_context);
    pa_context_unref(m_context);
    pa_threaded_mainloop_unlock(m_loop);
    pa_threaded_mainloop_stop(m_loop);
    pa_threaded_mainloop_free(m_loop);
}

void SinkRecorder::onRead(pa_stream* stream, size_t, void* self)
{
    auto* recorder = static_cast<SinkRecorder*>(self);
    const void* data = nullptr;
    size_t bytes = 0;
    while (pa_stream_readable_size(stream) > 0 && pa_stream_peek(stream, &data, &bytes) == 0 &&
           bytes > 0) {
        std::lock_guard lock(recorder->m_mutex);
        const size_t count = bytes / sizeof(short);
        if (data == nullptr) // a hole: nothing was recorded there
            recorder->m_samples.insert(recorder->m_samples.end(), count, short(0));
        else
            recorder->m_samples.insert(recorder->m_samples.end(), static_cast<const short*>(data),
                                       static_cast<const short*>(data) + count);
        recorder->m_marks.push_back({Clock::now(), recorder->m_samples.size()});
        pa_stream_drop(stream);
        recorder->m_arrived.notify_all();
    }
}

void SinkRecorder::waitFor(Clock::time_point t)
{
    std::unique_lock lock(m_mutex);
    m_arrived.wait_until(lock, std::max(t, Clock::now()) + std::chrono::seconds(1),
                         [&] { return !m_marks.empty() && m_marks.back().time >= t; });
}

size_t SinkRecorder::indexAt(Clock::time_point t) const
{
    const auto mark =
        std::lower_bound(m_marks.begin(), m_marks.end(), t,
                         [](const Mark& m, Clock::time_point at) { return m.time < at; });
    if (mark == m_marks.end())
        return m_samples.size();
    const double before = std::chrono::duration<double>(mark->time - t).count() * SampleRate;
    return size_t(std::max(0.0, double(mark->samples) - before));
}

double SinkRecorder::rmsOfIndexes(size_t begin, size_t end) const
{
    end = std::min(end, m_samples.size());
    if (begin >= end)
        return 0.0;
    double sum = 0.0;
    for (size_t i = begin; i < end; ++i)
        sum += double(m_samples[i]) * m_samples[i];
    return std::sqrt(sum / double(end - begin));
}

double SinkRecorder::rms(Clock::time_point from, Clock::time_point to)
{
    waitFor(to);
    std::lock_guard lock(m_mutex);
    return rmsOfIndexes(indexAt(from), indexAt(to));
}

SinkRecorder::Clock::time_point SinkRecorder::silentFrom(Clock::time_point from,
                                                         Clock::time_point to, double threshold)
{
    waitFor(to);
    std::lock_guard lock(m_mutex);
    Clock::time_point silent = to;
    for (Clock::time_point end = to; end - Window >= from; end -= Window) {
        if (rmsOfIndexes(indexAt(end - Window), indexAt(end)) >= threshold)
            break;
        silent = end - Window;
    }
    return silent;
}

SinkRecorder::Clock::time_point SinkRecorder::lastSound(Clock::time_point from,
                                                        Clock::time_point to, double threshold)
{
    waitFor(to);
    std::lock_guard lock(m_mutex);
    for (Clock::time_point end = to; end - Window >= from; end -= Window) {
        if (rmsOfIndexes(indexAt(end - Window), indexAt(end)) >= threshold)
            return end;
    }
    return from;
}

SinkRecorder::Clock::time_point SinkRecorder::firstSound(Clock::time_point from,
                                                         Clock::time_point to, double threshold)
{
    waitFor(to);
    std::lock_guard lock(m_mutex);
    for (Clock::time_point start = from; start + Window <= to; start += Window) {
        if (rmsOfIndexes(indexAt(start), indexAt(start + Window)) >= threshold)
            return start;
    }
    return to;
}

void warmUpEngine()
{
    if (SinkRecorder::sinkName().isEmpty())
        return;
    const auto voice = speech::engine().createVoice();
    voice->setVolume(0);
    voice->speak(QStringLiteral("Ready."));
}

} // namespace lectorix::test
