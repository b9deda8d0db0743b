// The export of a whole book through the conversion job the converter runs and through the
// window's "Save Audio As MP3", against the shell pipeline
// pdftotext | espeak-ng | lame with the same voice and speed, measured in the same run, and
// against the two-core limit: the processor time espeak-ng and lame took in that pipeline,
// halved, which is the least two cores could do their work in. Each is also given per second
// of audio, since the program's pauses make its audio longer than the pipeline's. The same for
// the M4B and Opus formats against pipelines into ffmpeg with the same encoder settings; the
// program's peak memory; and making the book's text what the voice is given. Prints, never
// fails.
#include "core/base/program_folder.h"
#include "core/conversion/conversion_job.h"
#include "core/files/text_decoding.h"
#include "core/speech/speech_engine.h"
#include "core/text/spoken_text.h"
#include "gui/dialogs.h"
#include "gui/export_controller.h"
#include "gui/main_window.h"
#include "printing_dialogs.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTemporaryDir>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <ctime>
#include <optional>
#include <thread>

#include <sys/resource.h>
#include <unistd.h>

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

// The processor time (user and system) of this process's children that have ended.
double childrenProcessorSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

double ownProcessorSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// The children's processor time that the shell's `times` wrote into path: its second line,
// "0m10.480000s 0m0.210000s" (user, system).
double timesChildrenSeconds(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> lines = file.readAll().split('\n');
    double seconds = 0;
    for (const QByteArray& each : lines.value(1).split(' ')) {
        const qsizetype m = each.indexOf('m');
        if (m > 0 && each.endsWith('s'))
            seconds += each.left(m).toDouble() * 60 + each.mid(m + 1).chopped(1).toDouble();
    }
    QFile::remove(path);
    return seconds;
}

// Whether the thread whose stat file is at path wants a processor: running, or waiting for one.
bool wantsProcessor(const QString& path)
{
    QFile stat(path);
    if (!stat.open(QIODevice::ReadOnly))
        return false;
    const QByteArray line = stat.readAll();
    const qsizetype name = line.lastIndexOf(')');
    return name >= 0 && line.mid(name + 2, 1) == "R";
}

