// The export of a whole book through the conversion job the window and the converter share,
// against the shell pipeline
// pdftotext | espeak-ng | lame with the same voice and speed, measured in the same run; the
// same for the M4B and Opus formats against pipelines into ffmpeg with the same encoder
// settings; the program's peak memory; and making the book's text what the voice is given.
// Prints, never fails.
#include "core/base/program_folder.h"
#include "core/conversion/conversion_job.h"
#include "core/files/text_decoding.h"
#include "core/speech/speech_engine.h"
#include "core/text/spoken_text.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <csignal>
#include <cstdio>
#include <optional>

using namespace lectorix;

namespace {

// The program's own peak resident memory (VmHWM); the tools it runs are processes of their own.
double peakMegabytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    status.open(QIODevice::ReadOnly);
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
    return -1;
}

// Starts the peak memory count afresh from the current use.
void resetPeak()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

// Counted outside: hours of decoded audio must not inflate this process's own peak memory.
double mp3Seconds(const QString& path)
{
    QProcess decode;
    decode.start(QStringLiteral("/bin/sh"),
                 {QStringLiteral("-c"), QStringLiteral("mpg123 -q -s \"$1\" | wc -c"),
                  QStringLiteral("sh"), path});
    decode.waitForFinished(-1);
    return decode.readAllStandardOutput().trimmed().toDouble() / 2.0 / 22050.0;
}

double pipelineSeconds(const QString& book, const QString& voiceId, const QString& out,
                       const QString& encoder = QStringLiteral("lame -h - \"$3\""))
{
    QElapsedTimer clock;
    clock.start();
    QProcess shell;
    shell.setProcessChannelMode(QProcess::ForwardedOutputChannel);
    shell.setStandardErrorFile(QProcess::nullDevice());
    shell.start(
        QStringLiteral("/bin/sh"),
        {QStringLiteral("-c"),
         QStringLiteral("pdftotext \"$1\" - | espeak-ng --stdout -v \"$2\" -s 175 | ") + encoder,
         QStringLiteral("sh"), book, voiceId, out});
    shell.waitForFinished(-1);
    return clock.elapsed() / 1000.0;
}

void benchSpokenText(const QString& book, const QString& folder)
{
    const QString path = folder + QStringLiteral("/output.txt");
    QProcess::execute(QStringLiteral("pdftotext"), {book, path});
    const QString text = readTextFile(path);
    QElapsedTimer clock;
    clock.start();
    const QString spoken = spokenText(text);
    const double ms = clock.nsecsElapsed() / 1e6;
    std::printf("the book's text (%lld characters) as the voice is given it: %.1f ms\n",
                qlonglong(spoken.size()), ms);
    QFile::remove(path);
}

// The book through the conversion job in format; its time in seconds.
double exportSeconds(QCoreApplication& app, ConversionRequest request)
{
    ConversionJob job(request);
    QObject::connect(&job, &ConversionJob::finished, &app, [](const ConversionResult& result) {
        if (result.outcome != ConversionOutcome::Done)
            std::printf("  the export failed: %s\n", qPrintable(result.message));
        QCoreApplication::quit();
    });
    QElapsedTimer clock;
    clock.start();
    job.start();
    app.exec();
    return clock.elapsed() / 1000.0;
}

