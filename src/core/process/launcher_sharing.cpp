#include "core/process/launcher_sharing.h"

#include "core/base/failure.h"
#include "core/files/file_utils.h"
#include "core/files/temp_folder.h"

#include <QFile>
#include <QHash>

#include <cerrno>
#include <mutex>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace lectorix {

namespace {

std::mutex g_holdsMutex;

// {TEMP} folder -> the descriptor that holds the shared lock, for the life of the process.
QHash<QString, int>& holds()
{
    static QHash<QString, int> folders;
    return folders;
}

QString currentTemp()
{
    try {
        return tempFolder();
    } catch (const Failure&) {
        return QString();
    }
}

int flockRetrying(int fd, int operation)
{
    int result;
    do {
        result = ::flock(fd, operation);
    } while (result != 0 && errno == EINTR);
    return result;
}

} // namespace

void shareLaunchers()
{
    const QString temp = currentTemp();
    if (temp.isEmpty())
        return;
    std::lock_guard lock(g_holdsMutex);
    if (holds().contains(temp))
        return;
    const int fd = ::open(QFile::encodeName(temp).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    if (flockRetrying(fd, LOCK_SH) != 0) {
        ::close(fd);
        return;
    }
    holds().insert(temp, fd);
}

bool launchersUsedElsewhere()
{
    const QString temp = currentTemp();
    if (temp.isEmpty())
        return false;
    std::lock_guard lock(g_holdsMutex);
    const int held = holds().value(temp, -1);
    const int fd =
        held >= 0 ? held
                  : ::open(QFile::encodeName(temp).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    // Only a lock nobody else shares can become exclusive; ours goes back to shared at once.
    const bool alone = flockRetrying(fd, LOCK_EX | LOCK_NB) == 0;
    if (held >= 0)
        flockRetrying(fd, LOCK_SH);
    else
        ::close(fd);
    return !alone;
}

void removeLauncher(const QString& path)
{
    if (!launchersUsedElsewhere())
        removeFile(path);
}

} // namespace lectorix
