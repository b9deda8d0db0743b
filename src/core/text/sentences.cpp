#include "core/text/sentences.h"

#include <QStringView>

#include <algorithm>
#include <array>
#include <span>

namespace lectorix {

namespace {

using Words = std::span<const std::u16string_view>;

// Abbreviations after which a sentence never ends, compared without case and without their
// final period. Dotted ones ("e.g", "z.B") also match when their parts are spaced ("z. B").
constexpr auto EnglishAbbreviations = std::to_array<std::u16string_view>(
    {u"mr", u"mrs", u"ms", u"dr", u"st", u"prof", u"jr", u"sr", u"vs", u"e.g", u"i.e", u"cf",
     u"approx", u"capt", u"sgt", u"lt"});
constexpr auto FrenchAbbreviations = std::to_array<std::u16string_view>(
    {u"mme", u"mmes", u"mlle", u"mlles", u"me", u"mgr", u"ste", u"p.ex", u"cf", u"env", u"av",
     u"bd", u"éd", u"coll", u"cie"});
constexpr auto GermanAbbreviations = std::to_array<std::u16string_view>(
    {u"z.b",  u"d.h",  u"bzw",  u"ca",  u"vgl", u"ggf", u"hr",  u"fr",  u"str",  u"u.a",
     u"evtl", u"inkl", u"bspw", u"sog", u"u.u", u"o.ä", u"v.a", u"z.t", u"dipl", u"ing"});
constexpr auto SpanishAbbreviations = std::to_array<std::u16string_view>(
    {u"sra", u"srta", u"dra", u"ud", u"uds", u"vd", u"vds", u"p.ej", u"dña", u"aprox", u"cía",
     u"ee.uu", u"av", u"avda"});
constexpr auto RussianAbbreviations = std::to_array<std::u16string_view>(
    {u"т.е", u"т.к", u"т.н", u"см", u"ср", u"им", u"ул", u"пр", u"проф", u"акад", u"св", u"напр",
     u"англ", u"лат", u"букв", u"тов", u"гр"});

// Abbreviations that stand before a number ("p. 5", "No. 4", "Abb. 3"): they end no sentence
// when a digit follows, and behave as words otherwise ("The answer was No. Then ...").
constexpr auto NumberAbbreviations = std::to_array<std::u16string_view>(
    {u"no", u"nos", u"nr", u"pp", u"fig", u"figs", u"vol", u"vols", u"ch", u"chap", u"art", u"sec",
     u"ed", u"eq", u"ref", u"abb", u"kap", u"bd", u"tab", u"núm", u"pág", u"págs", u"cap", u"стр",
     u"ст", u"пп", u"абз", u"рис", u"табл", u"гл", u"вып", u"n°", u"nº",
     // a date's month: "Jul. 15, 2019", "SEPT. 3"
     u"jan", u"feb", u"mar", u"apr", u"jun", u"jul", u"aug", u"sep", u"sept", u"oct", u"nov",
     u"dec"});

// Abbreviations a sentence may end with ("... and so on, etc. The next"): they end one before
// anything but a small letter, like a word would. Listed so that their single letters are not
// taken for initials.
constexpr auto ClosingAbbreviations = std::to_array<std::u16string_view>(
    {u"etc", u"usw", u"u.s.w", u"и т.д", u"и т.п", u"и др", u"и пр"});

struct LanguageWords
{
    Words abbreviations;
    bool numberedOrdinals = false; // "am 3. Oktober": a day or an ordinal ends in a period
    bool pronounI = true;          // "So did I. Then": "I" is a word, not an initial
};

LanguageWords languageWords(const QString& language)
{
    const QString code = language.section(QLatin1Char('-'), 0, 0).toLower();
    if (code == QLatin1String("fr"))
        return {FrenchAbbreviations, false, false};
    if (code == QLatin1String("de"))
        return {GermanAbbreviations, true, false};
    if (code == QLatin1String("es"))
        return {SpanishAbbreviations, false, false};
    if (code == QLatin1String("ru"))
        return {RussianAbbreviations, false, false};
    return {};
}

bool isSentenceMark(QChar c)
{
    switch (c.unicode()) {
    case u'.':
    case u'!':
    case u'?':
    case u'\u2026': // …
    case u'\u203C': // ‼
    case u'\u2047': // ⁇
    case u'\u2048': // ⁈
    case u'\u2049': // ⁉
    case u'\u061F': // Arabic question mark
    case u'\u06D4': // Arabic full stop
    case u'\u0964': // Devanagari danda
    case u'\u0965': // double danda
    case u'\u0589': // Armenian full stop
    case u'\u1362': // Ethiopic full stop
        return true;
    default:
        return false;
    }
}

// Marks of scripts written without spaces: the sentence ends here whatever follows.
bool isWideSentenceMark(QChar c)
{
    switch (c.unicode()) {
    case u'\u3002': // 。
    case u'\uFF01': // ！
    case u'\uFF1F': // ？
    case u'\uFF61': // ｡
        return true;
    default:
        return false;
    }
}

// Quotes and brackets that close a sentence when they follow its mark directly. German and
// other quotes open with „ and close with “, so every quote counts here.
bool isCloser(QChar c)
{
    switch (c.category()) {
    case QChar::Punctuation_Close:
    case QChar::Punctuation_FinalQuote:
    case QChar::Punctuation_InitialQuote:
        return true;
    default:
        return c == QLatin1Char('"') || c == QLatin1Char('\'');
    }
}

bool isOpener(QChar c)
{
    switch (c.category()) {
    case QChar::Punctuation_Open:
    case QChar::Punctuation_InitialQuote:
    case QChar::Punctuation_FinalQuote:
        return true;
    default:
        return c == QLatin1Char('"') || c == QLatin1Char('\'') || c == u'\u00BF' || c == u'\u00A1';
    }
}

// Whether text ends with word, a whole word, comparing without case; a period in word also
// matches a period followed by spaces ("z.B" matches "z. B").
bool endsWithWord(QStringView text, std::u16string_view word)
{
    qsizetype i = text.size();
    for (auto w = word.rbegin(); w != word.rend(); ++w) {
        const QChar expected(*w);
        if (expected == QLatin1Char(' ') || expected == QLatin1Char('.')) {
            while (i > 0 && text[i - 1].isSpace())
                --i;
            if (expected == QLatin1Char(' '))
                continue;
        }
        if (i == 0 || text[i - 1].toCaseFolded() != expected.toCaseFolded())
            return false;
        --i;
    }
    return i == 0 || !(text[i - 1].isLetterOrNumber() || text[i - 1].isMark());
}

bool endsWithAny(QStringView text, Words words)
{
    for (std::u16string_view word : words) {
        if (endsWithWord(text, word))
            return true;
    }
    return false;
}

// The word just before a period: its letters, digits and inner periods ("e.g", "3", "J").
QStringView wordBefore(QStringView text)
{
    qsizetype start = text.size();
    while (start > 0 && (text[start - 1].isLetterOrNumber() || text[start - 1].isMark() ||
                         text[start - 1] == QLatin1Char('.')))
        --start;
    while (start < text.size() && text[start] == QLatin1Char('.'))
        ++start;
    return text.sliced(start);
}

// "U.S", "e.g", "Ph.D", "J.R.R": short runs of letters joined by periods; not "example.com"
// nor "3.5".
bool isDottedAbbreviation(QStringView word)
{
    for (QStringView part : word.tokenize(QLatin1Char('.'))) {
        const bool letters = std::all_of(part.begin(), part.end(),
                                         [](QChar c) { return c.isLetter() || c.isMark(); });
        if (part.isEmpty() || part.size() > 2 || !letters)
            return false;
    }
    return true;
}

// Whether a period after text ends no sentence: an abbreviation, an initial, the number of a
// list's item (the first word of the sentence begun at sentenceStart) or a German ordinal.
bool periodBindsForward(QStringView text, qsizetype sentenceStart, QChar next,
                        const LanguageWords& language)
{
    if (endsWithAny(text, ClosingAbbreviations))
        return false;
    if (endsWithAny(text, EnglishAbbreviations) || endsWithAny(text, language.abbreviations))
        return true;
    if (next.isDigit() && endsWithAny(text, NumberAbbreviations))
        return true;
    const QStringView word = wordBefore(text);
    if (word.isEmpty())
        return false;
    if (word.contains(QLatin1Char('.')))
        return isDottedAbbreviation(word);
    const bool digits = std::all_of(word.begin(), word.end(), [](QChar c) { return c.isDigit(); });
    if (digits) {
        // A list's item: "1. Take the pen. 2. Write.", "as follows: 1. Take"
        const qsizetype wordStart = text.size() - word.size();
        const QStringView before =
            wordStart >= sentenceStart
                ? text.sliced(sentenceStart, wordStart - sentenceStart).trimmed()
                : QStringView(u"-");
        const bool listItem = before.isEmpty() || before.back() == QLatin1Char(':');
        return listItem || (language.numberedOrdinals && word.size() <= 2);
    }
    const qsizetype letters =
        std::count_if(word.begin(), word.end(), [](QChar c) { return c.isLetter(); });
    if (letters != 1 || (language.pronounI && word == QLatin1String("I")))
        return false;
    // "1990 г. После": a year's "г." ends a sentence before a capital ("2002 г. № 74" goes
    // on); "г. Москва" (a city) ends none.
    if (word == QStringView(u"\u0433")) {
        const QStringView before = text.first(text.size() - word.size()).trimmed();
        return before.isEmpty() || !before.back().isDigit() || !next.isUpper();
    }
    return true; // an initial: "J. Smith", "M. Dupont", "z. B."
}

qsizetype skipSpaces(QStringView text, qsizetype i)
{
    while (i < text.size() && text[i].isSpace())
        ++i;
    return i;
}

// The first character that tells how the next words begin, past opening quotes and brackets.
QChar nextStart(QStringView text, qsizetype i)
{
    while (i < text.size() && (isOpener(text[i]) || text[i].isSpace()))
        ++i;
    return i < text.size() ? text[i] : QChar();
}

// Past the closing quotes and brackets after a sentence's marks; a French closing guillemet
// stands after a space ("Oui ! »").
qsizetype pastClosers(QStringView text, qsizetype i)
{
    while (i < text.size() && isCloser(text[i]))
        ++i;
    const qsizetype spaced = skipSpaces(text, i);
    if (spaced > i && spaced < text.size() &&
        (text[spaced] == u'\u00BB' || text[spaced] == u'\u203A')) {
        const qsizetype after = spaced + 1;
        if (after == text.size() || text[after].isSpace())
            return after;
    }
    return i;
}

// "\u201cIndeed!\u201d I murmured.": after a quotation, "I" and a small letter go on with the
// sentence.
bool isDialogueTag(QStringView text, qsizetype i)
{
    i = skipSpaces(text, i);
    if (i + 1 >= text.size() || text[i] != QLatin1Char('I') || !text[i + 1].isSpace())
        return false;
    const qsizetype next = skipSpaces(text, i + 1);
    return next < text.size() && text[next].isLower();
}

struct Marks
{
    qsizetype start = 0;         // the first sentence mark
    qsizetype end = 0;           // past the last one
    qsizetype closed = 0;        // past the quotes and brackets that close the sentence
    qsizetype sentenceStart = 0; // where the sentence began
};

bool endsSentence(QStringView text, const Marks& marks, const LanguageWords& words)
{
    if (isWideSentenceMark(text[marks.start]))
        return true;
    if (marks.closed < text.size() && !text[marks.closed].isSpace())
        return false; // "3.5", "e.g.,", "www.example.org"
    const QChar next = nextStart(text, marks.closed);
    if (next.isLower())
        return false; // "\"Go!\" he said", "Wait... then", "etc. and more"
    if (isSentenceMark(next))
        return false; // a leader: "Contents . . . . 5"
    const QStringView sentence =
        text.sliced(marks.sentenceStart, marks.start - marks.sentenceStart);
    if (std::none_of(sentence.begin(), sentence.end(),
                     [](QChar c) { return c.isLetterOrNumber(); }))
        return false; // marks alone make no sentence
    const bool quoted = marks.closed > marks.end && isCloser(text[marks.closed - 1]) &&
                        text[marks.closed - 1].category() != QChar::Punctuation_Close;
    if (quoted && words.pronounI && isDialogueTag(text, marks.closed))
        return false;
    const bool singlePeriod = marks.end - marks.start == 1 && text[marks.start] == QLatin1Char('.');
    return !(singlePeriod &&
             periodBindsForward(text.first(marks.start), marks.sentenceStart, next, words));
}

} // namespace

QList<qsizetype> sentenceEnds(const QString& paragraph, const QString& language)
{
    const LanguageWords words = languageWords(language);
    const QStringView text(paragraph);
    QList<qsizetype> ends;
    qsizetype i = 0;
    while (i < text.size()) {
        if (!isWideSentenceMark(text[i]) && !isSentenceMark(text[i])) {
            ++i;
            continue;
        }
        const qsizetype marksStart = i;
        while (i < text.size() && (isSentenceMark(text[i]) || isWideSentenceMark(text[i])))
            ++i;
        const qsizetype end = pastClosers(text, i);
        const Marks marks{marksStart, i, end, ends.isEmpty() ? 0 : ends.back()};
        i = end;
        if (!endsSentence(text, marks, words))
            continue;
        ends.append(end);
    }
    const qsizetype lastEnd = ends.isEmpty() ? 0 : ends.back();
    if (!text.sliced(lastEnd).trimmed().isEmpty())
        ends.append(text.size());
    return ends;
}

} // namespace lectorix
