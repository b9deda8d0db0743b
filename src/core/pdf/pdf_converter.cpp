#include "core/pdf/pdf_converter.h"

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

QByteArrayList converterArguments(const QString& converterPath, const QString& password,
                                  const QString& pdfPath, const QString& outputPath, int firstPage,
                                  int lastPage, bool latin1Password)
{
    QByteArrayList argv{QFile::encodeName(converterPath), QByteArrayLiteral("-bbox-layout")};
    if (!password.isEmpty()) {
        const QByteArray bytes = latin1Password ? password.toLatin1() : password.toUtf8();
        argv << QByteArrayLiteral("-opw") << bytes << QByteArrayLiteral("-upw") << bytes;
    }
    if (firstPage > 0)
        argv << QByteArrayLiteral("-f") << QByteArray::number(firstPage);
    if (lastPage > 0)
        argv << QByteArrayLiteral("-l") << QByteArray::number(lastPage);
    argv << QFile::encodeName(fileOperand(pdfPath));
    if (!outputPath.isEmpty())
        argv << QFile::encodeName(fileOperand(outputPath));
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

} // namespace lectorix
