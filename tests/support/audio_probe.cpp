#include "support/audio_probe.h"

#include "support/program_run.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace lectorix::test {

namespace {

QString titleTag(const QJsonObject& tags)
{
    for (auto it = tags.begin(); it != tags.end(); ++it)
        if (it.key().compare(QLatin1String("title"), Qt::CaseInsensitive) == 0)
            return it.value().toString();
    return QString();
}

void addTags(QHash<QString, QString>& into, const QJsonObject& tags)
{
    for (auto it = tags.begin(); it != tags.end(); ++it)
        into.insert(it.key().toLower(), it.value().toString());
}

} // namespace

std::optional<ProbedAudio> probeAudio(const QString& path)
{
    const ProgramRun run = runProgram(
        QStringLiteral("ffprobe"),
        {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-of"),
         QStringLiteral("json"), QStringLiteral("-show_chapters"), QStringLiteral("-show_streams"),
         QStringLiteral("-show_format"), QStringLiteral("file:") + path});
    if (!run.succeeded())
        return std::nullopt;
    const QJsonObject root = QJsonDocument::fromJson(run.standardOutput).object();
    ProbedAudio probed;
    const QJsonObject format = root.value(QLatin1String("format")).toObject();
    probed.container = format.value(QLatin1String("format_name")).toString();
    probed.seconds = format.value(QLatin1String("duration")).toString().toDouble();
    probed.title = titleTag(format.value(QLatin1String("tags")).toObject());
    addTags(probed.tags, format.value(QLatin1String("tags")).toObject());
    for (const QJsonValue& value : root.value(QLatin1String("streams")).toArray()) {
        const QJsonObject stream = value.toObject();
        const QJsonObject disposition = stream.value(QLatin1String("disposition")).toObject();
        if (disposition.value(QLatin1String("attached_pic")).toInt() == 1)
            probed.hasCover = true;
        else if (stream.value(QLatin1String("codec_type")).toString() == QLatin1String("audio")) {
            probed.codec = stream.value(QLatin1String("codec_name")).toString();
            addTags(probed.tags, stream.value(QLatin1String("tags")).toObject()); // Ogg's
            if (probed.title.isEmpty())
                probed.title = titleTag(stream.value(QLatin1String("tags")).toObject());
        }
    }
    for (const QJsonValue& value : root.value(QLatin1String("chapters")).toArray()) {
        const QJsonObject chapter = value.toObject();
        probed.chapters.append({titleTag(chapter.value(QLatin1String("tags")).toObject()),
                                chapter.value(QLatin1String("start_time")).toString().toDouble(),
                                chapter.value(QLatin1String("end_time")).toString().toDouble()});
    }
    return probed;
}

QString decodingFault(const QString& path)
{
    const ProgramRun run = runProgram(
        QStringLiteral("ffmpeg"),
        {QStringLiteral("-nostdin"), QStringLiteral("-v"), QStringLiteral("error"),
         QStringLiteral("-i"), QStringLiteral("file:") + path, QStringLiteral("-map"),
         QStringLiteral("0:a"), QStringLiteral("-f"), QStringLiteral("null"), QStringLiteral("-")});
    if (!run.started)
        return QStringLiteral("ffmpeg could not be started");
    if (!run.succeeded() || !run.standardError.trimmed().isEmpty())
        return QStringLiteral("ffmpeg: ") + run.errors();
    return QString();
}

} // namespace lectorix::test
