// Text into the box and PDF extraction, against baselines measured in the same run.
//
// 1. Loading a 10 MB and a 20 MB text file into the text box: the ratio shows whether loading
//    grows linearly with size (about 2); the 20 MB load is set against reading the file alone.
// 2. loadPdfText on freeculture.pdf against the bare converter on pages 1 to 100.
//
// Prints medians of a few runs and their ratios; never fails.

#include "core/base/program_folder.h"
#include "core/files/file_utils.h"
#include "core/files/temp_folder.h"
#include "core/files/text_files.h"
#include "gui/dialogs.h"
#include "gui/document_controller.h"
#include "gui/main_window.h"

#include "bench_waiting.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QPlainTextEdit>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

using namespace lectorix;

namespace {

// Answers every file dialog with the next prepared path and every message with OK.
class BenchDialogs final : public Dialogs
{
public:
    QString nextFile;
    Answer message(const Message&) override { return Answer::Ok; }
    std::optional<QString> input(const Input&) override { return QString(); }
    QString openFile(const FileRequest&) override { return nextFile; }
    QString saveFile(const FileRequest&) override { return nextFile; }
    QString browseFolder(const QString&, const QString&) override { return {}; }
    bool openUrl(const QUrl&) override { return true; }
    std::optional<SpeechChoices> speechChoices(const SpeechChoices&) override
    {
        return std::nullopt;
    }
};

double medianMs(int runs, const std::function<void()>& before, const std::function<void()>& work)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        before();
        QElapsedTimer clock;
        clock.start();
        work();
        times.push_back(double(clock.nsecsElapsed()) / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

QString makeTextFile(const QString& path, qint64 bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return {};
    const QByteArray line =
        "Lectorix reads this line aloud, with accents é ü and a few more words to read.\n";
    for (qint64 written = 0; written < bytes; written += line.size())
        file.write(line);
    return path;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir scratch;
    qputenv("TEMP", QFile::encodeName(scratch.path()));
    // The settings written by the window's handlers stay in the scratch folder too.
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(scratch.path() + QStringLiteral("/config")));
    QApplication app(argc, argv);
    BenchDialogs dialogs;
    setDialogs(&dialogs);
    writeFileIfMissing(customResource(101), tempPath(QStringLiteral("pdftotext")), true);

    MainWindow form;
    form.show();
    const int runs = 3;

    // Loading text files into the box.
    const QString small = makeTextFile(scratch.filePath("10mb.txt"), 10'000'000);
    const QString large = makeTextFile(scratch.filePath("20mb.txt"), 20'000'000);
    auto clearBox = [&] {
        form.textToReadEdit()->setPlainText(QString());
        QCoreApplication::processEvents();
    };
    auto load = [&](const QString& path) {
        return medianMs(runs, clearBox, [&] {
            dialogs.nextFile = path;
            form.documents().loadTextFromFile();
            QCoreApplication::processEvents();
        });
    };
    const double load10 = load(small);
    const double load20 = load(large);
    const double read20 = medianMs(
        runs, [] {}, [&] { (void)readTextFileBlocks(large); });
    const double raw20 = medianMs(
        runs, [] {},
        [&] {
            QFile file(large);
            if (file.open(QIODevice::ReadOnly))
                (void)file.readAll();
        });
    clearBox();
    std::printf("load 10 MB text into the box:     %9.1f ms\n", load10);
    std::printf("load 20 MB text into the box:     %9.1f ms\n", load20);
    std::printf("  ratio 20 MB / 10 MB:            %9.2f   (linear: about 2)\n", load20 / load10);
    std::printf("read 20 MB as text blocks alone:  %9.1f ms\n", read20);
    std::printf("read 20 MB bytes alone:           %9.1f ms\n", raw20);
    std::printf("  ratio load / read as blocks:    %9.2f\n", load20 / read20);
    std::printf("  ratio load / read bytes:        %9.2f\n", load20 / raw20);

    // loadPdfText against the bare converter.
    const QString corpus = QStringLiteral(LECTORIX_CORPUS_DIR);
    const QString pdf = corpus + QStringLiteral("/freeculture.pdf");
    if (!QFile::exists(pdf)) {
        std::printf("freeculture.pdf not found in %s: PDF benchmark skipped\n", qPrintable(corpus));
        return 0;
    }
    const QString bareOut = scratch.filePath("bare.txt");
    const double bare = medianMs(
        runs, [&] { QFile::remove(bareOut); },
        [&] {
            QProcess::execute(QStringLiteral("pdftotext"),
                              {QStringLiteral("-f"), QStringLiteral("1"), QStringLiteral("-l"),
                               QStringLiteral("100"), pdf, bareOut});
        });
    const double extract = medianMs(runs, clearBox, [&] {
        form.documents().loadPdfText(pdf);
        bench::waitUntil([&] { return !form.documents().textExtraction(); }, 600000);
    });
    std::printf("bare pdftotext -f 1 -l 100:       %9.1f ms\n", bare);
    std::printf("GetPDFText, pages 1 to 100:       %9.1f ms  (%lld characters)\n", extract,
                static_cast<long long>(form.textToReadEdit()->toPlainText().size()));
    std::printf("  ratio GetPDFText / bare:        %9.2f   (target: at most 1.3)\n",
                extract / bare);
    return 0;
}
