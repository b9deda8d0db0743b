#pragma once

#include "core/speech/utterance.h"
#include "core/speech/voice_settings.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

namespace lectorix::test {

// Speaks the text file's content with the engine into a 22,050 Hz 16-bit mono WAV file, with
// the given voice, volume and rate: the sound a rendering of that text must give. Throws
// Failure when the engine cannot.
void renderWav(const VoiceSettings& voice, const QString& textPath, const QString& wavPath);
// The same for utterances as a rendering speaks them (speech_rendering.h).
void renderWav(const VoiceSettings& voice, const QList<Utterance>& utterances,
               const QString& wavPath);

// The longest run of silence inside sound (16-bit samples), leading and trailing silence not
// counted: samples whose magnitude stays below threshold.
qint64 longestInnerSilence(const QList<qint16>& sound, int threshold);

// Bare 16-bit little-endian samples, as a rendering writes them into its pipe.
QList<qint16> rawSamples(const QByteArray& bytes);

// The samples in the data chunk of a 16-bit mono WAV file; -1 when there is none.
qint64 wavSamples(const QString& path);

QString mpg123Program();

struct DecodedSound
{
    qint64 samples = 0; // 16-bit mono at the MP3's rate (22,050 Hz for the program's)
    int peak = 0;       // the largest magnitude of any sample
};

// What mpg123 decodes an MP3 to, counted as it streams by (a book decodes to hundreds of
// megabytes); none when it does not decode.
std::optional<DecodedSound> decodeMp3(const QString& path);

// The runs of silence inside sound (leading and trailing silence not counted), in order, that
// last at least shortest samples: samples whose magnitude stays below threshold.
QList<qint64> innerSilences(const QList<qint16>& sound, int threshold, qint64 shortest);

// The 16-bit samples an MP3 decodes to with mpg123; -1 when it decodes to nothing.
qint64 mp3Samples(const QString& mp3);

// Why the file is not a playable MP3, or an empty text when it is one: it starts with an ID3
// tag or an MPEG audio frame, and mpg123 (where installed) decodes it to some sound.
QString mp3Fault(const QString& path);

// The MP3 after its ID3v2 tag, if it has one: the sound alone.
QByteArray withoutTag(const QByteArray& mp3);

// The sound of an audio file as ffmpeg decodes it: 16-bit mono samples at rate. For short
// sounds only: a book's would fill the memory.
QList<qint16> decodedSamples(const QString& path, int rate = 22050);

} // namespace lectorix::test
