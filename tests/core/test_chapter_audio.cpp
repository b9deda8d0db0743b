// Chapters in the audio: how the text is cut into parts at its chapters, where each chapter's
// mark lies, the length the encoders' frames give, the chapter files' names, and a drawn book
// converted into one file of each format with its chapter marks and into one file per
// chapter, resumed.
#include "core/conversion/audio_outputs.h"
#include "core/conversion/chapter_audio.h"
#include "core/conversion/conversion_job.h"
#include "core/conversion/encoded_length.h"
#include "core/conversion/mp3_frames.h"
#include "support/audio_files.h"
#include "support/audio_probe.h"
#include "support/drawn_pdf.h"
#include "support/job_run.h"
#include "support/test_env.h"

#include <QDir>
#include <QFileInfo>
#include <QSignalSpy>
#include <QtTest>

using namespace lectorix;

namespace {

// Utterances of the lengths given, named u0, u1, ... (padded to the length).
QList<Utterance> utterancesOf(const QList<int>& lengths)
{
    QList<Utterance> utterances;
    for (qsizetype i = 0; i < lengths.size(); ++i) {
        QString text = QStringLiteral("u%1").arg(i);
        text = text.leftJustified(qMax(lengths.at(i), int(text.size())), u'.');
        utterances.append({text, 0});
    }
    return utterances;
}

// The plan as "output:first-last" per part, then the chapters as "title@part", then the
// outputs' titles.
QString describe(const AudioPlan& plan, const QList<Utterance>& utterances)
{
    QStringList parts;
    qsizetype next = 0;
    for (const EncoderLanes::Part& part : plan.parts) {
        const qsizetype first = next;
        next += part.utterances.size();
        for (qsizetype i = 0; i < part.utterances.size(); ++i)
            if (part.utterances.at(i).text != utterances.value(first + i).text)
                return QStringLiteral("parts out of order");
        parts << (part.utterances.isEmpty()
                      ? QStringLiteral("%1:empty").arg(part.output)
                      : QStringLiteral("%1:%2-%3").arg(part.output).arg(first).arg(next - 1));
    }
    QStringList chapters;
    for (const ChapterPart& chapter : plan.chapters)
        chapters << QStringLiteral("%1@%2").arg(chapter.title).arg(chapter.part);
    return parts.join(u' ') + QStringLiteral(" | ") + chapters.join(u' ') + QStringLiteral(" | ") +
           plan.outputTitles.join(u',') + QStringLiteral(" | %1").arg(plan.outputs);
}

// An MPEG-2 layer III frame at 22,050 Hz, 32 kbit/s, mono (as the encoder writes them), 104
// bytes; a header frame when tagged "Xing" or "Info".
QByteArray frame(const QByteArray& tag = QByteArray())
{
    QByteArray bytes(104, '\0');
    bytes[0] = char(0xFF);
    bytes[1] = char(0xF3);
    bytes[2] = char(0x40);
    bytes[3] = char(0xC4);
    bytes.replace(4 + 9, tag.size(), tag);
    return bytes;
}

ConversionResult convert(const ConversionRequest& request)
{
    ConversionJob job(request);
    return test::runToEnd(job, 300000)
        .result.value_or(ConversionResult{
            ConversionOutcome::Failed, QStringLiteral("the job never ended"), {}, {}, {}});
}

// The formats a drawn book is converted into; MP3 first, for the others' marks to be
// measured against.
void formatRows()
{
    QTest::addColumn<int>("format");
    QTest::newRow("MP3") << int(AudioFormat::Mp3);
    QTest::newRow("M4B") << int(AudioFormat::M4b);
    QTest::newRow("Opus") << int(AudioFormat::Opus);
}

// An ADTS frame of AAC at 22,050 Hz holding blocks raw blocks, size bytes long.
QByteArray adtsFrame(int blocks = 1, int size = 60)
{
    QByteArray bytes(size, '\x11');
    bytes[0] = char(0xFF);
    bytes[1] = char(0xF1);
    bytes[2] = char(0x5C); // AAC LC, 22,050 Hz
    bytes[3] = char(0x40 | ((size >> 11) & 0x03));
    bytes[4] = char((size >> 3) & 0xFF);
    bytes[5] = char(((size & 0x07) << 5) | 0x1F);
    bytes[6] = char(0xFC | (blocks - 1));
    return bytes;
}

// An Ogg page with one packet and the granule position given.
QByteArray oggPage(const QByteArray& packet, qint64 granule)
{
    QByteArray page("OggS", 4);
    page += QByteArray(2, '\0');
    for (int i = 0; i < 8; ++i)
        page += char((quint64(granule) >> (8 * i)) & 0xFF);
    page += QByteArray(12, '\0'); // serial, sequence, checksum
    page += char(1);
    page += char(packet.size());
    return page + packet;
}

QByteArray opusHead(int preSkip)
{
    QByteArray head("OpusHead\x01\x01", 10);
    head += char(preSkip & 0xFF);
    head += char(preSkip >> 8);
    return head + QByteArray(7, '\0');
}

// A conversion of the drawn chapter book beside temp into "book" in format; no source PDF
// when the book could not be drawn.
ConversionRequest drawnBookRequest(const QString& temp, AudioFormat format = AudioFormat::Mp3)
{
    ConversionRequest request;
    const QString pdf = temp + QStringLiteral("/../book.pdf");
    if (test::drawChapterBook(pdf))
        request.sourcePdf = pdf;
    request.format = format;
    request.outputPath = temp + QStringLiteral("/../book") + audioFormatExtension(format);
    return request;
}

QStringList chapterTitles()
{
    QStringList titles;
    for (const QString& chapter : test::chapterBookChapters())
        titles << chapter.section(u' ', 2);
    return titles;
}

} // namespace

