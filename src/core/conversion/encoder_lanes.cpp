#include "core/conversion/encoder_lanes.h"

#include "core/conversion/encoded_length.h"
#include "core/process/child_process.h"
#include "core/speech/speech_rendering.h"

#include <QFile>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <deque>
#include <optional>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

namespace lectorix {

namespace {

// What one turn of the event loop appends while the parts are joined: a long book's MP3 is
// joined without holding the window, and a cancel is taken up at once.
constexpr qint64 JoinBlockSize = qint64(4) << 20;

// What the pipe from a voice to its encoder holds: about 24 seconds of sound. The voice
// renders a whole stretch of speech at a time, several times the usual pipe's 64 KB; with room
// for it the encoder goes on encoding while the voice renders the next one, instead of the two
// waking each other for every 64 KB.
constexpr int PipeBytes = 1 << 20;

// About how long the utterances take to speak, and so to encode, in milliseconds: their text
// at about 15 characters a second at the usual rate (three times that at the fastest), and
// their silences.
double speakingMs(const QList<Utterance>& utterances, int rate)
{
    const double charactersPerMs = 0.015 * std::pow(3.0, rate / 10.0);
    double ms = 0;
    for (const Utterance& utterance : utterances)
        ms +=
            double(utterance.text.size() + 1) / charactersPerMs + qMax(utterance.silenceAfterMs, 0);
    return ms;
}

} // namespace

// One part: its voice and encoder while it is spoken, and what came of it.
struct EncoderLanes::Work
{
    QList<Utterance> utterances;
    int output = 0;
    int index = 0;
    QString soundPath;
    bool partOfWhole = false; // its output has other parts
    ChildProcess* encoder = nullptr;
    std::unique_ptr<SpeechRendering> rendering;
    qint64 spoken = 0;
    bool started = false;
    bool speakingDone = false;
    bool encoded = false;
    std::optional<int> encoderExit;
    // Why the voice stopped, while the encoder's end, which may be the cause, is awaited.
    std::optional<QString> speechFailure;
    Mp3Length length;
    double expectedMs = 0;
};

struct EncoderLanes::State
{
    Setup setup;
    QStringList soundPaths;
    std::vector<Work> parts;
    // Whether the parts all go into one file, so they may be encoded in any order.
    bool oneOutput = true;
    int speaking = 0;
    ProgressPace pace;
    int partsSpoken = 0;
    bool stopped = false;
    // The outputs whose parts are all encoded and that wait to be joined, and the joining: the
    // file being appended to, the part being appended, and which one it is.
    std::deque<int> joinWaiting;
    std::unique_ptr<QFile> joinTarget;
    std::unique_ptr<QFile> joinSource;
    size_t joinPart = 0;
    int joinOutput = -1;
    bool joiningAnnounced = false;

