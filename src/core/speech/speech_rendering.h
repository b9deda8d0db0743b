#pragma once

#include "core/base/failure.h"
#include "core/speech/utterance.h"
#include "core/speech/voice_settings.h"

#include <QList>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>

namespace lectorix {

// The steps of setting up a rendering, in the order they run.
enum class RenderingStep {
    CreateVoice,
    ChooseVoice,
    SetVolume,
    SetRate,
    CreateStream,
    OpenPipe,      // the stream takes the encoder's pipe over
    ConnectStream, // the voice speaks into the stream
};
using RenderingFailure = StepFailure<RenderingStep>;

// A voice setting's failure as a failure of the rendering's own step.
RenderingFailure renderingFailure(const VoiceSettingFailure& failure);

// Speaks utterances, one after another, into a pipe to an encoder as one continuous stream of
// 22,050 Hz 16-bit mono samples, on a thread of its own, so the caller's event loop never
// waits for speech and the encoder works while the voice speaks. A setup step that fails
// arrives as failed(failure) on the receiver's thread, in the order the steps ran; the setup
// goes on with its next step where it can.
//
// Each utterance is spoken as its text and a line break, by the voice of its language (see
// LanguageVoices) at the same volume and rate. An utterance with a silence after it is spoken
// alone, that exact silence replacing the voice's own pauses at its ends; those that keep the
// voice's own pauses are spoken together in blocks of whole stretches (the same
// sentence-sized stretches the engine speaks one at a time anyway), so the sound is the same
// as for their whole text.
// progress() arrives on the receiver's thread after each block: the utterance last spoken
// (1-based) and the characters spoken so far, line breaks counted. done(failure) arrives there
// once every utterance was spoken and the pipe closed (failure empty), or when speaking failed
// (failure says why). Destroying the object, or cancel(), stops the speech promptly and closes the
// pipe; neither callback arrives after that.
class SpeechRendering final
{
public:
    using Progress = std::function<void(int utterance, qint64 charactersSpoken)>;
    using Failed = std::function<void(const RenderingFailure& failure)>;
    using Done = std::function<void(const QString& failure)>;

    // Takes pipeDescriptor over.
    SpeechRendering(QObject* receiver, VoiceSettings voice, QList<Utterance> utterances,
                    int pipeDescriptor, Progress progress, Failed failed, Done done);
    ~SpeechRendering();
    SpeechRendering(const SpeechRendering&) = delete;
    SpeechRendering& operator=(const SpeechRendering&) = delete;

    void cancel();

private:
    struct Shared;
    std::shared_ptr<Shared> m_shared;
};

} // namespace lectorix
