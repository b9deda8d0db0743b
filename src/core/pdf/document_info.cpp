#include "core/pdf/document_info.h"

#include "core/pdf/pdf_converter.h"

#include <QFile>

namespace lectorix {

QByteArrayList documentInfoArguments(const QString& pdfPath, const QString& password)
{
    QByteArrayList argv{QByteArrayLiteral("pdfinfo"), QByteArrayLiteral("-enc"),
                        QByteArrayLiteral("UTF-8")};
    if (!password.isEmpty())
        argv << QByteArrayLiteral("-opw") << password.toUtf8() << QByteArrayLiteral("-upw")
             << password.toUtf8();
    argv << QFile::encodeName(fileOperand(pdfPath));
    return argv;
}

DocumentInfo parseDocumentInfo(const QString& pdfinfoOutput)
{
    DocumentInfo info;
    for (const QString& line : pdfinfoOutput.split(QLatin1Char('\n'))) {
        const qsizetype colon = line.indexOf(QLatin1Char(':'));
        if (colon < 0)
            continue;
        const QString key = line.left(colon);
        const QString value = line.mid(colon + 1).trimmed();
        if (key == QLatin1String("Title") && info.title.isEmpty())
            info.title = value;
        else if (key == QLatin1String("Author") && info.author.isEmpty())
            info.author = value;
    }
    return info;
}

} // namespace lectorix
