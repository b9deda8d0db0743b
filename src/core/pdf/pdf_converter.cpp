#include "core/pdf/pdf_converter.h"

#include "core/files/file_utils.h"
#include "core/process/process_runner.h"
#include "core/files/temp_folder.h"

#include <QFile>

namespace lectorix {

QString converterPath()
{
    return tempPath(QStringLiteral("pdftotext"));
}

bool worthLatin1Retry(const QString& password)
{
    bool beyondAscii = false;
    for (const QChar c : password) {
        if (c.unicode() > 0xFF)
            return false;
        beyondAscii = beyondAscii || c.unicode() > 0x7F;
    }
    return beyondAscii;
}

QString fileOperand(const QString& path)
{
    return path.startsWith(QLatin1Char('-')) ? QStringLiteral("./") + path : path;
}

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

QByteArrayList converterArguments(const QString& converterPath, const QString& password,
                                  const QString& pdfPath, const QString& outputPath, int firstPage,
                                  int lastPage, bool latin1Password)
{
    QByteArrayList argv;
    for (const QString& piece : splitCommandLine(converterCommandLine(
             converterPath, password, pdfPath, outputPath, firstPage, lastPage)))
        argv << QFile::encodeName(piece);
    if (latin1Password && !password.isEmpty())
        argv[2] = argv[4] = password.toLatin1(); // converter -opw pw -upw pw ...
    return argv;
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
    const auto arguments = [&](bool latin1) {
        return converterArguments(converterPath, password, pdfPath, outputPath, firstPage, lastPage,
                                  latin1);
    };
    int code = runAndWaitArgv(arguments(false), 0);
    if (fileExists(written) || !worthLatin1Retry(password))
        return code;
    return runAndWaitArgv(arguments(true), 0);
}

} // namespace lectorix
