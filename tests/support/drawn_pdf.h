#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace lectorix::test {

// A page's lines; no lines makes a page holding only a picture, as a scanned page does.
using Pages = QList<QStringList>;

// Draws a PDF at path (its folder made when missing), one A5 page per entry of pages, each
// line in 12-point Liberation Serif below the one before. Returns path.
QString writePdf(const QString& path, const Pages& pages);

} // namespace lectorix::test
