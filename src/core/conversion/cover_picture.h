#pragma once

#include <QByteArray>
#include <QByteArrayList>
#include <QString>

namespace lectorix {

// The command that renders a PDF's first page as the cover picture, a JPEG at most 800 pixels
// on its longer side, written to outputStem + ".jpg"; the password given as owner and as user
// password:
//   pdftoppm -f 1 -l 1 -singlefile -jpeg -scale-to 800 [-opw pw -upw pw] pdf outputStem
QByteArrayList coverRenderArguments(const QString& renderer, const QString& pdfPath,
                                    const QString& password, const QString& outputStem);

// The picture the renderer wrote to path, when it is a JPEG of a size a tag can carry;
// otherwise (no file, empty, cut short, something else) empty: the audio goes without a cover.
QByteArray readCoverPicture(const QString& path);

} // namespace lectorix
