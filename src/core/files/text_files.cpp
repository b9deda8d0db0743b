#include "core/files/text_files.h"

#include "core/base/failure.h"
#include "core/files/text_decoding.h"

#include <QFileInfo>

namespace lectorix {

namespace {

bool isPrintable(char32_t c)
{
    return !(c < 32 || (c >= 127 && c < 160) || c == 0xFFFD);
}

// Blocks of TextBlockLength code points; a surrogate pair is never split.
QStringList splitBlocks(const QString& text)
{
    QStringList blocks;
    const qsizetype n = text.size();
    qsizetype start = 0;
    while (start < n) {
        qsizetype end = start;
        for (qsizetype count = 0; count < TextBlockLength && end < n; ++count)
            end += (text.at(end).isHighSurrogate() && end + 1 < n) ? 2 : 1;
        blocks << text.mid(start, end - start);
        start = end;
    }
    if (blocks.isEmpty())
        blocks << QString();
    return blocks;
}

} // namespace

QStringList splitLines(const QString& text)
{
    QStringList lines;
    const qsizetype n = text.size();
    qsizetype start = 0;
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        if (c != QLatin1Char('\n') && c != QLatin1Char('\r'))
            continue;
        lines << text.mid(start, i - start);
        if (c == QLatin1Char('\r') && i + 1 < n && text.at(i + 1) == QLatin1Char('\n'))
            ++i;
        start = i + 1;
    }
    if (start < n || lines.isEmpty())
        lines << text.mid(start);
    return lines;
}

TextFilePieces readTextFileLines(const QString& path)
{
    TextFilePieces read;
    const auto failed = [&](const TextFileFailure& failure) { read.failure = failure; };
    // Opening and reading the whole file is the one step that touches the disk.
    QString text;
    if (runStep(
            TextFileStep::Read, [&] { text = readTextFile(path); }, failed))
        runStep(
            TextFileStep::Split, [&] { read.pieces = splitLines(text); }, failed);
    return read;
}

TextFilePieces readTextFileBlocks(const QString& path)
{
    TextFilePieces read;
    const auto failed = [&](const TextFileFailure& failure) { read.failure = failure; };
    QString text;
    const bool found = runStep(
        TextFileStep::LookUp,
        [&] {
            if (!QFileInfo::exists(path))
                throw Failure(QStringLiteral("File not found: %1").arg(path));
        },
        failed);
    if (found && runStep(
                     TextFileStep::Read, [&] { text = readTextFile(path); }, failed))
        runStep(
            TextFileStep::Split, [&] { read.pieces = splitBlocks(text); }, failed);
    return read;
}

bool isUnreadableText(const QStringList& lines)
{
    bool unreadable = false;
    int printable = 0;
    for (const QString& line : lines) {
        const qsizetype n = line.size();
        for (qsizetype i = 0; i < n; ++i) {
            char32_t c = line.at(i).unicode();
            if (line.at(i).isHighSurrogate() && i + 1 < n && line.at(i + 1).isLowSurrogate()) {
                c = QChar::surrogateToUcs4(line.at(i), line.at(i + 1));
                ++i;
            }
            if (!isPrintable(c)) {
                unreadable = true;
                continue;
            }
            if (++printable > 5)
                return false;
        }
    }
    return unreadable;
}

} // namespace lectorix
