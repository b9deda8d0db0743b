#include "core/conversion/mp3_output.h"

#include "core/base/failure.h"
#include "core/files/file_utils.h"
#include "core/process/process_runner.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QRegularExpression>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace lectorix {

QString mp3OutputPath(const QString& pdfPath, const QString& outputFolder, bool saveToFolder,
                      bool saveBesidePdf)
{
    const QString base = stripExtension(fileNameOf(pdfPath));
    QString path = shortPath(folderOf(pdfPath)) + QLatin1Char('/') + base + QStringLiteral(".mp3");
    if (saveToFolder)
        path = outputFolder + QLatin1Char('/') + base + QStringLiteral(".mp3");
    else if (saveBesidePdf)
        path = folderOf(pdfPath) + QLatin1Char('/') + base + QStringLiteral(".mp3");
    return normalizeSlashes(path);
}

QString shellQuoted(const QString& text)
{
    QString quotedText = text;
    quotedText.replace(QLatin1Char('\''), QStringLiteral("'\\''"));
    return QLatin1Char('\'') + quotedText + QLatin1Char('\'');
}

QString joinScript(const QStringList& pieces, const QString& outputPath)
{
    QString line = QStringLiteral("cat");
    for (const QString& piece : pieces)
        line += QLatin1Char(' ') + shellQuoted(piece);
    return line + QStringLiteral(" > ") + shellQuoted(outputPath);
}

QString shellScriptCommandLine(const QString& scriptPath)
{
    return QStringLiteral("/bin/sh ") + quoted(scriptPath);
}

QString reservePartialFile(const QString& outputPath)
{
    const QString folder = folderOf(outputPath);
    const QString name = fileNameOf(outputPath);
    int error = 0;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QString candidate =
            folder + QLatin1Char('.') + name +
            QStringLiteral(".part-%1")
                .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'));
        const int fd = ::open(QFile::encodeName(candidate).constData(),
                              O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            ::close(fd);
            return candidate;
        }
        error = errno;
        if (error != EEXIST)
            break;
    }
    throw Failure(QStringLiteral("The file %1 could not be created: %2")
                      .arg(outputPath, QString::fromLocal8Bit(std::strerror(error))));
}

void renameOver(const QString& source, const QString& target)
{
    if (::rename(QFile::encodeName(source).constData(), QFile::encodeName(target).constData()) != 0)
        throw Failure(QStringLiteral("The file %1 could not be written: %2")
                          .arg(target, QString::fromLocal8Bit(std::strerror(errno))));
}

void removeConversionFiles(const QString& folder, bool includeCopy)
{
    if (folder.isEmpty())
        return;
    static const QRegularExpression WorkingName(
        QStringLiteral("^output[0-9]{3,}\\.(txt|wav|mp3)$"));
    QStringList names = QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System);
    names.removeIf([](const QString& name) { return !WorkingName.match(name).hasMatch(); });
    names << QStringLiteral("JoinMP3.sh");
    if (includeCopy)
        names << QStringLiteral("output.pdf") << QStringLiteral("output.txt");
    // Plain removal, without handling window events: this also runs while the window closes.
    for (const QString& name : names)
        QFile::remove(folder + QLatin1Char('/') + name);
}

} // namespace lectorix
