// Speech engine layer: rendering speed against the espeak-ng command line on the same text and
// voice, processor time spent beyond synthesis while speaking, and pause latency on the sink.
// Prints, never fails. Live parts need a PulseAudio server (tools/with-audio.sh provides one).
#include "core/base/failure.h"
#include "core/speech/speech_engine.h"
#include "core/speech/speech_text.h"
#include "support/sink_recorder.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <thread>

using namespace lectorix;
using namespace std::chrono_literals;

namespace {

double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// The voices and the recorder run on threads of their own: the bench just waits.
void waitFor(double seconds)
{
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
}

double wavSeconds(const QString& path)
{
    return double(QFileInfo(path).size() - 44) / (2.0 * speech::WavSampleRate);
}

struct Timed
{
    double wall = 0, cpu = 0;
};

Timed renderWithLayer(const QString& textPath, const QString& wav, const QString& voiceId)
{
    QElapsedTimer clock;
    clock.start();
    const double cpu0 = cpuSeconds();
    auto voice = speech::engine().createVoice();
    voice->setVoice({voiceId, voiceId});
    auto stream = speech::engine().createFileStream();
    stream->open(wav);
    voice->setAudioOutputStream(stream.get());
    voice->speak(speech::readTextFile(textPath));
    voice->setAudioOutputStream(nullptr);
    stream->close();
    return {clock.elapsed() / 1000.0, cpuSeconds() - cpu0};
}

double renderWithCommandLine(const QString& textPath, const QString& wav, const QString& voiceId)
{
    QElapsedTimer clock;
    clock.start();
    QProcess::execute(
        QStringLiteral("espeak-ng"),
        {QStringLiteral("-v"), voiceId, QStringLiteral("-w"), wav, QStringLiteral("-f"), textPath});
    return clock.elapsed() / 1000.0;
}

void benchRendering(const QString& text, const QString& folder, const QString& voiceId)
{
    const QString textPath = folder + QStringLiteral("/text.txt");
    QFile file(textPath);
    file.open(QIODevice::WriteOnly);
    file.write(text.toUtf8());
    file.close();
    const QString base = folder + QStringLiteral("/base.wav"),
                  ours = folder + QStringLiteral("/ours.wav");
    const double baseline = renderWithCommandLine(textPath, base, voiceId);
    const double baseAudio = wavSeconds(base);
    QFile::remove(base);
    const Timed layer = renderWithLayer(textPath, ours, voiceId);
    const double ourAudio = wavSeconds(ours);
    QFile::remove(ours);
    std::printf("render to WAV, %lld characters, voice %s:\n", qlonglong(text.size()),
                qPrintable(voiceId));
    std::printf("  espeak-ng -w   %7.2f s  (%.0f s of audio)\n", baseline, baseAudio);
    std::printf("  our layer      %7.2f s  (%.0f s of audio)\n", layer.wall, ourAudio);
    std::printf("  time ratio ours/espeak-ng: %.3f (target <= 1.1)\n", layer.wall / baseline);
}

void benchLiveCpu(const QString& text, const QString& folder)
{
    // Synthesis cost per second of audio, from rendering the same text to a file.
    const QString wav = folder + QStringLiteral("/cpu.wav");
    const QString textPath = folder + QStringLiteral("/cpu.txt");
    QFile file(textPath);
    file.open(QIODevice::WriteOnly);
    file.write(text.toUtf8());
    file.close();
    const Timed render = renderWithLayer(textPath, wav, speech::engine().createVoice()->voice().id);
    const double synthPerAudioSecond = render.cpu / wavSeconds(wav);
    QFile::remove(wav);

    constexpr double Seconds = 20.0;
    auto voice = speech::engine().createVoice();
    const double cpu0 = cpuSeconds();
    try {
        voice->speakAsync(text);
    } catch (const Failure& f) {
        std::printf("live speaking: skipped (%s)\n", qPrintable(f.description()));
        return;
    }
    waitFor(Seconds);
    const double used = cpuSeconds() - cpu0;
    voice.reset();
    // Synthesis runs about two seconds ahead of what is heard.
    const double synthesis = synthPerAudioSecond * (Seconds + 2.0);
    std::printf("live speaking %.0f s at rate 0: process %.3f s CPU, synthesis about %.3f s\n",
                Seconds, used, synthesis);
    std::printf("  beyond synthesis: %.2f %% of one core\n",
                100.0 * std::max(0.0, used - synthesis) / Seconds);

    // A voice that has finished keeps its connection; it should cost nothing while idle.
    voice = speech::engine().createVoice();
    voice->speak(QStringLiteral("Done."));
    const double idle0 = cpuSeconds();
    waitFor(5.0);
    std::printf("  idle voice after speaking: %.2f %% of one core\n",
                100.0 * (cpuSeconds() - idle0) / 5.0);
}

void benchPauseLatency(const QString& text)
{
    if (test::SinkRecorder::sinkName().isEmpty()) {
        std::printf("pause latency: skipped (no test sink; run under tools/with-audio.sh)\n");
        return;
    }
    test::SinkRecorder recorder;
    if (!recorder.error().isEmpty()) {
        std::printf("pause latency: skipped (%s)\n", qPrintable(recorder.error()));
        return;
    }
    using Clock = test::SinkRecorder::Clock;
    auto voice = speech::engine().createVoice();
    voice->speakAsync(text);
    std::vector<double> latencies;
    for (int trial = 0; trial < 7; ++trial) {
        waitFor(0.7 + 0.1 * trial);
        // Pause in the middle of a sound, not in a gap between words.
        QElapsedTimer give;
        give.start();
        while (recorder.rms(Clock::now() - 30ms, Clock::now()) < 300 && give.elapsed() < 2000)
            waitFor(0.005);
        const auto paused = Clock::now();
        voice->pause();
        waitFor(0.5);
        const auto silent = recorder.silentFrom(paused, paused + 450ms, 20.0);
        latencies.push_back(std::chrono::duration<double, std::milli>(silent - paused).count());
        voice->resume();
    }
    std::sort(latencies.begin(), latencies.end());
    std::printf("pause latency (pause() to silence on the sink, %zu trials): median %.0f ms, "
                "max %.0f ms\n",
                latencies.size(), latencies[latencies.size() / 2], latencies.back());
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QString pdf = QStringLiteral(LECTORIX_CORPUS_DIR "/01-A-Study-in-Scarlet.pdf");
    QProcess pdftotext;
    pdftotext.start(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
    pdftotext.waitForFinished(120'000);
    const QString text = QString::fromUtf8(pdftotext.readAllStandardOutput());
    if (text.isEmpty()) {
        std::printf("bench_speech: no text from %s, nothing measured\n", qPrintable(pdf));
        return 0;
    }
    QTemporaryDir folder;
    try {
        const QString voiceId = speech::engine().createVoice()->voice().id;
        benchRendering(text, folder.path(), voiceId);
        const QString opening = text.mid(text.indexOf(QStringLiteral("In the year")), 3000);
        benchLiveCpu(opening, folder.path());
        benchPauseLatency(opening);
    } catch (const Failure& f) {
        std::printf("bench_speech: %s\n", qPrintable(f.description()));
    }
    return 0;
}
