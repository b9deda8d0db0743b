// How long the event loop is held up at most while a long book is exported: a ConversionJob
// runs on a 600-page book (the corpus's 352-page book and most of it again) from its start
// until it has spoken for a while, and a 10 ms timer records the largest gap between its ticks.
// The baseline, measured in the same run, is the old path: the book's layout read into pages
// and its text tested (which the extraction did on the event loop's thread), and the text
// prepared for speech (spokenDocument, which the conversion did there too), each one block of
// the event loop. Prints the gaps and their ratio; never fails. Needs pdftotext, lame and qpdf.
#include "core/conversion/conversion_job.h"
#include "core/files/text_files.h"
#include "core/pdf/page_layout.h"
#include "core/text/spoken_text.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <csignal>
#include <cstdio>

using namespace lectorix;

namespace {

double milliseconds(const QElapsedTimer& clock)
{
    return double(clock.nsecsElapsed()) / 1e6;
}

// The largest gap between ticks of a 10 ms timer, and when it ended.
class GapMeter
{
public:
    GapMeter()
    {
        m_timer.setInterval(10);
        QObject::connect(&m_timer, &QTimer::timeout, [this] { tick(); });
        m_clock.start();
        m_last = 0;
        m_timer.start();
    }
    double largest() const { return m_largest; }
    double at() const { return m_at; }

private:
    void tick()
    {
        const double now = milliseconds(m_clock);
        if (now - m_last > m_largest) {
            m_largest = now - m_last;
            m_at = now;
        }
        m_last = now;
    }
    QTimer m_timer;
    QElapsedTimer m_clock;
    double m_last = 0;
    double m_largest = 0;
    double m_at = 0;
};

// The old path's two blocks of the event loop, in milliseconds.
QPair<double, double> oldBlocks(const QString& book, const QString& folder)
{
    QProcess pdftotext;
    pdftotext.start(QStringLiteral("pdftotext"),
                    {QStringLiteral("-bbox-layout"), QStringLiteral("-enc"),
                     QStringLiteral("UTF-8"), book, QStringLiteral("-")});
    pdftotext.waitForFinished(-1);
    const QByteArray layout = pdftotext.readAllStandardOutput();
    const QString textPath = folder + QStringLiteral("/old.txt");
    QElapsedTimer clock;
    clock.start();
    QList<LayoutPage> pages = readBoundingBoxLayout(layout, 1).pages;
    QFile text(textPath);
    if (text.open(QIODevice::WriteOnly))
        text.write(layoutText(pages).toUtf8());
    text.close();
    isUnreadableText(readTextFileLines(textPath).pieces);
    const double parse = milliseconds(clock);
    clock.restart();
    SpeechChoices choices;
    choices.utterance.voiceLanguage = voiceLanguage(VoiceSettings());
    const SpokenDocument spoken = spokenDocument(QString(), &pages, choices);
    const double prepare = milliseconds(clock);
    std::printf("  old path: %lld utterances\n", qlonglong(spoken.utterances.size()));
    return {parse, prepare};
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    // As the programs do: a write into an encoder that has ended fails instead.
    std::signal(SIGPIPE, SIG_IGN);
    QTemporaryDir scratch;
    const QString source = QStringLiteral(LECTORIX_CORPUS_DIR "/freeculture.pdf");
    const QString book = scratch.filePath(QStringLiteral("long-book.pdf"));
    QProcess::execute(QStringLiteral("qpdf"),
                      {"--empty", "--pages", source, "1-z", source, "1-248", "--", book});
    if (!QFile::exists(book)) {
        std::printf("export gaps: skipped (no qpdf, or %s is missing)\n", qPrintable(source));
        return 0;
    }
    std::printf("export of a 600-page book, the event loop's largest gap:\n");
    const auto [parse, prepare] = oldBlocks(book, scratch.path());
    const double old = qMax(parse, prepare);
    std::printf("  old path: layout read and tested %8.1f ms, text prepared %8.1f ms\n", parse,
                prepare);

    ConversionRequest request;
    request.sourcePdf = book;
    request.outputPath = scratch.filePath(QStringLiteral("book.mp3"));
    request.cover = false;
    ConversionJob job(request);
    GapMeter meter;
    QElapsedTimer clock;
    clock.start();
    double speaking = -1;
    QObject::connect(&job, &ConversionJob::progress, [&](const ConversionProgress& progress) {
        if (progress.stage != ConversionStage::Speaking || speaking >= 0)
            return;
        speaking = milliseconds(clock);
        // Some speech and encoding, then the job is cancelled.
        QTimer::singleShot(3000, &job, [&job] { job.cancel(); });
    });
    QObject::connect(&job, &ConversionJob::finished, &app, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    job.start();
    app.exec();
    const double now = meter.largest();
    std::printf("  new path: speaking began after %8.1f ms; largest gap %8.1f ms (ending at "
                "%.0f ms)\n",
                speaking, now, meter.at());
    std::printf("  ratio largest gap new/old: %.3f\n", now / old);
    return 0;
}