// How much of an export left a core without work of its own: every 10 ms, how many threads of
// this process (but the sampler) and of the tools it runs want a processor. Other work on the
// machine makes every thread wait longer for one, which this counts as wanting it; so it tells
// the export's own gaps (one voice or encoder alone, the event loop's hand-offs) from the load.
class DemandSampler
{
public:
    DemandSampler() : m_thread([this] { run(); }) {}
    ~DemandSampler() { stop(); }
    void stop()
    {
        m_stop = true;
        if (m_thread.joinable())
            m_thread.join();
    }
    // The share of the samples in which fewer than two threads wanted a processor, and the
    // processor time the sampling took, which is not the export's.
    double belowTwoCores() const { return m_samples > 0 ? double(m_belowTwo) / m_samples : 0; }
    double ownSeconds() const { return m_ownSeconds; }

private:
    void run()
    {
        const QString sampler = QString::number(::gettid());
        while (!m_stop) {
            int wanting = 0;
            const QString tasks = QStringLiteral("/proc/self/task/");
            for (const QString& task : QDir(tasks).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
                if (task != sampler && wantsProcessor(tasks + task + QStringLiteral("/stat")))
                    ++wanting;
                QFile children(tasks + task + QStringLiteral("/children"));
                if (!children.open(QIODevice::ReadOnly))
                    continue;
                for (const QByteArray& child : children.readAll().split(' ')) {
                    const QString childTasks =
                        QStringLiteral("/proc/%1/task/").arg(QString::fromLatin1(child.trimmed()));
                    if (child.trimmed().isEmpty())
                        continue;
                    for (const QString& each :
                         QDir(childTasks).entryList(QDir::Dirs | QDir::NoDotAndDotDot))
                        wanting += wantsProcessor(childTasks + each + QStringLiteral("/stat"));
                }
            }
            ++m_samples;
            m_belowTwo += wanting < 2 ? 1 : 0;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        timespec used{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &used);
        m_ownSeconds = double(used.tv_sec) + double(used.tv_nsec) / 1e9;
    }

    std::atomic<bool> m_stop{false};
    int m_samples = 0;
    int m_belowTwo = 0;
    double m_ownSeconds = 0;
    std::thread m_thread;
};

bool sampleDemand = false; // --demand

struct PipelineRun
{
    double seconds = 0;
    double speechCpu = 0;  // espeak-ng's processor time
    double encoderCpu = 0; // the encoder's
    // The least two cores could do the speaking and encoding in.
    double twoCoreLimit() const { return (speechCpu + encoderCpu) / 2; }
};

// Each tool of the pipeline runs in a subshell of its own that writes the tool's processor
// time when it has ended.
PipelineRun runPipeline(const QString& book, const QString& voiceId, const QString& out,
                        const QString& encoder = QStringLiteral("lame -h - \"$3\""))
{
    const QString times = out + QStringLiteral(".times");
    QElapsedTimer clock;
    clock.start();
    QProcess shell;
    shell.setProcessChannelMode(QProcess::ForwardedOutputChannel);
    shell.setStandardErrorFile(QProcess::nullDevice());
    shell.start(QStringLiteral("/bin/sh"),
                {QStringLiteral("-c"),
                 QStringLiteral("pdftotext \"$1\" - | { espeak-ng --stdout -v \"$2\" -s 175; "
                                "times > \"$4.speech\"; } | { ") +
                     encoder + QStringLiteral("; times > \"$4.encoder\"; }"),
                 QStringLiteral("sh"), book, voiceId, out, times});
    shell.waitForFinished(-1);
    PipelineRun run;
    run.seconds = clock.elapsed() / 1000.0;
    run.speechCpu = timesChildrenSeconds(times + QStringLiteral(".speech"));
    run.encoderCpu = timesChildrenSeconds(times + QStringLiteral(".encoder"));
    return run;
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

// How long an export took, and the processor time it took in the program itself and in the
// tools it ran (the encoders, pdftotext, pdfinfo, ...).
// Also when the voices began to speak (until then one tool or the program works alone) and
// how many progress reports the job sent.
struct Timed
{
    double seconds = 0;
    double ownCpu = 0;
    double toolsCpu = 0;
    double speakingFrom = 0;
    int reports = 0;
    double belowTwoCores = -1; // DemandSampler's share, when sampled

    void watch(ConversionJob* job, const QElapsedTimer& clock)
    {
        QObject::connect(job, &ConversionJob::progress,
                         [this, &clock](const ConversionProgress& p) {
                             ++reports;
                             if (p.stage == ConversionStage::Speaking && speakingFrom == 0)
                                 speakingFrom = clock.elapsed() / 1000.0;
                         });
    }
};

// Runs body(took, clock), which returns once the export has ended.
template <typename Body> Timed timed(Body&& body)
{
    const double own = ownProcessorSeconds();
    const double tools = childrenProcessorSeconds();
    Timed took;
    QElapsedTimer clock;
    clock.start();
    std::optional<DemandSampler> demand;
    if (sampleDemand)
        demand.emplace();
    body(took, clock);
    took.seconds = clock.elapsed() / 1000.0;
    double sampling = 0;
    if (demand) {
        demand->stop();
        took.belowTwoCores = demand->belowTwoCores();
        sampling = demand->ownSeconds();
    }
    took.ownCpu = ownProcessorSeconds() - own - sampling;
    took.toolsCpu = childrenProcessorSeconds() - tools;
    return took;
}

// The book through the conversion job in format, as the converter runs it.
Timed exportTimed(QCoreApplication& app, ConversionRequest request)
{
    ConversionJob job(request);
    QObject::connect(&job, &ConversionJob::finished, &app, [](const ConversionResult& result) {
        if (result.outcome != ConversionOutcome::Done)
            std::printf("  the export failed: %s\n", qPrintable(result.message));
        QCoreApplication::quit();
    });
    return timed([&](Timed& took, const QElapsedTimer& clock) {
        took.watch(&job, clock);
        job.start();
        app.exec();
    });
}

// The book through "Save Audio As MP3", into folder, at the voice's usual rate and full
// volume; the window's progress dialog shows the progress as it goes.
Timed windowExportTimed(QApplication& app, MainWindow& form, const QString& book,
                        const QString& folder)
{
    form.voiceCombo()->setCurrentIndex(0);
    form.rateSlider()->setValue(0);
    form.volumeSlider()->setValue(100);
    form.pdfPathEdit()->setText(book);
    form.outputFolderEdit()->setText(folder);
    form.saveToFolderOption()->setChecked(true);
    const QMetaObject::Connection ended = QObject::connect(
        &form.exporting(), &ExportController::exportEnded, &app, [] { QCoreApplication::quit(); });
    const Timed took = timed([&](Timed& watched, const QElapsedTimer& clock) {
        form.saveMp3Button()->click();
        if (auto* job = form.findChild<ConversionJob*>())
            watched.watch(job, clock);
        app.exec();
    });
    QObject::disconnect(ended);
    return took;
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
            runPipeline(mp3Request.sourcePdf, voiceId, baseline, QLatin1String(each.encoder))
                .seconds;
        const double ours = exportTimed(app, request).seconds;
        std::printf("  %-4s: shell pipeline %7.1f s, export %7.1f s, %5.1f MB; time ratio "
                    "ours/pipeline %.3f (MP3's %.3f)\n",
                    qPrintable(audioFormatTitle(each.format)), pipeline, ours,
                    QFileInfo(request.outputPath).size() / 1e6, ours / pipeline, mp3Ratio);
        QFile::remove(baseline);
        QFile::remove(request.outputPath);
    }
}

void printExport(const char* what, const Timed& took, double audio)
{
    std::printf("  %-44s %7.1f s  (%.0f s of audio)\n", what, took.seconds, audio);
    std::printf("    processor time: own %.1f s, tools %.1f s; speaking from %.1f s; %d progress "
                "reports\n",
                took.ownCpu, took.toolsCpu, took.speakingFrom, took.reports);
    // Its speech holds less silence than the pipeline's, and silence is the encoder's
    // cheapest sound: its own work halved is the least two cores could do it in.
    const double ownLimit = (took.ownCpu + took.toolsCpu) / 2;
    std::printf("    its own processor time halved %.1f s: the export took %.3f of that\n",
                ownLimit, took.seconds / ownLimit);
    if (took.belowTwoCores >= 0)
        std::printf("    fewer than two of its threads and tools wanting a processor: %.1f %% of "
                    "the time\n",
                    100 * took.belowTwoCores);
}

// Each time per second of its audio, as a ratio to the pipeline's, and to the two-core limit.
void printRatios(const PipelineRun& pipeline, double pipelineAudio, const Timed& job,
                 double jobAudio, const Timed& window, double windowAudio)
{
    const double perSecond = pipeline.seconds / pipelineAudio;
    const double limit = pipeline.twoCoreLimit() / pipelineAudio / perSecond;
    const double jobRatio = job.seconds / jobAudio / perSecond;
    const double windowRatio = window.seconds / windowAudio / perSecond;
    std::printf("  time ratio to the pipeline: two-core limit %.3f, converter %.3f, window %.3f\n",
                pipeline.twoCoreLimit() / pipeline.seconds, job.seconds / pipeline.seconds,
                window.seconds / pipeline.seconds);
    std::printf("  per second of audio, ratio to the pipeline: two-core limit %.3f, converter "
                "%.3f, window %.3f\n",
                limit, jobRatio, windowRatio);
    std::printf("  per second of audio, ratio to the two-core limit (target <= 1.10): converter "
                "%.3f, window %.3f\n",
                jobRatio / limit, windowRatio / limit);
}

} // namespace

