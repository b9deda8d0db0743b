#include "core/conversion/audio_format.h"

#include "core/conversion/audiobook_tags.h"
#include "core/conversion/mp3_encoding.h"
#include "core/conversion/mp3_tags.h"

#include <QFile>

namespace lectorix {

namespace {

// The speech as SpeechRendering writes it, read from ffmpeg's standard input.
const QByteArrayList FfmpegSpeechInput{"-nostdin", "-hide_banner", "-loglevel", "error", "-f",
                                       "s16le",    "-ar",          "22050",     "-ac",   "1",
                                       "-i",       "pipe:0"};

// ffmpeg reads "name:..." as a protocol and "-..." as an option; a file URL is neither.
QByteArray fileUrl(const QString& path)
{
    return QByteArrayLiteral("file:") + QFile::encodeName(path);
}

QByteArray escapedMetadata(QString text)
{
    text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    QByteArray escaped;
    for (const char c : text.toUtf8()) {
        if (c == '=' || c == ';' || c == '#' || c == '\\')
            escaped += '\\';
        escaped += c;
    }
    return escaped;
}

} // namespace

std::optional<AudioFormat> audioFormatNamed(const QString& name)
{
    for (const AudioFormat format : {AudioFormat::Mp3, AudioFormat::M4b, AudioFormat::Opus})
        if (name.compare(audioFormatName(format), Qt::CaseInsensitive) == 0)
            return format;
    return std::nullopt;
}

QString audioFormatName(AudioFormat format)
{
    switch (format) {
    case AudioFormat::Mp3:
        return QStringLiteral("mp3");
    case AudioFormat::M4b:
        return QStringLiteral("m4b");
    case AudioFormat::Opus:
        return QStringLiteral("opus");
    }
    return QString();
}

QString audioFormatTitle(AudioFormat format)
{
    return format == AudioFormat::Opus ? QStringLiteral("Opus") : audioFormatName(format).toUpper();
}

QString audioFormatExtension(AudioFormat format)
{
    return QLatin1Char('.') + audioFormatName(format);
}

QString withAudioExtension(const QString& path, AudioFormat format)
{
    const QString mp3 = audioFormatExtension(AudioFormat::Mp3);
    const QString stem = path.endsWith(mp3, Qt::CaseInsensitive) ? path.chopped(mp3.size()) : path;
    return stem + audioFormatExtension(format);
}

QString defaultEncoder(AudioFormat format)
{
    return format == AudioFormat::Mp3 ? QStringLiteral("lame") : QStringLiteral("ffmpeg");
}

QByteArrayList laneEncoderArguments(AudioFormat format, const QString& encoderPath,
                                    const QString& soundPath, bool partOfWhole)
{
    if (format == AudioFormat::Mp3)
        return pipedEncoderArguments(encoderPath, soundPath, partOfWhole);
    QByteArrayList argv{QFile::encodeName(encoderPath)};
    argv << FfmpegSpeechInput;
    if (format == AudioFormat::M4b)
        argv << "-c:a"
             << "aac"
             << "-aac_coder"
             << "fast"
             << "-b:a"
             << "48k"
             << "-f"
             << "adts";
    else
        argv << "-ar"
             << "24000"
             << "-c:a"
             << "libopus"
             << "-b:a"
             << "16k"
             << "-compression_level"
             << "5"
             << "-f"
             << "ogg";
    argv << "-y" << fileUrl(soundPath);
    return argv;
}

QString lanePartName(AudioFormat format, int lane)
{
    const QString extension =
        format == AudioFormat::M4b ? QStringLiteral(".aac") : audioFormatExtension(format);
    return QStringLiteral("part%1").arg(lane + 1) + extension;
}

bool partsJoinedByAppending(AudioFormat format)
{
    return format != AudioFormat::Opus;
}

bool needsContainerStep(AudioFormat format)
{
    return format != AudioFormat::Mp3;
}

QByteArrayList containerArguments(AudioFormat format, const QString& toolPath, const QString& input,
                                  const QString& chaptersPath, const QString& outputPath)
{
    QByteArrayList argv{QFile::encodeName(toolPath), "-nostdin", "-hide_banner", "-loglevel",
                        "error"};
    if (format == AudioFormat::M4b) {
        argv << "-i" << fileUrl(input) << "-f"
             << "ffmetadata"
             << "-i" << fileUrl(chaptersPath) << "-map"
             << "0:a"
             << "-map_metadata"
             << "1"
             << "-map_chapters"
             << "1"
             << "-c"
             << "copy"
             << "-f"
             << "ipod";
    } else {
        argv << "-f"
             << "concat"
             << "-i" << fileUrl(input) << "-map"
             << "0:a"
             << "-c"
             << "copy"
             << "-f"
             << "ogg";
    }
    argv << "-y" << fileUrl(outputPath);
    return argv;
}

QByteArray concatList(const QStringList& partNames)
{
    QByteArray list;
    for (QString name : partNames) {
        // Inside single quotes nothing is special but the quote itself.
        name.replace(QLatin1Char('\''), QLatin1String("'\\''"));
        list += "file '" + QFile::encodeName(name) + "'\n";
    }
    return list;
}

QByteArray chapterMetadata(const QList<ChapterMark>& chapters)
{
    QByteArray text = ";FFMETADATA1\n";
    for (const ChapterMark& chapter : chapters) {
        text += "[CHAPTER]\nTIMEBASE=1/1000\n";
        text += "START=" + QByteArray::number(chapter.startMs) + '\n';
        text += "END=" + QByteArray::number(qMax(chapter.startMs, chapter.endMs)) + '\n';
        text += "title=" + escapedMetadata(chapter.title) + '\n';
    }
    return text;
}

void writeAudioTags(AudioFormat format, const QString& path, const Mp3Tags& tags)
{
    switch (format) {
    case AudioFormat::Mp3:
        writeMp3Tags(path, tags);
        return;
    case AudioFormat::M4b:
        writeM4bTags(path, tags);
        return;
    case AudioFormat::Opus:
        writeOpusTags(path, tags);
        return;
    }
}

} // namespace lectorix
