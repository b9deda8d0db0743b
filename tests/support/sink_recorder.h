#pragma once

#include <QString>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

struct pa_context;
struct pa_stream;
struct pa_threaded_mainloop;

namespace lectorix::test {

// Records what PulseAudio's test sink plays (its monitor source, 22,050 Hz mono) and notes
// when each block arrived, so a test can ask how loud the sink was between two moments.
// Blocks arrive a few milliseconds after they were played, so a window asked for a moment
// looks at what was played slightly earlier: silence found "100 ms after" began sooner.
class SinkRecorder
{
public:
    using Clock = std::chrono::steady_clock;
    static constexpr int SampleRate = 22050;

    // The null sink made by tools/with-audio.sh ($LECTORIX_TEST_SINK); empty without it.
    static QString sinkName();

    // Starts recording the monitor of sinkName(); error() tells when that failed.
    SinkRecorder();
    ~SinkRecorder();
    SinkRecorder(const SinkRecorder&) = delete;
    SinkRecorder& operator=(const SinkRecorder&) = delete;

    QString error() const { return m_error; }

    // Root mean square (0 to 32768) of what was played from `from` to `to`; waits up to a
    // second for the recording to reach `to`.
    double rms(Clock::time_point from, Clock::time_point to);
    double rmsSince(Clock::time_point from) { return rms(from, Clock::now()); }
    // The earliest moment in [from, to] after which every 10 ms window up to `to` has an RMS
    // below threshold; `to` when the last window is loud.
    Clock::time_point silentFrom(Clock::time_point from, Clock::time_point to, double threshold);
    // The end of the last 10 ms window in [from, to] louder than threshold; `from` if none.
    Clock::time_point lastSound(Clock::time_point from, Clock::time_point to, double threshold);
    // The start of the first 10 ms window in [from, to] louder than threshold; `to` if none.
    Clock::time_point firstSound(Clock::time_point from, Clock::time_point to, double threshold);

private:
    struct Mark
    {
        Clock::time_point time;
        size_t samples; // recorded samples up to and including this block
    };
    size_t indexAt(Clock::time_point t) const; // with m_mutex held
    double rmsOfIndexes(size_t begin, size_t end) const;
    void waitFor(Clock::time_point t);
    static void onRead(pa_stream* stream, size_t bytes, void* self);

    mutable std::mutex m_mutex;
    std::condition_variable m_arrived;
    std::vector<short> m_samples;
    std::vector<Mark> m_marks;
    QString m_error;
    pa_threaded_mainloop* m_loop = nullptr;
    pa_context* m_context = nullptr;
    pa_stream* m_stream = nullptr;
};

// The speech engine's first start in a process is slow (the benchmark reports it), so tests
// that time speech start it first with a silent word. Does nothing without the test sink.
void warmUpEngine();

} // namespace lectorix::test

// For a Qt Test function that listens to the null sink of tools/with-audio.sh: skips without
// it, otherwise declares a started recorder named rec.
#define NEED_SINK(rec)                                                                             \
    if (test::SinkRecorder::sinkName().isEmpty())                                                  \
        QSKIP("No test sink: run under tools/with-audio.sh to hear what is played");               \
    const auto rec = std::make_unique<test::SinkRecorder>();                                       \
    QVERIFY2(rec->error().isEmpty(), qPrintable(rec->error()))
