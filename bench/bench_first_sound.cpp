// Reading a PDF aloud: time from Start Reading to the first sound on the test sink, for a long
// book, freeculture.pdf and a three-page document, each against pdftotext on the whole
// document and on its first page alone, and against a short typed sentence. Prints, never
// fails. Needs the test sink of tools/with-audio.sh, pdftotext and qpdf.
#include "core/reading/reading_session.h"
#include "support/sink_recorder.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <cstdio>

using namespace lectorix;
using namespace std::chrono_literals;
using Clock = test::SinkRecorder::Clock;

namespace {

constexpr double Heard = 60.0;
constexpr int Runs = 3;

double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values.isEmpty() ? -1.0 : values.at(values.size() / 2);
}

// Milliseconds from start() to the first sound, or -1 when nothing was heard.
double firstSoundMs(const ReadingRequest& request, test::SinkRecorder& recorder)
{
    // Starts from silence, so nothing of the run before is taken for this one's sound.
    QElapsedTimer quiet;
    quiet.start();
    while (recorder.rmsSince(Clock::now() - 200ms) > 5.0 && quiet.elapsed() < 5000)
        QThread::msleep(50);
    ReadingSession session;
    const auto start = Clock::now();
    session.start(request);
    QElapsedTimer waited;
    waited.start();
    bool heard = false;
    while (!heard && waited.elapsed() < 30000 && session.state() != ReadingState::Idle) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        heard = recorder.rmsSince(Clock::now() - 30ms) > Heard;
    }
    const auto now = Clock::now();
    session.stop();
    QThread::msleep(400); // the sink falls silent before the next run
    if (!heard)
        return -1.0;
    return std::chrono::duration<double, std::milli>(recorder.firstSound(start, now, Heard) - start)
        .count();
}

double converterMs(const QStringList& arguments)
{
    QList<double> times;
    for (int i = 0; i < Runs; ++i) {
        QElapsedTimer clock;
        clock.start();
        QProcess::execute(QStringLiteral("pdftotext"), arguments);
        times << double(clock.nsecsElapsed()) / 1e6;
    }
    return median(times);
}

int pageCount(const QString& pdf)
{
    QProcess qpdf;
    qpdf.start(QStringLiteral("qpdf"), {QStringLiteral("--show-npages"), pdf});
    qpdf.waitForFinished();
    return qpdf.readAllStandardOutput().trimmed().toInt();
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir scratch;
    qputenv("TEMP", QFile::encodeName(scratch.path()));
    if (test::SinkRecorder::sinkName().isEmpty()) {
        std::printf("first sound: skipped (no test sink; run under tools/with-audio.sh)\n");
        return 0;
    }
    test::SinkRecorder recorder;
    if (!recorder.error().isEmpty()) {
        std::printf("first sound: skipped (%s)\n", qPrintable(recorder.error()));
        return 0;
    }
    const QString corpus = QStringLiteral(LECTORIX_CORPUS_DIR);
    const QString novel = corpus + QStringLiteral("/01-A-Study-in-Scarlet.pdf");
    const QString book = scratch.path() + QStringLiteral("/long-book.pdf");
    const QString threePages = scratch.path() + QStringLiteral("/three-pages.pdf");
    // A 542-page novel: the corpus's novel three times over, cut to length.
    QProcess::execute(QStringLiteral("qpdf"), {"--empty", "--pages", novel, "1-z", novel, "1-z",
                                               novel, "1-116", "--", book});
    QProcess::execute(QStringLiteral("qpdf"),
                      {"--empty", "--pages", novel, "16-18", "--", threePages});

    QList<double> typed;
    ReadingRequest sentence;
    sentence.text = QStringLiteral("Hello there.");
    firstSoundMs(sentence, recorder); // the first reading starts the audio output
    for (int i = 0; i < Runs; ++i)
        typed << firstSoundMs(sentence, recorder);
    const double typedMs = median(typed);
    std::printf("first sound of a short typed sentence (baseline): %.1f ms\n\n", typedMs);

    for (const QString& pdf : {book, corpus + QStringLiteral("/freeculture.pdf"), threePages}) {
        if (!QFile::exists(pdf)) {
            std::printf("%s: skipped (missing)\n", qPrintable(QFileInfo(pdf).fileName()));
            continue;
        }
        const double whole = converterMs({pdf, scratch.path() + QStringLiteral("/whole.txt")});
        const double firstPage = converterMs({QStringLiteral("-l"), QStringLiteral("1"), pdf,
                                              scratch.path() + QStringLiteral("/one.txt")});
        ReadingRequest request;
        request.fromPdf = true;
        request.pdfPath = pdf;
        QList<double> sounds;
        for (int i = 0; i < Runs; ++i)
            sounds << firstSoundMs(request, recorder);
        const double sound = median(sounds);
        std::printf("%s (%d pages):\n", qPrintable(QFileInfo(pdf).fileName()), pageCount(pdf));
        std::printf("  pdftotext, whole document      %8.1f ms\n", whole);
        std::printf("  pdftotext -l 1                 %8.1f ms\n", firstPage);
        std::printf("  Start Reading to first sound   %8.1f ms\n", sound);
        std::printf("  beyond the typed sentence      %8.1f ms\n", sound - typedMs);
        std::printf("  ratio (beyond typed)/whole pdftotext: %.2f (goal <= 0.35)\n",
                    (sound - typedMs) / whole);
        std::printf("  ratio first sound/(1.5 x pdftotext -l 1 + 100 ms): %.2f (goal <= 1)\n\n",
                    sound / (1.5 * firstPage + 100.0));
    }
    return 0;
}
