#include "core/speech/speech_rendering.h"

#include "core/base/failure.h"
#include "core/speech/language_voices.h"
#include "core/speech/speech_engine.h"
#include "core/speech/speech_text.h"

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

RenderingFailure renderingFailure(const VoiceSettingFailure& failure)
{
    RenderingStep step = RenderingStep::SetRate;
    switch (failure.step) {
    case VoiceSettingStep::ChooseVoice:
        step = RenderingStep::ChooseVoice;
        break;
    case VoiceSettingStep::SetVolume:
        step = RenderingStep::SetVolume;
        break;
    case VoiceSettingStep::SetRate:
        break;
    }
    return {step, failure.description, failure.reason};
}

namespace {

// The voice speaking into the encoder's pipe.
struct Speaker
{
    std::unique_ptr<speech::Voice> voice;
    std::unique_ptr<speech::FileStream> stream;
};

// Makes the voice and the stream into the pipe, which it takes over; a failing step goes to
// failed. Returns the failure that ends the rendering, or an empty text.
QString setUp(Speaker& s, const VoiceSettings& settings, int pipe,
              const SpeechRendering::Failed& failed)
{
    const bool made = runStep(
        RenderingStep::CreateVoice, [&] { s.voice = speech::engine().createVoice(); }, failed);
    if (!made || !s.voice) {
        ::close(pipe);
        return QStringLiteral("no voice could be made");
    }
    applyVoiceSettings(
        settings, [&]() -> speech::Voice& { return *s.voice; },
        [&](const VoiceSettingFailure& f) { failed(renderingFailure(f)); });
    runStep(
        RenderingStep::CreateStream, [&] { s.stream = speech::engine().createFileStream(); },
        failed);
    if (!s.stream) {
        ::close(pipe);
        return QStringLiteral("the encoder's input could not be opened");
    }
    const auto openPipe = [&] { s.stream->openPipe(pipe); };
    const auto connectStream = [&] { s.voice->setAudioOutputStream(s.stream.get()); };
    if (!runStep(RenderingStep::OpenPipe, openPipe, failed) ||
        !runStep(RenderingStep::ConnectStream, connectStream, failed))
        return QStringLiteral("the encoder's input could not be opened");
    return QString();
}

// Speaks the utterances: each with a silence of its own alone, the others in blocks of whole
// stretches; each in the voice of its language. Throws what the speaking throws.
void speakUtterances(speech::Voice& voice, const QList<Utterance>& utterances,
                     const SpeechRendering::Progress& progress,
                     const std::function<bool()>& cancelled)
{
    LanguageVoices voices(voice);
    qint64 spoken = 0;
    QString pending;
    QString language;
    const auto say = [&](const QString& text, int silenceAfterMs, int utterance) {
        voices.choose(language);
        voice.speak(text, silenceAfterMs);
        spoken += text.size();
        progress(utterance, spoken);
    };
    for (int i = 0; i < utterances.size() && !cancelled(); ++i) {
        const Utterance& utterance = utterances.at(i);
        if (utterance.language != language && !pending.isEmpty()) {
            say(pending, speech::VoicesOwnPause, i);
            pending.clear();
        }
        language = utterance.language;
        pending += utterance.text;
        pending += QLatin1Char('\n');
        if (utterance.silenceAfterMs != speech::VoicesOwnPause) {
            say(pending, utterance.silenceAfterMs, i + 1);
            pending.clear();
            continue;
        }
        if (pending.size() < BlockLength)
            continue;
        // The last stretch may go on in the next utterance: it waits for it.
        speech::StretchCutter cutter(pending);
        QString stretch;
        qsizetype complete = 0;
        while (cutter.nextPiece(&stretch) && complete + stretch.size() < pending.size())
            complete += stretch.size();
        if (complete > 0) {
            say(pending.left(complete), speech::VoicesOwnPause, i + 1);
            pending.remove(0, complete);
        }
    }
    if (!pending.isEmpty() && !cancelled())
        say(pending, speech::VoicesOwnPause, int(utterances.size()));
}

// Runs on the rendering thread. Returns the failure, or an empty text.
QString render(const SpeechRendering::Progress& progress, const SpeechRendering::Failed& failed,
               const VoiceSettings& settings, const QList<Utterance>& utterances, int pipe,
               const std::function<bool(speech::Voice*)>& publish,
               const std::function<bool()>& cancelled)
{
    Speaker s;
    if (QString failure = setUp(s, settings, pipe, failed); !failure.isEmpty())
        return failure;
    if (!publish(s.voice.get()))
        return QString();

    QString failure;
    try {
        speakUtterances(*s.voice, utterances, progress, cancelled);
    } catch (...) {
        failure = describeCurrentException();
    }
    publish(nullptr);
    try {
        s.voice->setAudioOutputStream(nullptr);
    } catch (...) {
    }
    // Closing the pipe tells the encoder that the sound has ended. When the encoder has gone
    // already this fails too; the job learns why from the encoder, so it is no report of its own.
    try {
        s.stream->close();
    } catch (...) {
        if (failure.isEmpty())
            failure = describeCurrentException();
    }
    return failure;
}

} // namespace

SpeechRendering::SpeechRendering(QObject* receiver, VoiceSettings voice,
                                 QList<Utterance> utterances, int pipeDescriptor, Progress progress,
                                 Failed failed, Done done)
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
            [deliver, failed](const RenderingFailure& stepFailure) {
                deliver([failed, stepFailure] { failed(stepFailure); });
            },
            voice, utterances, pipeDescriptor,
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
