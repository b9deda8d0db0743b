// Chunking: any text file is cut into numbered chunk files without a reported failure, every
// line of the input arrives as one line of a chunk, no chunk holds more lines than its limit,
// and the input is gone afterwards.

#include "harness.h"

#include "core/conversion/chunking.h"
#include "core/base/error_report.h"
#include "core/files/text_decoding.h"

#include <QFile>

using namespace lectorix;
using lectorix::fuzz::require;

namespace {

// Lines as the program counts them: CR LF, LF and a lone CR each end one; a final break adds
// no line.
qsizetype lineCount(const QString& text)
{
    qsizetype lines = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i) == QLatin1Char('\r') && i + 1 < text.size() &&
            text.at(i + 1) == QLatin1Char('\n'))
            ++i;
        if (text.at(i) == QLatin1Char('\r') || text.at(i) == QLatin1Char('\n'))
            ++lines;
    }
    const bool unfinished =
        !text.isEmpty() && text.back() != QLatin1Char('\n') && text.back() != QLatin1Char('\r');
    return lines + (unfinished ? 1 : 0);
}

QByteArray contentsOf(const QString& path)
{
    QFile file(path);
    require(file.open(QIODevice::ReadOnly), "a chunk file can be read", path);
    return file.readAll();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static QString reported;
    static const bool sinkInstalled = [] {
        setErrorReportSink([](const QString& tag, int line, const QString& description) {
            reported = QStringLiteral("%1 line %2: %3").arg(tag).arg(line).arg(description);
        });
        return true;
    }();
    (void)sinkInstalled;
    reported.clear();

    fuzz::InputReader input(data, size);
    const int rate = input.number(-10, 10);
    const QByteArray bytes = input.rest();
    const QString path = fuzz::scratchFolder() + QStringLiteral("/output.txt");
    {
        QFile file(path);
        require(file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
                    file.write(bytes) == bytes.size(),
                "the scratch file can be written");
    }

    const int chunks = cutIntoChunkFiles(rate, path);
    require(reported.isEmpty(), "cutting a readable file reports nothing", reported);
    require(chunks >= 1, "there is at least one chunk");
    require(!QFile::exists(path), "the input is removed");
    require(!QFile::exists(chunkFileName(path, chunks + 1, QStringLiteral(".txt"))),
            "no chunk beyond the count");

    const ChunkLimits limits = chunkLimits(rate);
    qsizetype lines = 0;
    for (int number = 1; number <= chunks; ++number) {
        const QString chunk = chunkFileName(path, number, QStringLiteral(".txt"));
        const QByteArray written = contentsOf(chunk);
        const qsizetype chunkLines = written.count('\n');
        require(chunkLines < limits.lines, "a chunk holds fewer lines than its limit", chunk);
        require(written.isEmpty() || written.endsWith('\n'), "a chunk ends with a whole line",
                chunk);
        require(!written.contains('\r'), "a line break inside a line is gone", chunk);
        lines += chunkLines;
        QFile::remove(chunk);
    }
    require(lines == lineCount(decodeTextFile(bytes)), "every input line is one chunk line",
            QStringLiteral("%1 chunk lines").arg(lines));
    return 0;
}
