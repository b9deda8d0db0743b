#pragma once

#include <QString>

namespace lectorix {

// A chapter as an audio file marks it: its title and where its sound starts and ends, in
// milliseconds from the file's start.
struct ChapterMark
{
    QString title;
    qint64 startMs = 0;
    qint64 endMs = 0;
};

} // namespace lectorix
