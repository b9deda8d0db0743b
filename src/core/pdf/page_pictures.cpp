#include "core/pdf/page_pictures.h"

#include <QFileInfo>
#include <QRegularExpression>

namespace lectorix {

namespace {

void addPassword(QByteArrayList& arguments, const QString& password)
{
    if (password.isEmpty())
        return;
    arguments << "-opw" << password.toUtf8() << "-upw" << password.toUtf8();
}

QByteArray absolute(const QString& path)
{
    return QFile::encodeName(QFileInfo(path).absoluteFilePath());
}

} // namespace

QByteArrayList pageSizesArguments(const QString& pdfPath, const QString& password)
{
    QByteArrayList arguments{"pdfinfo", "-f", "1", "-l", "2147483647"};
    addPassword(arguments, password);
    arguments << absolute(pdfPath);
    return arguments;
}

QList<QSizeF> parsePageSizes(const QString& pdfinfoOutput)
{
    static const QRegularExpression sizeLine(
        QStringLiteral(R"(^Page\s+(\d+)\s+size:\s+([0-9.]+)\s+x\s+([0-9.]+))"),
        QRegularExpression::MultilineOption);
    static const QRegularExpression turnLine(QStringLiteral(R"(^Page\s+(\d+)\s+rot:\s+(-?\d+))"),
                                             QRegularExpression::MultilineOption);
    QList<QSizeF> sizes;
    auto slot = [&sizes](int page) -> QSizeF* {
        if (page < 1 || page > 1000000)
            return nullptr;
        while (sizes.size() < page)
            sizes.append(QSizeF());
        return &sizes[page - 1];
    };
    for (auto match = sizeLine.globalMatch(pdfinfoOutput); match.hasNext();) {
        const auto line = match.next();
        if (QSizeF* size = slot(line.captured(1).toInt()))
            *size = QSizeF(line.captured(2).toDouble(), line.captured(3).toDouble());
    }
    for (auto match = turnLine.globalMatch(pdfinfoOutput); match.hasNext();) {
        const auto line = match.next();
        const int page = line.captured(1).toInt();
        if (page >= 1 && page <= sizes.size() && (line.captured(2).toInt() / 90) % 2 != 0)
            sizes[page - 1].transpose();
    }
    QSizeF before(595.276, 841.89); // A4
    for (QSizeF& size : sizes) {
        if (size.width() > 0 && size.height() > 0)
            before = size;
        else
            size = before;
    }
    return sizes;
}

QByteArrayList pageRenderArguments(const QString& pdfPath, const QString& password, int page,
                                   int width, int height, const QString& outputStem)
{
    const QByteArray number = QByteArray::number(page);
    QByteArrayList arguments{"pdftoppm",
                             "-f",
                             number,
                             "-l",
                             number,
                             "-singlefile",
                             "-png",
                             "-scale-to-x",
                             QByteArray::number(width),
                             "-scale-to-y",
                             QByteArray::number(height)};
    addPassword(arguments, password);
    arguments << absolute(pdfPath) << absolute(outputStem);
    return arguments;
}

} // namespace lectorix
