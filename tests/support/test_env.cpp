#include "support/test_env.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUuid>

#include <csignal>

namespace lectorix::test {

void ignoreBrokenPipes()
{
    std::signal(SIGPIPE, SIG_IGN);
}

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

namespace {

QString configuredCorpus()
{
    return QStringLiteral(LECTORIX_CORPUS_DIR);
}

} // namespace

QString corpusFolder()
{
    return corpusMissing().isEmpty() ? QDir::cleanPath(configuredCorpus()) : QString();
}

QString corpusFile(const QString& name)
{
    return corpusFolder() + QLatin1Char('/') + name;
}

QString corpusMissing()
{
    if (corpusOptional())
        return QStringLiteral("this build was configured without a PDF corpus");
    // INDEX.tsv marks a whole corpus, not a folder that happens to hold some PDFs.
    if (!QFileInfo::exists(configuredCorpus() + QStringLiteral("/INDEX.tsv")))
        return QStringLiteral("no PDF corpus at %1 (the build's LECTORIX_CORPUS_DIR)")
            .arg(configuredCorpus());
    return QString();
}

bool corpusOptional()
{
    return configuredCorpus().isEmpty();
}

QString copyCorpusFile(const QString& name, const QString& target)
{
    QDir().mkpath(QFileInfo(target).absolutePath());
    QFile::remove(target);
    return QFile::copy(corpusFile(name), target) ? target : QString();
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
