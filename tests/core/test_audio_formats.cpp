// The audio formats a conversion writes: their names and extensions, the tools' argument
// lists, the chapters files, and the writers of chapters and cover, judged by what ffprobe
// reads from the files they make with the real encoders.
#include "core/conversion/audio_format.h"
#include "core/conversion/audiobook_tags.h"
#include "core/conversion/cover_picture.h"
#include "core/conversion/mp3_tags.h"
#include "support/argument_lists.h"
#include "support/audio_probe.h"
#include "support/program_run.h"
#include "support/test_env.h"

#include <QtTest>

#include <cmath>

using namespace lectorix;

namespace {

constexpr int SampleRate = 22050;

// Seconds of a tone that rises and falls, as the voices write their samples.
QByteArray toneSamples(double seconds)
{
    QByteArray bytes;
    const int count = int(seconds * SampleRate);
    bytes.reserve(count * 2);
    for (int i = 0; i < count; ++i) {
        const double t = double(i) / SampleRate;
        const auto sample = qint16(8000 * std::sin(2 * M_PI * (300 + 100 * std::sin(t)) * t));
        bytes.append(char(sample & 0xff)).append(char((sample >> 8) & 0xff));
    }
    return bytes;
}

// Runs argv (argv[0] the program); what it said, or empty when it succeeded.
QString run(const QByteArrayList& argv, const QByteArray& input = QByteArray())
{
    QStringList arguments;
    for (const QByteArray& argument : argv.mid(1))
        arguments << QFile::decodeName(argument);
    const test::ProgramRun ran =
        test::runProgram(QFile::decodeName(argv.first()), arguments, {.input = input});
    return ran.succeeded() ? QString() : QString::fromUtf8(ran.said()) + QStringLiteral(" ");
}

// The sound encoded in `parts` lanes and joined as a conversion joins them, in `output`.
QString encodeAndJoin(AudioFormat format, int parts, double seconds, const QString& folder,
                      const QString& output, const QList<ChapterMark>& chapters)
{
    const QByteArray sound = toneSamples(seconds);
    const qsizetype share = (sound.size() / parts) & ~qsizetype(1);
    QStringList partPaths;
    QByteArray joined;
    for (int i = 0; i < parts; ++i) {
        const QString part = folder + QLatin1Char('/') + lanePartName(format, i);
        const QByteArray samples =
            i + 1 == parts ? sound.mid(share * i) : sound.mid(share * i, share);
        if (QString said =
                run(laneEncoderArguments(format, defaultEncoder(format), part, parts > 1), samples);
            !said.isEmpty())
            return said;
        partPaths << part;
        joined += test::readFile(part);
    }
    if (format == AudioFormat::Mp3) {
        test::writeFile(output, joined);
        return QString();
    }
    const QString chaptersPath = folder + QStringLiteral("/chapters.txt");
    test::writeFile(chaptersPath, chapterMetadata(chapters));
    QString input = folder + QStringLiteral("/sound.aac");
    if (format == AudioFormat::M4b) {
        test::writeFile(input, joined);
    } else {
        QStringList names;
        for (const QString& path : partPaths)
            names << QFileInfo(path).fileName();
        input = test::writeFile(folder + QStringLiteral("/parts.txt"), concatList(names));
    }
    return run(containerArguments(format, QStringLiteral("ffmpeg"), input, chaptersPath, output));
}

const QList<ChapterMark> ThreeChapters{
    {QStringLiteral("Première partie — L'été"), 0, 2000},
    {QStringLiteral("A = B; C # D \\ E"), 2000, 4500},
    {QStringLiteral("[CHAPTER] title=Three"), 4500, 7000},
};

} // namespace

