// The text as the export gives it to the voice: every line of any decoded text arrives as one
// cleaned line ended by a line feed, with no control, private-use, unassigned or lone
// surrogate code point; nothing grows but by the last line's break, and making a spoken text
// of a spoken text changes nothing.

#include "harness.h"

#include "core/files/text_decoding.h"
#include "core/text/spoken_text.h"

using namespace lectorix;
using lectorix::fuzz::require;

namespace {

// Lines as the program counts them: CR LF, LF and a lone CR each end one; a final break adds
// no line.
qsizetype lineCount(const QString& text)
{
    qsizetype lines = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i) == QLatin1Char('\r') && i + 1 < text.size() &&
            text.at(i + 1) == QLatin1Char('\n'))
            ++i;
        if (text.at(i) == QLatin1Char('\r') || text.at(i) == QLatin1Char('\n'))
            ++lines;
    }
    const bool unfinished =
        !text.isEmpty() && text.back() != QLatin1Char('\n') && text.back() != QLatin1Char('\r');
    return lines + (unfinished ? 1 : 0);
}

// A code point the voice would spell out as noise, or choke on; a lone surrogate counts.
bool isUnspeakable(const QString& text, qsizetype i)
{
    const QChar c = text.at(i);
    if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
        const QChar::Category category = QChar::category(QChar::surrogateToUcs4(c, text.at(i + 1)));
        return category == QChar::Other_PrivateUse || category == QChar::Other_NotAssigned;
    }
    if (c.isLowSurrogate() && i > 0 && text.at(i - 1).isHighSurrogate())
        return false;
    switch (c.category()) {
    case QChar::Other_Control:
        return c != QLatin1Char('\n');
    case QChar::Other_PrivateUse:
    case QChar::Other_NotAssigned:
    case QChar::Other_Surrogate:
        return true;
    default:
        return false;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::InputReader input(data, size);
    const QString text = decodeTextFile(input.rest());
    const QString spoken = spokenText(text);
    require(spoken.count(QLatin1Char('\n')) == lineCount(text), "every line is one spoken line",
            QStringLiteral("%1 spoken lines").arg(spoken.count(QLatin1Char('\n'))));
    require(!spoken.contains(QLatin1Char('\r')), "no carriage return is left", spoken);
    for (qsizetype i = 0; i < spoken.size(); ++i)
        require(!isUnspeakable(spoken, i), "nothing unspeakable reaches the voice", spoken);
    require(spoken.isEmpty() || spoken.endsWith(QLatin1Char('\n')), "the last line is ended",
            spoken);
    require(spoken.size() <= text.size() + 1, "nothing grows but the last line's break", spoken);
    require(spokenText(spoken) == spoken, "a spoken text is spoken as it stands", spoken);
    return 0;
}
