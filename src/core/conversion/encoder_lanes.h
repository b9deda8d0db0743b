#pragma once

#include "core/conversion/audio_format.h"
#include "core/conversion/progress_pace.h"
#include "core/speech/speech_rendering.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>

namespace lectorix {

// How the lanes of a conversion ended.
enum class LanesEnd {
    Encoded,       // every part spoken and encoded, and joined where the format appends them
    EncoderFailed, // an encoder ended with a failure, or could not be started
    SpeechFailed,  // a voice could not speak its part (the speech failure says why)
    JoinFailed,    // the parts could not be joined
};

// The voice speaks into a pipe that the encoder reads as it goes: the two work side by side,
// and no WAV file is written. The text comes in parts, each spoken by a voice into an encoder
// of its own; a lane speaks one part at a time and takes the next part waiting as soon as its
// voice has spoken (its encoder finishes meanwhile), so several processor cores encode at once.
// When the parts all go into one file, a free lane takes the longest part waiting, so the lanes end
// close together instead of one encoding a long last part alone; chapter files are made in their
// order. Each part belongs to one of the files made (the whole document, or one chapter). Where the
// format's parts are joined by appending (partsJoinedByAppending), a file's first part is encoded
// into its sound path, its other parts into the working folder and appended to it, in order, once
// all of them are encoded; otherwise every part is written in the working folder (outputParts) and
// the container step joins them. Only texts reach the voices: nothing is written for them. Each
// utterance's silence is written into the sound of its part.
class EncoderLanes final : public QObject
{
    Q_OBJECT

public:
    struct Setup
    {
        VoiceSettings voice;
        QString encoder;    // a program name looked up in PATH, or a path
        QString workFolder; // the parts waiting to be joined and every encoder's messages
        int lanes = 2;      // how many parts are spoken at once
        AudioFormat format = AudioFormat::Mp3;
    };
    struct Part
    {
        QList<Utterance> utterances;
        int output = 0; // the index of its file
    };

    // soundPaths are the files the sound of each output goes into, where the format appends
    // its parts; the parts of each follow one another in parts. An output without parts is made
    // of one silent part (still a file).
    EncoderLanes(Setup setup, const QStringList& soundPaths, QList<Part> parts,
                 QObject* parent = nullptr);
    // Stops whatever still runs.
    ~EncoderLanes() override;

    // The parts, and the samples each one's sound holds once it is encoded (0 before).
    int count() const;
    qint64 partSamples(int part) const;
    // The sample rate of the sound encoded; 0 until a part is encoded.
    int sampleRate() const;
    // The files the parts of output are written to, in order.
    QStringList outputParts(int output) const;

    enum class Start {
        Started,
        NoPipe,            // no pipe from a voice to its encoder
        EncoderNotStarted, // an encoder could not be started
    };
    // Starts the first parts. What starting an encoder throws goes to the caller, which then
    // stops the lanes. A part started later that cannot start ends the lanes with
    // EncoderFailed.
    Start start();
    // Stops the encoders, the voices and the joining at once; ended() does not follow.
    void stop();
    // How often spoken() may follow the speech; by default every ProgressPace's
    // DefaultIntervalMs on the steady clock. Set before start().
    void setProgressPace(ProgressPace pace);

signals:
    // The characters spoken so far in all parts together, and how many parts have been spoken:
    // as the speech goes on, at most once in the pace's interval, and whenever a part's speech
    // has ended, so the last count always arrives.
    void spoken(qint64 characters, int partsSpoken);
    // Every part is encoded; the last files are being joined.
    void joining();
    // An output's sound is complete: all its parts encoded, and joined into its sound path
    // where the format appends them. The receiver may stop the lanes from here.
    void soundMade(int output);
    // A step of setting up a part's voice failed; the part goes on as far as it can.
    void renderingFailed(const lectorix::RenderingFailure& failure);
    void ended(lectorix::LanesEnd end, const QString& speechFailure);

private:
    struct Work;
    Work* nextWaitingPart();
    Start startPart(Work& part);
    void startWaitingParts();
    void reportSpoken(bool always);
    void speechEnded(Work& part, const QString& failure);
    void encoderEnded(Work& part, int exitCode);
    void partEncoded(Work& part);
    void joinNext();
    void joinNextBlock();
    void checkAllDone();
    void end(LanesEnd how, const QString& speechFailure = QString());

    struct State;
    std::unique_ptr<State> d;
};

} // namespace lectorix
