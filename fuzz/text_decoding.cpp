// The text decoder: any bytes give text, valid UTF-8 as UTF-8 and everything else as
// Windows-1252, and a file read from disk decodes as the same bytes in memory do.

#include "harness.h"

#include "core/files/text_decoding.h"

#include <QFile>

using namespace lectorix;
using lectorix::fuzz::require;

namespace {

// Strict UTF-8 (no overlong forms, no surrogates, nothing beyond U+10FFFF), written out here
// so the decoder is judged against a rule of its own and not against itself.
bool isStrictUtf8(const QByteArray& bytes)
{
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.constData());
    const qsizetype n = bytes.size();
    for (qsizetype i = 0; i < n;) {
        const unsigned char b = p[i];
        int follow = 0;
        char32_t code = 0;
        if (b < 0x80) {
            ++i;
            continue;
        } else if (b >= 0xC2 && b <= 0xDF) {
            follow = 1;
            code = b & 0x1F;
        } else if (b >= 0xE0 && b <= 0xEF) {
            follow = 2;
            code = b & 0x0F;
        } else if (b >= 0xF0 && b <= 0xF4) {
            follow = 3;
            code = b & 0x07;
        } else {
            return false;
        }
        if (i + follow >= n)
            return false;
        for (int k = 1; k <= follow; ++k) {
            if ((p[i + k] & 0xC0) != 0x80)
                return false;
            code = (code << 6) | (p[i + k] & 0x3F);
        }
        if ((follow == 2 && code < 0x800) || (follow == 3 && code < 0x10000) || code > 0x10FFFF ||
            (code >= 0xD800 && code <= 0xDFFF))
            return false;
        i += follow + 1;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::InputReader input(data, size);
    const int cut = input.number(0, 255);
    const QByteArray bytes = input.rest();

    const QString western = decodeWindows1252(bytes);
    require(western.size() == bytes.size(), "Windows-1252 gives one character per byte");
    const qsizetype at = qMin<qsizetype>(cut, bytes.size());
    require(decodeWindows1252(bytes.left(at)) + decodeWindows1252(bytes.mid(at)) == western,
            "Windows-1252 decodes block by block as it decodes whole");

    const QString text = decodeTextFile(bytes);
    QByteArray withoutMark = bytes;
    if (withoutMark.startsWith("\xEF\xBB\xBF"))
        withoutMark.remove(0, 3);
    if (isStrictUtf8(bytes)) {
        require(text.toUtf8() == withoutMark, "valid UTF-8 reads as UTF-8, one mark dropped", text);
    } else {
        require(text == western, "bytes that are not UTF-8 read as Windows-1252", text);
    }

    const QString path = fuzz::scratchFolder() + QStringLiteral("/decoded.txt");
    QFile file(path);
    require(file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
                file.write(bytes) == bytes.size(),
            "the scratch file can be written");
    file.close();
    require(readTextFile(path) == text, "a file reads as its bytes decode");
    return 0;
}
