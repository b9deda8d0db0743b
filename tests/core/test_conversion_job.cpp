#include "core/conversion/conversion_job.h"
#include "core/pdf/document_text.h"
#include "support/audio_files.h"
#include "support/job_run.h"
#include "support/process_info.h"
#include "support/test_env.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QtTest>

#include <csignal>

#include <taglib/id3v2header.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>

#include <unistd.h>

using namespace lectorix;

namespace {

bool toolsPresent()
{
    for (const char* tool : {"pdftotext", "lame"})
        if (QStandardPaths::findExecutable(QLatin1String(tool)).isEmpty())
            return false;
    return true;
}

// Working folders that outlived their job.
QStringList workingFolders(const QString& temp)
{
    return QDir(temp).entryList({QStringLiteral("conversion-*"), QStringLiteral("reading-*")},
                                QDir::Dirs | QDir::NoDotAndDotDot);
}

// The job's end ("the job never ended" past the time), with its progress and failed steps.
ConversionResult convert(ConversionJob& job, QList<ConversionProgress>* progress = nullptr,
                         QList<JobFailure>* failures = nullptr)
{
    if (progress)
        QObject::connect(&job, &ConversionJob::progress,
                         [progress](const ConversionProgress& p) { progress->append(p); });
    const test::JobRun<ConversionJob> run = test::runToEnd(job, 600000);
    if (failures)
        *failures = run.failures;
    if (run.result)
        return *run.result;
    ConversionResult never;
    never.message = QStringLiteral("the job never ended");
    return never;
}

} // namespace

