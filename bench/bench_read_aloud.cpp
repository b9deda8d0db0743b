// Reading aloud through the window's button: processor time of the program during a reading
// (against a busy wait on the same engine), click to first sound for 1 MB of typed text
// (against a short text), and click to first sound for a long PDF (against the converter
// alone on it). Prints, never fails. The sound parts need the test sink of
// tools/with-audio.sh.
#include "bench_waiting.h"
#include "core/base/failure.h"
#include "core/base/program_folder.h"
#include "core/files/file_utils.h"
#include "core/files/temp_folder.h"
#include "core/reading/reading_session.h"
#include "core/speech/speech_engine.h"
#include "gui/dialogs.h"
#include "gui/document_controller.h"
#include "gui/main_window.h"
#include "gui/reading_controller.h"
#include "printing_dialogs.h"
#include "support/sink_recorder.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QSlider>
#include <QTemporaryDir>
#include <QTimer>

#include <sys/resource.h>

#include <cstdio>
#include <optional>

using namespace lectorix;
using namespace std::chrono_literals;
using Clock = test::SinkRecorder::Clock;

namespace {

constexpr double Heard = 60.0; // RMS of speech at half volume is far above this

double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

double ms(Clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

// Ends the reading under way, as Stop does.
void endReading(MainWindow& form)
{
    form.reading().session()->stop();
}
// Waits until the reading started by a press has ended (timeoutMs at the most).
void waitForReadingEnd(MainWindow& form, int timeoutMs)
{
    bench::waitUntil([&] { return form.reading().session()->state() == ReadingState::Idle; },
                     timeoutMs);
}
void afterReading(MainWindow& form)
{
    form.reading().session()->stop();
    form.setMousePointer(MainWindow::PointerDefault);
    bench::settle(500);
}

void benchProcessorTime(MainWindow& form, const QString& text)
{
    // The old way of waiting: event processing and the state query as fast as they go.
    constexpr double BusySeconds = 5.0;
    double busyShare = 0;
    {
        auto voice = speech::engine().createVoice();
        voice->setVolume(50);
        voice->speakAsync(text);
        QElapsedTimer clock;
        clock.start();
        const double cpu0 = cpuSeconds();
        do
            QCoreApplication::processEvents();
        while (!voice->isDone() && clock.elapsed() < BusySeconds * 1000);
        busyShare = (cpuSeconds() - cpu0) / (clock.elapsed() / 1000.0);
    }
    bench::settle(500);

    constexpr int ReadingMs = 30000;
    form.documents().setUseTextBox(true);
    form.textToReadEdit()->setPlainText(text);
    QTimer::singleShot(ReadingMs, &form, [&form] { endReading(form); });
    QElapsedTimer clock;
    clock.start();
    const double cpu0 = cpuSeconds();
    form.readButton()->click();
    waitForReadingEnd(form, ReadingMs + 10000);
    const double share = (cpuSeconds() - cpu0) / (clock.elapsed() / 1000.0);
    afterReading(form);

    std::printf("processor time during a %d s reading (synthesis, output and the wait):\n",
                ReadingMs / 1000);
    std::printf("  busy wait (baseline) %6.2f %% of one core\n", 100.0 * busyShare);
    std::printf("  SpeakLoud            %6.2f %% of one core (target < 3 %%)\n", 100.0 * share);
    std::printf("  ratio SpeakLoud/busy wait: %.4f\n", share / busyShare);
}

// Presses the button and returns the time from the press to the first sound on the sink;
// the reading is ended once it has been heard.
std::optional<double> clickToSound(MainWindow& form, test::SinkRecorder& recorder)
{
    bool heard = false;
    QTimer listen;
    QObject::connect(&listen, &QTimer::timeout, &form, [&] {
        if (recorder.rmsSince(Clock::now() - 30ms) > Heard) {
            heard = true;
            listen.stop();
            endReading(form);
        }
    });
    listen.start(5);
    QTimer::singleShot(60000, &form, [&form] { endReading(form); });
    const auto clicked = Clock::now();
    form.readButton()->click();
    waitForReadingEnd(form, 70000);
    const auto ended = Clock::now();
    listen.stop();
    afterReading(form);
    if (!heard)
        return std::nullopt;
    for (auto t = clicked; t < ended; t += 5ms)
        if (recorder.rms(t, t + 5ms) > Heard)
            return ms(t - clicked);
    return ms(ended - clicked);
}

void printLatency(const char* what, std::optional<double> value)
{
    if (value)
        std::printf("  %-44s %8.1f ms\n", what, *value);
    else
        std::printf("  %-44s   nothing heard\n", what);
}

void benchTypedText(MainWindow& form, test::SinkRecorder& recorder, const QString& prose)
{
    // Start-up lists the voices, which loads the engine; the first reading then starts the
    // audio output.
    QElapsedTimer load;
    load.start();
    speech::engine().createVoice()->installedVoices();
    const double loadMs = double(load.nsecsElapsed()) / 1e6;
    form.documents().setUseTextBox(true);
    form.textToReadEdit()->setPlainText(QStringLiteral("Hello there."));
    const auto cold = clickToSound(form, recorder);
    const auto small = clickToSound(form, recorder);
    QString big = prose;
    while (big.size() < (1 << 20))
        big += prose;
    big.truncate(1 << 20);
    form.textToReadEdit()->setPlainText(big);
    const auto large = clickToSound(form, recorder);
    std::printf("click to first sound, typed text:\n");
    std::printf("  %-44s %8.1f ms\n", "loading the engine (at start-up)", loadMs);
    printLatency("first reading after start-up", cold);
    printLatency("12 characters (baseline)", small);
    printLatency("1 MB (target < 150 ms)", large);
    if (small && large && *small > 0)
        std::printf("  ratio 1 MB/12 characters: %.2f\n", *large / *small);
}

void benchPdf(MainWindow& form, test::SinkRecorder& recorder, const QString& folder)
{
    const QString pdf = folder + QStringLiteral("/freeculture.pdf");
    QFile::copy(QStringLiteral(LECTORIX_CORPUS_DIR "/freeculture.pdf"), pdf);
    if (!QFile::exists(pdf)) {
        std::printf("click to first sound, PDF: skipped (freeculture.pdf not found)\n");
        return;
    }
    QElapsedTimer clock;
    clock.start();
    QProcess::execute(QStringLiteral("pdftotext"), {pdf, folder + QStringLiteral("/alone.txt")});
    const double alone = double(clock.nsecsElapsed()) / 1e6;

    form.documents().setUseTextBox(false);
    form.pdfPathEdit()->setText(pdf);
    const auto reading = clickToSound(form, recorder);
    std::printf("click to first sound, freeculture.pdf (352 pages):\n");
    std::printf("  %-44s %8.1f ms\n", "pdftotext alone (baseline)", alone);
    printLatency("Start Reading", reading);
    if (reading)
        std::printf("  ratio Start Reading/pdftotext alone: %.2f\n", *reading / alone);
}

QString proseText()
{
    QProcess pdftotext;
    pdftotext.start(
        QStringLiteral("pdftotext"),
        {QStringLiteral(LECTORIX_CORPUS_DIR "/01-A-Study-in-Scarlet.pdf"), QStringLiteral("-")});
    pdftotext.waitForFinished(120'000);
    const QString text = QString::fromUtf8(pdftotext.readAllStandardOutput());
    const qsizetype start = text.indexOf(QStringLiteral("In the year"));
    return start < 0 ? text : text.mid(start);
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Scratch settings and temporary folders: the window writes slider values and the
    // converter's files as it works.
    QTemporaryDir scratch;
    for (const char* sub : {"temp", "config", "home"})
        QDir(scratch.path()).mkpath(QLatin1String(sub));
    qputenv("TEMP", QFile::encodeName(scratch.path() + QStringLiteral("/temp")));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(scratch.path() + QStringLiteral("/config")));
    qputenv("HOME", QFile::encodeName(scratch.path() + QStringLiteral("/home")));

    QApplication app(argc, argv);
    bench::PrintingDialogs dialogs;
    setDialogs(&dialogs);

    const QString prose = proseText();
    if (prose.isEmpty()) {
        std::printf("bench_read_aloud: no text from the corpus, nothing measured\n");
        return 0;
    }
    try {
        writeFileIfMissing(customResource(101), tempPath(QStringLiteral("pdftotext")), true);
        MainWindow form;
        // The values a first start gives the sliders.
        form.volumeSlider()->setValue(50);
        form.rateSlider()->setValue(-3);

        if (test::SinkRecorder::sinkName().isEmpty()) {
            std::printf("click to first sound: skipped (no test sink; run under "
                        "tools/with-audio.sh)\n");
        } else {
            test::SinkRecorder recorder;
            if (recorder.error().isEmpty()) {
                benchTypedText(form, recorder, prose);
                benchPdf(form, recorder, scratch.path());
            } else {
                std::printf("click to first sound: skipped (%s)\n", qPrintable(recorder.error()));
            }
        }
        // Last and without the recorder, whose own thread would be counted.
        benchProcessorTime(form, prose.left(6000));
    } catch (const Failure& f) {
        std::printf("bench_read_aloud: %s\n", qPrintable(f.description()));
    }
    return 0;
}