// Each audiobook format against a pipeline into ffmpeg with the encoder settings the program
// gives it, beside the MP3's ratio.
void benchFormats(QCoreApplication& app, const ConversionRequest& mp3Request,
                  const QString& voiceId, double mp3Ratio)
{
    const struct
    {
        AudioFormat format;
        const char* encoder;
    } formats[] = {
        {AudioFormat::M4b, "ffmpeg -v error -i - -c:a aac -aac_coder fast -b:a 48k -f ipod -y "
                           "\"$3\""},
        {AudioFormat::Opus, "ffmpeg -v error -i - -ar 24000 -c:a libopus -b:a 16k "
                            "-compression_level 5 -f ogg -y \"$3\""},
    };
    for (const auto& each : formats) {
        ConversionRequest request = mp3Request;
        request.format = each.format;
        request.outputPath = withAudioExtension(mp3Request.outputPath, each.format);
        const QString baseline = withAudioExtension(
            QFileInfo(mp3Request.outputPath).absolutePath() + QStringLiteral("/pipeline"),
            each.format);
        const double pipeline =
            pipelineSeconds(mp3Request.sourcePdf, voiceId, baseline, QLatin1String(each.encoder));
        const double ours = exportSeconds(app, request);
        std::printf("  %-4s: shell pipeline %7.1f s, export %7.1f s, %5.1f MB; time ratio "
                    "ours/pipeline %.3f (MP3's %.3f)\n",
                    qPrintable(audioFormatTitle(each.format)), pipeline, ours,
                    QFileInfo(request.outputPath).size() / 1e6, ours / pipeline, mp3Ratio);
        QFile::remove(baseline);
        QFile::remove(request.outputPath);
    }
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    // A write into the pipe of an encoder that has ended must fail, not end the program.
    std::signal(SIGPIPE, SIG_IGN);
    const QString book =
        QStringLiteral(LECTORIX_CORPUS_DIR) + QStringLiteral("/01-A-Study-in-Scarlet.pdf");
    if (!QFile::exists(book)) {
        std::printf("bench_mp3: %s not found, skipped\n", qPrintable(book));
        return 0;
    }
    QTemporaryDir scratch;
    const QString temp = scratch.path() + QStringLiteral("/temp");
    const QString out = scratch.path() + QStringLiteral("/out");
    QDir().mkpath(temp);
    QDir().mkpath(out);
    qputenv("TEMP", QFile::encodeName(temp));
    // The settings written by the window's handlers stay in the scratch folder too.
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(scratch.path() + QStringLiteral("/config")));
    QFile launcher(temp + QStringLiteral("/pdftotext"));
    launcher.open(QIODevice::WriteOnly);
    launcher.write(customResource(101));
    launcher.close();
    launcher.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    benchSpokenText(book, scratch.path());

    const QString voiceId = speech::engine().createVoice()->installedVoices().value(0).id;
    const QString baseline = scratch.path() + QStringLiteral("/pipeline.mp3");
    const double pipeline = pipelineSeconds(book, voiceId, baseline);
    const double pipelineAudio = mp3Seconds(baseline);
    QFile::remove(baseline);
    const double peakBefore = peakMegabytes();
    resetPeak();

    ConversionRequest request;
    request.sourcePdf = book;
    request.outputPath = out + QStringLiteral("/01-A-Study-in-Scarlet.mp3");
    request.voice = {0, 100, 0};
    const double ours = exportSeconds(app, request);
    const double ourAudio = mp3Seconds(out + QStringLiteral("/01-A-Study-in-Scarlet.mp3"));

    std::printf("whole book to MP3 at rate 0, voice %s:\n", qPrintable(voiceId));
    std::printf("  shell pipeline (baseline) %7.1f s  (%.0f s of audio)\n", pipeline,
                pipelineAudio);
    std::printf("  export (conversion job)   %7.1f s  (%.0f s of audio)\n", ours, ourAudio);
    std::printf("  time ratio ours/pipeline: %.3f (target <= 0.65)\n", ours / pipeline);
    std::printf("  per second of audio: ours %.2f ms, pipeline %.2f ms, ratio %.3f\n",
                1000 * ours / ourAudio, 1000 * pipeline / pipelineAudio,
                (ours / ourAudio) / (pipeline / pipelineAudio));
    const double bookPeak = peakMegabytes();
    std::printf("  peak memory of the program during the conversion: %.1f MB (target < 200 MB; "
                "%.1f MB before it)\n",
                bookPeak, peakBefore);
    std::printf("  MP3 : %5.1f MB\n", QFileInfo(request.outputPath).size() / 1e6);
    benchFormats(app, request, voiceId, ours / pipeline);

    // Memory must not grow with the book: a book of about three times the text, at the
    // fastest rate so that it takes no longer.
    const QString longer = QStringLiteral(LECTORIX_CORPUS_DIR) + QStringLiteral("/freeculture.pdf");
    if (QFile::exists(longer)) {
        resetPeak();
        ConversionRequest bigger = request;
        bigger.sourcePdf = longer;
        bigger.outputPath = out + QStringLiteral("/freeculture.mp3");
        bigger.voice.rate = 10;
        ConversionJob second(bigger);
        QObject::connect(&second, &ConversionJob::finished, &app, [] { QCoreApplication::quit(); });
        second.start();
        app.exec();
        std::printf("  peak memory for freeculture.pdf (about 3 times the text): %.1f MB, "
                    "ratio %.2f to the first book\n",
                    peakMegabytes(), peakMegabytes() / bookPeak);
    }
    return 0;
}
