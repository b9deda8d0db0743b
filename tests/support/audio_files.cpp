#include "support/audio_files.h"

#include "core/base/failure.h"
#include "core/speech/speech_engine.h"
#include "core/speech/speech_text.h"
#include "support/test_env.h"

#include <QProcess>
#include <QtEndian>

namespace lectorix::test {

void renderWav(const VoiceSettings& voice, const QString& textPath, const QString& wavPath)
{
    const std::unique_ptr<speech::Voice> speaker = speech::engine().createVoice();
    applyVoiceSettings(
        voice, [&]() -> speech::Voice& { return *speaker; },
        [](const VoiceSettingFailure& failure) { throw Failure(failure.description); });
    const std::unique_ptr<speech::FileStream> stream = speech::engine().createFileStream();
    stream->open(wavPath);
    speaker->setAudioOutputStream(stream.get());
    speaker->speak(speech::readTextFile(textPath));
    speaker->setAudioOutputStream(nullptr);
    stream->close();
}

qint64 wavSamples(const QString& path)
{
    const QByteArray bytes = readFile(path);
    for (qsizetype at = 12; at + 8 <= bytes.size();) {
        const quint32 size = qFromLittleEndian<quint32>(bytes.constData() + at + 4);
        if (bytes.mid(at, 4) == "data")
            return size / 2;
        at += 8 + size + (size & 1);
    }
    return -1;
}

// Samples the MP3 decodes to; -1 when mpg123 does not accept it.
qint64 mp3Samples(const QString& mp3)
{
    QProcess check;
    check.start(QStringLiteral("mpg123"), {QStringLiteral("-q"), QStringLiteral("-t"), mp3});
    if (!check.waitForFinished(120000) || check.exitStatus() != QProcess::NormalExit ||
        check.exitCode() != 0)
        return -1;
    QProcess decode;
    decode.start(QStringLiteral("mpg123"), {QStringLiteral("-q"), QStringLiteral("-s"), mp3});
    if (!decode.waitForFinished(120000) || decode.exitCode() != 0)
        return -1;
    const qint64 samples = decode.readAllStandardOutput().size() / 2;
    return samples > 0 ? samples : -1;
}

} // namespace lectorix::test
