#include "core/conversion/encoder_lanes.h"

#include "core/process/child_process.h"
#include "core/speech/speech_rendering.h"

#include <QFile>
#include <QTimer>

#include <optional>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

namespace lectorix {

namespace {

// What one turn of the event loop appends while the parts are joined: a long book's MP3 is
// joined without holding the window, and a cancel is taken up at once.
constexpr qint64 JoinBlockSize = qint64(4) << 20;

} // namespace

struct EncoderLanes::Lane
{
    QList<Utterance> utterances;
    QString soundPath;
    ChildProcess* encoder = nullptr;
    std::unique_ptr<SpeechRendering> rendering;
    qint64 spoken = 0;
    bool speakingDone = false;
    std::optional<int> encoderExit;
    // Why the voice stopped, while the encoder's end, which may be the cause, is awaited.
    std::optional<QString> speechFailure;
};

struct EncoderLanes::State
{
    Setup setup;
    std::vector<Lane> lanes;
    bool stopped = false;
    // The joining: the file being appended to, the part being appended, and which one it is.
    std::unique_ptr<QFile> joinTarget;
    std::unique_ptr<QFile> joinSource;
    size_t joinPart = 0;

    QString workPath(const QString& name) const
    {
        return setup.workFolder + QLatin1Char('/') + name;
    }
};

EncoderLanes::EncoderLanes(Setup setup, QList<QList<Utterance>> parts, QObject* parent)
    : QObject(parent), d(std::make_unique<State>())
{
    d->setup = std::move(setup);
    if (parts.isEmpty())
        parts.append(QList<Utterance>());
    d->lanes = std::vector<Lane>(size_t(parts.size()));
    for (size_t i = 0; i < d->lanes.size(); ++i) {
        Lane& lane = d->lanes[i];
        lane.utterances = parts.at(qsizetype(i));
        const bool appended = partsJoinedByAppending(d->setup.format);
        lane.soundPath = i == 0 && appended ? d->setup.soundPath
                                            : d->workPath(lanePartName(d->setup.format, int(i)));
    }
}

EncoderLanes::~EncoderLanes()
{
    stop();
}

int EncoderLanes::count() const
{
    return int(d->lanes.size());
}

QStringList EncoderLanes::partPaths() const
{
    QStringList paths;
    for (const Lane& lane : d->lanes)
        paths << lane.soundPath;
    return paths;
}

EncoderLanes::Start EncoderLanes::start()
{
    const bool severalParts = d->lanes.size() > 1;
    for (size_t i = 0; i < d->lanes.size(); ++i) {
        Lane& lane = d->lanes[i];
        int pipe[2] = {-1, -1};
        if (::pipe2(pipe, O_CLOEXEC) != 0)
            return Start::NoPipe;
        lane.encoder = new ChildProcess(this);
        connect(lane.encoder, &ChildProcess::finished, this,
                [this, &lane](int exitCode) { encoderEnded(lane, exitCode); });
        int started = -1;
        try {
            started =
                lane.encoder->start(laneEncoderArguments(d->setup.format, d->setup.encoder,
                                                         lane.soundPath, severalParts),
                                    d->workPath(QStringLiteral("part%1.log").arg(i + 1)), pipe[0]);
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
        lane.rendering = std::make_unique<SpeechRendering>(
            this, d->setup.voice, lane.utterances, pipe[1],
            [this, &lane](int, qint64 characters) {
                lane.spoken = characters;
                qint64 all = 0;
                int done = 0;
                for (const Lane& each : d->lanes) {
                    all += each.spoken;
                    done += each.speakingDone ? 1 : 0;
                }
                emit this->spoken(all, done);
            },
            [this](const RenderingFailure& failure) { emit renderingFailed(failure); },
            [this, &lane](const QString& failure) { speechEnded(lane, failure); });
    }
    return Start::Started;
}

void EncoderLanes::speechEnded(Lane& lane, const QString& failure)
{
    lane.rendering.reset();
    if (!failure.isEmpty()) {
        // When the encoder went first, the voice lost its listener: the encoder is the cause.
        // Its end may not have arrived yet; the voice has closed the pipe, so it comes.
        if (!lane.encoderExit && lane.encoder && lane.encoder->isRunning()) {
            lane.speechFailure = failure;
            return;
        }
        if (lane.encoderExit && *lane.encoderExit != 0)
            end(LanesEnd::EncoderFailed);
        else
            end(LanesEnd::SpeechFailed, failure);
        return;
    }
    lane.speakingDone = true;
    if (lane.encoderExit)
        encoderEnded(lane, *lane.encoderExit);
}

void EncoderLanes::encoderEnded(Lane& lane, int exitCode)
{
    lane.encoderExit = exitCode;
    if (exitCode != 0) {
        end(LanesEnd::EncoderFailed);
        return;
    }
    if (lane.speechFailure) {
        end(LanesEnd::SpeechFailed, *lane.speechFailure);
        return;
    }
    // While the voice still speaks, speechEnded() comes back here, or learns of the failure.
    if (!lane.speakingDone)
        return;
    for (const Lane& each : d->lanes)
        if (!each.speakingDone || !each.encoderExit)
            return;
    allEncoded();
}

void EncoderLanes::allEncoded()
{
    if (d->lanes.size() == 1 || !partsJoinedByAppending(d->setup.format)) {
        end(LanesEnd::Encoded);
        return;
    }
    emit joining();
    d->joinTarget = std::make_unique<QFile>(d->lanes.front().soundPath);
    if (!d->joinTarget->open(QIODevice::WriteOnly | QIODevice::Append)) {
        end(LanesEnd::JoinFailed);
        return;
    }
    d->joinPart = 0;
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
        if (++d->joinPart == d->lanes.size()) {
            d->joinSource.reset();
            const bool written = d->joinTarget->flush();
            d->joinTarget->close();
            end(written ? LanesEnd::Encoded : LanesEnd::JoinFailed);
            return;
        }
        d->joinSource = std::make_unique<QFile>(d->lanes[d->joinPart].soundPath);
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
    for (Lane& lane : d->lanes)
        if (lane.encoder)
            lane.encoder->stop();
    for (Lane& lane : d->lanes)
        lane.rendering.reset();
    d->joinSource.reset();
    d->joinTarget.reset();
}

} // namespace lectorix
