#pragma once

#include <QByteArrayList>
#include <QString>

namespace lectorix {

// The encoder's command line: "{encoder}" -h "{wav}" "{mp3}", every path quoted so that it
// reaches the encoder exactly as given.
QString encoderCommandLine(const QString& encoderPath, const QString& wavPath,
                           const QString& mp3Path);

// The encoder reading bare samples from its standard input, as SpeechRendering writes them
// (16-bit little-endian mono at 22,050 Hz), in its higher-quality mode:
//   encoder -h -r -s 22.05 --bitwidth 16 --signed --little-endian -m m - mp3
// An mp3Path that begins with "-" is given as "./-...". A part that will be joined to others
// gets no header frame of its own (-t): a header in the middle of the joined file would make
// players misjudge its length.
QByteArrayList pipedEncoderArguments(const QString& encoderPath, const QString& mp3Path,
                                     bool partOfWhole = false);

// Encodes one WAV file to MP3 with {TEMP}/lame in its higher-quality mode and returns when
// the encoder has ended. True when the encoder ended with success and the MP3 file exists;
// the caller decides what a failure means. Failures are reported as Speak.WAVToMP3, among
// them an encoder that checkOwnProgram refuses (it is not run).
bool encodeWavToMp3(const QString& wavPath, const QString& mp3Path);

} // namespace lectorix
