#include "core/conversion/mp3_frames.h"

#include <QFile>

namespace lectorix {

namespace {

struct FrameHeader
{
    qsizetype size = 0;
    int samples = 0;
    int sampleRate = 0;
    int sideInfo = 0; // the bytes between the header and a header frame's tag
};

// The frame header at data[0..3], or a size of 0 when it is none (layers other than III
// included: the encoder writes no other).
FrameHeader frameHeader(const unsigned char* b)
{
    static constexpr int Bitrates[2][16] = {
        {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0},
        {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0}};
    static constexpr int Rates[3] = {44100, 48000, 32000};
    if (b[0] != 0xFF || (b[1] & 0xE0) != 0xE0)
        return {};
    const int version = (b[1] >> 3) & 3; // 3: MPEG 1, 2: MPEG 2, 0: MPEG 2.5
    const int layer = (b[1] >> 1) & 3;   // 1: layer III
    const int bitrateIndex = b[2] >> 4;
    const int rateIndex = (b[2] >> 2) & 3;
    if (version == 1 || layer != 1 || rateIndex == 3 || bitrateIndex == 0 || bitrateIndex == 15)
        return {};
    const bool mpeg1 = version == 3;
    const int rate = Rates[rateIndex] >> (mpeg1 ? 0 : version == 2 ? 1 : 2);
    const int bitrate = Bitrates[mpeg1 ? 0 : 1][bitrateIndex] * 1000;
    const bool mono = (b[3] >> 6) == 3;
    FrameHeader header;
    header.samples = mpeg1 ? 1152 : 576;
    header.sampleRate = rate;
    header.size = (mpeg1 ? 144 : 72) * bitrate / rate + ((b[2] >> 1) & 1);
    header.sideInfo = mpeg1 ? (mono ? 17 : 32) : (mono ? 9 : 17);
    return header;
}

// The size of an ID3v2 tag at the start of data, or 0.
qsizetype id3v2Size(QByteArrayView data)
{
    if (data.size() < 10 || !data.startsWith("ID3"))
        return 0;
    const auto byte = [&](int i) { return qsizetype(static_cast<unsigned char>(data[i]) & 0x7F); };
    const qsizetype body = (byte(6) << 21) | (byte(7) << 14) | (byte(8) << 7) | byte(9);
    const bool footer = (static_cast<unsigned char>(data[5]) & 0x10) != 0;
    return 10 + body + (footer ? 10 : 0);
}

} // namespace

Mp3Length mp3Length(QByteArrayView data)
{
    Mp3Length length;
    const auto* bytes = reinterpret_cast<const unsigned char*>(data.data());
    qsizetype at = id3v2Size(data);
    bool first = true;
    while (at + 4 <= data.size()) {
        const FrameHeader header = frameHeader(bytes + at);
        // A frame cut off at the end, or bytes that only look like a header, are passed over.
        if (header.size < 4 || at + header.size > data.size()) {
            ++at;
            continue;
        }
        const qsizetype tagAt = at + 4 + header.sideInfo;
        const QByteArrayView tag =
            tagAt + 4 <= at + header.size ? data.sliced(tagAt, 4) : QByteArrayView();
        const bool headerFrame = first && (tag == "Xing" || tag == "Info");
        if (first)
            length.sampleRate = header.sampleRate;
        first = false;
        if (!headerFrame) {
            ++length.frames;
            length.samples += header.samples;
        }
        at += header.size;
    }
    return length;
}

Mp3Length mp3FileLength(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() == 0)
        return {};
    const uchar* mapped = file.map(0, file.size());
    if (!mapped)
        return mp3Length(file.readAll());
    const Mp3Length length =
        mp3Length(QByteArrayView(reinterpret_cast<const char*>(mapped), file.size()));
    file.unmap(const_cast<uchar*>(mapped));
    return length;
}

} // namespace lectorix
