#pragma once

// Running a program to its end and keeping what it said: the built programs, the tools a
// distribution checks a package with, the decoders that judge an MP3.

#include <QByteArray>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

namespace lectorix::test {

struct RunOptions
{
    // Each member has an initializer, so a call names only the ones it sets:
    // runProgram(program, arguments, {.folder = folder, .input = text}).
    QString folder{};                  // the working folder; this process's when empty
    QByteArray input{};                // standard input (a pipe, never a terminal), then closed
    QProcessEnvironment environment{}; // adds to or replaces variables of this process's
    QStringList unset{};               // variables the program does not inherit
    // Generous: a sanitized build runs far more slowly than a release build. Past it the
    // program is killed and counts as crashed.
    int timeoutMs = 15 * 60 * 1000;
    // This process's event loop runs while the program does, so the program can talk to it
    // (over the bus, for one) and get an answer.
    bool serveEvents = false;
};

struct ProgramRun
{
    bool started = false;
    bool crashed = false; // ended by a signal, or killed at the time-out
    int exitCode = -1;    // -1 unless it ended normally
    QByteArray standardOutput;
    QByteArray standardError;

    bool succeeded() const { return started && !crashed && exitCode == 0; }
    QString output() const { return QString::fromUtf8(standardOutput); }
    QString errors() const { return QString::fromUtf8(standardError); }
    // For a failure message: everything it wrote.
    QByteArray said() const { return standardOutput + standardError; }
};

ProgramRun runProgram(const QString& program, const QStringList& arguments,
                      const RunOptions& options = {});

} // namespace lectorix::test
