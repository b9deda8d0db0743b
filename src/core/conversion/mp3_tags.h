#pragma once

#include "core/conversion/chapter_marks.h"

#include <QByteArray>
#include <QByteArrayList>
#include <QList>
#include <QString>

namespace lectorix {

// What a player lists for an exported MP3 (and the M4B and Opus files, which keep the same).
struct Mp3Tags
{
    QString title;
    QString artist;
    QString comment;
    // A chapter's own file: the document's title as album, its number and the count.
    QString album;
    int track = 0;
    int trackCount = 0;
    // Chapter marks (a CHAP frame each, listed in order by a top-level CTOC).
    QList<ChapterMark> chapters;
    QByteArray cover; // a JPEG picture, the front cover; empty for none
};

// Writes title, artist, comment, album, track ("n/count"), the cover (an APIC frame) and
// chapters into an ID3v2.4 tag at the front of the MP3, replacing any tag it had; empty ones
// are left out. The sound is not touched. Throws Failure.
void writeMp3Tags(const QString& mp3Path, const Mp3Tags& tags);

} // namespace lectorix
