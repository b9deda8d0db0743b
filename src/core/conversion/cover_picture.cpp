#include "core/conversion/cover_picture.h"

#include "core/pdf/pdf_converter.h"

#include <QFile>

namespace lectorix {

namespace {

// Far more than a page at 800 pixels takes; an ID3v2 frame and an MP4 atom hold it easily.
constexpr qint64 LargestCover = qint64(8) << 20;

} // namespace

QByteArrayList coverRenderArguments(const QString& renderer, const QString& pdfPath,
                                    const QString& password, const QString& outputStem)
{
    QByteArrayList argv{QFile::encodeName(renderer),
                        "-f",
                        "1",
                        "-l",
                        "1",
                        "-singlefile",
                        "-jpeg",
                        "-scale-to",
                        "800"};
    if (!password.isEmpty())
        argv << "-opw" << password.toUtf8() << "-upw" << password.toUtf8();
    argv << QFile::encodeName(fileOperand(pdfPath)) << QFile::encodeName(fileOperand(outputStem));
    return argv;
}

QByteArray readCoverPicture(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > LargestCover)
        return QByteArray();
    const QByteArray picture = file.readAll();
    // A JPEG starts with its SOI marker and ends with its EOI marker; a renderer that failed
    // half-way leaves no end.
    if (!picture.startsWith("\xFF\xD8\xFF") || !picture.endsWith("\xFF\xD9"))
        return QByteArray();
    return picture;
}

} // namespace lectorix
