#pragma once

// What ffprobe and ffmpeg say of an audio file of any format the program writes: its
// chapters, its cover, its length, and whether it decodes from start to end.

#include <QHash>
#include <QList>
#include <QString>

#include <optional>

namespace lectorix::test {

struct ProbedChapter
{
    QString title;
    double startSeconds = 0;
    double endSeconds = 0;
};

struct ProbedAudio
{
    QString codec;         // of the sound: "mp3", "aac", "opus"
    QString container;     // ffprobe's format name: "mp3", "mov,mp4,m4a,3gp,3g2,mj2", "ogg"
    double seconds = 0;    // the length the container gives
    bool hasCover = false; // a picture attached as the cover
    QList<ProbedChapter> chapters;
    QString title; // the title tag, wherever the format keeps it
    // The file's tags by lower-case name ("track", "album"), wherever the format keeps them.
    QHash<QString, QString> tags;
};

// ffprobe -show_chapters -show_streams -show_format of the file; none when ffprobe cannot
// read it.
std::optional<ProbedAudio> probeAudio(const QString& path);

// Why the file does not decode from start to end with ffmpeg (what ffmpeg said), or an empty
// text when it does.
QString decodingFault(const QString& path);

} // namespace lectorix::test
