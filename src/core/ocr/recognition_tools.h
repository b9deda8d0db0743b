#pragma once

#include <QByteArrayList>
#include <QMap>
#include <QString>
#include <QStringList>

namespace lectorix {

// The resolution pages are rendered at for recognition: tesseract reads printed text best
// at 300 dpi.
inline constexpr int RecognitionDpi = 300;
// The longest side, in pixels, a page is rendered at: A2 at 300 dpi. A larger page (a poster,
// A0) is rendered smaller to fit, so one page cannot take gigabytes of memory and disk.
inline constexpr int MaxRenderedSide = 7016;

// A page's size as it is shown (turned by its rotation), in points.
struct PageGeometry
{
    double width = 0;
    double height = 0;
};

// The page sizes pdfinfo printed for a page range ("Page    3 size: 612 x 792 pts" and
// "Page    3 rot:  90"), by page number; a page turned by 90 or 270 degrees has its width and
// height swapped. Lines that do not parse are left out.
QMap<int, PageGeometry> readPageGeometry(const QString& pdfinfoOutput);

// How a page is rendered: at RecognitionDpi, or, when that would exceed MaxRenderedSide,
// scaled so its longest side is MaxRenderedSide (scaleTo, else 0). dpi is the resolution the
// image then has. A page without area gives dpi 0: it cannot be rendered.
struct RenderSize
{
    int scaleTo = 0;
    double dpi = 0;
};
RenderSize renderSize(const PageGeometry& page);

// pdfinfo's arguments for the sizes of pages first..last:
//   pdfinfo -f first -l last [-opw pw -upw pw] pdf
QByteArrayList pageInfoArguments(const QString& password, const QString& pdfPath, int firstPage,
                                 int lastPage);

// pdftoppm's arguments to render one page as a grey TIFF (uncompressed, with its resolution)
// into outputBase + ".tif":
//   pdftoppm -r 300 [-scale-to N] -gray -tiff -f p -l p -singlefile [-opw pw -upw pw] pdf base
QByteArrayList renderArguments(const QString& password, const QString& pdfPath, int page,
                               const RenderSize& size, const QString& outputBase);

// tesseract's arguments to recognise the images listed in listFile (one path a line) into one
// TSV file, outputBase + ".tsv", in the languages given. It runs through env with one thread:
// the job runs one tesseract per core, and more threads each would only contend.
//   env OMP_THREAD_LIMIT=1 tesseract list base -l fra+eng tsv
QByteArrayList recognitionArguments(const QString& listFile, const QString& outputBase,
                                    const QStringList& languages);

// `tesseract --list-langs`, which prints the installed languages on standard output.
QByteArrayList languageListArguments();

} // namespace lectorix
