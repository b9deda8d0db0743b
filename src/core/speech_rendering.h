#pragma once

#include "core/voice_settings.h"

#include <QObject>
#include <QString>

#include <functional>
#include <memory>

namespace lectorix {

// Speaks the text file at textPath into a 22,050 Hz 16-bit mono WAV file on a thread of its
// own, so the caller's event loop never waits for speech. done(failure) arrives on the
// thread of receiver once the WAV file is complete and closed (failure empty), or has failed
// (failure says why; the WAV file is removed). Failing steps are reported with the tag and
// line numbers of the WAV rendering. Destroying the task, or cancel(), stops the speech
// promptly; done() then never arrives.
class SpeechRendering final
{
public:
    using Done = std::function<void(const QString& failure)>;

    SpeechRendering(QObject* receiver, VoiceSettings voice, QString textPath, QString wavPath,
                    Done done);
    ~SpeechRendering();
    SpeechRendering(const SpeechRendering&) = delete;
    SpeechRendering& operator=(const SpeechRendering&) = delete;

    void cancel();

private:
    struct Shared;
    std::shared_ptr<Shared> m_shared;
};

} // namespace lectorix
