#include "core/text/spoken_text.h"

#include "core/files/text_files.h"
#include "core/pdf/document_info.h"
#include "core/speech/language_voices.h"
#include "core/speech/speech_engine.h"
#include "core/text/code_points.h"
#include "core/text/language_identification.h"
#include "core/text/layout/plain_text.h"
#include "core/text/script_language.h"
#include "core/text/speech_pauses.h"

#include <QList>

#include <algorithm>
#include <optional>

namespace lectorix {

namespace {

bool isLetter(char32_t c)
{
    return QChar::isLetter(c) || QChar::isMark(c);
}

bool isDigit(char32_t c)
{
    return QChar::category(c) == QChar::Number_DecimalDigit;
}

// The code point beside i in direction step (-1 or +1), past plain spaces when skipSpaces.
char32_t neighbour(const QList<CodePoint>& points, qsizetype i, int step, bool skipSpaces)
{
    for (i += step; i >= 0 && i < points.size(); i += step) {
        if (!skipSpaces || points[i].c != U' ')
            return points[i].c;
    }
    return 0;
}

// Other punctuation that espeak-ng reads as a word where it means one ("%" percent, "§"
// section, "@" at, "&" and, "#" hash or number, "/" slash, "‰") or as a pause; the ones it
// names absurdly or that mark rather than say something go: the backslash, daggers and
// bullets of footnotes and lists, the reference mark.
bool isSpokenPunctuation(char32_t c)
{
    switch (c) {
    case U'\\':
    case 0x2020: // †
    case 0x2021: // ‡
    case 0x2022: // •
    case 0x2023: // ‣
    case 0x2043: // ⁃
    case 0x203B: // ※
    case 0x2042: // ⁂
        return false;
    default:
        return true;
    }
}

// Mathematical signs are read as their meaning ("+" plus, "=" equals, "×" times, "≤" less or
// equal to); the vertical bar, the tilde ("tilde 5 km") and the not sign ("tiret facultatif"
// in French) are not, nor are arrows, which decorate ("right arrow").
bool isSpokenMathSign(char32_t c)
{
    if (c == U'|' || c == U'~' || c == 0x00AC)
        return false;
    return !isArrow(c);
}

// Of the other symbols only the signs that are words stay: ©, ®, ° and the letter-like
// symbols (™, №, ℃). Pictures, box drawing, shapes and emoji are spelled out as their names
// ("black square", "grinning face") or not at all.
bool isSpokenSymbol(char32_t c)
{
    return isWordSign(c) || isLetterLikeSymbol(c);
}

// Whether the code point at i stays on its own account, before runs are judged.
bool keptAlone(const QList<CodePoint>& points, qsizetype i)
{
    const char32_t c = points[i].c;
    if (c == U' ')
        return true;
    const auto betweenLetters = [&] {
        return isLetter(neighbour(points, i, -1, false)) &&
               isLetter(neighbour(points, i, 1, false));
    };
    switch (QChar::category(c)) {
    case QChar::Letter_Uppercase:
    case QChar::Letter_Lowercase:
    case QChar::Letter_Titlecase:
    case QChar::Letter_Modifier:
    case QChar::Letter_Other:
    case QChar::Mark_NonSpacing:
    case QChar::Mark_SpacingCombining:
    case QChar::Mark_Enclosing:
    case QChar::Number_DecimalDigit:
    case QChar::Number_Letter:
    case QChar::Number_Other:
    case QChar::Punctuation_Dash:
    case QChar::Punctuation_Open:
    case QChar::Punctuation_Close:
    case QChar::Punctuation_InitialQuote:
    case QChar::Punctuation_FinalQuote:
    case QChar::Symbol_Currency:
        return true;
    case QChar::Punctuation_Other:
        if (c == U'*') // multiplication ("2 * 3"), not a footnote's star
            return isDigit(neighbour(points, i, -1, true)) &&
                   isDigit(neighbour(points, i, 1, true));
        if (c == 0x00B7) // Catalan "l·l"; elsewhere read "point" in French
            return betweenLetters();
        return isSpokenPunctuation(c);
    case QChar::Symbol_Math:
        return isSpokenMathSign(c);
    case QChar::Symbol_Other:
        return isSpokenSymbol(c);
    case QChar::Symbol_Modifier:
        return c == 0x00B4 && betweenLetters(); // "don´t" is read as "don't"
    case QChar::Other_Format:
        // A soft hyphen joins its word's halves; the zero-width joiner and non-joiner belong
        // to Persian and Indic words ("می‌خواهم" read as one word, as a space would not).
        return isWordJoiner(c) && betweenLetters();
    default:
        // Other spaces, controls, connectors ("_"), private use, unassigned code points and
        // lone surrogates.
        return false;
    }
}

// Signs that a run of three or more, with no letter or space among them, makes noise
// ("***", "=====", "!@#$%"), even where some of them would stay alone; two stay ("C++").
bool isSymbolLike(char32_t c)
{
    switch (QChar::category(c)) {
    case QChar::Symbol_Math:
    case QChar::Symbol_Currency:
    case QChar::Symbol_Modifier:
    case QChar::Symbol_Other:
        return true;
    default:
        return c == U'#' || c == U'%' || c == U'&' || c == U'*' || c == U'@' || c == U'/' ||
               c == U'\\' || c == 0x00A7 || c == 0x00B6 || c == 0x2030 || c == 0x2031;
    }
}

void dropSymbolRuns(const QList<CodePoint>& points, QList<bool>& kept)
{
    constexpr qsizetype NoiseRun = 3;
    for (qsizetype start = 0; start < points.size();) {
        qsizetype end = start;
        while (end < points.size() && isSymbolLike(points[end].c))
            ++end;
        if (end - start >= NoiseRun)
            std::fill(kept.begin() + start, kept.begin() + end, false);
        start = end > start ? end : start + 1;
    }
}

// How many dots a leader's code point stands for; 0 for one that is no dot.
int dots(char32_t c)
{
    switch (c) {
    case U'.':
    case 0x2024: // one dot leader
        return 1;
    case 0x2025: // two dot leader
        return 2;
    case 0x2026: // …
        return 3;
    default:
        return 0;
    }
}

int dashes(char32_t c)
{
    return QChar::category(c) == QChar::Punctuation_Dash ? 1 : 0;
}

// Leaders and rules ("Chapter 1 ........ 5", ". . . . . . .", "………", "-----", "— —"): runs of one
// kind of mark, alone or each after one space, worth at least minimum marks. The first mark
// stays as the pause it is; the rest go. A character that goes counts as the space it becomes,
// so that cleaning a cleaned line finds no new run.
void shortenRuns(const QList<CodePoint>& points, QList<bool>& kept, int (*worth)(char32_t),
                 int minimum)
{
    const auto markAt = [&](qsizetype i) {
        return i < points.size() && kept[i] && worth(points[i].c) > 0;
    };
    for (qsizetype start = 0; start < points.size(); ++start) {
        if (!markAt(start))
            continue;
        QList<qsizetype> marks{start};
        int total = worth(points[start].c);
        qsizetype i = start + 1;
        while (true) {
            if (markAt(i)) {
                marks << i;
                total += worth(points[i].c);
                ++i;
            } else if (i < points.size() && (points[i].c == U' ' || !kept[i]) && markAt(i + 1)) {
                ++i;
            } else {
                break;
            }
        }
        if (marks.size() >= 2 && total >= minimum) {
            for (qsizetype m = 1; m < marks.size(); ++m)
                kept[marks[m]] = false;
        }
        start = marks.back();
    }
}

} // namespace

QString cleanLineForSpeech(const QString& text)
{
    const QList<CodePoint> points = codePoints(text);
    QList<bool> kept(points.size());
    for (qsizetype i = 0; i < points.size(); ++i)
        kept[i] = keptAlone(points, i);
    dropSymbolRuns(points, kept);
    // "...", "......" and "……" are ellipses; a leader is longer.
    constexpr int LeaderDots = 7;
    constexpr int RuleDashes = 2;
    shortenRuns(points, kept, dots, LeaderDots);
    shortenRuns(points, kept, dashes, RuleDashes);
    // The voice reads what stands between "[[" and "]]" as phonemes; in a document a double
    // bracket is only a bracket, and only a pronunciation entry gives phonemes.
    for (qsizetype i = 1; i < points.size(); ++i) {
        if (points[i].c == U'[' && points[i - 1].c == U'[' && kept[i - 1])
            kept[i] = false;
    }

    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < points.size(); ++i) {
        if (kept[i])
            out.append(text.constData() + points[i].at, points[i].units);
        else
            out += QLatin1Char(' ');
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
    // Until none is left: removing one can join the pieces of another ("&#x&#xa0;a0;").
    while (line.contains(Nbsp))
        line.remove(Nbsp);
    return cleanLineForSpeech(line);
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

Utterance spokenUtterance(const SpokenPiece& piece, const SpokenPiece* next,
                          const UtteranceOptions& options)
{
    Utterance utterance{speechLine(piece.text), silenceAfterMs(piece, next, options.pauses), {}};
    if (options.oneVoice)
        return utterance;
    utterance.language = scriptLanguage(utterance.text, options.voiceLanguage);
    // In the voice's own script, the paragraph's language, unless the voice speaks it.
    if (utterance.language.isEmpty() && !piece.language.isEmpty() &&
        piece.language != primaryLanguage(options.voiceLanguage) &&
        scriptLanguage(utterance.text, piece.language).isEmpty())
        utterance.language = piece.language;
    return utterance;
}

namespace {

// One utterance for each of sentences, already cut by sentencePieces.
QList<Utterance> sentenceUtterances(const QList<SpokenPiece>& sentences,
                                    const UtteranceOptions& options)
{
    QList<Utterance> utterances;
    utterances.reserve(sentences.size());
    for (qsizetype i = 0; i < sentences.size(); ++i) {
        const SpokenPiece* next = i + 1 < sentences.size() ? &sentences.at(i + 1) : nullptr;
        utterances.append(spokenUtterance(sentences.at(i), next, options));
    }
    return utterances;
}

} // namespace

QList<Utterance> spokenUtterances(const QList<SpokenPiece>& pieces, const UtteranceOptions& options)
{
    return sentenceUtterances(sentencePieces(pieces, options.voiceLanguage), options);
}

QList<Utterance> spokenLines(const QString& text)
{
    QList<Utterance> utterances;
    for (const SpokenPiece& piece : verbatimPieces(text))
        utterances.append({speechLine(piece.text), Utterance::VoicesOwnPause, {}});
    return utterances;
}

namespace {

QList<SpokenPiece> readPieces(const QString& text, const QList<LayoutPage>* pages,
                              const LayoutReadingOptions& options, QList<int>* unreadablePages,
                              QList<int>* unspokenPages)
{
    LayoutPreparation preparation(options);
    preparation.add(pages ? *pages : plainTextPages(text));
    preparation.finish();
    if (unreadablePages)
        *unreadablePages += preparation.unreadablePages();
    if (unspokenPages)
        *unspokenPages += preparation.unspokenPages();
    return preparation.takePieces();
}

} // namespace

QList<SpokenPiece> documentPieces(const QString& text, const QList<LayoutPage>* pages,
                                  const LayoutReadingOptions& options, QList<int>* unreadablePages,
                                  QList<int>* unspokenPages)
{
    QList<SpokenPiece> pieces = readPieces(text, pages, options, unreadablePages, unspokenPages);
    ParagraphLanguages().assign(pieces);
    return pieces;
}

QString documentLanguage(const SpeechChoices& choices)
{
    if (!choices.declaredLanguage.isEmpty() || choices.sourcePdf.isEmpty())
        return choices.declaredLanguage;
    return declaredLanguage(choices.sourcePdf);
}

SpokenDocument spokenDocument(const QString& text, const QList<LayoutPage>* pages,
                              const SpeechChoices& choices)
{
    SpokenDocument spoken;
    if (choices.verbatim) {
        spoken.pieces = verbatimPieces(text);
        for (const SpokenPiece& piece : std::as_const(spoken.pieces))
            spoken.utterances.append({speechLine(piece.text), Utterance::VoicesOwnPause, {}});
    } else {
        // Cut once more by the voice's language, so the pieces returned stay one for each
        // utterance.
        LayoutReadingOptions reading = choices.reading;
        if (reading.language.isEmpty())
            reading.language = choices.utterance.voiceLanguage;
        QList<SpokenPiece> pieces =
            readPieces(text, pages, reading, &spoken.unreadablePages, &spoken.unspokenPages);
        if (!choices.utterance.oneVoice)
            ParagraphLanguages(documentLanguage(choices)).assign(pieces);
        spoken.pieces = sentencePieces(pieces, choices.utterance.voiceLanguage);
        spoken.utterances = sentenceUtterances(spoken.pieces, choices.utterance);
    }
    if (!choices.pronunciations.isEmpty())
        applyPronunciations(choices.pronunciations, spoken.utterances,
                            choices.pronunciationLanguage);
    return spoken;
}

void applyPronunciations(const PronunciationList& list, QList<Utterance>& utterances,
                         const QString& chosenLanguage)
{
    std::optional<QList<speech::VoiceToken>> installed;
    list.apply(utterances, [&](const QString& language) {
        if (language.isEmpty())
            return chosenLanguage;
        if (!installed) {
            try {
                installed = speech::engine().createVoice()->installedVoices();
            } catch (...) {
                installed.emplace();
            }
        }
        return speakingLanguage(*installed, language, chosenLanguage);
    });
}

} // namespace lectorix
