#include "core/speech/speech_rendering.h"

#include "core/speech/speech_text.h"
#include "core/base/error_report.h"
#include "core/base/failure.h"
#include "core/speech/speech_engine.h"

#include <QPointer>

#include <mutex>
#include <thread>

#include <unistd.h>

namespace lectorix {

namespace {

// About a minute of speech at the usual rate: progress moves often, and one block's samples
// stay small.
constexpr qsizetype BlockLength = 1000;

} // namespace

struct SpeechRendering::Shared
{
    std::mutex mutex;
    bool cancelled = false;
    speech::Voice* voice = nullptr; // while the thread speaks; cancel() reaches it here
    std::thread thread;

    bool isCancelled()
    {
        std::lock_guard lock(mutex);
        return cancelled;
    }
    // Makes voice reachable for cancel(); false when cancelled already.
    bool publish(speech::Voice* speaking)
    {
        std::lock_guard lock(mutex);
        voice = cancelled ? nullptr : speaking;
        return !cancelled;
    }
};

namespace {

// Runs on the rendering thread. The numbered steps keep the line numbers of the WAV
// rendering's error report. Returns the failure, or an empty text.
QString render(SpeechRendering::Progress progress, const VoiceSettings& voice,
               const QStringList& texts, int pipe,
               const std::function<bool(speech::Voice*)>& publish,
               const std::function<bool()>& cancelled)
{
    Guard g("Speak", "SaveToWAV");
    std::unique_ptr<speech::Voice> speaker;
    std::unique_ptr<speech::FileStream> stream;
    if (!g(100, [&] { speaker = speech::engine().createVoice(); }) || !speaker) {
        ::close(pipe);
        return QStringLiteral("no voice could be made");
    }
    applyVoiceSettings(g, 104, voice, [&]() -> speech::Voice& { return *speaker; });
    g(114, [&] { stream = speech::engine().createFileStream(); });
    bool open = false;
    if (stream)
        open = g(120, [&] { stream->openPipe(pipe); }) &&
               g(122, [&] { speaker->setAudioOutputStream(stream.get()); });
    else
        ::close(pipe);
    if (!open)
        return QStringLiteral("the encoder's input could not be opened");
    if (!publish(speaker.get()))
        return QString();

    QString failure;
    qint64 spoken = 0;
    try {
        for (int i = 0; i < texts.size() && !cancelled(); ++i) {
            speech::StretchCutter cutter(texts.at(i));
            QString block;
            QString stretch;
            bool more = true;
            while (more && !cancelled()) {
                more = cutter.nextPiece(&stretch);
                if (more)
                    block += stretch;
                if (block.size() >= BlockLength || (!more && !block.isEmpty())) {
                    speaker->speak(block);
                    spoken += block.size();
                    block.clear();
                    progress(i + 1, spoken);
                }
            }
        }
    } catch (...) {
        failure = describeCurrentException();
    }
    publish(nullptr);
    try {
        speaker->setAudioOutputStream(nullptr);
    } catch (...) {
    }
    // Closing the pipe tells the encoder that the sound has ended. When the encoder has gone
    // already this fails too; the job learns why from the encoder, so it is no report of its own.
    try {
        stream->close();
    } catch (...) {
        if (failure.isEmpty())
            failure = describeCurrentException();
    }
    return failure;
}

} // namespace

SpeechRendering::SpeechRendering(QObject* receiver, VoiceSettings voice, QStringList texts,
                                 int pipeDescriptor, Progress progress, Done done)
    : m_shared(std::make_shared<Shared>())
{
    std::weak_ptr<Shared> weak = m_shared;
    QPointer<QObject> target(receiver);
    // Hands a callback to the receiver's thread, unless the rendering is gone or cancelled by
    // the time it gets there.
    auto deliver = [weak, target](std::function<void()> call) {
        if (!target)
            return;
        QMetaObject::invokeMethod(
            target.data(),
            [weak, call] {
                const auto alive = weak.lock();
                if (alive && !alive->isCancelled())
                    call();
            },
            Qt::QueuedConnection);
    };
    Shared* shared = m_shared.get();
    m_shared->thread = std::thread([=] {
        const QString failure = render(
            [deliver, progress](int file, qint64 spoken) {
                deliver([progress, file, spoken] { progress(file, spoken); });
            },
            voice, texts, pipeDescriptor,
            [shared](speech::Voice* speaking) { return shared->publish(speaking); },
            [shared] { return shared->isCancelled(); });
        if (!shared->isCancelled())
            deliver([done, failure] { done(failure); });
    });
}

SpeechRendering::~SpeechRendering()
{
    cancel();
    if (m_shared->thread.joinable())
        m_shared->thread.join();
}

void SpeechRendering::cancel()
{
    std::lock_guard lock(m_shared->mutex);
    m_shared->cancelled = true;
    if (m_shared->voice)
        m_shared->voice->stop();
}

} // namespace lectorix
