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

// Writes a PDF of A5 pages (as many as the texts need) holding the texts in Liberation Serif;
// false when the file could not be written. Needs the application runWithDrawing() makes.
bool drawPdf(const QString& path, const QList<DrawnText>& texts);

// A page's lines; no lines makes a page holding only a picture, as a scanned page does.
using Pages = QList<QStringList>;

// Draws a PDF at path (its folder made when missing), one A5 page per entry of pages, each
// line in 12-point Liberation Serif below the one before. Returns path.
QString writePdf(const QString& path, const Pages& pages);

// Draws a PDF as writePdf does, but the pages numbered in scanned (counted from 1) come as
// pictures of their lines, as a scanner gives them: they hold no text. Returns path.
QString writePdfWithScans(const QString& path, const Pages& pages, const QList<int>& scanned);

// Runs a Qt Test object under a GUI application, which drawing needs, offscreen. Tests of the
// core call it from main() in place of QTEST_GUILESS_MAIN; they still include no Qt Gui header.
int runWithDrawing(QObject* test, int argc, char** argv);

} // namespace lectorix::test