class TestChapterAudio : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { test::ignoreBrokenPipes(); }

    void planParts_data()
    {
        QTest::addColumn<QList<int>>("lengths");
        QTest::addColumn<QStringList>("chapters"); // "title@utterance"
        QTest::addColumn<bool>("perChapter");
        QTest::addColumn<QString>("expected");
        const QList<int> six{99, 99, 99, 99, 99, 99};
        QTest::newRow("no chapters, short: one part as always")
            << six << QStringList() << false << "0:0-5 |  |  | 1";
        QTest::newRow("no chapters, long: one part per lane as always")
            << QList<int>{9999, 9999, 9999, 9999} << QStringList() << false
            << "0:0-1 0:2-3 |  |  | 1";
        QTest::newRow("no chapters, one file per chapter asked: the one file")
            << six << QStringList() << true << "0:0-5 |  |  | 1";
        QTest::newRow("each chapter begins a part")
            << six << QStringList{"A@0", "B@2", "C@5"} << false
            << "0:0-1 0:2-4 0:5-5 | A@0 B@1 C@2 |  | 1";
        QTest::newRow("text before the first chapter is the document's")
            << six << QStringList{"B@2"} << false << "0:0-1 0:2-5 | Book@0 B@1 |  | 1";
        QTest::newRow("chapters out of order, one unknown")
            << six << QStringList{"C@4", "A@0", "X@6", "B@1"} << false
            << "0:0-0 0:1-3 0:4-5 | A@0 B@1 C@2 |  | 1";
        QTest::newRow("two at one place: one part, both marked, the file named by the last")
            << six << QStringList{"Part@0", "One@0", "Two@3"} << true
            << "0:0-2 1:3-5 | Part@0 One@0 Two@1 | One,Two | 2";
        QTest::newRow("one file per chapter") << six << QStringList{"A@0", "B@2", "C@5"} << true
                                              << "0:0-1 1:2-4 2:5-5 | A@0 B@1 C@2 | A,B,C | 3";
        // A chapter far longer than its share is cut, so both lanes stay busy to its end.
        QTest::newRow("a long chapter cut for the lanes")
            << QList<int>{9999, 9999, 9999, 9999, 9999, 9999, 9999, 9999, 9999, 9999, 99}
            << QStringList{"Long@0", "Short@10"} << false
            << "0:0-1 0:2-3 0:4-5 0:6-7 0:8-9 0:10-10 | Long@0 Short@5 |  | 1";
        QTest::newRow("nothing to speak")
            << QList<int>{} << QStringList{"A@0"} << true << "0:empty |  |  | 1";
    }
    void planParts()
    {
        QFETCH(QList<int>, lengths);
        QFETCH(QStringList, chapters);
        QFETCH(bool, perChapter);
        QFETCH(QString, expected);
        const QList<Utterance> utterances = utterancesOf(lengths);
        QList<ChapterStart> starts;
        for (const QString& chapter : chapters)
            starts.append({chapter.section(u'@', 0, 0), chapter.section(u'@', 1).toLongLong()});
        const AudioPlan plan =
            planAudio(utterances, starts, QStringLiteral("Book"), perChapter, 2, 10000);
        QCOMPARE(describe(plan, utterances), expected);
    }

    void marksFromPartLengths_data()
    {
        QTest::addColumn<QStringList>("chapters"); // "title@part"
        QTest::addColumn<QList<qint64>>("samples");
        QTest::addColumn<QString>("expected");
        QTest::newRow("one per part")
            << QStringList{"A@0", "B@1", "C@2"} << QList<qint64>{22050, 44100, 11025}
            << "A 0-1000 B 1000-3000 C 3000-3500";
        QTest::newRow("a long part between")
            << QStringList{"A@0", "B@2"} << QList<qint64>{576, 576 * 3, 22050}
            << "A 0-104 B 104-1104";
        QTest::newRow("two at one place")
            << QStringList{"Part@0", "One@0", "Two@1"} << QList<qint64>{2205, 2205}
            << "Part 0-0 One 0-100 Two 100-200";
        QTest::newRow("none") << QStringList{} << QList<qint64>{2205} << "";
    }
    void marksFromPartLengths()
    {
        QFETCH(QStringList, chapters);
        QFETCH(QList<qint64>, samples);
        QFETCH(QString, expected);
        QList<ChapterPart> parts;
        for (const QString& chapter : chapters)
            parts.append({chapter.section(u'@', 0, 0), chapter.section(u'@', 1).toLongLong()});
        QStringList marks;
        for (const ChapterMark& mark : chapterMarks(parts, samples, 22050))
            marks << QStringLiteral("%1 %2-%3").arg(mark.title).arg(mark.startMs).arg(mark.endMs);
        QCOMPARE(marks.join(u' '), expected);
    }

    void lengthFromFrames_data()
    {
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<qint64>("frames");
        const QByteArray tag = QByteArray("ID3\x04\x00\x00\x00\x00\x00\x05", 10) + "abcde";
        QTest::newRow("frames") << frame() + frame() + frame() << qint64(3);
        QTest::newRow("after a tag") << tag + frame() + frame() << qint64(2);
        QTest::newRow("a header frame holds no sound") << frame("Info") + frame() << qint64(1);
        QTest::newRow("Xing too") << tag + frame("Xing") + frame() + frame() << qint64(2);
        QTest::newRow("a header frame later is sound") << frame() + frame("Info") << qint64(2);
        QTest::newRow("garbage between") << frame() + "\xFF\xFFjunk" + frame() << qint64(2);
        QTest::newRow("cut off at the end") << frame() + frame().left(50) << qint64(1);
        QTest::newRow("a bad header") << QByteArray("\xFF\xFB\xF0\x00", 4) + frame() << qint64(1);
        QTest::newRow("nothing") << QByteArray() << qint64(0);
        QTest::newRow("a tag longer than the data") << tag.left(12) << qint64(0);
    }
    void lengthFromFrames()
    {
        QFETCH(QByteArray, data);
        QFETCH(qint64, frames);
        const Mp3Length length = mp3Length(data);
        QCOMPARE(length.frames, frames);
        QCOMPARE(length.samples, frames * 576);
        if (frames > 0)
            QCOMPARE(length.milliseconds(), frames * 576 * 1000 / 22050);
    }

    void encodedLengths_data()
    {
        QTest::addColumn<int>("format");
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<qint64>("samples");
        QTest::addColumn<int>("rate");
        const int m4b = int(AudioFormat::M4b);
        const int opus = int(AudioFormat::Opus);
        QTest::newRow("ADTS frames, priming counted")
            << m4b << adtsFrame() + adtsFrame(2, 90) << qint64(3 * 1024) << 22050;
        QTest::newRow("ADTS garbage between")
            << m4b << adtsFrame() + "\xFF\xF1junk" + adtsFrame() << qint64(2048) << 22050;
        QTest::newRow("ADTS cut off at the end")
            << m4b << adtsFrame() + adtsFrame().left(20) << qint64(1024) << 22050;
        QTest::newRow("no ADTS") << m4b << QByteArray("not sound") << qint64(0) << 0;
        QTest::newRow("Opus: last position less pre-skip")
            << opus
            << oggPage(opusHead(312), 0) + oggPage("tags", 0) + oggPage("a", 10000) +
                   oggPage("b", 48312)
            << qint64(48000) << 48000;
        QTest::newRow("Opus page cut off")
            << opus
            << oggPage(opusHead(312), 0) + oggPage("a", 960312) + oggPage("bb", 2000000).left(29)
            << qint64(960000) << 48000;
        QTest::newRow("Ogg without an Opus header")
            << opus << oggPage("vorbis", 0) + oggPage("a", 4000) << qint64(0) << 0;
    }

    // The samples a lane's part holds, as its joined file plays them: where the next part's
    // chapter starts.
    void encodedLengths()
    {
        QFETCH(int, format);
        QFETCH(QByteArray, data);
        QFETCH(qint64, samples);
        QFETCH(int, rate);
        const Mp3Length length =
            AudioFormat(format) == AudioFormat::M4b ? adtsLength(data) : oggOpusLength(data);
        QCOMPARE(length.samples, samples);
        QCOMPARE(length.sampleRate, rate);
        const QString path = test::freshScratch() + QStringLiteral("/part");
        test::writeFile(path, data);
        QCOMPARE(encodedFileLength(AudioFormat(format), path).samples, samples);
    }

    void chapterFileNames_data()
    {
        QTest::addColumn<int>("number");
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("expected");
        QTest::newRow("as a listener reads it") << 3 << 12 << "The Drawing-Room"
                                                << "03 The Drawing-Room.mp3";
        QTest::newRow("wide count") << 7 << 120 << "Seven"
                                    << "007 Seven.mp3";
        QTest::newRow("slashes and marks file systems refuse")
            << 1 << 2 << "Either/Or: \"Why?\" <a|b> *c*\\"
            << "01 Either Or Why a b c.mp3";
        QTest::newRow("hidden, spaced, lined") << 2 << 2 << "  ..Hidden\tname\n. "
                                               << "02 Hidden name.mp3";
        QTest::newRow("nothing left") << 4 << 9 << "///"
                                      << "04.mp3";
        QTest::newRow("too long") << 1 << 1 << QString(300, u'x')
                                  << "01 " + QString(120, u'x') + ".mp3";
        QTest::newRow("any script")
            << 1 << 3 << QStringLiteral("Глава первая") << QStringLiteral("01 Глава первая.mp3");
    }
    void chapterFileNames()
    {
        QFETCH(int, number);
        QFETCH(int, count);
        QFETCH(QString, title);
        QFETCH(QString, expected);
        QCOMPARE(chapterFileName(number, count, title, QStringLiteral(".mp3")), expected);
        QCOMPARE(chapterFolder(QStringLiteral("/books/Emma.mp3")), QStringLiteral("/books/Emma"));
    }

    void chapterMarksInTheFile_data() { formatRows(); }

    // The book in one file of each format: a mark for each chapter, titled as its heading,
    // where the pause before its heading ends and the heading is heard, the last up to the
    // file's end; the M4B's and the Opus's marks within a second of the MP3's.
    void chapterMarksInTheFile()
    {
        QFETCH(int, format);
        const QString temp = test::freshScratch();
        const ConversionRequest request = drawnBookRequest(temp, AudioFormat(format));
        QVERIFY(!request.sourcePdf.isEmpty());
        const ConversionResult result = convert(request);
        QCOMPARE(int(result.outcome), int(ConversionOutcome::Done));
        const std::optional<test::ProbedAudio> audio = test::probeAudio(request.outputPath);
        QVERIFY(audio);
        QStringList titles;
        QList<double> starts;
        for (const test::ProbedChapter& chapter : audio->chapters) {
            titles << chapter.title;
            starts << chapter.startSeconds;
        }
        QCOMPARE(titles, chapterTitles());
        const QList<qint16> sound = test::decodedSamples(request.outputPath);
        const auto loudest = [&](double from, double to) {
            int peak = 0;
            for (qsizetype i = qMax<qsizetype>(0, qsizetype(from * 22050));
                 i < qMin(sound.size(), qsizetype(to * 22050)); ++i)
                peak = qMax(peak, qAbs(int(sound.at(i))));
            return peak;
        };
        QCOMPARE(starts.front(), 0.0);
        for (qsizetype i = 0; i < audio->chapters.size(); ++i) {
            const test::ProbedChapter& chapter = audio->chapters.at(i);
            if (i > 0) {
                QVERIFY(qAbs(chapter.startSeconds - audio->chapters.at(i - 1).endSeconds) < 0.01);
                QVERIFY(chapter.startSeconds > starts.at(i - 1));
                QVERIFY2(loudest(chapter.startSeconds - 0.3, chapter.startSeconds) < 300,
                         qPrintable(chapter.title + " does not start after a pause"));
            }
            QVERIFY2(loudest(chapter.startSeconds, chapter.startSeconds + 1.0) > 3000,
                     qPrintable(chapter.title + " is not heard within a second"));
        }
        QVERIFY(qAbs(audio->chapters.last().endSeconds - audio->seconds) < 0.1);
        if (request.format == AudioFormat::Mp3) {
            m_mp3Starts = starts;
        } else if (!m_mp3Starts.isEmpty()) {
            for (qsizetype i = 0; i < starts.size(); ++i)
                QVERIFY2(qAbs(starts.at(i) - m_mp3Starts.value(i)) < 1.0,
                         qPrintable(QStringLiteral("%1 at %2 s, in the MP3 at %3 s")
                                        .arg(titles.at(i))
                                        .arg(starts.at(i))
                                        .arg(m_mp3Starts.value(i))));
        }
    }

    void oneFilePerChapterResumed_data() { formatRows(); }

    // One file per chapter in the format, named, tagged and with the cover, together as long as
    // the one file; a resumed conversion makes only the files missing and leaves the others.
    void oneFilePerChapterResumed()
    {
        QFETCH(int, format);
        const QString temp = test::freshScratch();
        ConversionRequest request = drawnBookRequest(temp, AudioFormat(format));
        QVERIFY(!request.sourcePdf.isEmpty());
        const QString extension = audioFormatExtension(request.format);
        QCOMPARE(int(convert(request).outcome), int(ConversionOutcome::Done));
        const std::optional<test::ProbedAudio> whole = test::probeAudio(request.outputPath);
        QVERIFY(whole);
        request.splitChapters = true;
        QCOMPARE(int(convert(request).outcome), int(ConversionOutcome::Done));

        const QDir folder(temp + QStringLiteral("/../book"));
        const QStringList titles = chapterTitles();
        QStringList expected;
        for (qsizetype i = 0; i < titles.size(); ++i)
            expected
                << QStringLiteral("%1 %2").arg(i + 1, 2, 10, QLatin1Char('0')).arg(titles.at(i)) +
                       extension;
        QCOMPARE(folder.entryList(QDir::Files | QDir::Hidden, QDir::Name), expected);
        double sum = 0;
        for (qsizetype i = 0; i < expected.size(); ++i) {
            const std::optional<test::ProbedAudio> chapter =
                test::probeAudio(folder.filePath(expected.at(i)));
            QVERIFY(chapter);
            QVERIFY(chapter->seconds > 1);
            QVERIFY(chapter->hasCover);
            QCOMPARE(chapter->title, titles.at(i));
            QCOMPARE(chapter->tags.value(QStringLiteral("album")), QStringLiteral("book"));
            // ffprobe lists the Opus's TRACKNUMBER as its track, with TRACKTOTAL beside it.
            const bool opus = request.format == AudioFormat::Opus;
            QCOMPARE(chapter->tags.value(QStringLiteral("track")),
                     opus ? QString::number(i + 1)
                          : QStringLiteral("%1/%2").arg(i + 1).arg(expected.size()));
            if (opus)
                QCOMPARE(chapter->tags.value(QStringLiteral("tracktotal")),
                         QString::number(expected.size()));
            sum += chapter->seconds;
        }
        QVERIFY2(qAbs(sum - whole->seconds) <= whole->seconds / 100,
                 qPrintable(
                     QStringLiteral("%1 s in chapters, %2 s whole").arg(sum).arg(whole->seconds)));

        const QString kept = folder.filePath(expected.at(0));
        const QDateTime keptTime = QFileInfo(kept).lastModified();
        QVERIFY(QFile::remove(folder.filePath(expected.at(1))));
        QVERIFY(QFile::remove(folder.filePath(expected.at(3))));
        request.resume = true;
        QTest::qWait(20);
        QCOMPARE(int(convert(request).outcome), int(ConversionOutcome::Done));
        QCOMPARE(folder.entryList(QDir::Files | QDir::Hidden, QDir::Name), expected);
        QCOMPARE(QFileInfo(kept).lastModified(), keptTime);
        QVERIFY(QFileInfo(folder.filePath(expected.at(1))).lastModified() > keptTime);
        const std::optional<test::ProbedAudio> remade =
            test::probeAudio(folder.filePath(expected.at(3)));
        QVERIFY(remade && remade->seconds > 1);
        QCOMPARE(QDir(temp).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList());
    }

    // Cancelled while the first chapter is spoken: nothing is left, not even the folder.
    void cancelledBeforeAChapterIsComplete()
    {
        const QString temp = test::freshScratch();
        ConversionRequest request = drawnBookRequest(temp);
        QVERIFY(!request.sourcePdf.isEmpty());
        request.splitChapters = true;
        ConversionJob job(request);
        QSignalSpy finished(&job, &ConversionJob::finished);
        connect(&job, &ConversionJob::progress, &job, [&](const ConversionProgress& progress) {
            if (progress.stage == ConversionStage::Speaking)
                job.cancel();
        });
        job.start();
        QVERIFY(finished.wait(60000));
        QCOMPARE(int(finished.at(0).at(0).value<ConversionResult>().outcome),
                 int(ConversionOutcome::Cancelled));
        QVERIFY(!QFileInfo::exists(temp + QStringLiteral("/../book")));
        QCOMPARE(QDir(temp).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList());
    }

private:
    // The chapters' starts in the MP3 of the drawn book, once it is made.
    QList<double> m_mp3Starts;
};

int main(int argc, char** argv)
{
    TestChapterAudio test;
    return lectorix::test::runWithDrawing(&test, argc, argv);
}

#include "test_chapter_audio.moc"
