#pragma once

#include "core/files/text_decoding.h"

#include <QString>
#include <QStringList>

namespace lectorix {

// Text files are read by decodeTextFile (files/text_decoding.h). CR LF, LF and a lone CR each
// end a line. Lengths count characters (code points).

// The file as a list of lines (at least one element; a final line break adds none).
// Guarded: a file that cannot be read is reported and gives one empty line.
QStringList readTextFileLines(const QString& path);
// The file as blocks of 65,536 characters (at least one element); joined they give the whole
// text. Guarded like readTextFileLines.
QStringList readTextFileBlocks(const QString& path);
// True when the converter's text file holds a non-printable character and fewer than six
// printable ones in all: a scanned document. Printable is every character but the control
// characters (0 to 31 and 127 to 159) and undecodable bytes; letters of every script count.
bool isUnreadableText(const QString& textPath);

inline constexpr qsizetype TextBlockLength = 65536;

} // namespace lectorix