    QString workPath(const QString& name) const
    {
        return setup.workFolder + QLatin1Char('/') + name;
    }
    bool allEncoded() const
    {
        for (const Work& part : parts)
            if (!part.encoded)
                return false;
        return true;
    }
};

EncoderLanes::EncoderLanes(Setup setup, const QStringList& soundPaths, QList<Part> parts,
                           QObject* parent)
    : QObject(parent), d(std::make_unique<State>())
{
    d->setup = std::move(setup);
    d->soundPaths = soundPaths;
    // An output without parts still gets one: silence.
    for (int output = 0; output < soundPaths.size(); ++output) {
        const bool has = std::any_of(parts.cbegin(), parts.cend(),
                                     [&](const Part& part) { return part.output == output; });
        if (!has) {
            const auto after = std::find_if(parts.begin(), parts.end(),
                                            [&](const Part& part) { return part.output > output; });
            parts.insert(after, Part{{}, output});
        }
    }
    d->parts = std::vector<Work>(size_t(parts.size()));
    for (size_t i = 0; i < d->parts.size(); ++i) {
        Work& work = d->parts[i];
        work.utterances = parts.at(qsizetype(i)).utterances;
        work.output = parts.at(qsizetype(i)).output;
        work.index = int(i);
        const bool first = i == 0 || d->parts[i - 1].output != work.output;
        work.soundPath = first && partsJoinedByAppending(d->setup.format)
                             ? soundPaths.at(work.output)
                             : d->workPath(lanePartName(d->setup.format, int(i)));
        const bool last =
            i + 1 == size_t(parts.size()) || parts.at(qsizetype(i) + 1).output != work.output;
        work.partOfWhole = !(first && last);
        work.expectedMs = speakingMs(work.utterances, d->setup.voice.rate);
        d->oneOutput = d->oneOutput && work.output == 0;
    }
}

EncoderLanes::~EncoderLanes()
{
    stop();
}

int EncoderLanes::count() const
{
    return int(d->parts.size());
}

qint64 EncoderLanes::partSamples(int part) const
{
    return part >= 0 && size_t(part) < d->parts.size() ? d->parts[size_t(part)].length.samples : 0;
}

int EncoderLanes::sampleRate() const
{
    for (const Work& part : d->parts)
        if (part.length.sampleRate > 0)
            return part.length.sampleRate;
    return 0;
}

QStringList EncoderLanes::outputParts(int output) const
{
    QStringList paths;
    for (const Work& part : d->parts)
        if (part.output == output)
            paths << part.soundPath;
    return paths;
}

void EncoderLanes::setProgressPace(ProgressPace pace)
{
    d->pace = std::move(pace);
}

EncoderLanes::Start EncoderLanes::start()
{
    while (d->speaking < qMax(1, d->setup.lanes)) {
        Work* next = nextWaitingPart();
        if (!next)
            break;
        const Start started = startPart(*next);
        if (started != Start::Started)
            return started;
    }
    return Start::Started;
}

// The first part not started; when all go into one file, the longest of them.
EncoderLanes::Work* EncoderLanes::nextWaitingPart()
{
    Work* next = nullptr;
    for (Work& part : d->parts) {
        if (part.started)
            continue;
        if (!d->oneOutput)
            return &part;
        if (!next || part.expectedMs > next->expectedMs)
            next = &part;
    }
    return next;
}

EncoderLanes::Start EncoderLanes::startPart(Work& part)
{
    int pipe[2] = {-1, -1};
    if (::pipe2(pipe, O_CLOEXEC) != 0)
        return Start::NoPipe;
    // A system that grants less keeps the pipe as it is: it only works more slowly.
    ::fcntl(pipe[1], F_SETPIPE_SZ, PipeBytes);
    part.started = true;
    part.encoder = new ChildProcess(this);
    connect(part.encoder, &ChildProcess::finished, this,
            [this, &part](int exitCode) { encoderEnded(part, exitCode); });
    int started = -1;
    try {
        started = part.encoder->start(laneEncoderArguments(d->setup.format, d->setup.encoder,
                                                           part.soundPath, part.partOfWhole),
                                      d->workPath(QStringLiteral("part%1.log").arg(part.index + 1)),
                                      pipe[0]);
    } catch (...) {
        ::close(pipe[0]);
        ::close(pipe[1]);
        throw;
    }
    ::close(pipe[0]);
    if (started != 0) {
        ::close(pipe[1]);
        return Start::EncoderNotStarted;
    }
    ++d->speaking;
    part.rendering = std::make_unique<SpeechRendering>(
        this, d->setup.voice, part.utterances, pipe[1],
        [this, &part](int, qint64 characters) {
            part.spoken = characters;
            reportSpoken(false);
        },
        [this](const RenderingFailure& failure) { emit renderingFailed(failure); },
        [this, &part](const QString& failure) { speechEnded(part, failure); });
    return Start::Started;
}

// Every count held back is in the next one let through, or in the one at a part's end.
void EncoderLanes::reportSpoken(bool always)
{
    if (!always && !d->pace.admit())
        return;
    qint64 all = 0;
    for (const Work& each : d->parts)
        all += each.spoken;
    emit spoken(all, d->partsSpoken);
}

// A lane that is free takes the next part waiting.
void EncoderLanes::startWaitingParts()
{
    if (d->stopped)
        return;
    Start started = Start::Started;
    try {
        started = start();
    } catch (...) {
        started = Start::EncoderNotStarted;
    }
    if (started != Start::Started)
        end(LanesEnd::EncoderFailed);
}

void EncoderLanes::speechEnded(Work& part, const QString& failure)
{
    part.rendering.reset();
    if (!failure.isEmpty()) {
        // When the encoder went first, the voice lost its listener: the encoder is the cause.
        // Its end may not have arrived yet; the voice has closed the pipe, so it comes.
        if (!part.encoderExit && part.encoder && part.encoder->isRunning()) {
            part.speechFailure = failure;
            return;
        }
        if (part.encoderExit && *part.encoderExit != 0)
            end(LanesEnd::EncoderFailed);
        else
            end(LanesEnd::SpeechFailed, failure);
        return;
    }
    part.speakingDone = true;
    ++d->partsSpoken;
    reportSpoken(true);
    if (d->stopped)
        return;
    // The lane is free once its voice has spoken: the next part's voice sets up and starts
    // speaking while this encoder encodes what is left in its pipe and writes its file.
    --d->speaking;
    startWaitingParts();
    if (d->stopped)
        return;
    if (part.encoderExit)
        encoderEnded(part, *part.encoderExit);
}

void EncoderLanes::encoderEnded(Work& part, int exitCode)
{
    part.encoderExit = exitCode;
    if (exitCode != 0) {
        end(LanesEnd::EncoderFailed);
        return;
    }
    if (part.speechFailure) {
        end(LanesEnd::SpeechFailed, *part.speechFailure);
        return;
    }
    // While the voice still speaks, speechEnded() comes back here, or learns of the failure.
    if (!part.speakingDone || part.encoded)
        return;
    partEncoded(part);
}

// The part's sound is complete: its length is taken before it is joined to anything, and its
// output is joined once all its parts are encoded.
void EncoderLanes::partEncoded(Work& part)
{
    part.encoded = true;
    part.length = encodedFileLength(d->setup.format, part.soundPath);
    for (const Work& each : d->parts)
        if (each.output == part.output && !each.encoded)
            return;
    if (!part.partOfWhole || !partsJoinedByAppending(d->setup.format)) {
        emit soundMade(part.output);
        if (!d->stopped)
            checkAllDone();
        return;
    }
    d->joinWaiting.push_back(part.output);
    if (d->joinOutput < 0)
        joinNext();
}

// Starts joining the next output waiting, if no other is being joined.
void EncoderLanes::joinNext()
{
    if (d->stopped || d->joinOutput >= 0 || d->joinWaiting.empty())
        return;
    d->joinOutput = d->joinWaiting.front();
    d->joinWaiting.pop_front();
    if (d->allEncoded() && !d->joiningAnnounced) {
        d->joiningAnnounced = true;
        emit joining();
    }
    d->joinPart = 0;
    while (d->parts[d->joinPart].output != d->joinOutput)
        ++d->joinPart;
    d->joinTarget = std::make_unique<QFile>(d->parts[d->joinPart].soundPath);
    if (!d->joinTarget->open(QIODevice::WriteOnly | QIODevice::Append)) {
        end(LanesEnd::JoinFailed);
        return;
    }
    d->joinSource.reset();
    joinNextBlock();
}

// Appends the next block of the part being joined, and opens the next part when one is done.
void EncoderLanes::joinNextBlock()
{
    if (d->stopped)
        return;
    if (!d->joinSource || d->joinSource->atEnd()) {
        if (d->joinSource)
            QFile::remove(d->joinSource->fileName());
        if (++d->joinPart == d->parts.size() || d->parts[d->joinPart].output != d->joinOutput) {
            d->joinSource.reset();
            const bool written = d->joinTarget->flush();
            d->joinTarget->close();
            d->joinTarget.reset();
            if (!written) {
                end(LanesEnd::JoinFailed);
                return;
            }
            const int output = d->joinOutput;
            d->joinOutput = -1;
            emit soundMade(output);
            if (d->stopped)
                return;
            joinNext();
            checkAllDone();
            return;
        }
        d->joinSource = std::make_unique<QFile>(d->parts[d->joinPart].soundPath);
        if (!d->joinSource->open(QIODevice::ReadOnly)) {
            end(LanesEnd::JoinFailed);
            return;
        }
    }
    const QByteArray block = d->joinSource->read(JoinBlockSize);
    if (d->joinSource->error() != QFileDevice::NoError ||
        d->joinTarget->write(block) != block.size()) {
        end(LanesEnd::JoinFailed);
        return;
    }
    QTimer::singleShot(0, this, &EncoderLanes::joinNextBlock);
}

void EncoderLanes::checkAllDone()
{
    if (d->allEncoded() && d->joinOutput < 0 && d->joinWaiting.empty())
        end(LanesEnd::Encoded);
}

void EncoderLanes::end(LanesEnd how, const QString& speechFailure)
{
    if (d->stopped)
        return;
    stop();
    emit ended(how, speechFailure);
}

void EncoderLanes::stop()
{
    d->stopped = true;
    // The encoders go first: a voice may be blocked writing into the pipe of an encoder that
    // reads no more, and only the encoder's end releases it (the write then fails, as the
    // program ignores SIGPIPE), so the voices' threads can be joined.
    for (Work& part : d->parts)
        if (part.encoder)
            part.encoder->stop();
    for (Work& part : d->parts)
        part.rendering.reset();
    d->joinSource.reset();
    d->joinTarget.reset();
}

} // namespace lectorix
