#pragma once

#include <QByteArrayView>
#include <QString>

namespace lectorix {

// The length of the sound in MP3 data, as its frames give it.
struct Mp3Length
{
    qint64 frames = 0;
    qint64 samples = 0;  // per channel
    int sampleRate = 0;  // of the first frame; 0 when there is none
    qint64 milliseconds() const { return sampleRate > 0 ? samples * 1000 / sampleRate : 0; }
};

// Counts the MPEG audio frames of data: a leading ID3v2 tag is passed over, and so is a
// header frame ("Xing" or "Info") that holds no sound; bytes that are no frame are passed over
// until the next frame's header, and a frame cut off at the end is not counted. Never throws.
Mp3Length mp3Length(QByteArrayView data);

// The length of the MP3 file at path; no frames when it cannot be read.
Mp3Length mp3FileLength(const QString& path);

} // namespace lectorix
