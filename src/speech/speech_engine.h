#pragma once

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

// A voice object: what the program speaks with. Every failing operation throws
// lectorix::Failure with a description the error report can show.
class Voice
{
public:
    virtual ~Voice() = default;

    // All installed voices, in the same order on every call.
    virtual QList<VoiceToken> GetVoices() = 0;
    // Speak with this voice from now on.
    virtual void setVoice(const VoiceToken& token) = 0;
    // 0 to 100, a linear gain applied as samples are played: a change is heard at once.
    virtual void setVolume(int volume) = 0;
    virtual int volume() const = 0;
    // -10 to 10, a speed factor of 3^(rate/10), applied from the next synthesized stretch.
    virtual void setRate(int rate) = 0;
    virtual int rate() const = 0;

    // Queues text and returns at once; queued texts are spoken in order.
    virtual void speakAsync(const QString& text) = 0;
    // Speaks text and returns when it has been spoken (or written to the output stream).
    virtual void speak(const QString& text) = 0;
    // Speaks the content of a text file and returns when done.
    virtual void speakFile(const QString& path) = 0;

    virtual void pause() = 0;
    virtual void resume() = 0;
    // True only when everything queued has been heard; never while paused with text left.
    virtual bool isDone() const = 0;

    // Sends speech into stream instead of the default audio output; nullptr sets it back.
    virtual void setAudioOutputStream(FileStream* stream) = 0;
};

// A WAV file being written: 22,050 Hz, 16-bit, mono RIFF WAVE.
class FileStream
{
public:
    virtual ~FileStream() = default;
    // Creates or empties the file. Throws Failure when it cannot be written.
    virtual void open(const QString& path) = 0;
    // Completes the header and closes the file; afterwards the file is a valid WAV file.
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

// The engine the program uses; the espeak-ng engine unless a test set another.
Engine& engine();
void setEngine(Engine* engine);

} // namespace lectorix::speech
