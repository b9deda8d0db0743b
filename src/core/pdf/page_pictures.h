#pragma once

#include <QByteArrayList>
#include <QList>
#include <QSizeF>
#include <QString>

namespace lectorix {

// The command that prints the size of every page of a PDF (pdfinfo clamps the last page to
// the document's): pdfinfo -f 1 -l 2147483647 [-opw pw -upw pw] pdf. The PDF is named by its
// absolute path, so that no name is taken for an option.
QByteArrayList pageSizesArguments(const QString& pdfPath, const QString& password);

// The pages' sizes in points as they are shown (a page turned a quarter has its sides
// swapped), in page order, from pdfinfo's "Page N size:" and "Page N rot:" lines. A page
// missing from the output, or with no usable size, takes the size of the page before (A4
// for the first).
QList<QSizeF> parsePageSizes(const QString& pdfinfoOutput);

// The command that renders one page to a PNG of exactly pixels (width by height) at
// outputStem.png: pdftoppm -f p -l p -singlefile -png -scale-to-x W -scale-to-y H
// [-opw pw -upw pw] pdf outputStem
QByteArrayList pageRenderArguments(const QString& pdfPath, const QString& password, int page,
                                   int width, int height, const QString& outputStem);

} // namespace lectorix
