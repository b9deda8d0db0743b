#pragma once

#include "core/conversion/chapter_marks.h"

#include <QList>
#include <QString>

namespace lectorix {

struct Mp3Tags;

// Writes title, artist, comment, album and track n of count as the M4B's MP4 items (©nam,
// ©ART, ©cmt, ©alb, trkn) and the cover, when there is one, as its covr item; empty ones are
// left out and items it had are replaced. Its chapter atoms and its sound are not touched.
// Throws Failure.
void writeM4bTags(const QString& path, const Mp3Tags& tags);

// Writes title, artist, comment, album and track as the Opus file's Vorbis comments (TITLE,
// ARTIST, COMMENT, ALBUM, TRACKNUMBER, TRACKTOTAL), the cover as a METADATA_BLOCK_PICTURE
// (front cover), and each of its chapters as CHAPTER001=00:00:00.000 with CHAPTER001NAME=its title,
// numbered from 001 in the order given; comments it had are replaced. The sound is not
// touched. Throws Failure.
void writeOpusTags(const QString& path, const Mp3Tags& tags);

// A chapter's start as the Opus chapter comments write it: "HH:MM:SS.mmm" (hours may run
// past 99); a negative time is 0.
QString opusChapterTime(qint64 ms);

} // namespace lectorix
