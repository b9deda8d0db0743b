#pragma once

#include "core/conversion/chapter_marks.h"

#include <QByteArray>
#include <QByteArrayList>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace lectorix {

struct Mp3Tags;

// The kinds of audio file a conversion makes. MP3 is encoded by lame; M4B (AAC in an MP4
// container, the audiobook players' own) and Opus (in Ogg, about half the size at the same
// speech quality) by ffmpeg, which also joins the parts and writes the M4B's chapter atoms.
enum class AudioFormat { Mp3, M4b, Opus };

// The format as --format names it ("mp3", "m4b", "opus", in any letter case); nullopt for
// any other name.
std::optional<AudioFormat> audioFormatNamed(const QString& name);
// "mp3", "m4b", "opus".
QString audioFormatName(AudioFormat format);
// What messages call it: "MP3", "M4B", "Opus".
QString audioFormatTitle(AudioFormat format);
// The file name extension with its dot: ".mp3", ".m4b", ".opus".
QString audioFormatExtension(AudioFormat format);
// path with its ".mp3" extension (in any letter case) replaced by the format's; a path
// without one gets the format's extension appended.
QString withAudioExtension(const QString& path, AudioFormat format);
// The tool that encodes the format by default, looked up in PATH: "lame" or "ffmpeg".
QString defaultEncoder(AudioFormat format);

// The encoder of one lane, reading bare samples as SpeechRendering writes them (16-bit
// little-endian mono at 22,050 Hz) from its standard input and writing soundPath:
//   MP3:  lame as pipedEncoderArguments says
//   M4B:  ffmpeg ... -i pipe:0 -c:a aac -aac_coder fast -b:a 48k -f adts soundPath
//   Opus: ffmpeg ... -i pipe:0 -ar 24000 -c:a libopus -b:a 16k -compression_level 5 -f ogg
//         soundPath
// The speed settings keep each encoder about as fast as lame; both formats then sound at
// least as good as the MP3 (32 kbit/s), the Opus at half its size.
// partOfWhole: the part will be joined to others.
QByteArrayList laneEncoderArguments(AudioFormat format, const QString& encoderPath,
                                    const QString& soundPath, bool partOfWhole);

// The file name a lane's part has in the working folder: "part2.mp3", "part1.aac", ...
QString lanePartName(AudioFormat format, int lane);

// Whether the lanes' parts are joined by appending their bytes to the first lane's file
// (MP3 frames and ADTS frames stand on their own), rather than by the container step.
bool partsJoinedByAppending(AudioFormat format);

// Whether the encoded sound still has to be put into the format's container (with the
// chapters, for M4B) by containerArguments; MP3 needs no such step.
bool needsContainerStep(AudioFormat format);

// The command that puts the encoded sound into the output file, copying the sound as it is:
//   M4B:  ffmpeg ... -i sound.aac -f ffmetadata -i chapters -map 0:a -map_metadata 1
//         -map_chapters 1 -c copy -f ipod output        (chapter atoms from the chapters file)
//   Opus: ffmpeg ... -f concat -i partList -map 0:a -c copy -f ogg output
// input is the joined ADTS sound for M4B and the list of parts (concatList) for Opus; the
// Opus's chapters are written with its tags. Paths go as "file:" URLs, so no name is taken
// for an option or a protocol.
QByteArrayList containerArguments(AudioFormat format, const QString& toolPath, const QString& input,
                                  const QString& chaptersPath, const QString& outputPath);

// The list of parts ffmpeg's concat reader joins, one "file 'NAME'" line each; names are
// relative to the list's folder.
QByteArray concatList(const QStringList& partNames);

// The chapters as an ffmetadata file, times in milliseconds; titles are made one line and
// the characters that file format gives a meaning ("=", ";", "#", "\") are escaped.
QByteArray chapterMetadata(const QList<ChapterMark>& chapters);

// Writes the tags (title, artist, comment, album, track, the cover when there is one) into the
// finished file as its format keeps them: ID3v2 for MP3 (with its chapters as CHAP frames),
// MP4 items for M4B (whose chapters its container step writes), Vorbis comments for Opus (with
// its chapters as CHAPTER001=00:00:00.000 / CHAPTER001NAME=title comments). The sound is not
// touched. Throws Failure.
void writeAudioTags(AudioFormat format, const QString& path, const Mp3Tags& tags);

} // namespace lectorix
