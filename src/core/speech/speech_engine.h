#pragma once

#include "core/speech/utterance.h"

#include <QList>
#include <QString>

#include <memory>

namespace lectorix::speech {

// One installed voice, as the engine enumerates it.
struct VoiceToken
{
    QString id;          // engine-specific identifier (for espeak-ng: the voice file name)
    QString description; // the display name shown in the voice list
};

class FileStream;

// The silence after a text that keeps the voice's own pauses (see Voice::speakAsync).
inline constexpr int VoicesOwnPause = Utterance::VoicesOwnPause;

// A word of a queued text: which text (0 for the first one a voice was given, counting every
// speakAsync and speak), and where the word stands in it, in UTF-16 code units.
struct WordPosition
{
    int text = -1; // -1: no word
    qsizetype start = 0;
    qsizetype length = 0;
    bool operator==(const WordPosition&) const = default;
};

// A voice object: what the program speaks with. Every failing operation throws
// lectorix::Failure with a description the error report can show.
class Voice
{
public:
    virtual ~Voice() = default;

    // All installed voices, in the same order on every call: the voice of the user's locale
    // first, then the others by description.
    virtual QList<VoiceToken> installedVoices() = 0;
    // Speak with this voice from the next queued text on. A voice the engine can not load
    // makes the next speaking fail with "Class not registered".
    virtual void setVoice(const VoiceToken& token) = 0;
    // The voice in use; a new voice object starts with the voice of the user's locale
    // (LC_ALL, LC_MESSAGES, LANG), else English.
    virtual VoiceToken voice() const { return {}; }
    // 0 to 100, a linear gain applied as samples are played: a change is heard at once.
    // Values outside the range throw Failure.
    virtual void setVolume(int volume) = 0;
    virtual int volume() const = 0;
    // -10 to 10, a speed factor of 3^(rate/10). Takes hold within the buffered audio (the
    // samples are time-stretched as they are played). Values outside the range throw Failure.
    virtual void setRate(int rate) = 0;
    virtual int rate() const = 0;

    // Queues text and returns at once; queued texts are spoken in order, into the output
    // chosen when each was queued. Throws Failure when that output can not be used (no
    // audio server) or the voice can not be loaded ("Class not registered").
    // With silenceAfterMs of 0 or more, the silence the voice makes of its own before the
    // text's first sound and after its last is left out and exactly silenceAfterMs of silence
    // follow, at every rate: the pause a listener hears between two such texts is the one
    // asked for. VoicesOwnPause keeps the voice's own silence and adds none. Values below it
    // throw Failure.
    virtual void speakAsync(const QString& text, int silenceAfterMs = VoicesOwnPause) = 0;
    // Speaks text and returns when it has been spoken (or written to the output stream),
    // blocking the calling thread: meant for a thread of its own (a rendering), never for the
    // window's. Returns early, dropping what is left, when stop() is called from another
    // thread or the voice is destroyed. Failures of the speaking are thrown here.
    virtual void speak(const QString& text, int silenceAfterMs = VoicesOwnPause) = 0;

    // Pause stops the sound within a few milliseconds; resume continues where it stopped.
    virtual void pause() = 0;
    virtual void resume() = 0;
    // Drops everything queued and silences the voice at once; a speak() waiting on another
    // thread returns. The voice can be used again afterwards.
    virtual void stop() = 0;
    // True only when everything queued has been heard (or written); never while paused with
    // text left. A voice that has nothing queued is done. A text dropped because of a failure
    // counts as done.
    virtual bool isDone() const = 0;
    // How many of the queued texts have begun to be spoken (synthesis runs a moment ahead of
    // what is heard); 0 for a voice that cannot tell.
    virtual int textsBegun() const { return 0; }
    // The word being heard now: the last one whose sound has reached the speakers, timed by
    // the audio played (not by synthesis, which runs ahead). Stays on the last word heard
    // while paused and after the end; text -1 before the first word, after stop(), for
    // speech into a file stream, and for a voice that cannot tell.
    virtual WordPosition currentWord() const { return {}; }

    // Sends speech queued from now on into stream (an open stream of the same engine)
    // instead of the default audio output; nullptr sets it back. Writing goes as fast as
    // synthesis allows.
    virtual void setAudioOutputStream(FileStream* stream) = 0;
};

// A WAV file being written: 22,050 Hz, 16-bit, mono RIFF WAVE.
class FileStream
{
public:
    virtual ~FileStream() = default;
    // Creates or empties the file. Throws Failure when it cannot be written.
    virtual void open(const QString& path) = 0;
    // Writes bare samples (16-bit little-endian mono, 22,050 Hz, no header) into descriptor,
    // a pipe into an encoder, and takes the descriptor over: closing the stream closes it,
    // which tells the encoder the sound has ended.
    virtual void openPipe(int descriptor) = 0;
    // Completes the header and closes the file; afterwards the file is a valid WAV file.
    // Releasing an open stream closes it too.
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
};

// The speech engine: makes voices and file streams.
class Engine
{
public:
    virtual ~Engine() = default;
    // Throws Failure when the engine cannot be used (missing voice data, ...).
    virtual std::unique_ptr<Voice> createVoice() = 0;
    virtual std::unique_ptr<FileStream> createFileStream() = 0;
};

// The engine the program uses; the espeak-ng engine (made on first use) unless a test set
// another. setEngine does not take ownership; nullptr returns to the espeak-ng engine.
Engine& engine();
void setEngine(Engine* engine);

// The sample rate of every file stream: 22,050 Hz.
inline constexpr int WavSampleRate = 22050;

// The description of the failure when the engine can not load the chosen voice.
inline const QString ClassNotRegistered = QStringLiteral("Class not registered");
// Shown, after that description, to say what the user can do about it.
inline const QString TryAnotherVoice =
    QStringLiteral("Please try selecting another voice from the dropdown.");

} // namespace lectorix::speech
