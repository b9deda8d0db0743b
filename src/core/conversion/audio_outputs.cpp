#include "core/conversion/audio_outputs.h"

#include "core/base/failure.h"
#include "core/conversion/mp3_output.h"
#include "core/files/file_utils.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace lectorix {

namespace {

constexpr qsizetype MaxTitleLength = 120;

QString safeTitle(const QString& title)
{
    QString safe;
    for (const QChar c : title)
        safe += c.category() == QChar::Other_Control || QStringLiteral("/\\:*?\"<>|").contains(c)
                    ? QChar(u' ')
                    : c;
    safe = safe.simplified();
    qsizetype start = 0;
    while (start < safe.size() && (safe[start] == u'.' || safe[start].isSpace()))
        ++start;
    safe = safe.mid(start).left(MaxTitleLength).trimmed();
    // A name ending in a dot or space is refused by some file systems.
    while (safe.endsWith(u'.'))
        safe.chop(1);
    return safe.trimmed();
}

} // namespace

QString chapterFolder(const QString& outputPath)
{
    return folderOf(outputPath) + stripExtension(fileNameOf(outputPath));
}

QString chapterFileName(int number, int count, const QString& title, const QString& extension)
{
    const int width = qMax(2, int(QString::number(count).size()));
    const QString numbered = QStringLiteral("%1").arg(number, width, 10, QLatin1Char('0'));
    const QString safe = safeTitle(title);
    return (safe.isEmpty() ? numbered : numbered + u' ' + safe) + extension;
}

AudioOutputs::AudioOutputs(const QString& outputPath, const QStringList& chapterTitles,
                           const QString& extension)
    : m_perChapter(!chapterTitles.isEmpty())
{
    if (!m_perChapter) {
        m_paths << outputPath;
    } else {
        const QString folder = chapterFolder(outputPath) + u'/';
        for (qsizetype i = 0; i < chapterTitles.size(); ++i)
            m_paths << folder + chapterFileName(int(i) + 1, int(chapterTitles.size()),
                                                chapterTitles.at(i), extension);
    }
    m_partials = QStringList(m_paths.size(), QString());
}

AudioOutputs::~AudioOutputs()
{
    removePartials();
}

bool AudioOutputs::isComplete(int output) const
{
    return QFileInfo(path(output)).isFile();
}

QString AudioOutputs::reserve(int output)
{
    if (m_perChapter) {
        const QString folder = folderOf(path(output));
        if (!QDir().mkpath(folder))
            throw Failure(QStringLiteral("The folder %1 could not be created.").arg(folder));
    }
    m_partials[output] = reservePartialFile(path(output));
    return m_partials.at(output);
}

void AudioOutputs::place(int output)
{
    renameOver(m_partials.at(output), path(output));
    m_partials[output].clear();
}

void AudioOutputs::removePartials()
{
    for (QString& partial : m_partials) {
        if (!partial.isEmpty())
            QFile::remove(partial);
        partial.clear();
    }
}

} // namespace lectorix
