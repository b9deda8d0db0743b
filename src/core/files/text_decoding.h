#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <optional>

namespace lectorix {

// The one reading rule for text files: UTF-8 when the bytes are valid UTF-8 (one leading
// byte-order mark dropped), otherwise Windows-1252, so older files keep their accented letters.

// Windows-1252 bytes as text. The five bytes the code page leaves undefined keep their C1
// control code, as Windows itself decodes them. One byte is one character, so a file may be
// decoded block by block.
QString decodeWindows1252(const QByteArray& bytes);

// The Windows-1252 bytes of text, the inverse of decodeWindows1252 (a C1 control code, as
// Latin-1 decodes them all, gives its own byte); nothing when a character has no byte of its
// own in the code page.
std::optional<QByteArray> windows1252Bytes(QStringView text);

// The rule above applied to bytes already read.
QString decodeTextFile(const QByteArray& bytes);

// The whole file decoded; throws Failure naming the file when it cannot be read.
QString readTextFile(const QString& path);

} // namespace lectorix
