#include "support/audio_files.h"

#include "core/base/failure.h"
#include "core/speech/language_voices.h"
#include "core/speech/speech_engine.h"
#include "core/speech/speech_text.h"
#include "support/test_env.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QtEndian>

namespace lectorix::test {

void renderWav(const VoiceSettings& voice, const QList<Utterance>& utterances,
               const QString& wavPath)
{
    const std::unique_ptr<speech::Voice> speaker = speech::engine().createVoice();
    applyVoiceSettings(
        voice, [&]() -> speech::Voice& { return *speaker; },
        [](const VoiceSettingFailure& failure) { throw Failure(failure.description); });
    const std::unique_ptr<speech::FileStream> stream = speech::engine().createFileStream();
    stream->open(wavPath);
    speaker->setAudioOutputStream(stream.get());
    // As a rendering speaks them: each in the voice of its language, those with a silence
    // after them alone, the others together.
    LanguageVoices languages(*speaker);
    QString pending;
    QString language;
    const auto say = [&](int silenceAfterMs) {
        languages.choose(language);
        speaker->speak(pending, silenceAfterMs);
        pending.clear();
    };
    for (const Utterance& utterance : utterances) {
        if (utterance.language != language && !pending.isEmpty())
            say(Utterance::VoicesOwnPause);
        language = utterance.language;
        pending += utterance.text + QLatin1Char('\n');
        if (utterance.silenceAfterMs != Utterance::VoicesOwnPause)
            say(utterance.silenceAfterMs);
    }
    if (!pending.isEmpty())
        say(Utterance::VoicesOwnPause);
    speaker->setAudioOutputStream(nullptr);
    stream->close();
}

void renderWav(const VoiceSettings& voice, const QString& textPath, const QString& wavPath)
{
    renderWav(voice, {{speech::readTextFile(textPath), Utterance::VoicesOwnPause, {}}}, wavPath);
}

qint64 longestInnerSilence(const QList<qint16>& sound, int threshold)
{
    qint64 longest = 0;
    qint64 run = 0;
    bool heard = false;
    for (const qint16 sample : sound) {
        if (qAbs(int(sample)) < threshold) {
            ++run;
            continue;
        }
        if (heard)
            longest = qMax(longest, run);
        heard = true;
        run = 0;
    }
    return longest;
}

QList<qint16> rawSamples(const QByteArray& bytes)
{
    QList<qint16> samples(bytes.size() / 2);
    for (qsizetype i = 0; i < samples.size(); ++i)
        samples[i] = qFromLittleEndian<qint16>(bytes.constData() + 2 * i);
    return samples;
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

QString mpg123Program()
{
    return QStandardPaths::findExecutable(QStringLiteral("mpg123"));
}

std::optional<DecodedSound> decodeMp3(const QString& path)
{
    QProcess decoder;
    decoder.start(mpg123Program(), {QStringLiteral("-q"), QStringLiteral("-s"), path});
    if (!decoder.waitForStarted())
        return std::nullopt;
    DecodedSound sound;
    QByteArray pending;
    const auto consume = [&] {
        pending += decoder.readAllStandardOutput();
        const qsizetype whole = pending.size() & ~qsizetype(1);
        for (qsizetype i = 0; i < whole; i += 2) {
            const int sample = qint16(quint16(quint8(pending[i]) | quint8(pending[i + 1]) << 8));
            sound.peak = qMax(sound.peak, qAbs(sample));
        }
        sound.samples += whole / 2;
        pending.remove(0, whole);
    };
    while (decoder.waitForReadyRead(5 * 60 * 1000))
        consume();
    decoder.waitForFinished();
    consume();
    if (decoder.exitStatus() != QProcess::NormalExit || decoder.exitCode() != 0)
        return std::nullopt;
    return sound;
}

QList<qint64> innerSilences(const QList<qint16>& sound, int threshold, qint64 shortest)
{
    QList<qint64> silences;
    qint64 run = 0;
    bool heard = false;
    for (const qint16 sample : sound) {
        if (qAbs(int(sample)) < threshold) {
            ++run;
            continue;
        }
        if (heard && run >= shortest)
            silences << run;
        heard = true;
        run = 0;
    }
    return silences;
}

qint64 mp3Samples(const QString& mp3)
{
    const std::optional<DecodedSound> sound = decodeMp3(mp3);
    return sound && sound->samples > 0 ? sound->samples : -1;
}

QString mp3Fault(const QString& path)
{
    const QByteArray head = readFile(path).left(4);
    if (head.isEmpty())
        return QStringLiteral("%1 is missing or empty").arg(path);
    const bool id3 = head.startsWith("ID3");
    const bool frameSync =
        head.size() >= 2 && quint8(head[0]) == 0xFF && (quint8(head[1]) & 0xE0) == 0xE0;
    if (!id3 && !frameSync)
        return QStringLiteral("%1 starts with neither an ID3 tag nor an MPEG frame").arg(path);
    if (mpg123Program().isEmpty())
        return QString();
    const std::optional<DecodedSound> sound = decodeMp3(path);
    if (!sound)
        return QStringLiteral("mpg123 cannot decode %1").arg(path);
    if (sound->samples < 22050 / 10)
        return QStringLiteral("%1 decodes to less than a tenth of a second").arg(path);
    return QString();
}

QByteArray withoutTag(const QByteArray& mp3)
{
    if (!mp3.startsWith("ID3") || mp3.size() < 10)
        return mp3;
    qsizetype size = 0;
    for (int i = 6; i < 10; ++i)
        size = (size << 7) | (mp3.at(i) & 0x7f);
    const bool footer = (mp3.at(5) & 0x10) != 0;
    return mp3.mid(10 + size + (footer ? 10 : 0));
}

QList<qint16> decodedSamples(const QString& path, int rate)
{
    QProcess decoder;
    decoder.start(QStringLiteral("ffmpeg"),
                  {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-i"), path,
                   QStringLiteral("-f"), QStringLiteral("s16le"), QStringLiteral("-ac"),
                   QStringLiteral("1"), QStringLiteral("-ar"), QString::number(rate),
                   QStringLiteral("-")});
    if (!decoder.waitForFinished(300000))
        return {};
    return rawSamples(decoder.readAllStandardOutput());
}

} // namespace lectorix::test
