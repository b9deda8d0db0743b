#include "core/conversion/encoded_length.h"

#include <QFile>

#include <array>

namespace lectorix {

namespace {

constexpr std::array<int, 13> AdtsRates{96000, 88200, 64000, 48000, 44100, 32000, 24000,
                                        22050, 16000, 12000, 11025, 8000,  7350};
constexpr qsizetype AdtsHeaderSize = 7;
constexpr qsizetype OggHeaderSize = 27;
constexpr int OpusRate = 48000;

quint8 byteAt(QByteArrayView data, qsizetype at)
{
    return quint8(data.at(at));
}

qint64 littleEndian(QByteArrayView data, qsizetype at, int bytes)
{
    quint64 value = 0;
    for (int i = bytes - 1; i >= 0; --i)
        value = (value << 8) | byteAt(data, at + i);
    return qint64(value);
}

} // namespace

Mp3Length adtsLength(QByteArrayView data)
{
    Mp3Length length;
    qsizetype at = 0;
    while (at + AdtsHeaderSize <= data.size()) {
        const bool sync = byteAt(data, at) == 0xFF && (byteAt(data, at + 1) & 0xF6) == 0xF0;
        const int rateIndex = (byteAt(data, at + 2) >> 2) & 0x0F;
        const qsizetype frameSize = (qsizetype(byteAt(data, at + 3) & 0x03) << 11) |
                                    (qsizetype(byteAt(data, at + 4)) << 3) |
                                    (byteAt(data, at + 5) >> 5);
        // A frame running past the end is cut off, or no frame at all.
        if (!sync || rateIndex >= int(AdtsRates.size()) || frameSize < AdtsHeaderSize ||
            at + frameSize > data.size()) {
            ++at;
            continue;
        }
        if (length.sampleRate == 0)
            length.sampleRate = AdtsRates.at(size_t(rateIndex));
        ++length.frames;
        length.samples += qint64(1024) * ((byteAt(data, at + 6) & 0x03) + 1);
        at += frameSize;
    }
    return length;
}

Mp3Length oggOpusLength(QByteArrayView data)
{
    Mp3Length length;
    qint64 preSkip = -1;
    qint64 granule = -1;
    qsizetype at = 0;
    while (at + OggHeaderSize <= data.size() && data.sliced(at, 4) == "OggS") {
        const int segments = byteAt(data, at + 26);
        qsizetype body = at + OggHeaderSize + segments;
        if (body > data.size())
            break;
        qsizetype bodySize = 0;
        for (int i = 0; i < segments; ++i)
            bodySize += byteAt(data, at + OggHeaderSize + i);
        if (body + bodySize > data.size())
            break; // a page cut off
        if (preSkip < 0 && bodySize >= 12 && data.sliced(body, 8) == "OpusHead")
            preSkip = littleEndian(data, body + 10, 2);
        const qint64 position = littleEndian(data, at + 6, 8);
        if (position >= 0)
            granule = position;
        ++length.frames;
        at = body + bodySize;
    }
    if (preSkip < 0 || granule < 0)
        return {};
    length.samples = qMax<qint64>(0, granule - preSkip);
    length.sampleRate = OpusRate;
    return length;
}

Mp3Length encodedFileLength(AudioFormat format, const QString& path)
{
    if (format == AudioFormat::Mp3)
        return mp3FileLength(path);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray data = file.readAll();
    return format == AudioFormat::M4b ? adtsLength(data) : oggOpusLength(data);
}

} // namespace lectorix
