// The page view's time from asking for a page to showing it, against pdftoppm rendering the
// same page at the same size alone, both measured in this run.
//
// For pages spread through freeculture.pdf (or the PDF given as the first argument), the view
// is shown at fit width and each page gone to once nothing else renders; the time runs until
// its picture is drawn. The baseline runs the same pdftoppm command from here, waiting for it.
// Prints the medians and their ratio; never fails.

#include "core/pdf/page_pictures.h"
#include "gui/page_view/page_renderer.h"
#include "gui/page_view/page_view.h"

#include "bench_waiting.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace lectorix;

namespace {

double median(std::vector<double> times)
{
    std::sort(times.begin(), times.end());
    return times.empty() ? 0 : times[times.size() / 2];
}

// Milliseconds from asking the view for page to its picture being drawn; -1 when it was not.
double timeToShow(PageView& view, int page)
{
    QEventLoop loop;
    const auto shown = QObject::connect(&view, &PageView::pageShown, &loop, [&](int drawn) {
        if (drawn == page)
            loop.quit();
    });
    QTimer::singleShot(60000, &loop, &QEventLoop::quit);
    QElapsedTimer clock;
    clock.start();
    view.showPage(page);
    if (!view.hasPicture(page))
        loop.exec();
    QObject::disconnect(shown);
    return view.hasPicture(page) ? double(clock.nsecsElapsed()) / 1e6 : -1;
}

// Milliseconds pdftoppm alone takes to render page at pixels.
double timeToRender(const QString& pdf, int page, QSize pixels, const QString& folder)
{
    QByteArrayList arguments =
        pageRenderArguments(pdf, QString(), page, pixels.width(), pixels.height(),
                            folder + QStringLiteral("/baseline"));
    QStringList args;
    for (qsizetype i = 1; i < arguments.size(); ++i)
        args << QString::fromLocal8Bit(arguments[i]);
    QElapsedTimer clock;
    clock.start();
    QProcess::execute(QString::fromLatin1(arguments[0]), args);
    return double(clock.nsecsElapsed()) / 1e6;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QString pdf = argc > 1 ? QString::fromLocal8Bit(argv[1])
                                 : QStringLiteral(LECTORIX_CORPUS_DIR "/freeculture.pdf");
    QTemporaryDir folder;
    PageView view;
    view.resize(800, 1000);
    view.show();
    view.setDocument(pdf, QString());
    if (!bench::waitUntil([&] { return view.pageCount() > 0; }, 30000)) {
        std::printf("no pages in %s: %s\n", qPrintable(pdf), qPrintable(view.documentProblem()));
        return 0;
    }
    std::vector<double> shown;
    std::vector<double> alone;
    const int count = view.pageCount();
    for (int page = std::min(5, count); page <= count; page += std::max(1, count / 9)) {
        bench::waitUntil([&] { return !view.renderer().isRendering(); }, 60000);
        const double viewMs = timeToShow(view, page);
        if (viewMs < 0)
            continue;
        const QSize pixels = PageRenderer::cappedPixels(
            (QSizeF(view.pageRect(page).size()) * view.devicePixelRatioF()).toSize());
        shown.push_back(viewMs);
        alone.push_back(timeToRender(pdf, page, pixels, folder.path()));
    }
    const double viewMedian = median(shown);
    const double aloneMedian = median(alone);
    std::printf("page view, asked to shown: median %.1f ms over %zu pages\n", viewMedian,
                shown.size());
    std::printf("pdftoppm alone, same pages and sizes: median %.1f ms\n", aloneMedian);
    if (aloneMedian > 0)
        std::printf("ratio (view / pdftoppm alone): %.2f\n", viewMedian / aloneMedian);
    return 0;
}
