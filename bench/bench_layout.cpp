// Reading a long book's page layout: pdftotext -bbox-layout's output of a 600-page book read
// into pages, turned into text and prepared into utterances, against plain pdftotext on the same
// book as the baseline, both measured here. Prints, never fails. Needs pdftotext and qpdf.
#include "core/pdf/page_layout.h"
#include "core/text/language_identification.h"
#include "core/text/layout/reading.h"
#include "core/text/pronunciations.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

using namespace lectorix;

namespace {

constexpr int Runs = 5;

double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values.isEmpty() ? -1.0 : values.at(values.size() / 2);
}

double milliseconds(const QElapsedTimer& clock)
{
    return double(clock.nsecsElapsed()) / 1e6;
}

// pdftotext's run on the book, median of Runs, in milliseconds; its standard output is kept
// in output when asked for.
double pdftotextMs(const QStringList& arguments, QByteArray* output = nullptr)
{
    QList<double> times;
    for (int i = 0; i < Runs; ++i) {
        QProcess pdftotext;
        QElapsedTimer clock;
        clock.start();
        pdftotext.start(QStringLiteral("pdftotext"), arguments);
        pdftotext.waitForFinished(-1);
        const QByteArray written = pdftotext.readAllStandardOutput();
        times << milliseconds(clock);
        if (output)
            *output = written;
    }
    return median(times);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir scratch;
    const QString source = QStringLiteral(LECTORIX_CORPUS_DIR "/freeculture.pdf");
    const QString book = scratch.path() + QStringLiteral("/long-book.pdf");
    // A 600-page book of dense pages (about 25 MB of layout): the corpus's 352-page book and
    // most of it again.
    QProcess::execute(QStringLiteral("qpdf"),
                      {"--empty", "--pages", source, "1-z", source, "1-248", "--", book});
    if (!QFile::exists(book)) {
        std::printf("layout: skipped (no qpdf, or %s is missing)\n", qPrintable(source));
        return 0;
    }
    const QString plainPath = scratch.path() + QStringLiteral("/plain.txt");
    const double plainMs =
        pdftotextMs({QStringLiteral("-enc"), QStringLiteral("UTF-8"), book, plainPath});
    QByteArray layout;
    const double layoutToolMs = pdftotextMs({QStringLiteral("-bbox-layout"), QStringLiteral("-enc"),
                                             QStringLiteral("UTF-8"), book, QStringLiteral("-")},
                                            &layout);

    QList<double> readTimes;
    QList<double> textTimes;
    QList<double> prepareTimes;
    QList<double> identifyTimes;
    qsizetype spokenCharacters = 0; // what the reader forms gave, all runs
    QList<double> normaliseTimes;
    qsizetype utterances = 0;
    qsizetype pages = 0;
    qsizetype characters = 0;
    bool complete = false;
    for (int i = 0; i < Runs; ++i) {
        QElapsedTimer clock;
        clock.start();
        PageLayouts read = readBoundingBoxLayout(layout, 1);
        readTimes << milliseconds(clock);
        clock.restart();
        characters = layoutText(read.pages).size();
        textTimes << milliseconds(clock);
        // Prepared as a reading takes it: ten pages, then ever larger ranges.
        clock.restart();
        LayoutPreparation preparation;
        QList<SpokenPiece> pieces;
        for (qsizetype first = 0, range = 10; first < read.pages.size(); first += range) {
            preparation.add(read.pages.mid(first, range));
            pieces += preparation.takePieces();
            range = std::min<qsizetype>(range * 2, 80);
        }
        preparation.finish();
        pieces += preparation.takePieces();
        utterances = pieces.size();
        prepareTimes << milliseconds(clock);
        // Each paragraph's language, then its numbers and abbreviations said in it.
        clock.restart();
        ParagraphLanguages().assign(pieces);
        identifyTimes << milliseconds(clock);
        clock.restart();
        PronunciationList readerForms;
        readerForms.setReaderForms(true);
        for (const SpokenPiece& piece : std::as_const(pieces))
            spokenCharacters += readerForms.applied(piece.text, piece.language).size();
        normaliseTimes << milliseconds(clock);
        pages = read.pages.size();
        complete = read.complete;
    }
    const double readMs = median(readTimes);
    const double textMs = median(textTimes);
    const double prepareMs = median(prepareTimes);
    const double identifyMs = median(identifyTimes);
    const double normaliseMs = median(normaliseTimes);
    std::printf("%s (%lld pages read, %s; layout %.1f MB, text %lld characters):\n",
                qPrintable(QFileInfo(book).fileName()), qlonglong(pages),
                complete ? "complete" : "NOT complete", double(layout.size()) / 1e6,
                qlonglong(characters));
    std::printf("  pdftotext, plain text (baseline)      %8.1f ms\n", plainMs);
    std::printf("  pdftotext -bbox-layout                %8.1f ms\n", layoutToolMs);
    std::printf("  readBoundingBoxLayout                 %8.1f ms\n", readMs);
    std::printf("  layoutText                            %8.1f ms\n", textMs);
    std::printf("  layout reading (%lld utterances)   %8.1f ms\n", qlonglong(utterances),
                prepareMs);
    std::printf("  paragraph languages                   %8.1f ms\n", identifyMs);
    std::printf("  reader forms in each language         %8.1f ms (%lld characters)\n", normaliseMs,
                qlonglong(spokenCharacters / Runs));
    // Preparing the book: the layout tool's run and all that reads its output.
    const double preparingMs = layoutToolMs + readMs + textMs + prepareMs;
    std::printf("  ratio languages/preparing (layout tool + read + text + layout reading): %.3f\n",
                identifyMs / preparingMs);
    std::printf("  ratio (languages + reader forms)/preparing: %.3f\n",
                (identifyMs + normaliseMs) / preparingMs);
    std::printf("  ratio languages/(read + text + layout reading): %.3f\n",
                identifyMs / (readMs + textMs + prepareMs));
    std::printf("  ratio (read + text)/plain pdftotext: %.2f\n", (readMs + textMs) / plainMs);
    std::printf("  ratio (read + text + layout reading)/plain pdftotext: %.2f\n",
                (readMs + textMs + prepareMs) / plainMs);
    std::printf("  ratio (layout tool + read + text + layout reading)/plain pdftotext: %.2f\n",
                (layoutToolMs + readMs + textMs + prepareMs) / plainMs);
    return 0;
}
