#include "core/conversion/chapter_audio.h"

#include "core/text/text_splitting.h"

#include <algorithm>

namespace lectorix {

namespace {

// How many parts each lane should get of a text with chapters, at least.
constexpr qsizetype PartsPerLane = 4;

qsizetype lengthOf(const QList<Utterance>& utterances)
{
    qsizetype length = 0;
    for (const Utterance& utterance : utterances)
        length += utterance.text.size() + 1;
    return length;
}

// A run of utterances from one chapter's start to the next, with the titles starting there.
struct Segment
{
    qsizetype begin = 0;
    qsizetype end = 0;
    QStringList titles;
};

QList<Segment> segmentsOf(qsizetype count, QList<ChapterStart> chapters, const QString& leadTitle)
{
    std::stable_sort(chapters.begin(), chapters.end(),
                     [](const ChapterStart& a, const ChapterStart& b) {
                         return a.utterance < b.utterance;
                     });
    chapters.erase(std::remove_if(chapters.begin(), chapters.end(),
                                  [&](const ChapterStart& chapter) {
                                      return chapter.utterance < 0 || chapter.utterance >= count;
                                  }),
                   chapters.end());
    if (!chapters.isEmpty() && chapters.front().utterance > 0)
        chapters.prepend({leadTitle, 0});
    QList<Segment> segments;
    for (const ChapterStart& chapter : std::as_const(chapters)) {
        if (segments.isEmpty() || segments.last().begin != chapter.utterance) {
            if (!segments.isEmpty())
                segments.last().end = chapter.utterance;
            segments.append({chapter.utterance, count, {}});
        }
        segments.last().titles << chapter.title;
    }
    if (segments.isEmpty())
        segments.append({0, count, {}});
    return segments;
}

} // namespace

AudioPlan planAudio(const QList<Utterance>& utterances, QList<ChapterStart> chapters,
                    const QString& leadTitle, bool filePerChapter, int lanes,
                    qsizetype minimumPartLength)
{
    const QList<Segment> segments =
        segmentsOf(utterances.size(), std::move(chapters), leadTitle);
    const bool chaptered = !segments.front().titles.isEmpty();
    lanes = qMax(1, lanes);
    const qsizetype longest =
        qMax(minimumPartLength, lengthOf(utterances) / (lanes * PartsPerLane));
    AudioPlan plan;
    for (qsizetype k = 0; k < segments.size(); ++k) {
        const Segment& segment = segments.at(k);
        const QList<Utterance> run = utterances.mid(segment.begin, segment.end - segment.begin);
        const qsizetype length = lengthOf(run);
        QList<QList<Utterance>> parts =
            chaptered ? splitUtterances(run, int(qMax<qsizetype>(1, (length + longest - 1) / longest)), 0)
                      : splitUtterances(run, lanes, minimumPartLength);
        if (parts.isEmpty())
            parts.append(QList<Utterance>());
        const int output = filePerChapter && chaptered ? int(k) : 0;
        for (const QString& title : segment.titles)
            plan.chapters.append({title, plan.parts.size()});
        for (QList<Utterance>& part : parts)
            plan.parts.append({std::move(part), output});
    }
    if (filePerChapter && chaptered) {
        plan.outputs = int(segments.size());
        for (const Segment& segment : segments)
            plan.outputTitles << segment.titles.last();
    }
    return plan;
}

QList<ChapterMark> chapterMarks(const QList<ChapterPart>& chapters,
                                const QList<qint64>& partSamples, int sampleRate)
{
    QList<qint64> startSamples{0};
    for (const qint64 samples : partSamples)
        startSamples.append(startSamples.last() + samples);
    const auto ms = [&](qint64 samples) {
        return sampleRate > 0 ? samples * 1000 / sampleRate : 0;
    };
    QList<ChapterMark> marks;
    for (qsizetype i = 0; i < chapters.size(); ++i) {
        const qsizetype part =
            qBound<qsizetype>(0, chapters.at(i).part, startSamples.size() - 1);
        marks.append({chapters.at(i).title, ms(startSamples.at(part)), 0});
        if (i > 0)
            marks[i - 1].endMs = marks.at(i).startMs;
    }
    if (!marks.isEmpty())
        marks.last().endMs = ms(startSamples.last());
    return marks;
}

} // namespace lectorix
