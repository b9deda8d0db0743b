#include "core/pdf_converter.h"

#include "core/file_utils.h"
#include "core/process_runner.h"
#include "core/temp_folder.h"

#include <QFile>

namespace lectorix {

QString converterPath()
{
    return tempPath(QStringLiteral("pdftotext"));
}

namespace {

// Older encryptions take the password in a single-byte encoding; worth a second try only when
// the UTF-8 bytes differ from the Latin-1 ones and every letter has a Latin-1 byte.
bool hasDistinctLatin1Form(const QString& password)
{
    bool beyondAscii = false;
    for (const QChar c : password) {
        if (c.unicode() > 0xFF)
            return false;
        beyondAscii = beyondAscii || c.unicode() > 0x7F;
    }
    return beyondAscii;
}

// A relative path that begins with "-" would be taken for an option: "./" keeps it a file.
QString fileOperand(const QString& path)
{
    return path.startsWith(QLatin1Char('-')) ? QStringLiteral("./") + path : path;
}

} // namespace

QString converterCommandLine(const QString& converterPath, const QString& password,
                             const QString& pdfPath, const QString& outputPath, int firstPage,
                             int lastPage)
{
    QString line = quoted(converterPath);
    if (!password.isEmpty())
        line += QStringLiteral(" -opw ") + quoted(password) + QStringLiteral(" -upw ") +
                quoted(password) + QLatin1Char(' ');
    const bool range = firstPage > 0 || lastPage > 0;
    if (range) {
        line += QLatin1Char(' ');
        if (firstPage > 0)
            line += QStringLiteral("-f %1 ").arg(firstPage);
        if (lastPage > 0)
            line += QStringLiteral("-l %1 ").arg(lastPage);
    } else if (password.isEmpty()) {
        line += QLatin1Char(' ');
    }
    line += quoted(fileOperand(pdfPath));
    if (!outputPath.isEmpty())
        line += QLatin1Char(' ') + quoted(fileOperand(outputPath));
    return line;
}

QString converterOutputPath(const QString& pdfPath, const QString& outputPath)
{
    if (!outputPath.isEmpty())
        return outputPath;
    if (pdfPath.endsWith(QStringLiteral(".pdf")) || pdfPath.endsWith(QStringLiteral(".PDF")))
        return pdfPath.chopped(4) + QStringLiteral(".txt");
    return pdfPath + QStringLiteral(".txt");
}

int runPdfConverter(const QString& converterPath, const QString& password, const QString& pdfPath,
                 const QString& outputPath, int firstPage, int lastPage)
{
    const QString written = converterOutputPath(pdfPath, outputPath);
    removeFile(written);
    checkOwnProgram(converterPath);
    const QString line =
        converterCommandLine(converterPath, password, pdfPath, outputPath, firstPage, lastPage);
    int code = runAndWait(line, 0);
    if (fileExists(written) || !hasDistinctLatin1Form(password))
        return code;

    // argv: converter, -opw, password, -upw, password, ...
    QByteArrayList argv;
    for (const QString& piece : splitCommandLine(line))
        argv << QFile::encodeName(piece);
    argv[2] = argv[4] = password.toLatin1();
    return runAndWaitArgv(argv, 0);
}


} // namespace lectorix
