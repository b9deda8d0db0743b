#include "support/test_env.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUuid>

namespace lectorix::test {

QString scratchFolder()
{
    const QString scratch = qEnvironmentVariable("LECTORIX_SCRATCH");
    if (!scratch.isEmpty())
        return scratch;
    static QTemporaryDir fallback;
    return fallback.path();
}

QString freshScratch()
{
    const QString root = scratchFolder() + QStringLiteral("/run-") +
                         QUuid::createUuid().toString(QUuid::WithoutBraces).left(8);
    for (const char* sub : {"temp", "config", "home"})
        QDir().mkpath(root + QLatin1Char('/') + QLatin1String(sub));
    qputenv("TEMP", QFile::encodeName(root + QStringLiteral("/temp")));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(root + QStringLiteral("/config")));
    qputenv("HOME", QFile::encodeName(root + QStringLiteral("/home")));
    qputenv("LECTORIX_PROGRAM_FOLDER", QFile::encodeName(programDataFolder()));
    return root + QStringLiteral("/temp");
}

QString corpusFolder()
{
    const QStringList candidates = {qEnvironmentVariable("LECTORIX_CORPUS"),
                                    QStringLiteral(LECTORIX_CORPUS_DIR),
                                    QStringLiteral("/work/shared/corpus")};
    for (const QString& c : candidates)
        if (!c.isEmpty() && QFileInfo(c + QStringLiteral("/INDEX.tsv")).exists())
            return QDir::cleanPath(c);
    return {};
}

QString corpusFile(const QString& name)
{
    return corpusFolder() + QLatin1Char('/') + name;
}

QString programDataFolder()
{
    return QStringLiteral(LECTORIX_BUILD_DIR);
}

QString writeFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
    return path;
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace lectorix::test
