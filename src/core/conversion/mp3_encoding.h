#pragma once

#include <QByteArrayList>
#include <QString>

namespace lectorix {

// The encoder reading bare samples from its standard input, as SpeechRendering writes them
// (16-bit little-endian mono at 22,050 Hz), in its higher-quality mode:
//   encoder -h -r -s 22.05 --bitwidth 16 --signed --little-endian -m m - mp3
// An mp3Path that begins with "-" is given as "./-...". A part that will be joined to others
// gets no header frame of its own (-t): a header in the middle of the joined file would make
// players misjudge its length.
QByteArrayList pipedEncoderArguments(const QString& encoderPath, const QString& mp3Path,
                                     bool partOfWhole = false);

} // namespace lectorix
