// The MP3 of a document and the reading of it aloud speak the same prepared text, so they last
// about as long; line by line, both would fall at every printed line end.

#include "core/conversion/conversion_job.h"
#include "core/reading/reading_session.h"
#include "support/audio_files.h"
#include "support/job_run.h"
#include "support/sink_recorder.h"
#include "support/test_env.h"

#include <QProcess>
#include <QStandardPaths>
#include <QtTest>

#include <csignal>

using namespace lectorix;
using namespace std::chrono_literals;
using Clock = test::SinkRecorder::Clock;

namespace {

constexpr double Quiet = 20.0;

// One page of a printed novel (running head, page number, dialogue, hyphenations), as a PDF.
QString novelPage(const QString& folder)
{
    const QString page = folder + QStringLiteral("/page.pdf");
    QProcess::execute(QStringLiteral("qpdf"),
                      {QStringLiteral("--empty"), QStringLiteral("--pages"),
                       test::corpusFile(QStringLiteral("01-A-Study-in-Scarlet.pdf")),
                       QStringLiteral("18"), QStringLiteral("--"), page});
    return QFileInfo::exists(page) ? page : QString();
}

} // namespace

class TestSpokenLength : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { test::ignoreBrokenPipes(); }
    // A write into the pipe of an encoder that has ended must fail, not end the test.

    void mp3LastsAsLongAsTheReading()
    {
        for (const char* tool : {"qpdf", "pdftotext", "lame", "mpg123"})
            if (QStandardPaths::findExecutable(QLatin1String(tool)).isEmpty())
                QSKIP("qpdf, pdftotext, lame and mpg123 are needed");
        REQUIRE_CORPUS();
        NEED_SINK(rec);
        const QString temp = test::freshScratch();
        const QString pdf = novelPage(QFileInfo(temp).absolutePath());
        QVERIFY(!pdf.isEmpty());
        VoiceSettings voice;
        voice.rate = 8;

        ReadingSession session;
        ReadingRequest reading;
        reading.fromPdf = true;
        reading.pdfPath = pdf;
        reading.voice = voice;
        const auto start = Clock::now();
        session.start(reading);
        QVERIFY(QTest::qWaitFor([&] { return session.state() == ReadingState::Idle; }, 300000));
        const auto end = Clock::now();
        const auto heard =
            rec->lastSound(start, end + 300ms, Quiet) - rec->firstSound(start, end, Quiet);
        const double readSeconds = std::chrono::duration<double>(heard).count();

        ConversionRequest conversion;
        conversion.sourcePdf = pdf;
        conversion.outputPath = QFileInfo(temp).absolutePath() + QStringLiteral("/page.mp3");
        conversion.voice = voice;
        ConversionJob job(conversion);
        const auto result = test::runToEnd(job, 300000).result;
        QVERIFY(result);
        QCOMPARE(int(result->outcome), int(ConversionOutcome::Done));
        const double mp3Seconds = double(test::mp3Samples(conversion.outputPath)) / 22050.0;

        qInfo("read aloud %.2f s, MP3 %.2f s", readSeconds, mp3Seconds);
        QVERIFY(readSeconds > 5);
        QVERIFY2(qAbs(mp3Seconds - readSeconds) < readSeconds * 0.05,
                 qPrintable(
                     QStringLiteral("read aloud %1 s, MP3 %2 s").arg(readSeconds).arg(mp3Seconds)));
    }
};

QTEST_GUILESS_MAIN(TestSpokenLength)
#include "test_spoken_length.moc"
