#pragma once

#include <QString>

namespace lectorix::test {

// The samples in the data chunk of a 16-bit mono WAV file; -1 when there is none.
qint64 wavSamples(const QString& path);

// The 16-bit samples an MP3 decodes to with mpg123; -1 when mpg123 does not accept it.
qint64 mp3Samples(const QString& mp3);

} // namespace lectorix::test
