#include "core/conversion/spoken_text.h"

#include "core/files/text_files.h"
#include "core/text/speech_pauses.h"

namespace lectorix {

namespace {

bool keptForSpeech(char32_t c)
{
    switch (c) {
    case U' ':
    case U'.':
    case U',':
    case U'?':
    case U'!':
    case U';':
        return true;
    default:
        break;
    }
    if (c < 0x80)
        return (c >= U'a' && c <= U'z') || (c >= U'A' && c <= U'Z') || (c >= U'0' && c <= U'9');
    switch (QChar::category(c)) {
    case QChar::Letter_Uppercase:
    case QChar::Letter_Lowercase:
    case QChar::Letter_Titlecase:
    case QChar::Letter_Modifier:
    case QChar::Letter_Other:
    case QChar::Number_DecimalDigit:
    case QChar::Mark_NonSpacing:
    case QChar::Mark_SpacingCombining:
    case QChar::Mark_Enclosing:
        return true;
    default:
        return false;
    }
}

bool isLetterAt(const QString& text, qsizetype i)
{
    if (i < 0 || i >= text.size())
        return false;
    const QChar c = text[i];
    if (c.isLetter() || c.isMark())
        return true;
    // A letter outside the basic plane: look at the whole pair. A lone surrogate is no letter
    // (cleaning makes it a space).
    if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
        return QChar::isLetter(QChar::surrogateToUcs4(c, text[i + 1]));
    if (c.isLowSurrogate() && i > 0 && text[i - 1].isHighSurrogate())
        return QChar::isLetter(QChar::surrogateToUcs4(text[i - 1], c));
    return false;
}

} // namespace

QString cleanLineForSpeech(const QString& text)
{
    QString out;
    out.reserve(text.size());
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < size && text[i + 1].isLowSurrogate()) {
            const char32_t code = QChar::surrogateToUcs4(c, text[i + 1]);
            if (keptForSpeech(code))
                out.append(text.constData() + i, 2);
            else
                out += QLatin1Char(' ');
            ++i;
            continue;
        }
        // "it's", "don't", "the players' ball" and "first-class" are spoken as written: an
        // apostrophe after a letter, and a hyphen between letters, stay.
        const bool apostrophe =
            (c == QLatin1Char('\'') || c == QChar(0x2019)) && isLetterAt(text, i - 1);
        const bool hyphen = (c == QLatin1Char('-') || c == QChar(0x2010)) &&
                            isLetterAt(text, i - 1) && isLetterAt(text, i + 1);
        out += (apostrophe || hyphen || keptForSpeech(c.unicode())) ? c : QLatin1Char(' ');
    }
    return out;
}

QString cleanTextForSpeech(const QString& text)
{
    QString cleaned;
    cleaned.reserve(text.size());
    qsizetype start = 0;
    for (qsizetype i = 0; i <= text.size(); ++i) {
        if (i < text.size() && text[i] != QLatin1Char('\n') && text[i] != QLatin1Char('\r'))
            continue;
        cleaned += cleanLineForSpeech(text.mid(start, i - start));
        if (i < text.size())
            cleaned += text[i];
        start = i + 1;
    }
    return cleaned;
}

QString speechLine(QString line)
{
    static const QString Nbsp = QStringLiteral("&#xa0;");
    return cleanLineForSpeech(line.remove(Nbsp));
}

QString spokenText(const QString& text)
{
    QString spoken;
    if (text.isEmpty())
        return spoken;
    spoken.reserve(text.size() + 1);
    for (const QString& line : splitLines(text))
        spoken += speechLine(line) + QLatin1Char('\n');
    return spoken;
}

QList<Utterance> spokenUtterances(const QList<SpokenPiece>& pieces)
{
    QList<Utterance> utterances;
    utterances.reserve(pieces.size());
    for (qsizetype i = 0; i < pieces.size(); ++i) {
        const SpokenPiece* next = i + 1 < pieces.size() ? &pieces.at(i + 1) : nullptr;
        utterances.append({speechLine(pieces.at(i).text), silenceAfterMs(pieces.at(i), next)});
    }
    return utterances;
}

QList<Utterance> spokenLines(const QString& text)
{
    QList<Utterance> utterances;
    if (text.isEmpty())
        return utterances;
    for (const QString& line : splitLines(text))
        utterances.append({speechLine(line), 0});
    return utterances;
}

SpokenDocument spokenDocument(const QString& text, const QList<LayoutPage>* pages, bool verbatim,
                              const LayoutReadingOptions& options)
{
    if (verbatim)
        return {spokenLines(text), {}};
    if (!pages)
        return {spokenUtterances(prepareForSpeech(text)), {}};
    LayoutPreparation preparation(options);
    preparation.add(*pages);
    preparation.finish();
    return {spokenUtterances(preparation.takePieces()), preparation.unreadablePages()};
}

} // namespace lectorix
