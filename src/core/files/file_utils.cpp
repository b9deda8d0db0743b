#include "core/files/file_utils.h"

#include "core/base/failure.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <QTemporaryFile>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace lectorix {

namespace {

QString systemError(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

bool hasWildcard(const QString& path)
{
    return path.contains(QLatin1Char('?')) || path.contains(QLatin1Char('*'));
}

QString collapsePairs(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        out += text[i];
        if (text[i] == QLatin1Char('/') && i + 1 < text.size() && text[i + 1] == QLatin1Char('/'))
            ++i;
    }
    return out;
}

// A file is read-only when its write bit is off (the owner could turn it on, but replacing it
// silently would defeat the protection) or when we may not write it.
bool isReadOnly(const QString& path)
{
    const QByteArray native = QFile::encodeName(path);
    struct stat info
    {
    };
    if (::stat(native.constData(), &info) != 0)
        return false;
    return (info.st_mode & S_IWUSR) == 0 || ::access(native.constData(), W_OK) != 0;
}

} // namespace

bool fileExists(const QString& path)
{
    if (path.isEmpty())
        return false;
    struct stat info
    {
    };
    return ::stat(QFile::encodeName(path).constData(), &info) == 0;
}

bool isExistingFile(const QString& path)
{
    if (path.isEmpty() || hasWildcard(path))
        return false;
    struct stat info
    {
    };
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 && S_ISREG(info.st_mode);
}

bool isFolder(const QString& path)
{
    if (path.isEmpty())
        return false;
    struct stat info
    {
    };
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 && S_ISDIR(info.st_mode);
}

QString stripExtension(const QString& path)
{
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    return dot >= 1 ? path.left(dot) : path;
}

QString fileNameOf(const QString& path)
{
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

QString folderOf(const QString& path)
{
    return path.left(path.lastIndexOf(QLatin1Char('/')) + 1);
}

QString shortPath(const QString& path)
{
    return path;
}

QString normalizeSlashes(const QString& path)
{
    if (!path.startsWith(QLatin1Char('/')))
        return collapsePairs(path);
    qsizetype first = 1;
    while (first < path.size() && path[first] == QLatin1Char('/'))
        ++first;
    return QLatin1Char('/') + collapsePairs(path.mid(first));
}

void removeFile(const QString& path)
{
    if (path.isEmpty())
        return;
    if (::unlink(QFile::encodeName(path).constData()) == 0)
        return;
    try {
        deleteFile(path);
    } catch (const Failure&) {
        // A missing file, or one that cannot be deleted, is left alone without a message.
    }
}

void deleteFile(const QString& path)
{
    const QByteArray native = QFile::encodeName(path);
    struct stat info
    {
    };
    if (::lstat(native.constData(), &info) != 0)
        throw Failure(QStringLiteral("File not found: %1").arg(path));
    if (S_ISDIR(info.st_mode))
        throw Failure(QStringLiteral("Permission denied: %1 is a folder").arg(path));
    // Deleting needs no write permission on the file itself, so a read-only file goes too;
    // its mode is never touched (through a symbolic link that would change the target's).
    if (::unlink(native.constData()) != 0)
        throw Failure(QStringLiteral("Permission denied: %1 (%2)").arg(path, systemError(errno)));
}

void writeStringToFile(const QString& text, const QString& path)
{
    const QFileInfo target(path);
    if (!isFolder(target.absolutePath()))
        throw Failure(QStringLiteral("Path not found: %1").arg(target.absolutePath()));
    if (target.exists() && (target.isDir() || isReadOnly(path)))
        throw Failure(QStringLiteral("Permission denied: %1").arg(path));
    QSaveFile file(path);
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly))
        throw Failure(QStringLiteral("Permission denied: %1 (%2)").arg(path, file.errorString()));
    const QByteArray bytes = text.toUtf8();
    if (file.write(bytes) != bytes.size()) {
        const QString why = file.errorString();
        file.cancelWriting();
        throw Failure(QStringLiteral("The file %1 could not be written: %2").arg(path, why));
    }
    if (!file.commit())
        throw Failure(
            QStringLiteral("The file %1 could not be written: %2").arg(path, file.errorString()));
}

void writeFileIfMissing(const QByteArray& bytes, const QString& path, bool executable)
{
    if (fileExists(path))
        return;
    const QFileInfo target(path);
    QTemporaryFile temporary(target.absolutePath() + QStringLiteral("/.lectorix-XXXXXX"));
    if (!temporary.open())
        throw Failure(QStringLiteral("The file %1 could not be created: %2")
                          .arg(path, temporary.errorString()));
    if (temporary.write(bytes) != bytes.size() || !temporary.flush())
        throw Failure(QStringLiteral("The file %1 could not be written: %2")
                          .arg(path, temporary.errorString()));
    if (executable)
        temporary.setPermissions(temporary.permissions() | QFileDevice::ExeOwner);
    temporary.close();
    // link() never replaces: a file that appeared meanwhile is kept, as promised.
    const QByteArray from = QFile::encodeName(temporary.fileName());
    const QByteArray to = QFile::encodeName(path);
    if (::link(from.constData(), to.constData()) != 0 && errno != EEXIST)
        throw Failure(
            QStringLiteral("The file %1 could not be created: %2").arg(path, systemError(errno)));
}

QString desktopFolderPath()
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
    if (folder.isEmpty() || !isFolder(folder))
        folder = QDir::homePath();
    if (folder.isEmpty())
        throw Failure(failures::InvalidArgument);
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    return folder;
}

} // namespace lectorix
