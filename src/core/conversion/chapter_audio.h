#pragma once

#include "core/conversion/chapter_marks.h"
#include "core/conversion/encoder_lanes.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace lectorix {

// Where a chapter starts among the utterances spoken.
struct ChapterStart
{
    QString title;
    qsizetype utterance = 0;
};

// A chapter as the plan speaks it: the part it starts with.
struct ChapterPart
{
    QString title;
    qsizetype part = 0;
};

// How a conversion's utterances are cut into the parts its lanes speak, and which MP3 each
// part goes into.
struct AudioPlan
{
    QList<EncoderLanes::Part> parts;
    // The chapters in the order they are heard, each with the part it starts with.
    QList<ChapterPart> chapters;
    // The MP3s made: one for the whole text, or with one file per chapter one for each start,
    // named by its chapter's title (the last, when several start at one place).
    int outputs = 1;
    QStringList outputTitles;
};

// Cuts utterances at each chapter's start, so every chapter begins a part; a chapter longer
// than an eighth of the text's share of a lane is cut further, so the lanes stay busy to the
// end. Text before the first chapter is a chapter of its own, called leadTitle. Chapters that
// start past the last utterance (unknown ones) are left out. Without chapters the text is cut
// for the lanes as it always was: into up to lanes parts of at least minimumPartLength.
AudioPlan planAudio(const QList<Utterance>& utterances, QList<ChapterStart> chapters,
                    const QString& leadTitle, bool filePerChapter, int lanes,
                    qsizetype minimumPartLength);

// The chapter marks of an MP3 made of the plan's parts in one file: each chapter from the
// start of its first part's sound (the samples of the parts before it) to the next chapter's
// start, the last to the file's end.
QList<ChapterMark> chapterMarks(const QList<ChapterPart>& chapters,
                                const QList<qint64>& partSamples, int sampleRate);

} // namespace lectorix