// bench_mp3 [PDF] [--mp3-only] [--demand]: the book (01-A-Study-in-Scarlet.pdf of the corpus
// unless one is named); --mp3-only leaves out the other formats and the memory of a longer book;
// --demand samples how many of the exports' threads want a processor (DemandSampler), which
// costs the exports a little processor time of their own.
int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // A write into the pipe of an encoder that has ended must fail, not end the program.
    std::signal(SIGPIPE, SIG_IGN);
    QStringList arguments = app.arguments().mid(1);
    const bool mp3Only = arguments.removeAll(QStringLiteral("--mp3-only")) > 0;
    sampleDemand = arguments.removeAll(QStringLiteral("--demand")) > 0;
    const QString book = arguments.isEmpty() ? QStringLiteral(LECTORIX_CORPUS_DIR) +
                                                   QStringLiteral("/01-A-Study-in-Scarlet.pdf")
                                             : QFileInfo(arguments.first()).absoluteFilePath();
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
    bench::PrintingDialogs dialogs;
    setDialogs(&dialogs);

    benchSpokenText(book, scratch.path());

    const QString voiceId = speech::engine().createVoice()->installedVoices().value(0).id;
    const QString baseline = scratch.path() + QStringLiteral("/pipeline.mp3");
    PipelineRun pipeline = runPipeline(book, voiceId, baseline);
    const double pipelineAudio = mp3Seconds(baseline);
    QFile::remove(baseline);
    const double peakBefore = peakMegabytes();
    resetPeak();

    const QString name = QFileInfo(book).completeBaseName() + QStringLiteral(".mp3");
    ConversionRequest request;
    request.sourcePdf = book;
    request.outputPath = out + QLatin1Char('/') + name;
    request.voice = {0, 100, 0};
    const Timed job = exportTimed(app, request);
    const double jobAudio = mp3Seconds(request.outputPath);
    const double bookPeak = peakMegabytes();
    const double mp3Megabytes = QFileInfo(request.outputPath).size() / 1e6;
    QFile::remove(request.outputPath);

    Timed window;
    double windowAudio = 0;
    {
        MainWindow form;
        window = windowExportTimed(app, form, book, out);
        windowAudio = mp3Seconds(request.outputPath);
    }
    // Other work on the machine slows one run or another: the pipeline runs again after the
    // exports, and the faster of its two runs is the baseline.
    const PipelineRun again = runPipeline(book, voiceId, baseline);
    QFile::remove(baseline);
    std::printf("shell pipeline before the exports %.1f s, after them %.1f s\n", pipeline.seconds,
                again.seconds);
    if (again.seconds < pipeline.seconds)
        pipeline = again;

    std::printf("whole book to MP3 at rate 0, voice %s:\n", qPrintable(voiceId));
    std::printf("  %-44s %7.1f s  (%.0f s of audio)\n", "shell pipeline (the faster run)",
                pipeline.seconds, pipelineAudio);
    std::printf("    processor time: espeak-ng %.1f s, lame %.1f s; two-core limit %.1f s\n",
                pipeline.speechCpu, pipeline.encoderCpu, pipeline.twoCoreLimit());
    printExport("conversion job (as lectorix-convert runs it)", job, jobAudio);
    printExport("window's Save Audio As MP3", window, windowAudio);
    printRatios(pipeline, pipelineAudio, job, jobAudio, window, windowAudio);
    std::printf("  peak memory of the program during the conversion: %.1f MB (target < 200 MB; "
                "%.1f MB before it)\n",
                bookPeak, peakBefore);
    std::printf("  MP3 : %5.1f MB\n", mp3Megabytes);
    if (mp3Only)
        return 0;
    benchFormats(app, request, voiceId, job.seconds / pipeline.seconds);

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
