#include "core/ocr/recognition_tools.h"

#include "core/pdf/pdf_converter.h"

#include <QFile>
#include <QRegularExpression>

#include <algorithm>
#include <cmath>

namespace lectorix {

namespace {

void addPassword(QByteArrayList& argv, const QString& password)
{
    if (password.isEmpty())
        return;
    argv << "-opw" << password.toUtf8() << "-upw" << password.toUtf8();
}

QByteArray path(const QString& file)
{
    return QFile::encodeName(fileOperand(file));
}

} // namespace

QMap<int, PageGeometry> readPageGeometry(const QString& pdfinfoOutput)
{
    static const QRegularExpression sizeLine(
        QStringLiteral(R"(^Page\s+(\d+)\s+size:\s+([0-9.]+)\s+x\s+([0-9.]+)\s+pts)"));
    static const QRegularExpression rotationLine(
        QStringLiteral(R"(^Page\s+(\d+)\s+rot:\s+(-?\d+))"));
    QMap<int, PageGeometry> pages;
    QMap<int, int> rotations;
    for (const QString& line : pdfinfoOutput.split(QLatin1Char('\n'))) {
        if (const auto size = sizeLine.match(line); size.hasMatch()) {
            const int page = size.captured(1).toInt();
            if (page > 0)
                pages[page] = {size.captured(2).toDouble(), size.captured(3).toDouble()};
        } else if (const auto rotation = rotationLine.match(line); rotation.hasMatch()) {
            rotations[rotation.captured(1).toInt()] = rotation.captured(2).toInt();
        }
    }
    for (auto it = pages.begin(); it != pages.end(); ++it) {
        const int turn = ((rotations.value(it.key()) % 360) + 360) % 360;
        if (turn == 90 || turn == 270)
            std::swap(it->width, it->height);
    }
    return pages;
}

RenderSize renderSize(const PageGeometry& page)
{
    const double longest = std::max(page.width, page.height);
    if (!(longest > 0) || !(std::min(page.width, page.height) > 0) || !std::isfinite(longest))
        return {};
    if (longest * RecognitionDpi / 72.0 <= MaxRenderedSide)
        return {0, double(RecognitionDpi)};
    return {MaxRenderedSide, MaxRenderedSide * 72.0 / longest};
}

QByteArrayList pageInfoArguments(const QString& password, const QString& pdfPath, int firstPage,
                                 int lastPage)
{
    QByteArrayList argv{"pdfinfo", "-f", QByteArray::number(firstPage), "-l",
                        QByteArray::number(lastPage)};
    addPassword(argv, password);
    argv << path(pdfPath);
    return argv;
}

QByteArrayList renderArguments(const QString& password, const QString& pdfPath, int page,
                               const RenderSize& size, const QString& outputBase)
{
    QByteArrayList argv{"pdftoppm", "-r", QByteArray::number(RecognitionDpi)};
    if (size.scaleTo > 0)
        argv << "-scale-to" << QByteArray::number(size.scaleTo);
    argv << "-gray"
         << "-tiff"
         << "-f" << QByteArray::number(page) << "-l" << QByteArray::number(page) << "-singlefile";
    addPassword(argv, password);
    argv << path(pdfPath) << path(outputBase);
    return argv;
}

QByteArrayList recognitionArguments(const QString& listFile, const QString& outputBase,
                                    const QStringList& languages)
{
    return {"env",
            "OMP_THREAD_LIMIT=1",
            "tesseract",
            path(listFile),
            path(outputBase),
            "-l",
            languages.join(QLatin1Char('+')).toUtf8(),
            "tsv"};
}

QByteArrayList languageListArguments()
{
    return {"tesseract", "--list-langs"};
}

} // namespace lectorix
