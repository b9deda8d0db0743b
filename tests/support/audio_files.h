#pragma once

#include "core/speech/voice_settings.h"

#include <QString>

namespace lectorix::test {

// Speaks the text file's content with the engine into a 22,050 Hz 16-bit mono WAV file, with
// the given voice, volume and rate: the sound a rendering of that text must give. Throws
// Failure when the engine cannot.
void renderWav(const VoiceSettings& voice, const QString& textPath, const QString& wavPath);

// The samples in the data chunk of a 16-bit mono WAV file; -1 when there is none.
qint64 wavSamples(const QString& path);

// The 16-bit samples an MP3 decodes to with mpg123; -1 when mpg123 does not accept it.
qint64 mp3Samples(const QString& mp3);

} // namespace lectorix::test