class TestConversionJob : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { test::ignoreBrokenPipes(); }
    // A write into the pipe of an encoder that has ended must fail, not end the test.

    void init()
    {
        REQUIRE_CORPUS();
        if (!toolsPresent())
            QSKIP("pdftotext and lame are needed");
    }

    // One extraction for every caller: what the converter gave is told apart without a window.
    void extractionOutcomes_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("password");
        QTest::addColumn<int>("outcome");
        const auto row = [](const char* name, const char* file, const char* password,
                            ExtractionOutcome outcome) {
            QTest::newRow(name) << QString::fromUtf8(file) << QString::fromUtf8(password)
                                << int(outcome);
        };
        row("text", "french_diacritics.pdf", "", ExtractionOutcome::Text);
        row("needs a password", "password-example.pdf", "", ExtractionOutcome::NeedsPassword);
        row("wrong password", "password-example.pdf", "nope", ExtractionOutcome::NeedsPassword);
        row("right password", "password-example.pdf", "test", ExtractionOutcome::Text);
        row("scanned", "c02-22.pdf", "", ExtractionOutcome::Unreadable);
        row("not a PDF", "invalid.pdf", "", ExtractionOutcome::Protected);
        row("missing", "no-such-file.pdf", "", ExtractionOutcome::Missing);
    }

    void extractionOutcomes()
    {
        QFETCH(QString, file);
        QFETCH(QString, password);
        QFETCH(int, outcome);
        const QString temp = test::freshScratch();
        ExtractionRequest request;
        request.pdfPath = test::corpusFolder() + QLatin1Char('/') + file;
        request.password = password;
        request.workingCopyPath = temp + QStringLiteral("/output.pdf");
        ExtractionJob job(request);
        const std::optional<ExtractionResult> ended = test::runToEnd(job, 60000).result;
        QVERIFY(ended);
        const ExtractionResult& result = *ended;
        QCOMPARE(int(result.outcome), outcome);
        QCOMPARE(QFileInfo::exists(temp + QStringLiteral("/output.txt")),
                 result.outcome == ExtractionOutcome::Text);
        QVERIFY(!QFileInfo::exists(temp + QStringLiteral("/output.txt.log")));
    }

    // Typed text to MP3 with the real voice and encoder, in a folder of its own that goes
    // afterwards; the progress moves forward only and reaches the encoding of the last piece.
    void textBecomesMp3()
    {
        const QString temp = test::freshScratch();
        const QString mp3 = temp + QStringLiteral("/../typed.mp3");
        ConversionRequest request;
        request.sourceText = QStringLiteral("It's the US army's first-class text.\nA second line.");
        request.outputPath = mp3;
        request.voice.rate = 5;
        ConversionJob job(request);
        QList<JobFailure> failed;
        QList<ConversionProgress> progress;
        const ConversionResult result = convert(job, &progress, &failed);
        QCOMPARE(int(result.outcome), int(ConversionOutcome::Done));
        QCOMPARE(result.message, QString());
        QVERIFY(QFileInfo(mp3).size() > 1000);
        QCOMPARE(workingFolders(temp), QStringList());
        QCOMPARE(failed.size(), 0);
        QVERIFY(!progress.isEmpty());
        for (qsizetype i = 1; i < progress.size(); ++i)
            QVERIFY(progress[i].fraction >= progress[i - 1].fraction);
        QCOMPARE(int(progress.last().stage), int(ConversionStage::Encoding));
        QCOMPARE(progress.last().piece, progress.last().pieces);
        QCOMPARE(progress.last().fraction, 1.0);
    }

    // A failed step is handed over as a value, once, while the job ends as that step's rule
    // says; a text with nothing to say is still a valid, silent MP3.
    void stepFailuresAreValues_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("refusedEncoder");
        QTest::addColumn<int>("outcome");
        QTest::addColumn<QList<int>>("steps");
        QTest::addColumn<QString>("message");
        QTest::newRow("encoder others may change")
            << "Some text." << true << int(ConversionOutcome::Failed)
            << QList<int>{int(ConversionStep::CheckEncoder)} << "the MP3 encoder was refused.";
        QTest::newRow("nothing to say is silence")
            << "&#xa0; # * ~" << false << int(ConversionOutcome::Done) << QList<int>() << "";
    }

    void stepFailuresAreValues()
    {
        QFETCH(QString, text);
        QFETCH(bool, refusedEncoder);
        QFETCH(int, outcome);
        QFETCH(QList<int>, steps);
        QFETCH(QString, message);
        const QString temp = test::freshScratch();
        const QString mp3 = temp + QStringLiteral("/../said.mp3");
        const QString ran = temp + QStringLiteral("/encoder ran");
        ConversionRequest request;
        request.sourceText = text;
        request.sourceName = QStringLiteral("typed");
        request.outputPath = mp3;
        if (refusedEncoder) {
            request.encoder = test::writeFile(temp + QStringLiteral("/lame"),
                                              "#!/bin/sh\ntouch '" + ran.toUtf8() + "'\n");
            QFile::setPermissions(request.encoder, QFileDevice::Permissions(0x7707));
        }
        ConversionJob job(request);
        QList<JobFailure> failures;
        const ConversionResult result = convert(job, nullptr, &failures);
        QCOMPARE(int(result.outcome), outcome);
        QList<int> failed;
        for (const JobFailure& failure : failures)
            failed << int(failure.as<ConversionStep>()->step);
        QCOMPARE(failed, steps);
        if (refusedEncoder)
            QVERIFY2(failures.first().description.contains(request.encoder),
                     qPrintable(failures.first().description));
        QVERIFY2(message.isEmpty() ? result.message.isEmpty() : result.message.endsWith(message),
                 qPrintable(result.message));
        QCOMPARE(QFileInfo(mp3).size() > 0, result.outcome == ConversionOutcome::Done);
        QVERIFY(!QFile::exists(ran));
        QCOMPARE(workingFolders(temp), QStringList());
    }

    // Cancelling at any point stops the tools within a second, removes the working folder and
    // the unfinished MP3, and leaves the MP3 already at the path as it was.
    void cancelLeavesNothing_data()
    {
        QTest::addColumn<double>("at");
        QTest::newRow("10%") << 0.1;
        QTest::newRow("50%") << 0.5;
        QTest::newRow("90%") << 0.9;
    }

    void cancelLeavesNothing()
    {
        QFETCH(double, at);
        const QString temp = test::freshScratch();
        const QString mp3 = temp + QStringLiteral("/../paper.mp3");
        test::writeFile(mp3, "an earlier MP3");
        ConversionRequest request;
        request.sourcePdf = test::corpusFile(QStringLiteral("tracemonkey.pdf"));
        request.outputPath = mp3;
        request.voice.rate = 10;
        ConversionJob job(request);
        ConversionResult result;
        bool ended = false;
        QObject::connect(&job, &ConversionJob::finished, [&](const ConversionResult& r) {
            result = r;
            ended = true;
        });
        double reached = 0;
        QObject::connect(&job, &ConversionJob::progress,
                         [&](const ConversionProgress& p) { reached = p.fraction; });
        job.start();
        QVERIFY(QTest::qWaitFor([&] { return reached >= at || ended; }, 300000));
        QVERIFY2(!ended, qPrintable(result.message));
        QElapsedTimer clock;
        clock.start();
        job.cancel();
        QVERIFY(clock.elapsed() < 1000);
        QVERIFY(!job.isRunning());
        QCOMPARE(int(result.outcome), int(ConversionOutcome::Cancelled));
        QCOMPARE(result.message, QStringLiteral("Conversion cancelled."));
        QCOMPARE(test::readFile(mp3), QByteArray("an earlier MP3"));
        QCOMPARE(workingFolders(temp), QStringList());
        QCOMPARE(QDir(QFileInfo(mp3).absolutePath())
                     .entryList({QStringLiteral(".paper.mp3.part-*")}, QDir::Files | QDir::Hidden),
                 QStringList());
        QCOMPARE(test::livingChildNames(::getpid()), QStringList());
    }

    // The tag names the document as the PDF does, else by its file name; what the caller
    // gives wins, in any script. A long document is spoken in parts (one per chapter) and joined:
    // the result still decodes from its first frame and players read its length right.
    void tagsAndJoinedLength_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("artist");
        QTest::addColumn<QString>("expectedTitle");
        QTest::addColumn<QString>("expectedArtist");
        QTest::addColumn<int>("parts");
        QTest::newRow("PDF with a title, an author and 20 chapters, joined")
            << "issue-982-example.pdf" << QString() << QString() << "Art in Machine Learning"
            << "Martin Thoma" << 21;
        QTest::newRow("PDF without") << "french_diacritics.pdf" << QString() << QString()
                                     << "french_diacritics" << QString() << 1;
        QTest::newRow("given, not ASCII")
            << "french_diacritics.pdf" << QStringLiteral("Les Misérables — Tome I")
            << QStringLiteral("Виктор Гюго") << QStringLiteral("Les Misérables — Tome I")
            << QStringLiteral("Виктор Гюго") << 1;
    }

    void tagsAndJoinedLength()
    {
        QFETCH(QString, file);
        QFETCH(QString, title);
        QFETCH(QString, artist);
        QFETCH(QString, expectedTitle);
        QFETCH(QString, expectedArtist);
        QFETCH(int, parts);
        const QString temp = test::freshScratch();
        const QString mp3 = temp + QStringLiteral("/../tagged.mp3");
        ConversionRequest request;
        request.sourcePdf = test::corpusFile(file);
        request.outputPath = mp3;
        request.voice.rate = 10;
        request.title = title;
        request.artist = artist;
        ConversionJob job(request);
        QList<ConversionProgress> progress;
        const ConversionResult result = convert(job, &progress);
        QCOMPARE(int(result.outcome), int(ConversionOutcome::Done));
        QCOMPARE(progress.last().pieces, parts);

        TagLib::MPEG::File read(QFile::encodeName(mp3).constData());
        QVERIFY(read.hasID3v2Tag());
        QCOMPARE(int(read.ID3v2Tag()->header()->majorVersion()), 4);
        QCOMPARE(QString::fromStdString(read.ID3v2Tag()->title().to8Bit(true)), expectedTitle);
        QCOMPARE(QString::fromStdString(read.ID3v2Tag()->artist().to8Bit(true)), expectedArtist);
        QVERIFY(QString::fromStdString(read.ID3v2Tag()->comment().to8Bit(true))
                    .endsWith(QStringLiteral("at speed 10")));

        const qint64 decoded = test::mp3Samples(mp3);
        QVERIFY2(decoded > 0, "mpg123 does not decode the MP3 from its start");
        const QString mediainfo = QStandardPaths::findExecutable(QStringLiteral("mediainfo"));
        if (mediainfo.isEmpty())
            return;
        QProcess info;
        info.start(mediainfo, {QStringLiteral("--Inform=Audio;%Duration%"), mp3});
        QVERIFY(info.waitForFinished(60000));
        const double reportedMs = info.readAllStandardOutput().trimmed().toDouble();
        const double decodedMs = decoded * 1000.0 / 22050.0;
        QVERIFY2(qAbs(reportedMs - decodedMs) <= decodedMs / 100,
                 qPrintable(QStringLiteral("reported %1 ms, decoded %2 ms, %3 parts")
                                .arg(reportedMs)
                                .arg(decodedMs)
                                .arg(progress.last().pieces)));
    }
};

QTEST_GUILESS_MAIN(TestConversionJob)
#include "test_conversion_job.moc"
