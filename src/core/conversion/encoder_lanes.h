#pragma once

#include "core/conversion/audio_format.h"
#include "core/speech/speech_rendering.h"

#include <QList>
#include <QObject>
#include <QString>

#include <memory>

namespace lectorix {

// How the lanes of a conversion ended.
enum class LanesEnd {
    Encoded,       // every part spoken and encoded, and joined where the format appends them
    EncoderFailed, // an encoder ended with a failure
    SpeechFailed,  // a voice could not speak its part (the speech failure says why)
    JoinFailed,    // the parts could not be joined
};

// The voice speaks into a pipe that the encoder reads as it goes: the two work side by side,
// and no WAV file is written. Each part of the text is one lane, a voice speaking into an
// encoder of its own, so several processor cores encode at once. Where the format's parts are
// joined by appending (partsJoinedByAppending), the first lane's encoder writes soundPath
// itself and the others write parts in the working folder that are appended to it, in order,
// once all are encoded; otherwise every lane writes a part in the working folder (partPaths)
// and the container step joins them. Only texts reach the voices: nothing is written for them.
// Each utterance's silence is written into the sound of its lane.
class EncoderLanes final : public QObject
{
    Q_OBJECT

public:
    struct Setup
    {
        VoiceSettings voice;
        QString encoder;    // a program name looked up in PATH, or a path
        QString soundPath;  // the file the parts end up in, where they are appended
        QString workFolder; // the other lanes' parts and every encoder's messages
        AudioFormat format = AudioFormat::Mp3;
    };

    // One lane for each part; an empty list gives one silent lane (still an MP3).
    EncoderLanes(Setup setup, QList<QList<Utterance>> parts, QObject* parent = nullptr);
    // Stops whatever still runs.
    ~EncoderLanes() override;

    int count() const;
    // The files the lanes write, in order.
    QStringList partPaths() const;

    enum class Start {
        Started,
        NoPipe,            // no pipe from a voice to its encoder
        EncoderNotStarted, // an encoder could not be started
    };
    // Starts every lane. What starting an encoder throws goes to the caller, which then
    // stops the lanes.
    Start start();
    // Stops the encoders, the voices and the joining at once; ended() does not follow.
    void stop();

signals:
    // After each block of speech: the characters spoken so far in all lanes, and how many
    // lanes have spoken their part.
    void spoken(qint64 characters, int lanesSpoken);
    // Every part is encoded and they are being joined.
    void joining();
    // A step of setting up a lane's voice failed; the lane goes on as far as it can.
    void renderingFailed(const lectorix::RenderingFailure& failure);
    void ended(lectorix::LanesEnd end, const QString& speechFailure);

private:
    struct Lane;
    void speechEnded(Lane& lane, const QString& failure);
    void encoderEnded(Lane& lane, int exitCode);
    void allEncoded();
    void joinNextBlock();
    void end(LanesEnd how, const QString& speechFailure = QString());

    struct State;
    std::unique_ptr<State> d;
};

} // namespace lectorix
