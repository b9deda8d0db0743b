#pragma once

#include <QByteArrayList>
#include <QString>
#include <QStringList>

#include <sys/types.h>

namespace lectorix {

// The value added to errno when a program cannot be started.
inline constexpr int StartFailureBase = -2147221504;

// Starts a command line as a separate process, never through a shell, and waits for it to
// end while the window keeps handling events (no polling sleeps). Returns its exit code
// (128 + the signal number when a signal ended it), or StartFailureBase + errno at once when
// it cannot be started. A program named without a "/" is looked up in PATH. Show states 0
// to 6 are accepted and have no visible effect. When the program ends meanwhile (the window
// closes), the process and everything it started are stopped and the call returns.
int runAndWait(const QString& commandLine, int windowStyle = 6);

// The same for an argument vector given as the exact bytes each argument must have, for the
// rare argument that is not UTF-8 (a password in an older PDF encryption). argv[0] is the
// program.
int runAndWaitArgv(const QByteArrayList& argv, int windowStyle = 6);

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

// Splits a command line into program and arguments: blanks separate arguments; a double
// quote starts or ends a quoted stretch in which blanks are kept; inside a quoted stretch two
// double quotes in a row stand for one literal double quote. "" alone is an empty argument.
QStringList splitCommandLine(const QString& commandLine);

// One piece of a command line in double quotes, embedded double quotes doubled, so that
// splitCommandLine gives the text back exactly.
QString quoted(const QString& piece);

} // namespace lectorix
