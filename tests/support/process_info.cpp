#include "support/process_info.h"

#include "support/test_env.h"

#include <QDir>

#include <unistd.h>

namespace lectorix::test {

// /proc/PID/stat: "pid (name) state ppid pgrp ..."; the name may hold blanks and brackets,
// so the fields are counted from its last closing bracket.
std::optional<ProcessInfo> processInfo(qint64 pid)
{
    const QByteArray stat = readFile(QStringLiteral("/proc/%1/stat").arg(pid));
    const qsizetype open = stat.indexOf('(');
    const qsizetype close = stat.lastIndexOf(')');
    if (open < 0 || close < open)
        return std::nullopt;
    const QList<QByteArray> fields = stat.mid(close + 2).split(' ');
    if (fields.size() < 3 || fields[0].isEmpty())
        return std::nullopt;
    return ProcessInfo{pid, fields[1].toLongLong(), fields[2].toLongLong(), fields[0][0],
                       QString::fromUtf8(stat.mid(open + 1, close - open - 1))};
}

QList<ProcessInfo> allProcesses()
{
    QList<ProcessInfo> processes;
    for (const QString& entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        bool isPid = false;
        const qint64 pid = entry.toLongLong(&isPid);
        if (isPid)
            if (const auto info = processInfo(pid))
                processes.append(*info);
    }
    return processes;
}

bool processRuns(qint64 pid)
{
    const auto info = processInfo(pid);
    return info && !info->ended();
}

QList<ProcessInfo> childrenOf(qint64 pid)
{
    QList<ProcessInfo> children;
    for (const ProcessInfo& p : allProcesses())
        if (p.parent == pid)
            children.append(p);
    return children;
}

QStringList livingChildNames(qint64 pid)
{
    QStringList names;
    for (const ProcessInfo& p : childrenOf(pid))
        if (!p.ended())
            names << p.name;
    return names;
}

QStringList livingOffspring(qint64 pid, const QSet<qint64>& groups)
{
    QStringList living;
    for (const ProcessInfo& p : allProcesses())
        if (!p.ended() && (p.parent == pid || (groups.contains(p.group) && p.pid != pid)))
            living << QStringLiteral("%1 %2").arg(p.pid).arg(p.name);
    return living;
}

Footprint ownFootprint()
{
    Footprint now;
    // /proc/self/statm: sizes in pages, the whole program first, then what is resident.
    const QList<QByteArray> pages = readFile(QStringLiteral("/proc/self/statm")).split(' ');
    const qint64 pageSize = ::sysconf(_SC_PAGESIZE);
    now.virtualBytes = pages.value(0).toLongLong() * pageSize;
    now.residentBytes = pages.value(1).toLongLong() * pageSize;
    now.openFiles =
        int(QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::Files | QDir::System).size());
    return now;
}

} // namespace lectorix::test
