// Reading a scanned book aloud: time from Start Reading to the first sound of a 20-page scan
// whose pages are recognised on the way, against rendering and recognising its first page with
// pdftoppm and tesseract by hand, in the same run. Prints, never fails. The scan is made here:
// twenty pages of the corpus's novel rendered at 300 dpi and wrapped as pictures in a PDF.
// Needs the test sink of tools/with-audio.sh (else the first utterance begun is timed),
// pdftoppm and tesseract with English.
#include "bench_waiting.h"
#include "core/reading/reading_session.h"
#include "support/drawn_pdf.h"
#include "support/sink_recorder.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <cstdio>

using namespace lectorix;
using namespace std::chrono_literals;
using Clock = test::SinkRecorder::Clock;

namespace {

constexpr int Pages = 20;
constexpr int Runs = 3;
constexpr double Heard = 60.0;

double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values.isEmpty() ? -1.0 : values.at(values.size() / 2);
}

// Rendering and recognising the scan's first page by hand, as one would at a terminal.
double firstPageByHandMs(const QString& scan, const QString& folder)
{
    QElapsedTimer clock;
    clock.start();
    const QString image = folder + QStringLiteral("/first");
    QProcess::execute(QStringLiteral("pdftoppm"), {"-r", "300", "-gray", "-tiff", "-f", "1", "-l",
                                                   "1", "-singlefile", scan, image});
    QProcess::execute(QStringLiteral("tesseract"),
                      {image + QStringLiteral(".tif"), image, "-l", "eng", "quiet"});
    const double ms = double(clock.nsecsElapsed()) / 1e6;
    QFile::remove(image + QStringLiteral(".tif"));
    QFile::remove(image + QStringLiteral(".txt"));
    return ms;
}

// Milliseconds from start() to the first sound (or, without a sink, to the first utterance
// begun); -1 when nothing came within a minute.
double firstSoundMs(const ReadingRequest& request, test::SinkRecorder* recorder)
{
    if (recorder)
        bench::waitUntil([&] { return recorder->rmsSince(Clock::now() - 200ms) <= 5.0; }, 5000);
    ReadingSession session;
    bool begun = false;
    QObject::connect(&session, &ReadingSession::spokenRange, [&] { begun = true; });
    const auto start = Clock::now();
    session.start(request);
    const auto heard = [&] {
        return recorder ? recorder->rmsSince(Clock::now() - 30ms) > Heard : begun;
    };
    const bool any =
        bench::waitUntil([&] { return heard() || session.state() == ReadingState::Idle; }, 60000) &&
        heard();
    const auto now = Clock::now();
    session.stop();
    bench::settle(400); // the sink falls silent before the next run
    if (!any)
        return -1.0;
    const auto at = recorder ? recorder->firstSound(start, now, Heard) : now;
    return std::chrono::duration<double, std::milli>(at - start).count();
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir scratch;
    qputenv("TEMP", QFile::encodeName(scratch.path()));
    const QString novel = QStringLiteral(LECTORIX_CORPUS_DIR "/01-A-Study-in-Scarlet.pdf");
    const QString scan = scratch.path() + QStringLiteral("/scanned-book.pdf");
    if (!QFile::exists(novel) || test::scannedCopy(novel, 16, 16 + Pages - 1, scan).isEmpty()) {
        std::printf("scan first sound: skipped (the corpus or pdftoppm is missing)\n");
        return 0;
    }
    std::unique_ptr<test::SinkRecorder> recorder;
    if (!test::SinkRecorder::sinkName().isEmpty()) {
        recorder = std::make_unique<test::SinkRecorder>();
        if (!recorder->error().isEmpty())
            recorder.reset();
    }

    ReadingRequest request;
    request.fromPdf = true;
    request.pdfPath = scan;
    request.recognise = true;
    firstSoundMs(request, recorder.get()); // the first reading starts the audio output
    QList<double> byHand;
    QList<double> sounds;
    for (int i = 0; i < Runs; ++i) {
        byHand << firstPageByHandMs(scan, scratch.path());
        sounds << firstSoundMs(request, recorder.get());
    }
    const double firstPage = median(byHand);
    const double sound = median(sounds);
    std::printf("a %d-page scan, read aloud with its pages recognised (median of %d):\n", Pages,
                Runs);
    std::printf("  pdftoppm + tesseract, first page  %8.1f ms\n", firstPage);
    std::printf("  Start Reading to first %s  %8.1f ms\n", recorder ? "sound    " : "utterance",
                sound);
    std::printf("  ratio first sound/first page by hand: %.2f (goal <= 1.5)\n", sound / firstPage);
    return 0;
}
