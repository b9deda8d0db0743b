#pragma once

// A folder that holds only a little: a tmpfs of that size mounted on it where this process
// may mount one (CI runs as root), else a limit on the size of every file this process and
// its children write (RLIMIT_FSIZE, with SIGXFSZ ignored so a write fails instead of ending
// the writer). Gone, and the limit lifted, when the object goes.

#include <QDir>
#include <QFile>
#include <QString>

#include <csignal>

#include <sys/mount.h>
#include <sys/resource.h>
#include <unistd.h>

namespace lectorix::test {

class SmallDisk
{
public:
    enum class Kind { Mounted, FileSizeLimit };

    SmallDisk(const QString& folder, qint64 bytes) : m_folder(folder), m_bytes(bytes)
    {
        QDir().mkpath(folder);
        const QByteArray options = "size=" + QByteArray::number(bytes) + ",mode=0700";
        m_mounted = ::mount("tmpfs", QFile::encodeName(folder).constData(), "tmpfs", 0,
                            options.constData()) == 0;
        m_kind = m_mounted ? Kind::Mounted : Kind::FileSizeLimit;
    }

    ~SmallDisk()
    {
        lift();
        if (m_mounted)
            ::umount2(QFile::encodeName(m_folder).constData(), MNT_DETACH);
    }

    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;

    Kind kind() const { return m_kind; }
    const QString& folder() const { return m_folder; }

    // Without a mount the limit starts here, once the test has written what it needs.
    void fill()
    {
        if (m_mounted || m_limited)
            return;
        ::getrlimit(RLIMIT_FSIZE, &m_previousLimit);
        struct rlimit limit = m_previousLimit;
        limit.rlim_cur = rlim_t(m_bytes);
        m_previousHandler = std::signal(SIGXFSZ, SIG_IGN);
        m_limited = ::setrlimit(RLIMIT_FSIZE, &limit) == 0;
    }

    // The folder made read-only: remounted where it is a mount, else its mode (which does
    // not stop root). False when neither makes writing fail.
    bool makeReadOnly()
    {
        const QByteArray path = QFile::encodeName(m_folder);
        if (m_mounted)
            return ::mount("tmpfs", path.constData(), "tmpfs", MS_REMOUNT | MS_RDONLY, nullptr) ==
                   0;
        QFile::setPermissions(m_folder, QFile::ReadOwner | QFile::ExeOwner);
        return ::access(path.constData(), W_OK) != 0;
    }

    void lift()
    {
        if (!m_limited)
            return;
        ::setrlimit(RLIMIT_FSIZE, &m_previousLimit);
        std::signal(SIGXFSZ, m_previousHandler);
        m_limited = false;
    }

private:
    QString m_folder;
    qint64 m_bytes;
    bool m_mounted = false;
    bool m_limited = false;
    Kind m_kind = Kind::FileSizeLimit;
    struct rlimit m_previousLimit
    {
    };
    void (*m_previousHandler)(int) = SIG_DFL;
};

} // namespace lectorix::test
