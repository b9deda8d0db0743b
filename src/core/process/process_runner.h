#pragma once

#include <QByteArrayList>
#include <QString>

#include <sys/types.h>

namespace lectorix {

// The value added to errno when a program cannot be started.
inline constexpr int StartFailureBase = -2147221504;

// Starts argv in a process group of its own with standard input from standardInput (else
// /dev/null), standard error and standard output into the files given (else the program's
// own), and the usual signal handling. Returns 0 or the errno of the failure. The caller
// reaps the child.
int spawnProcess(const QByteArrayList& argv, pid_t& pid, const QString& standardErrorPath,
                 int standardInput = -1, const QString& standardOutputPath = QString());

// Kills the child started by spawnProcess and everything in its process group, and reaps it.
// Returns its exit code, or -1 when someone else had reaped it already.
int stopProcessGroup(pid_t pid);

// The exit code a wait status stands for: 128 + the signal number when a signal ended it.
int exitCodeOf(int status);

} // namespace lectorix
