#pragma once

#include "core/speech/speech_engine.h"

#include <QFile>
#include <QString>

#include <cstdint>
#include <memory>
#include <mutex>

namespace lectorix::speech {

// A RIFF WAVE file of 16-bit mono PCM being written. Shared between the stream object the
// program holds and the voices that write into it, so a voice never writes through a stream
// that is gone: once the file is closed, writing fails with a clear description.
class WavSink
{
public:
    // Creates or empties the file and writes a provisional header. Throws Failure.
    WavSink(const QString& path, int sampleRate);
    // Bare samples into descriptor, which the sink takes over; no header. Throws Failure.
    WavSink(int descriptor, int sampleRate);
    ~WavSink();
    WavSink(const WavSink&) = delete;
    WavSink& operator=(const WavSink&) = delete;

    // Throws Failure when the file is closed or can not be written.
    void write(const short* samples, size_t count);
    // Completes the header and closes the file. Throws Failure when that fails.
    void close();
    bool isOpen() const;

private:
    void writeHeader(uint32_t dataBytes);

    mutable std::mutex m_mutex;
    QFile m_file;
    int m_sampleRate;
    uint64_t m_dataBytes = 0;
    bool m_headerless = false;
};

// The engine's file stream: 22,050 Hz, 16-bit, mono.
class WavFileStream final : public FileStream
{
public:
    explicit WavFileStream(int sampleRate) : m_sampleRate(sampleRate) {}
    ~WavFileStream() override;

    void open(const QString& path) override;
    void openPipe(int descriptor) override;
    void close() override;
    bool isOpen() const override;

    // What a voice writes into; null while no file is open.
    std::shared_ptr<WavSink> sink() const { return m_sink; }

private:
    int m_sampleRate;
    std::shared_ptr<WavSink> m_sink;
};

} // namespace lectorix::speech
