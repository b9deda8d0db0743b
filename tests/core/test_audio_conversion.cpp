// A conversion into each audio format with the real voice, encoders and renderer: the file
// decodes, is named and tagged as asked, carries the first page as its cover unless none is
// wanted, and still comes out when the page cannot be rendered.
#include "core/conversion/conversion_job.h"
#include "support/audio_probe.h"
#include "support/job_run.h"
#include "support/process_info.h"
#include "support/test_env.h"

#include <QDir>
#include <QFileInfo>
#include <QSignalSpy>
#include <QtTest>

#include <unistd.h>

using namespace lectorix;

namespace {

// What is left beside the output and in {TEMP} once the job has ended.
QStringList leftovers(const QString& temp, const QString& output)
{
    QStringList left = QDir(temp).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    left += QDir(QFileInfo(output).absolutePath())
                .entryList({QLatin1Char('.') + QFileInfo(output).fileName() + QLatin1Char('*')},
                           QDir::Files | QDir::Hidden);
    return left;
}

} // namespace

class TestAudioConversion : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { test::ignoreBrokenPipes(); }

    void formats_data()
    {
        QTest::addColumn<QString>("pdf"); // empty: typed text
        QTest::addColumn<int>("format");
        QTest::addColumn<bool>("cover");
        QTest::addColumn<QByteArray>("renderer"); // a script in place of pdftoppm; empty: it
        QTest::addColumn<int>("pieces");
        QTest::addColumn<bool>("hasCover");
        QTest::addColumn<QString>("codec");
        const QByteArray failing = "#!/bin/sh\necho 'Syntax Error: broken page' >&2\nexit 1\n";
        const QByteArray halfPicture =
            "#!/bin/sh\neval last=\\${$#}\nprintf '\\377\\330\\377\\340 half' > \"$last.jpg\"\n";
        const auto m4b = int(AudioFormat::M4b);
        const auto opus = int(AudioFormat::Opus);
        const auto mp3 = int(AudioFormat::Mp3);
        // The paper is cut at its 21 chapters, spoken in two lanes.
        QTest::newRow("M4B in two lanes, with its cover")
            << "issue-982-example.pdf" << m4b << true << QByteArray() << 21 << true << "aac";
        QTest::newRow("Opus in two lanes, with its cover")
            << "issue-982-example.pdf" << opus << true << QByteArray() << 21 << true << "opus";
        QTest::newRow("MP3 with its cover")
            << "french_diacritics.pdf" << mp3 << true << QByteArray() << 1 << true << "mp3";
        QTest::newRow("M4B, no cover wanted")
            << "french_diacritics.pdf" << m4b << false << QByteArray() << 1 << false << "aac";
        QTest::newRow("Opus, the page cannot be rendered")
            << "french_diacritics.pdf" << opus << true << failing << 1 << false << "opus";
        QTest::newRow("MP3, the renderer leaves half a picture")
            << "french_diacritics.pdf" << mp3 << true << halfPicture << 1 << false << "mp3";
        QTest::newRow("typed text has no cover")
            << QString() << m4b << true << QByteArray() << 1 << false << "aac";
    }

    void formats()
    {
        REQUIRE_CORPUS();
        QFETCH(QString, pdf);
        QFETCH(int, format);
        QFETCH(bool, cover);
        QFETCH(QByteArray, renderer);
        QFETCH(int, pieces);
        QFETCH(bool, hasCover);
        QFETCH(QString, codec);
        const QString temp = test::freshScratch();
        ConversionRequest request;
        request.format = AudioFormat(format);
        request.outputPath =
            temp + QStringLiteral("/../out/book") + audioFormatExtension(request.format);
        QDir().mkpath(QFileInfo(request.outputPath).absolutePath());
        if (pdf.isEmpty()) {
            request.sourceText = QStringLiteral("A short text, typed.");
            request.sourceName = QStringLiteral("typed");
        } else {
            request.sourcePdf = test::corpusFile(pdf);
        }
        request.voice.rate = 10;
        request.cover = cover;
        const QString scripts = temp + QStringLiteral("/../scripts");
        if (!renderer.isEmpty()) {
            request.coverRenderer =
                test::writeFile(scripts + QStringLiteral("/pdftoppm"), renderer);
            QFile::setPermissions(request.coverRenderer, QFileDevice::Permissions(0x7700));
        }
        ConversionJob job(request);
        int made = 0;
        QObject::connect(&job, &ConversionJob::progress,
                         [&](const ConversionProgress& p) { made = p.pieces; });
        const test::JobRun<ConversionJob> run = test::runToEnd(job, 600000);
        QVERIFY(run.result);
        const ConversionResult& result = *run.result;
        QVERIFY2(result.outcome == ConversionOutcome::Done, qPrintable(result.message));
        QCOMPARE(run.failures.size(), 0);
        QCOMPARE(made, pieces);
        QCOMPARE(leftovers(temp, request.outputPath), QStringList());

        QCOMPARE(test::decodingFault(request.outputPath), QString());
        const std::optional<test::ProbedAudio> probed = test::probeAudio(request.outputPath);
        QVERIFY(probed);
        QCOMPARE(probed->codec, codec);
        QCOMPARE(probed->hasCover, hasCover);
        QVERIFY(probed->seconds > 0.5);
        QVERIFY(!probed->title.isEmpty());
    }

    // Cancelled while its voices speak or while ffmpeg puts the sound into its container, a
    // conversion stops its tools at once and leaves nothing; an earlier file stays as it was.
    void cancelLeavesNothing_data()
    {
        QTest::addColumn<QString>("pdf");
        QTest::addColumn<int>("format");
        QTest::addColumn<bool>("inContainer"); // else at a tenth of the speech
        QTest::newRow("Opus while speaking")
            << "tracemonkey.pdf" << int(AudioFormat::Opus) << false;
        QTest::newRow("M4B while put into its container")
            << "french_diacritics.pdf" << int(AudioFormat::M4b) << true;
    }

    void cancelLeavesNothing()
    {
        REQUIRE_CORPUS();
        QFETCH(QString, pdf);
        QFETCH(int, format);
        QFETCH(bool, inContainer);
        const QString temp = test::freshScratch();
        ConversionRequest request;
        request.format = AudioFormat(format);
        request.sourcePdf = test::corpusFile(pdf);
        request.outputPath =
            temp + QStringLiteral("/../earlier") + audioFormatExtension(request.format);
        test::writeFile(request.outputPath, "an earlier file");
        request.voice.rate = 10;
        ConversionJob job(request);
        bool ended = false;
        QObject::connect(&job, &ConversionJob::finished, [&] { ended = true; });
        bool reached = false;
        QObject::connect(&job, &ConversionJob::progress, [&](const ConversionProgress& p) {
            reached =
                reached || (inContainer ? p.stage == ConversionStage::Joining : p.fraction >= 0.1);
            if (reached && !ended)
                job.cancel();
        });
        job.start();
        QVERIFY(QTest::qWaitFor([&] { return ended; }, 300000));
        QVERIFY(reached);
        QCOMPARE(test::readFile(request.outputPath), QByteArray("an earlier file"));
        QCOMPARE(leftovers(temp, request.outputPath), QStringList());
        QCOMPARE(test::livingChildNames(::getpid()), QStringList());
    }

    // Without its encoder the conversion fails, names the package, and leaves nothing.
    void missingEncoder_data()
    {
        QTest::addColumn<int>("format");
        QTest::newRow("M4B") << int(AudioFormat::M4b);
        QTest::newRow("Opus") << int(AudioFormat::Opus);
    }

    void missingEncoder()
    {
        QFETCH(int, format);
        const QString temp = test::freshScratch();
        ConversionRequest request;
        request.format = AudioFormat(format);
        request.sourceText = QStringLiteral("Some text.");
        request.sourceName = QStringLiteral("typed");
        request.outputPath =
            temp + QStringLiteral("/../said") + audioFormatExtension(request.format);
        request.formatTool = temp + QStringLiteral("/../no such folder/ffmpeg");
        ConversionJob job(request);
        const auto result = test::runToEnd(job).result;
        QVERIFY(result);
        QCOMPARE(int(result->outcome), int(ConversionOutcome::Failed));
        QCOMPARE(result->message,
                 QStringLiteral("The %1 file %2 could not be made: the %1 encoder failed (is the "
                                "package ffmpeg installed?).")
                     .arg(audioFormatTitle(request.format), request.outputPath));
        QVERIFY(!QFile::exists(request.outputPath));
        QCOMPARE(leftovers(temp, request.outputPath), QStringList());
    }
};

QTEST_GUILESS_MAIN(TestAudioConversion)
#include "test_audio_conversion.moc"
