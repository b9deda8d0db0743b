#pragma once

#include <QCursor>
#include <QString>

#include <functional>

class QWidget;

namespace lectorix {

// The full product name: the window caption, and the source of the application title.
inline const QString ProductName = QStringLiteral("Lectorix Read Aloud and PDF to MP3 Converter");

// Applies x/o.cjs from the program folder as the window's style sheet, when it exists.
void applySkin(QWidget& form);
// One start in a hundred opens the about page. draw is the number from 1 to 100.
void visitHomePage(int draw);
void visitHomePage();
// Where the draw comes from: chance, unless a test fixes it (nullptr puts chance back).
void setHomePageDraw(std::function<int()> draw);
// Cuts the product name before its last blank until it is 40 characters or shorter (at
// least once) and makes it the title of message boxes. Throws when a cut is impossible.
QString setAppTitle(const QString& productName = ProductName);
// "64" on a 64-bit system, "32" otherwise.
QString addressWidth();
// Reads a .cur file with its hot spot. Throws Failure when it is not a cursor image.
QCursor loadCursorFile(const QString& path);

} // namespace lectorix
