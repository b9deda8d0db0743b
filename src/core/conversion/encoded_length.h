#pragma once

#include "core/conversion/audio_format.h"
#include "core/conversion/mp3_frames.h"

#include <QByteArrayView>
#include <QString>

namespace lectorix {

// The samples of sound in AAC data written as ADTS frames, as a decoder plays it (the encoder's
// priming included, as it is once the frames are put into an MP4): 1024 per raw block of each
// whole frame, at the first frame's sample rate. Bytes that are no frame are passed over until
// the next frame's header, and a frame cut off at the end is not counted. Never throws.
Mp3Length adtsLength(QByteArrayView data);

// The samples of sound in an Ogg Opus stream at 48 kHz, as a player counts them: the last
// page's granule position less the stream's pre-skip. None when it has no Opus header or no
// page with a position. Never throws.
Mp3Length oggOpusLength(QByteArrayView data);

// The length of a lane's part of the format at path (MP3 frames, ADTS frames, Ogg Opus);
// none when it cannot be read.
Mp3Length encodedFileLength(AudioFormat format, const QString& path);

} // namespace lectorix
