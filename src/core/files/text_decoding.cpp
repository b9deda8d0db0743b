#include "core/files/text_decoding.h"

#include "core/base/failure.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

#include <algorithm>
#include <iterator>

namespace lectorix {

namespace {

// Windows-1252 at 0x80..0x9F; the rest of the code page matches Latin-1.
constexpr char16_t Cp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

} // namespace

QString decodeWindows1252(const QByteArray& bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    QChar* out = text.data();
    for (const char byte : bytes) {
        const auto b = static_cast<unsigned char>(byte);
        *out++ = QChar(b >= 0x80 && b < 0xA0 ? Cp1252High[b - 0x80] : char16_t(b));
    }
    return text;
}

std::optional<QByteArray> windows1252Bytes(QStringView text)
{
    QByteArray bytes;
    bytes.reserve(text.size());
    for (const QChar c : text) {
        const char16_t unit = c.unicode();
        if (unit < 0x100) { // a C1 control code stands for its own byte
            bytes.append(char(unit));
            continue;
        }
        const char16_t* found = std::find(std::begin(Cp1252High), std::end(Cp1252High), unit);
        if (found == std::end(Cp1252High))
            return std::nullopt;
        bytes.append(char(0x80 + (found - std::begin(Cp1252High))));
    }
    return bytes;
}

QString decodeTextFile(const QByteArray& bytes)
{
    // The decoder drops one leading byte-order mark itself.
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    return decodeWindows1252(bytes);
}

QString readTextFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (!QFileInfo::exists(path))
            throw Failure(QStringLiteral("File not found: %1").arg(path));
        throw Failure(
            QStringLiteral("The file %1 could not be read: %2").arg(path, file.errorString()));
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw Failure(
            QStringLiteral("The file %1 could not be read: %2").arg(path, file.errorString()));
    return decodeTextFile(bytes);
}

} // namespace lectorix
