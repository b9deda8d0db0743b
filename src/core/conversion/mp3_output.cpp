#include "core/conversion/mp3_output.h"

#include "core/base/failure.h"
#include "core/files/file_utils.h"

#include <QFile>
#include <QRandomGenerator>
#include <QRegularExpression>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace lectorix {

namespace {

constexpr int FirstWords = 6;
constexpr qsizetype FirstWordsLength = 40;

} // namespace

QString mp3FileName(const QString& wanted)
{
    QString name = wanted;
    qsizetype start = 0;
    while (start < name.size() && (name[start] == QLatin1Char('.') || name[start].isSpace()))
        ++start;
    name = name.mid(start).trimmed();
    if (name.isEmpty())
        name = QStringLiteral("untitled");
    return name + QStringLiteral(".mp3");
}

QString firstWordsName(const QString& text)
{
    // Words are runs of letters and digits; everything between them becomes one space, which
    // also keeps out slashes, control characters and leading dots.
    static const QRegularExpression word(QStringLiteral("[\\p{L}\\p{N}\\p{M}]+"));
    QStringList words;
    qsizetype length = 0;
    for (auto match = word.globalMatch(text); match.hasNext() && words.size() < FirstWords;) {
        const QString next = match.next().captured();
        if (!words.isEmpty() && length + 1 + next.size() > FirstWordsLength)
            break;
        length += (words.isEmpty() ? 0 : 1) + next.size();
        words << next;
    }
    return words.join(QLatin1Char(' ')).left(FirstWordsLength);
}

QString mp3OutputPath(const QString& pdfPath, const QString& outputFolder, bool saveToFolder,
                      bool saveBesidePdf)
{
    const QString name = mp3FileName(stripExtension(fileNameOf(pdfPath)));
    QString path = shortPath(folderOf(pdfPath)) + QLatin1Char('/') + name;
    if (saveToFolder)
        path = outputFolder + QLatin1Char('/') + name;
    else if (saveBesidePdf)
        path = folderOf(pdfPath) + QLatin1Char('/') + name;
    return normalizeSlashes(path);
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

} // namespace lectorix
