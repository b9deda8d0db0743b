#pragma once

// Running the tools a distribution checks a package with, and what an installation holds, for
// the tests of tests/packaging.

#include "support/test_env.h"

#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>

namespace lectorix::test {

struct ToolRun
{
    bool started = false;
    int exitCode = -1;
    QString standardOutput;
    QString standardError;

    bool succeeded() const { return started && exitCode == 0; }
    // For a failure message: what the tool said.
    QByteArray said() const { return (standardOutput + standardError).toLocal8Bit(); }
};

// Runs program to its end; environment adds to or replaces variables of this process's.
inline ToolRun runTool(const QString& program, const QStringList& arguments,
                       const QProcessEnvironment& environment = QProcessEnvironment(),
                       const QString& folder = QString())
{
    QProcess process;
    QProcessEnvironment merged = QProcessEnvironment::systemEnvironment();
    merged.insert(environment);
    process.setProcessEnvironment(merged);
    if (!folder.isEmpty())
        process.setWorkingDirectory(folder);
    process.start(program, arguments);
    ToolRun run;
    run.started = process.waitForStarted();
    if (!run.started) {
        run.standardError = QStringLiteral("cannot start %1").arg(program);
        return run;
    }
    if (!process.waitForFinished(15 * 60 * 1000))
        process.kill();
    process.waitForFinished();
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.standardOutput = QString::fromUtf8(process.readAllStandardOutput());
    run.standardError = QString::fromUtf8(process.readAllStandardError());
    return run;
}

inline QString sourceFolder()
{
    return QStringLiteral(LECTORIX_SOURCE_DIR);
}

inline QString buildFolder()
{
    return QStringLiteral(LECTORIX_BUILD_DIR);
}

// The reverse-DNS name of the desktop entry, icon and metainfo: the desktop entry the source
// tree holds is named after it.
inline QString applicationId()
{
    const QStringList entries = QDir(sourceFolder() + QStringLiteral("/resources/desktop"))
                                    .entryList({QStringLiteral("*.desktop")}, QDir::Files);
    return entries.size() == 1 ? entries.first().chopped(int(qstrlen(".desktop"))) : QString();
}

// Installs the build tree below destdir as if into prefix, as `make install PREFIX=prefix`
// with DESTDIR set does.
inline ToolRun installInto(const QString& destdir, const QString& prefix)
{
    QProcessEnvironment environment;
    environment.insert(QStringLiteral("DESTDIR"), destdir);
    return runTool(QStringLiteral("cmake"),
                   {QStringLiteral("--install"), buildFolder(), QStringLiteral("--prefix"), prefix},
                   environment);
}

// The files every installation holds, relative to its prefix.
inline QStringList installedFiles()
{
    const QString id = applicationId();
    return {QStringLiteral("bin/lectorix"),
            QStringLiteral("bin/lectorix-convert"),
            QStringLiteral("share/applications/%1.desktop").arg(id),
            QStringLiteral("share/icons/hicolor/scalable/apps/%1.svg").arg(id),
            QStringLiteral("share/icons/hicolor/48x48/apps/%1.png").arg(id),
            QStringLiteral("share/icons/hicolor/256x256/apps/%1.png").arg(id),
            QStringLiteral("share/metainfo/%1.metainfo.xml").arg(id),
            QStringLiteral("share/man/man1/lectorix.1"),
            QStringLiteral("share/man/man1/lectorix-convert.1"),
            QStringLiteral("share/bash-completion/completions/lectorix-convert"),
            QStringLiteral("share/lectorix/Samples/sample1.pdf"),
            QStringLiteral("share/lectorix/about.html"),
            QStringLiteral("share/lectorix/HAND-M.CUR"),
            QStringLiteral("share/doc/lectorix/copyright"),
            QStringLiteral("share/doc/lectorix/changelog.gz")};
}

// The version the built converter reports: the last word of its --version's first line.
inline QString builtVersion()
{
    const ToolRun run =
        runTool(qEnvironmentVariable("LECTORIX_CONVERT"), {QStringLiteral("--version")});
    return run.standardOutput.section(QLatin1Char('\n'), 0, 0).section(QLatin1Char(' '), -1);
}

inline bool toolInstalled(const QString& name)
{
    return !QStandardPaths::findExecutable(name).isEmpty();
}

} // namespace lectorix::test
