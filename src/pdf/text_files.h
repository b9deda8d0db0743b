#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace lectorix {

// Text files are read as UTF-8 (a byte-order mark at the start is dropped); a file that is not
// valid UTF-8 is read as Windows-1252, so older files keep their accented letters. CR LF, LF
// and a lone CR each end a line. Lengths count characters (code points).

// The file as a list of lines (at least one element; a final line break adds none).
// Guarded: a file that cannot be read is reported and gives one empty line.
QStringList ReadFileToStringFSOLine(const QString& path);
// The file as blocks of 65,536 characters (at least one element); joined they give the whole
// text. Guarded like ReadFileToStringFSOLine.
QStringList ReadFileToStringFSO(const QString& path);
// True when the converter's text file holds a non-printable character and fewer than six
// printable ones in all: a scanned document. Printable is every character but the control
// characters (0 to 31 and 127 to 159) and undecodable bytes; letters of every script count.
bool NoTextPDF(const QString& textPath);

// The decoding rule above applied to bytes already read.
QString decodeTextFile(const QByteArray& bytes);
// The whole file decoded; throws Failure when it cannot be read.
QString readTextFile(const QString& path);

inline constexpr qsizetype TextBlockLength = 65536;

} // namespace lectorix
