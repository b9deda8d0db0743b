#pragma once

#include <QString>

namespace lectorix {

// The encoder's command line: "{encoder}" -h "{wav}" "{mp3}", every path quoted so that it
// reaches the encoder exactly as given.
QString encoderCommandLine(const QString& encoderPath, const QString& wavPath,
                           const QString& mp3Path);

// Encodes one WAV file to MP3 with {TEMP}/lame in its higher-quality mode and returns when
// the encoder has ended. True when the encoder ended with success and the MP3 file exists;
// the caller decides what a failure means. Failures are reported as Speak.WAVToMP3, among
// them an encoder that checkOwnProgram refuses (it is not run).
bool encodeWavToMp3(const QString& wavPath, const QString& mp3Path);

} // namespace lectorix
