#include "core/files/temp_folder.h"

#include "core/base/failure.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace lectorix {

namespace {

QString privateFolderPath()
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QDir::isAbsolutePath(runtime))
        return runtime + QStringLiteral("/lectorix");
    return QStringLiteral("/tmp/lectorix-%1").arg(::getuid());
}

void checkPrivateFolder(const QString& path)
{
    const QByteArray native = QFile::encodeName(path);
    struct stat info
    {
    };
    if (::lstat(native.constData(), &info) != 0) {
        if (errno != ENOENT)
            throw Failure(QStringLiteral("The temporary folder %1 can not be used: %2")
                              .arg(path, QString::fromLocal8Bit(std::strerror(errno))));
        if (::mkdir(native.constData(), 0700) != 0 && errno != EEXIST)
            throw Failure(QStringLiteral("The temporary folder %1 can not be created: %2")
                              .arg(path, QString::fromLocal8Bit(std::strerror(errno))));
        if (::lstat(native.constData(), &info) != 0)
            throw Failure(QStringLiteral("The temporary folder %1 can not be created.").arg(path));
    }
    const QString refused = QStringLiteral("The temporary folder %1 is refused because %2. "
                                           "Remove it or set TEMP to a private folder.");
    if (S_ISLNK(info.st_mode))
        throw Failure(refused.arg(path, QStringLiteral("it is a symbolic link")));
    if (!S_ISDIR(info.st_mode))
        throw Failure(refused.arg(path, QStringLiteral("it is not a folder")));
    if (info.st_uid != ::getuid())
        throw Failure(refused.arg(path, QStringLiteral("it belongs to another user")));
    if ((info.st_mode & 077) != 0)
        throw Failure(refused.arg(path, QStringLiteral("other users can open it")));
}

} // namespace

QString tempFolder()
{
    const QString temp = qEnvironmentVariable("TEMP");
    if (!temp.isEmpty())
        return temp;
    const QString path = privateFolderPath();
    checkPrivateFolder(path);
    return path;
}

void checkOwnProgram(const QString& path)
{
    struct stat info
    {
    };
    if (::lstat(QFile::encodeName(path).constData(), &info) != 0) {
        if (errno == ENOENT)
            return;
        throw Failure(QStringLiteral("The program %1 can not be checked: %2")
                          .arg(path, QString::fromLocal8Bit(std::strerror(errno))));
    }
    const char* why = nullptr;
    if (!S_ISREG(info.st_mode))
        why = "is not a regular file";
    else if (info.st_uid != ::geteuid())
        why = "belongs to another user";
    else if ((info.st_mode & (S_IWGRP | S_IWOTH)) != 0)
        why = "can be changed by other users";
    if (why)
        throw Failure(QStringLiteral("The program %1 is refused because it %2. Remove it and try "
                                     "again.")
                          .arg(path, QLatin1String(why)));
}

QString tempPath(const QString& name)
{
    QString folder = tempFolder();
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    return folder + name;
}

std::unique_ptr<QTemporaryDir> makeWorkingFolder(const QString& prefix)
{
    auto folder = std::make_unique<QTemporaryDir>(tempPath(prefix + QStringLiteral("-XXXXXX")));
    if (!folder->isValid())
        throw Failure(QStringLiteral("The working folder could not be made: ") +
                      folder->errorString());
    return folder;
}

} // namespace lectorix
