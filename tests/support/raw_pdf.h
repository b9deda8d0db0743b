#pragma once

#include <QByteArray>
#include <QString>

namespace lectorix::test {

// One-page PDFs written byte by byte, for what no PDF writer makes on purpose: pages of any
// size, images without pixels, streams that do not decode.

// A stream object: its dictionary's entries (without << >>) and its bytes, /Length added.
QByteArray pdfStream(const QByteArray& entries, const QByteArray& data);

// A PDF of one page mediaBox large ("0 0 612 792"), drawing content with Liberation Sans
// (embedded from fonts-liberation's file, its bytes mapped by WinAnsiEncoding) as /F1 and image (a
// stream object, see pdfStream) as /Im1, with a correct cross-reference table.
QByteArray onePagePdf(const QByteArray& mediaBox, const QByteArray& content,
                      const QByteArray& image);

} // namespace lectorix::test