class TestAudioFormats : public QObject
{
    Q_OBJECT

private slots:
    void names_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("format"); // -1: no format
        QTest::addColumn<QString>("extension");
        QTest::addColumn<QString>("title");
        QTest::newRow("mp3") << "mp3" << int(AudioFormat::Mp3) << ".mp3"
                             << "MP3";
        QTest::newRow("m4b in capitals") << "M4B" << int(AudioFormat::M4b) << ".m4b"
                                         << "M4B";
        QTest::newRow("opus") << "opus" << int(AudioFormat::Opus) << ".opus"
                              << "Opus";
        QTest::newRow("ogg is not a name") << "ogg" << -1 << ""
                                           << "";
        QTest::newRow("empty") << "" << -1 << ""
                               << "";
    }

    void names()
    {
        QFETCH(QString, name);
        QFETCH(int, format);
        QFETCH(QString, extension);
        QFETCH(QString, title);
        const std::optional<AudioFormat> named = audioFormatNamed(name);
        QCOMPARE(named ? int(*named) : -1, format);
        if (!named)
            return;
        QCOMPARE(audioFormatName(*named), name.toLower());
        QCOMPARE(audioFormatExtension(*named), extension);
        QCOMPARE(audioFormatTitle(*named), title);
        QCOMPARE(withAudioExtension(QStringLiteral("/a.b/Book.MP3"), *named),
                 QStringLiteral("/a.b/Book") + extension);
        QCOMPARE(withAudioExtension(QStringLiteral("/a.mp3/Book"), *named),
                 QStringLiteral("/a.mp3/Book") + extension);
    }

    // Every path reaches ffmpeg as a file URL, so neither a leading dash nor a colon makes it
    // an option or a protocol; the lanes read the voice's raw sound from their pipe; the
    // containers copy the sound as it is; the password reaches pdftoppm as one argument.
    void argumentLists_data()
    {
        QTest::addColumn<QByteArrayList>("built");
        QTest::addColumn<test::ToolCall>("expected");
        const QByteArrayList voice{"-f", "s16le", "-ar", "22050", "-ac", "1", "-i", "pipe:0"};
        QTest::newRow("M4B lane") << laneEncoderArguments(AudioFormat::M4b, "ffmpeg",
                                                          "/w/part1.aac", true)
                                  << test::ToolCall{"ffmpeg",
                                                    {voice, {"-c:a", "aac"}, {"-f", "adts"}},
                                                    {"-y", "file:/w/part1.aac"}};
        QTest::newRow("Opus lane, a name with a colon")
            << laneEncoderArguments(AudioFormat::Opus, "ffmpeg", "http:x.opus", false)
            << test::ToolCall{"ffmpeg",
                              {voice, {"-c:a", "libopus"}, {"-f", "ogg"}},
                              {"-y", "file:http:x.opus"}};
        QTest::newRow("MP3 lane is lame's")
            << laneEncoderArguments(AudioFormat::Mp3, "lame", "-x.mp3", false)
            << test::ToolCall{"lame", {{"-s", "22.05"}}, {"-", "./-x.mp3"}};
        QTest::newRow("M4B container with chapters")
            << containerArguments(AudioFormat::M4b, "ffmpeg", "/w/sound.aac", "/w/ch.txt",
                                  "-book.m4b")
            << test::ToolCall{"ffmpeg",
                              {{"-i", "file:/w/sound.aac"},
                               {"-f", "ffmetadata", "-i", "file:/w/ch.txt"},
                               {"-map_chapters", "1"},
                               {"-c", "copy"},
                               {"-f", "ipod"}},
                              {"-y", "file:-book.m4b"}};
        QTest::newRow("Opus container from the parts' list")
            << containerArguments(AudioFormat::Opus, "ffmpeg", "/w/parts.txt", "/w/ch.txt",
                                  "/o/B.opus")
            << test::ToolCall{
                   "ffmpeg",
                   {{"-f", "concat", "-i", "file:/w/parts.txt"}, {"-c", "copy"}, {"-f", "ogg"}},
                   {"-y", "file:/o/B.opus"},
                   {"file:/w/ch.txt"}};
        const QList<QByteArrayList> firstPage{{"-f", "1", "-l", "1"}, {"-singlefile"}, {"-jpeg"}};
        QTest::newRow("cover") << coverRenderArguments("pdftoppm", "/d/a b.pdf", {}, "/w/cover")
                               << test::ToolCall{"pdftoppm",
                                                 firstPage,
                                                 {"/d/a b.pdf", "/w/cover"},
                                                 {"-opw", "-upw"}};
        QTest::newRow("cover of an encrypted PDF named with a dash")
            << coverRenderArguments("pdftoppm", "-a.pdf", QStringLiteral("p ä"), "/w/cover")
            << test::ToolCall{"pdftoppm",
                              firstPage + QList<QByteArrayList>{{"-opw", "p \xc3\xa4"},
                                                                {"-upw", "p \xc3\xa4"}},
                              {"./-a.pdf", "/w/cover"}};
    }

    void argumentLists()
    {
        QFETCH(QByteArrayList, built);
        QFETCH(test::ToolCall, expected);
        QCOMPARE(test::argumentFault(built, expected), QString());
    }

    void chapterTexts_data()
    {
        QTest::addColumn<QList<ChapterMark>>("chapters");
        QTest::addColumn<QByteArray>("metadata");
        QTest::newRow("none") << QList<ChapterMark>() << QByteArray(";FFMETADATA1\n");
        QTest::newRow("special characters escaped, lines joined")
            << QList<ChapterMark>{{QStringLiteral("a=b;c#d\\e\nf"), 0, 1500}}
            << QByteArray(";FFMETADATA1\n[CHAPTER]\nTIMEBASE=1/1000\nSTART=0\nEND=1500\n"
                          "title=a\\=b\\;c\\#d\\\\e f\n");
        QTest::newRow("an end before the start is the start; UTF-8 kept")
            << QList<ChapterMark>{{QStringLiteral("Été"), 3000, 0}}
            << QByteArray(";FFMETADATA1\n[CHAPTER]\nTIMEBASE=1/1000\nSTART=3000\nEND=3000\n"
                          "title=\xc3\x89t\xc3\xa9\n");
    }

    void chapterTexts()
    {
        QFETCH(QList<ChapterMark>, chapters);
        QFETCH(QByteArray, metadata);
        QCOMPARE(chapterMetadata(chapters), metadata);
    }

    void opusTimes_data()
    {
        QTest::addColumn<qint64>("ms");
        QTest::addColumn<QString>("text");
        QTest::newRow("start") << qint64(0) << "00:00:00.000";
        QTest::newRow("every field") << qint64(3723004) << "01:02:03.004";
        QTest::newRow("past 99 hours") << qint64(360000000) << "100:00:00.000";
        QTest::newRow("negative") << qint64(-5) << "00:00:00.000";
    }

    void opusTimes()
    {
        QFETCH(qint64, ms);
        QFETCH(QString, text);
        QCOMPARE(opusChapterTime(ms), text);
    }

    void concatListQuotes()
    {
        QCOMPARE(concatList({QStringLiteral("part1.opus"), QStringLiteral("it's.opus")}),
                 QByteArray("file 'part1.opus'\nfile 'it'\\''s.opus'\n"));
    }

    // A file made as a conversion makes it (lanes encoded and joined, then put into its
    // container, then tagged) decodes, lists the chapters given with their exact titles and
    // starts, and carries the cover exactly when it is given.
    void writtenFiles_data()
    {
        QTest::addColumn<int>("format");
        QTest::addColumn<int>("parts");
        QTest::addColumn<bool>("withChapters");
        QTest::addColumn<bool>("withCover");
        QTest::addColumn<QString>("codec");
        QTest::newRow("M4B, two parts, chapters and cover")
            << int(AudioFormat::M4b) << 2 << true << true << "aac";
        QTest::newRow("M4B, one part, no cover")
            << int(AudioFormat::M4b) << 1 << true << false << "aac";
        QTest::newRow("M4B without chapters")
            << int(AudioFormat::M4b) << 1 << false << true << "aac";
        QTest::newRow("Opus, two parts, chapters and cover")
            << int(AudioFormat::Opus) << 2 << true << true << "opus";
        QTest::newRow("Opus, no cover, no chapters")
            << int(AudioFormat::Opus) << 2 << false << false << "opus";
        QTest::newRow("MP3 with chapters and cover")
            << int(AudioFormat::Mp3) << 2 << true << true << "mp3";
        QTest::newRow("MP3 without") << int(AudioFormat::Mp3) << 1 << false << false << "mp3";
    }

    void writtenFiles()
    {
        REQUIRE_CORPUS();
        QFETCH(int, format);
        QFETCH(int, parts);
        QFETCH(bool, withChapters);
        QFETCH(bool, withCover);
        QFETCH(QString, codec);
        const auto audioFormat = AudioFormat(format);
        const QString folder = test::freshScratch();
        const QString output =
            folder + QStringLiteral("/../book") + audioFormatExtension(audioFormat);
        const QList<ChapterMark> chapters = withChapters ? ThreeChapters : QList<ChapterMark>();
        const QString said = encodeAndJoin(audioFormat, parts, 7.0, folder, output, chapters);
        QVERIFY2(said.isEmpty(), qPrintable(said));

        Mp3Tags tags;
        tags.title = QStringLiteral("Le livre — «titre»");
        tags.artist = QStringLiteral("Auteur");
        tags.comment = QStringLiteral("comment");
        tags.chapters = chapters;
        if (withCover) {
            const QString cover = folder + QStringLiteral("/cover");
            QCOMPARE(run(coverRenderArguments(
                         QStringLiteral("pdftoppm"),
                         test::corpusFile(QStringLiteral("french_diacritics.pdf")), {}, cover)),
                     QString());
            tags.cover = readCoverPicture(cover + QStringLiteral(".jpg"));
            QVERIFY(!tags.cover.isEmpty());
        }
        writeAudioTags(audioFormat, output, tags);

        QCOMPARE(test::decodingFault(output), QString());
        const std::optional<test::ProbedAudio> probed = test::probeAudio(output);
        QVERIFY(probed);
        QCOMPARE(probed->codec, codec);
        QCOMPARE(probed->title, tags.title);
        QCOMPARE(probed->hasCover, withCover);
        QVERIFY2(qAbs(probed->seconds - 7.0) < 0.2, qPrintable(QString::number(probed->seconds)));
        QCOMPARE(probed->chapters.size(), chapters.size());
        for (qsizetype i = 0; i < chapters.size(); ++i) {
            QCOMPARE(probed->chapters.at(i).title, chapters.at(i).title);
            QVERIFY(qAbs(probed->chapters.at(i).startSeconds - chapters.at(i).startMs / 1000.0) <
                    0.01);
        }
    }

    // What the renderer leaves is a cover only when it is a whole JPEG.
    void coverPictures_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("taken");
        QTest::newRow("whole JPEG") << QByteArray("\xFF\xD8\xFF\xE0 rest \xFF\xD9") << true;
        QTest::newRow("cut short") << QByteArray("\xFF\xD8\xFF\xE0 rest") << false;
        QTest::newRow("a PNG") << QByteArray("\x89PNG\r\n\x1a\n \xFF\xD9") << false;
        QTest::newRow("empty") << QByteArray() << false;
    }

    void coverPictures()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, taken);
        const QString path = test::freshScratch() + QStringLiteral("/cover.jpg");
        test::writeFile(path, bytes);
        QCOMPARE(readCoverPicture(path), taken ? bytes : QByteArray());
        QCOMPARE(readCoverPicture(path + QStringLiteral(".missing")), QByteArray());
    }
};

QTEST_GUILESS_MAIN(TestAudioFormats)
#include "test_audio_formats.moc"
