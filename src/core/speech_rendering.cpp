#include "core/speech_rendering.h"

#include "core/error_report.h"
#include "core/failure.h"
#include "core/speech_engine.h"

#include <QFile>
#include <QPointer>

#include <mutex>
#include <thread>

namespace lectorix {

struct SpeechRendering::Shared
{
    std::mutex mutex;
    bool cancelled = false;
    speech::Voice* voice = nullptr; // while the thread speaks; stop() reaches it here
    std::thread thread;
};

namespace {

// One rendering, on its own thread. The numbered steps keep the line numbers of the WAV
// rendering's error report.
QString render(const VoiceSettings& voice, const QString& textPath, const QString& wavPath,
               const std::function<bool(speech::Voice*)>& publish)
{
    Guard g("Speak", "SaveToWAV");
    std::unique_ptr<speech::Voice> speaker;
    std::unique_ptr<speech::FileStream> stream;
    QString failure;
    if (!g(100, [&] { speaker = speech::engine().createVoice(); }) || !speaker)
        return QStringLiteral("no voice could be made");
    applyVoiceSettings(g, 104, voice, [&]() -> speech::Voice& { return *speaker; });
    g(114, [&] { stream = speech::engine().createFileStream(); });
    if (stream) {
        g(120, [&] { stream->open(wavPath); });
        g(122, [&] {
            if (stream->isOpen())
                speaker->setAudioOutputStream(stream.get());
        });
    }
    if (!stream || !stream->isOpen())
        return QStringLiteral("The WAV file %1 is not open.").arg(wavPath);
    if (!publish(speaker.get()))
        return QString();
    try {
        speaker->speakFile(textPath);
    } catch (...) {
        failure = describeCurrentException();
    }
    publish(nullptr);
    if (failure.isEmpty())
        g(128, [&] { stream->close(); });
    try {
        speaker->setAudioOutputStream(nullptr);
    } catch (...) {
    }
    return failure;
}

} // namespace

SpeechRendering::SpeechRendering(QObject* receiver, VoiceSettings voice, QString textPath,
                                 QString wavPath, Done done)
    : m_shared(std::make_shared<Shared>())
{
    std::weak_ptr<Shared> weak = m_shared;
    QPointer<QObject> target(receiver);
    auto publish = [weak](speech::Voice* speaking) {
        const auto shared = weak.lock();
        if (!shared)
            return false;
        std::lock_guard lock(shared->mutex);
        shared->voice = shared->cancelled ? nullptr : speaking;
        return !shared->cancelled;
    };
    m_shared->thread = std::thread([=] {
        QString failure = render(voice, textPath, wavPath, publish);
        const auto shared = weak.lock();
        bool cancelled = !shared;
        if (shared) {
            std::lock_guard lock(shared->mutex);
            cancelled = shared->cancelled;
        }
        if (cancelled || !failure.isEmpty())
            QFile::remove(wavPath);
        if (cancelled || !target)
            return;
        QMetaObject::invokeMethod(
            target.data(),
            [weak, done, failure] {
                // Still wanted: the task may have been cancelled while this was on its way.
                const auto alive = weak.lock();
                if (!alive)
                    return;
                {
                    std::lock_guard lock(alive->mutex);
                    if (alive->cancelled)
                        return;
                }
                done(failure);
            },
            Qt::QueuedConnection);
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
