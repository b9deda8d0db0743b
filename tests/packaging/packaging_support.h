#pragma once

// Running the tools a distribution checks a package with, and what an installation holds, for
// the tests of tests/packaging.

#include "support/program_run.h"
#include "support/test_env.h"

#include <QDir>
#include <QStandardPaths>
#include <QStringList>

namespace lectorix::test {

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
inline ProgramRun installInto(const QString& destdir, const QString& prefix)
{
    QProcessEnvironment environment;
    environment.insert(QStringLiteral("DESTDIR"), destdir);
    return runProgram(
        QStringLiteral("cmake"),
        {QStringLiteral("--install"), buildFolder(), QStringLiteral("--prefix"), prefix},
        {.environment = environment});
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
    const ProgramRun run =
        runProgram(qEnvironmentVariable("LECTORIX_CONVERT"), {QStringLiteral("--version")});
    return run.output().section(QLatin1Char('\n'), 0, 0).section(QLatin1Char(' '), -1);
}

inline bool toolInstalled(const QString& name)
{
    return !QStandardPaths::findExecutable(name).isEmpty();
}

} // namespace lectorix::test
