#include "support/program_run.h"

#include <QProcess>
#include <QTest>

namespace lectorix::test {

ProgramRun runProgram(const QString& program, const QStringList& arguments,
                      const RunOptions& options)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(options.environment);
    for (const QString& name : options.unset)
        environment.remove(name);
    process.setProcessEnvironment(environment);
    if (!options.folder.isEmpty())
        process.setWorkingDirectory(options.folder);
    process.start(program, arguments);
    ProgramRun run;
    run.started = process.waitForStarted();
    if (!run.started) {
        run.standardError = "could not start " + program.toLocal8Bit();
        return run;
    }
    process.write(options.input);
    process.closeWriteChannel();
    const bool ended =
        options.serveEvents
            ? QTest::qWaitFor([&] { return process.state() == QProcess::NotRunning; },
                              options.timeoutMs)
            : process.waitForFinished(options.timeoutMs);
    if (!ended) {
        process.kill();
        process.waitForFinished();
    }
    run.crashed = process.exitStatus() != QProcess::NormalExit;
    run.exitCode = run.crashed ? -1 : process.exitCode();
    run.standardOutput = process.readAllStandardOutput();
    run.standardError = process.readAllStandardError();
    return run;
}

} // namespace lectorix::test
