#pragma once

#include <QString>

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>

struct pa_context;
struct pa_stream;
struct pa_threaded_mainloop;

namespace lectorix::speech {

// Plays 16-bit mono samples on PulseAudio's default sink. The samples are pulled from a
// source on PulseAudio's own thread whenever the server asks for more, so playback needs no
// thread of ours and no polling. The stream asks for a short buffer (about 60 ms), which bounds
// how long a volume change or a pause takes to be heard.
class PulseOutput
{
public:
    // The length of the stream's buffer: a sample pulled from the source is heard about this
    // much later.
    static constexpr int BufferMilliseconds = 60;

    struct Source
    {
        // Fills up to max samples; 0 when nothing is ready now. Called on PulseAudio's thread.
        std::function<size_t(short* out, size_t max)> pull;
        // True when the source will give nothing more until new input arrives.
        std::function<bool()> finished;
    };

    // Connects to the default server (PULSE_SERVER and the client configuration are honoured)
    // and opens a playback stream. Throws Failure with a clear description when no server
    // answers within a few seconds or the stream can not be opened.
    PulseOutput(int sampleRate, Source source);
    ~PulseOutput();
    PulseOutput(const PulseOutput&) = delete;
    PulseOutput& operator=(const PulseOutput&) = delete;

    // New samples may be ready: writes what the stream has room for. Not for PulseAudio's
    // thread (a source callback must not call it).
    void kick();
    // Pausing corks the stream (the server stops playing at once) and stops feeding it;
    // resuming uncorks it and playback continues with the next buffered sample.
    void setPaused(bool paused);
    // Throws away what is buffered but not yet played.
    void discard();

    // True when the source is finished and everything written has been played, or when the
    // connection broke (then error() says why).
    bool finishedPlaying();
    QString error();

private:
    void pump();
    void shutdown();
    static void onContextState(pa_context* context, void* self);
    static void onStreamState(pa_stream* stream, void* self);
    static void onWrite(pa_stream* stream, size_t bytes, void* self);
    static void onDrained(pa_stream* stream, int success, void* self);

    Source m_source;
    pa_threaded_mainloop* m_loop = nullptr;
    pa_context* m_context = nullptr;
    pa_stream* m_stream = nullptr;
    bool m_paused = false;
    bool m_timedOut = false;
    QString m_error;
    // Every write bumps m_written; a drain request remembers the count it covers, and its
    // completion tells which writes have certainly been heard.
    uint64_t m_written = 0;
    uint64_t m_drainRequested = 0;
    uint64_t m_played = 0;
    std::deque<uint64_t> m_drains;
};

} // namespace lectorix::speech
