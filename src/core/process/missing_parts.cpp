#include "core/process/missing_parts.h"

#include "core/base/failure.h"
#include "core/files/temp_folder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>

namespace lectorix {

namespace {

QString canonicalFolder(const QString& folder)
{
    const QString canonical = QFileInfo(folder).canonicalFilePath();
    return canonical.isEmpty() ? QDir::cleanPath(QDir(folder).absolutePath()) : canonical;
}

QString launcherFolder()
{
    try {
        return canonicalFolder(tempFolder());
    } catch (const Failure&) {
        return QString(); // an unusable {TEMP} holds no launcher to skip
    }
}

} // namespace

QString diskFullMessage(const QString& folder, qint64 needed)
{
    // Less than two blocks left: a write that needed more has failed.
    constexpr qint64 FullBelow = 8192;
    const QStorageInfo disk(folder);
    if (!disk.isValid() || disk.bytesAvailable() >= qMax(FullBelow, needed))
        return QString();
    return QStringLiteral("There is no room left in %1: the disk is full. Free some space and "
                          "try again.")
        .arg(folder);
}

QString packageOf(const QString& tool)
{
    if (tool == QLatin1String("pdftotext") || tool == QLatin1String("pdfinfo") ||
        tool == QLatin1String("pdftoppm"))
        return QStringLiteral("poppler-utils");
    if (tool == QLatin1String("tesseract"))
        return QStringLiteral("tesseract-ocr");
    if (tool == QLatin1String("xdg-open"))
        return QStringLiteral("xdg-utils");
    return tool;
}

QString notInstalledMessage(const QString& tool)
{
    return QStringLiteral("%1 is not installed (Debian package %2).").arg(tool, packageOf(tool));
}

QString missingLanguageDataMessage(const QString& converterLog)
{
    // pdftotext says it once per font, maybe after thousands of other lines: read it all.
    QFile log(converterLog);
    if (!log.open(QIODevice::ReadOnly))
        return QString();
    while (!log.atEnd()) {
        if (log.readLine().contains("Missing language pack"))
            return QStringLiteral("pdftotext lacks the language data for this document's fonts "
                                  "(Debian package poppler-data).");
    }
    return QString();
}

bool isInstalled(const QString& tool)
{
    const QString skipped = launcherFolder();
    const QStringList folders =
        qEnvironmentVariable("PATH").split(QLatin1Char(':'), Qt::SkipEmptyParts);
    for (const QString& folder : folders) {
        if (!skipped.isEmpty() && canonicalFolder(folder) == skipped)
            continue;
        const QFileInfo candidate(folder + QLatin1Char('/') + tool);
        if (candidate.isFile() && candidate.isExecutable())
            return true;
    }
    return false;
}

QString missingToolMessage(const QString& program, const QString& tool)
{
    if (!program.contains(QLatin1Char('/')))
        return isInstalled(program) ? QString() : notInstalledMessage(program);
    const QFileInfo given(program);
    const bool launcher =
        given.fileName() == tool && canonicalFolder(given.absolutePath()) == launcherFolder();
    if (launcher && !isInstalled(tool))
        return notInstalledMessage(tool);
    return QString();
}

} // namespace lectorix
