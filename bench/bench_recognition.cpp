// Recognising a 20-page scan, against tesseract run page by page in the same run.
//
// The scan is twenty pages of a novel from the corpus, rendered at 300 dpi and wrapped as an
// image-only PDF. The baseline renders each page (pdftoppm, 300 dpi, grey) and runs tesseract
// on it, one page after the other, as a script would. The recognition job does the same work
// with one tesseract per core, each loading its language model once per run of pages.
// Printed: both times, their ratio, and the time to the job's first page against rendering
// and recognising one page alone. Never fails.

#include "core/ocr/recognition_job.h"
#include "support/drawn_pdf.h"

#include "bench_waiting.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <cstdio>

using namespace lectorix;

namespace {

constexpr int Pages = 20;
constexpr int FirstPage = 20; // of the novel: past its title pages

bool run(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.setStandardOutputFile(QProcess::nullDevice());
    process.start(program, arguments);
    return process.waitForFinished(600000) && process.exitCode() == 0;
}

// Render page, recognise it: the way one page is done by hand. Milliseconds.
double pageByHand(const QString& scan, int page, const QString& folder)
{
    QElapsedTimer clock;
    clock.start();
    const QString image = folder + QStringLiteral("/page-%1").arg(page);
    run(QStringLiteral("pdftoppm"), {"-r", "300", "-gray", "-tiff", "-f", QString::number(page),
                                     "-l", QString::number(page), "-singlefile", scan, image});
    run(QStringLiteral("tesseract"), {image + ".tif", image, "-l", "eng", "tsv"});
    return double(clock.nsecsElapsed()) / 1e6;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir scratch;
    qputenv("TEMP", QFile::encodeName(scratch.filePath(QStringLiteral("temp"))));
    QDir().mkpath(scratch.filePath(QStringLiteral("temp")));
    const QString novel = QStringLiteral(LECTORIX_CORPUS_DIR "/01-A-Study-in-Scarlet.pdf");
    const QString scan = test::scannedCopy(novel, FirstPage, FirstPage + Pages - 1,
                                           scratch.filePath(QStringLiteral("scan.pdf")));
    if (scan.isEmpty()) {
        std::printf("no scan could be made of %s\n", qPrintable(novel));
        return 0;
    }

    QElapsedTimer clock;
    clock.start();
    double firstByHand = 0;
    for (int page = 1; page <= Pages; ++page) {
        const double ms = pageByHand(scan, page, scratch.path());
        if (page == 1)
            firstByHand = ms;
    }
    const double baseline = double(clock.nsecsElapsed()) / 1e6;

    QList<int> pages;
    for (int page = 1; page <= Pages; ++page)
        pages << page;
    RecognitionJob job({scan, {}, pages, {QStringLiteral("eng")}});
    double firstPage = -1;
    bool ended = false;
    QObject::connect(&job, &RecognitionJob::pageRecognised, [&](const LayoutPage&) {
        if (firstPage < 0)
            firstPage = double(clock.nsecsElapsed()) / 1e6;
    });
    QObject::connect(&job, &RecognitionJob::finished, [&](const RecognitionResult& result) {
        ended = true;
        if (result.outcome != RecognitionOutcome::Done)
            std::printf("the recognition failed: %s\n", qPrintable(result.message));
    });
    clock.restart();
    job.start();
    bench::waitUntil([&] { return ended; }, 600000);
    const double recognised = double(clock.nsecsElapsed()) / 1e6;

    std::printf("%d-page scan, %d cores\n", Pages, QThread::idealThreadCount());
    std::printf("  tesseract page by page (render, recognise): %8.0f ms\n", baseline);
    std::printf("  recognition job:                            %8.0f ms\n", recognised);
    std::printf("  ratio job / page by page:                   %8.2f\n", recognised / baseline);
    std::printf("  first page by hand:                         %8.0f ms\n", firstByHand);
    std::printf("  job's first page:                           %8.0f ms\n", firstPage);
    std::printf("  ratio first page job / by hand:             %8.2f\n", firstPage / firstByHand);
    return 0;
}
