#pragma once

#include <QList>
#include <QObject>
#include <QString>

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

// Runs a Qt Test object under a GUI application, which drawing needs, offscreen. Tests of the
// core call it from main() in place of QTEST_GUILESS_MAIN; they still include no Qt Gui header.
int runWithDrawing(QObject* test, int argc, char** argv);

} // namespace lectorix::test
