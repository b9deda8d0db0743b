#pragma once

// What /proc says about processes: who started whom, which still run, and what this process
// holds. The tests use it to prove that no child outlives its job and nothing leaks.

#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

#include <optional>

namespace lectorix::test {

struct ProcessInfo
{
    qint64 pid = 0;
    qint64 parent = 0;
    qint64 group = 0;
    char state = '?'; // 'R', 'S', 'Z' (ended, not yet reaped), ...
    QString name;

    bool ended() const { return state == 'Z'; }
};

// From /proc/PID/stat; none when there is no such process.
std::optional<ProcessInfo> processInfo(qint64 pid);
QList<ProcessInfo> allProcesses();

// Running or stopped: neither ended (a zombie) nor gone.
bool processRuns(qint64 pid);

// The processes whose parent is pid, zombies included (they are children not yet reaped).
QList<ProcessInfo> childrenOf(qint64 pid);
// The names of pid's children that still run.
QStringList livingChildNames(qint64 pid);
// "PID name" of every running process that pid started or that belongs to one of groups.
QStringList livingOffspring(qint64 pid, const QSet<qint64>& groups);

struct Footprint
{
    qint64 residentBytes = 0;
    qint64 virtualBytes = 0;
    int openFiles = 0;
};

// This process's memory and open file descriptors now.
Footprint ownFootprint();

} // namespace lectorix::test
