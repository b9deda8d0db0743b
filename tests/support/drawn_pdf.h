#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

namespace lectorix::test {

// A text drawn on a page of a PDF the test makes itself.
struct DrawnText
{
    int page = 0; // counted from 0
    // Where the text's baseline starts, in points from the page's top left corner.
    double x = 0;
    double y = 0;
    double size = 11; // in points
    QString text;
    double angle = 0; // turned clockwise, in degrees
};

// Writes a PDF of A5 pages (as many as the texts need) holding the texts in Liberation Serif,
// embedded from fonts-liberation's file whatever fonts the machine has; false when the file
// could not be written. Needs the application runWithDrawing() makes.
bool drawPdf(const QString& path, const QList<DrawnText>& texts);

// A page's lines; no lines makes a page holding only a picture, as a scanned page does.
using Pages = QList<QStringList>;

// Draws a PDF at path (its folder made when missing), one A5 page per entry of pages, each
// line in 12-point Liberation Serif below the one before. Returns path.
QString writePdf(const QString& path, const Pages& pages);

// A short book drawn with headings and no outline, three pages of 11-point sentences: "The
// Lighthouse" (18-point, page 1), "The Storm" (18-point, page 2) with the section "At Sea"
// (14-point) in it, and "Notes on Lamps" (18-point, page 3). Returns false when it could not
// be written.
bool drawChapterBook(const QString& path);

// The chapters of that book as "level page title", in order.
QStringList chapterBookChapters();

// Draws a PDF as writePdf does, except that the pages whose indexes (from 0) are in scanned
// hold a picture of their lines, rendered at 300 dpi in grey, as a scanner gives them: no text
// layer. Returns path.
QString writePdf(const QString& path, const Pages& pages, const QList<int>& scanned);

// Writes an image-only PDF of the images (any format Qt reads), one a page, each page the
// image's size at dpi; false when an image or the file could not be made.
bool writeImagePdf(const QString& path, const QStringList& images, int dpi = 300);

// Makes a scan of pages first..last of pdf at path: each page rendered at 300 dpi in grey by
// pdftoppm and wrapped as an image-only PDF. Returns path, or empty on failure.
QString scannedCopy(const QString& pdf, int first, int last, const QString& path);

// Runs a Qt Test object under a GUI application, which drawing needs, offscreen. Tests of the
// core call it from main() in place of QTEST_GUILESS_MAIN; they still include no Qt Gui header.
int runWithDrawing(QObject* test, int argc, char** argv);

} // namespace lectorix::test
