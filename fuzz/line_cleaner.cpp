// The line cleaner: it only ever puts a space in place of a character, so a line keeps its
// length in characters and its letters and digits where they were; the marks a voice pauses
// at always stay, and cleaning twice changes nothing more.

#include "harness.h"

#include "core/text/spoken_text.h"

#include <QList>

using namespace lectorix;
using lectorix::fuzz::require;

namespace {

// Code points, with a lone surrogate counted as one.
QList<char32_t> codePoints(const QString& text)
{
    QList<char32_t> points;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            points << QChar::surrogateToUcs4(c, text.at(i + 1));
            ++i;
        } else {
            points << c.unicode();
        }
    }
    return points;
}

bool isAsciiLetterOrDigit(char32_t c)
{
    return (c >= U'a' && c <= U'z') || (c >= U'A' && c <= U'Z') || (c >= U'0' && c <= U'9');
}

// Marks the voice pauses or stops at, which no run or neighbour makes noise.
bool isPauseMark(char32_t c)
{
    switch (c) {
    case U',':
    case U':':
    case U';':
    case U'?':
    case U'!':
    case U'(':
    case U')':
    case U'[':
    case U']':
    case U'"':
    case U'\'':
    case 0x201C: // “
    case 0x201D: // ”
    case 0x2019: // ’
    case 0x00AB: // «
    case 0x00BB: // »
    case 0x3002: // 。
        return true;
    default:
        return false;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::InputReader input(data, size);
    const bool rawUtf16 = input.byte() & 1;
    const QByteArray bytes = input.rest();
    // UTF-16 units as they come reach lone surrogates, which no UTF-8 decoder produces.
    const QString line =
        rawUtf16 ? QString(reinterpret_cast<const QChar*>(bytes.constData()), bytes.size() / 2)
                 : QString::fromUtf8(bytes);

    const QString cleaned = cleanLineForSpeech(line);
    const QList<char32_t> before = codePoints(line);
    const QList<char32_t> after = codePoints(cleaned);
    require(before.size() == after.size(), "cleaning keeps the length in characters", cleaned);
    for (qsizetype i = 0; i < before.size(); ++i) {
        require(after[i] == before[i] || after[i] == U' ',
                "a character is kept or becomes one space", cleaned);
        if (isAsciiLetterOrDigit(before[i]))
            require(after[i] == before[i], "letters and digits are kept", cleaned);
        // "[[" would switch the voice to phonemes, so its second bracket goes.
        const bool secondOfDoubleBracket =
            before[i] == U'[' && i > 0 && before[i - 1] == U'[' && after[i - 1] == U'[';
        if (isPauseMark(before[i]) && !secondOfDoubleBracket)
            require(after[i] == before[i], "marks of pauses are kept", cleaned);
    }
    require(cleanLineForSpeech(cleaned) == cleaned, "a cleaned line is clean", cleaned);
    return 0;
}
