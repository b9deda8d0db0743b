#pragma once

// A machine that lacks things: a PATH without some tools, a folder with no voice data, a
// sound server address where none answers.

#include "support/test_env.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QStringList>

namespace lectorix::test {

// A new folder of symbolic links to every program on PATH except the hidden ones: as PATH,
// it is this machine without those tools.
inline QString pathWithout(const QStringList& hidden)
{
    static int made = 0;
    const QString folder = scratchFolder() + QStringLiteral("/path-without-%1").arg(++made);
    QDir().mkpath(folder);
    QSet<QString> linked;
    for (const QString& dir :
         qEnvironmentVariable("PATH").split(QLatin1Char(':'), Qt::SkipEmptyParts)) {
        for (const QFileInfo& program : QDir(dir).entryInfoList(QDir::Files | QDir::Executable)) {
            const QString name = program.fileName();
            if (hidden.contains(name) || linked.contains(name))
                continue;
            linked.insert(name);
            QFile::link(program.absoluteFilePath(), folder + QLatin1Char('/') + name);
        }
    }
    return folder;
}

// An empty folder to name as espeak-ng's voice data (ESPEAK_DATA_PATH): a machine without
// the espeak-ng-data package.
inline QString emptyVoiceData()
{
    const QString folder = scratchFolder() + QStringLiteral("/no-voice-data");
    QDir().mkpath(folder);
    return folder;
}

// A sound server address at which nothing answers.
inline QString deadSoundServer()
{
    return QStringLiteral("unix:") + scratchFolder() + QStringLiteral("/no-sound-server/native");
}

} // namespace lectorix::test
