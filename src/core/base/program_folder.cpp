#include "core/base/program_folder.h"

#include "core/base/failure.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

namespace lectorix {

QString programFolder()
{
    return programFolderFor(QCoreApplication::applicationDirPath());
}

QString programFolderFor(const QString& exeFolder)
{
    if (QDir(exeFolder + QStringLiteral("/Samples")).exists())
        return exeFolder;
    const QString installed = QDir::cleanPath(exeFolder + QStringLiteral("/../share/lectorix"));
    if (QDir(installed).exists())
        return installed;
    // Test programs live below the build tree, whose top holds the program's data.
    const QString override = qEnvironmentVariable("LECTORIX_PROGRAM_FOLDER");
    return override.isEmpty() ? exeFolder : override;
}

QByteArray customResource(int id)
{
    QString name;
    switch (id) {
    case 101:
    case 102:
        name = QStringLiteral(":/launchers/pdftotext");
        break;
    case 103:
        name = QStringLiteral(":/launchers/lame");
        break;
    default:
        throw Failure(QStringLiteral("Resource with identifier '%1' not found").arg(id));
    }
    QFile file(name);
    if (!file.open(QIODevice::ReadOnly))
        throw Failure(QStringLiteral("Resource with identifier '%1' not found").arg(id));
    return file.readAll();
}

} // namespace lectorix
