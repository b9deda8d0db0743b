#include "core/speech/espeak/wav_writer.h"

#include "core/base/failure.h"

#include <QtEndian>

#include <cstring>
#include <limits>

#include <unistd.h>

namespace lectorix::speech {

namespace {

constexpr uint64_t HeaderBytes = 44;
constexpr uint64_t MaxDataBytes = std::numeric_limits<uint32_t>::max() - (HeaderBytes - 8);

QString cannotWrite(const QFile& file, const QString& reason)
{
    return QStringLiteral("Can not write the WAV file \"%1\": %2").arg(file.fileName(), reason);
}

} // namespace

WavSink::WavSink(const QString& path, int sampleRate) : m_file(path), m_sampleRate(sampleRate)
{
    if (path.isEmpty())
        throw Failure(QStringLiteral("Can not write a WAV file: no file name was given."));
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw Failure(cannotWrite(m_file, m_file.errorString()));
    writeHeader(0);
    if (m_file.error() != QFileDevice::NoError) {
        const QString reason = m_file.errorString();
        m_file.close();
        throw Failure(cannotWrite(m_file, reason));
    }
}

WavSink::WavSink(int descriptor, int sampleRate) : m_sampleRate(sampleRate), m_headerless(true)
{
    if (!m_file.open(descriptor, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle)) {
        ::close(descriptor);
        throw Failure(QStringLiteral("Can not write to the encoder: ") + m_file.errorString());
    }
}

WavSink::~WavSink()
{
    try {
        close();
    } catch (...) {
        // A destructor must not throw; the file is as complete as it could be made.
    }
}

void WavSink::writeHeader(uint32_t dataBytes)
{
    unsigned char header[HeaderBytes];
    const auto put32 = [&header](size_t at, uint32_t v) { qToLittleEndian(v, header + at); };
    const auto put16 = [&header](size_t at, uint16_t v) { qToLittleEndian(v, header + at); };
    std::memcpy(header, "RIFF", 4);
    put32(4, uint32_t(HeaderBytes - 8 + dataBytes));
    std::memcpy(header + 8, "WAVEfmt ", 8);
    put32(16, 16);                         // size of the fmt chunk
    put16(20, 1);                          // PCM
    put16(22, 1);                          // one channel
    put32(24, uint32_t(m_sampleRate));     // samples per second
    put32(28, uint32_t(m_sampleRate) * 2); // bytes per second
    put16(32, 2);                          // bytes per sample frame
    put16(34, 16);                         // bits per sample
    std::memcpy(header + 36, "data", 4);
    put32(40, dataBytes);
    m_file.seek(0);
    m_file.write(reinterpret_cast<const char*>(header), qint64(HeaderBytes));
}

void WavSink::write(const short* samples, size_t count)
{
    std::lock_guard lock(m_mutex);
    if (!m_file.isOpen())
        throw Failure(QStringLiteral("Can not write the WAV file \"%1\": it has been closed.")
                          .arg(m_file.fileName()));
    const uint64_t bytes = uint64_t(count) * 2;
    if (!m_headerless && m_dataBytes + bytes > MaxDataBytes)
        throw Failure(cannotWrite(m_file, QStringLiteral("a WAV file can not hold more than "
                                                         "4 GB of sound")));
    if constexpr (QSysInfo::ByteOrder == QSysInfo::LittleEndian) {
        if (m_file.write(reinterpret_cast<const char*>(samples), qint64(bytes)) != qint64(bytes))
            throw Failure(cannotWrite(m_file, m_file.errorString()));
    } else {
        for (size_t i = 0; i < count; ++i) {
            const qint16 le = qToLittleEndian(qint16(samples[i]));
            if (m_file.write(reinterpret_cast<const char*>(&le), 2) != 2)
                throw Failure(cannotWrite(m_file, m_file.errorString()));
        }
    }
    m_dataBytes += bytes;
}

void WavSink::close()
{
    std::lock_guard lock(m_mutex);
    if (!m_file.isOpen())
        return;
    if (!m_headerless)
        writeHeader(uint32_t(m_dataBytes));
    const bool flushed = m_file.flush();
    const QString reason = m_file.errorString();
    m_file.close();
    if (!flushed || m_file.error() != QFileDevice::NoError)
        throw Failure(cannotWrite(m_file, reason));
}

bool WavSink::isOpen() const
{
    std::lock_guard lock(m_mutex);
    return m_file.isOpen();
}

WavFileStream::~WavFileStream()
{
    // Releasing the stream closes the file even when a voice still holds it; the voice's
    // next write then fails cleanly.
    if (m_sink) {
        try {
            m_sink->close();
        } catch (...) {
        }
    }
}

void WavFileStream::open(const QString& path)
{
    if (m_sink) {
        auto previous = std::move(m_sink);
        previous->close();
    }
    m_sink = std::make_shared<WavSink>(path, m_sampleRate);
}

void WavFileStream::close()
{
    if (!m_sink)
        return;
    auto sink = std::move(m_sink);
    sink->close();
}

void WavFileStream::openPipe(int descriptor)
{
    if (m_sink) {
        auto previous = std::move(m_sink);
        previous->close();
    }
    m_sink = std::make_shared<WavSink>(descriptor, m_sampleRate);
}

bool WavFileStream::isOpen() const
{
    return m_sink && m_sink->isOpen();
}

} // namespace lectorix::speech
