#include "core/files/misread_encoding.h"

#include "core/files/text_decoding.h"

#include <QStringDecoder>

#include <algorithm>
#include <array>
#include <optional>
#include <utility>

namespace lectorix {

namespace {

bool isUpperHalfLetter(char32_t c)
{
    return c >= 0xC0 && c <= 0xFF && c != 0xD7 && c != 0xF7;
}

bool isLatin1Sign(char32_t c)
{
    return c >= 0xA1 && c <= 0xBF;
}

// Whether a capital follows a small letter somewhere in the word.
bool hasCapitalInside(QStringView word)
{
    for (qsizetype i = 1; i < word.size(); ++i) {
        if (word[i].isUpper() && word[i - 1].isLower())
            return true;
    }
    return false;
}

enum class Writing { Cyrillic, Chinese, Japanese };

struct Candidate
{
    const char* name;
    Writing writing;
    // The lead bytes of the characters in common use: the Chinese and Japanese encodings give
    // their common characters (and punctuation) a range of lead bytes of their own.
    std::array<std::pair<unsigned char, unsigned char>, 2> common;
};

constexpr std::array<Candidate, 5> Candidates{{
    {"windows-1251", Writing::Cyrillic, {}},
    {"KOI8-R", Writing::Cyrillic, {}},
    {"GBK", Writing::Chinese, {{{0xA1, 0xA3}, {0xB0, 0xD7}}}},        // GB2312's first level
    {"Big5", Writing::Chinese, {{{0xA1, 0xA3}, {0xA4, 0xC6}}}},       // the frequent characters
    {"Shift_JIS", Writing::Japanese, {{{0x81, 0x83}, {0x88, 0x98}}}}, // kana, JIS level 1
}};

// Whether a byte starts a character of two bytes in the candidate's encoding.
bool isLeadByte(const Candidate& candidate, unsigned char b)
{
    switch (candidate.writing) {
    case Writing::Cyrillic:
        return false;
    case Writing::Chinese:
        return b >= 0x81 && b <= 0xFE;
    case Writing::Japanese:
        return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
    }
    return false;
}

// Code points that no text gives: unassigned, private use, controls, the replacement character.
bool isInvalid(char32_t c)
{
    switch (QChar::category(c)) {
    case QChar::Other_NotAssigned:
    case QChar::Other_PrivateUse:
    case QChar::Other_Control:
    case QChar::Other_Surrogate:
        return true;
    default:
        return c == 0xFFFD;
    }
}

bool isCjk(char32_t c)
{
    switch (QChar::script(c)) {
    case QChar::Script_Han:
    case QChar::Script_Hiragana:
    case QChar::Script_Katakana:
        return !(c >= 0xFF61 && c <= 0xFF9F); // half-width katakana is a terminal's
    default:
        return (c >= 0x3000 && c <= 0x303F) || (c >= 0xFF01 && c <= 0xFF5E);
    }
}

// The letters that make four fifths of Russian text (and Ukrainian's і).
bool isCommonCyrillic(QChar c)
{
    static const QString Common = QStringLiteral("оеаинтсрвлкмдпуі");
    return Common.contains(c.toLower());
}

bool isCyrillicVowel(QChar c)
{
    static const QString Vowels = QStringLiteral("аеёиоуыэюяіїє");
    return Vowels.contains(c.toLower());
}

// How the words read in one candidate encoding.
struct Fit
{
    qsizetype characters = 0; // decoded from bytes of the upper half
    qsizetype invalid = 0;
    qsizetype uncommon = 0;
    qsizetype ofWriting = 0; // letters (or characters) of the candidate's script
    qsizetype words = 0;     // words of two letters of the script or more
    qsizetype withoutVowel = 0;
    qsizetype capitalInside = 0;

    bool fits(Writing writing) const
    {
        if (characters < 2 || invalid * 20 > characters || ofWriting * 5 < characters * 4)
            return false;
        if (writing != Writing::Cyrillic)
            return uncommon * 10 <= characters * 3;
        return withoutVowel * 5 <= words && capitalInside * 10 <= words &&
               uncommon * 10 <= ofWriting * 4;
    }
    double penalty() const { return double(uncommon + 4 * invalid) / double(characters); }
};

// Adds one decoded character, from bytes starting with lead, to the fit.
void tally(const Candidate& candidate, QStringView decoded, unsigned char lead, Fit& fit)
{
    for (qsizetype i = 0; i < decoded.size(); ++i) {
        char32_t c = decoded[i].unicode();
        if (decoded[i].isHighSurrogate() && i + 1 < decoded.size()) {
            c = QChar::surrogateToUcs4(decoded[i], decoded[i + 1]);
            ++i;
        }
        ++fit.characters;
        if (isInvalid(c)) {
            ++fit.invalid;
            continue;
        }
        if (candidate.writing == Writing::Cyrillic) {
            const bool cyrillic = QChar::script(c) == QChar::Script_Cyrillic;
            fit.ofWriting += cyrillic ? 1 : 0;
            fit.uncommon += cyrillic && !isCommonCyrillic(QChar(c)) ? 1 : 0;
            continue;
        }
        fit.ofWriting += isCjk(c) ? 1 : 0;
        const bool common =
            std::any_of(candidate.common.begin(), candidate.common.end(),
                        [lead](const auto& r) { return lead >= r.first && lead <= r.second; });
        fit.uncommon += common ? 0 : 1;
    }
}

// The word's bytes in the candidate's encoding, character by character, added to the fit;
// the word as it reads there.
QString readIn(const Candidate& candidate, QStringDecoder& decoder, QByteArray bytes, Fit& fit)
{
    QString word;
    for (qsizetype i = 0; i < bytes.size();) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        const qsizetype length = isLeadByte(candidate, lead) && i + 1 < bytes.size() ? 2 : 1;
        // pdftotext writes the byte of Latin-1's soft hyphen as a hyphen; after a lead byte,
        // where no hyphen can stand, it is that byte.
        if (length == 2 && bytes[i + 1] == '-')
            bytes[i + 1] = char(0xAD);
        QString decoded = decoder.decode(QByteArrayView(bytes).sliced(i, length));
        if (decoded.isEmpty()) // a lead byte at the word's end
            decoded = QChar(QChar::ReplacementCharacter);
        if (lead >= 0x80)
            tally(candidate, decoded, lead, fit);
        word += decoded;
        i += length;
    }
    if (candidate.writing == Writing::Cyrillic) {
        const qsizetype letters = std::count_if(word.cbegin(), word.cend(), [](QChar c) {
            return c.script() == QChar::Script_Cyrillic && c.isLetter();
        });
        if (letters >= 2) {
            ++fit.words;
            fit.withoutVowel += std::none_of(word.cbegin(), word.cend(), isCyrillicVowel) ? 1 : 0;
            fit.capitalInside += hasCapitalInside(word) ? 1 : 0;
        }
    }
    return word;
}

// Whether the upper half of Latin-1 is a third or more of the words' letters and signs.
bool mayBeMisread(const QStringList& words)
{
    qsizetype upperHalf = 0;
    qsizetype letters = 0;
    for (const QString& word : words) {
        for (const QChar c : word) {
            const bool sign = isLatin1Sign(c.unicode());
            upperHalf += sign || isUpperHalfLetter(c.unicode()) ? 1 : 0;
            letters += sign || c.isLetter() ? 1 : 0;
        }
    }
    return upperHalf >= 3 && upperHalf * 3 >= letters;
}

// The bytes of a word with a byte of the upper half; nothing for others.
std::optional<QByteArray> misreadBytes(QStringView word)
{
    if (std::none_of(word.begin(), word.end(), [](QChar c) { return c.unicode() >= 0x80; }))
        return std::nullopt;
    return windows1252Bytes(word);
}

} // namespace

bool isMisreadWord(QStringView word)
{
    qsizetype letters = 0;
    qsizetype signs = 0;
    for (const QChar c : word) {
        if (isLatin1Sign(c.unicode()))
            ++signs;
        else if (isUpperHalfLetter(c.unicode()))
            ++letters;
        else if (c.isLetter())
            return false;
    }
    return (letters + signs >= 3 || (letters + signs == 2 && signs > 0)) && !hasCapitalInside(word);
}

QByteArray misreadEncoding(const QStringList& words)
{
    if (!mayBeMisread(words))
        return {};
    QList<QByteArray> bytes;
    for (const QString& word : words) {
        if (const auto b = misreadBytes(word))
            bytes.append(*b);
    }
    const Candidate* best = nullptr;
    double bestPenalty = 0;
    for (const Candidate& candidate : Candidates) {
        QStringDecoder decoder(candidate.name, QStringConverter::Flag::Stateless);
        if (!decoder.isValid())
            continue;
        Fit fit;
        for (const QByteArray& word : std::as_const(bytes))
            readIn(candidate, decoder, word, fit);
        if (fit.fits(candidate.writing) && (!best || fit.penalty() < bestPenalty)) {
            best = &candidate;
            bestPenalty = fit.penalty();
        }
    }
    return best ? QByteArray(best->name) : QByteArray();
}

QString redecoded(const QString& word, const QByteArray& encoding)
{
    const auto bytes = misreadBytes(word);
    const auto candidate = std::find_if(Candidates.begin(), Candidates.end(),
                                        [&](const Candidate& c) { return encoding == c.name; });
    QStringDecoder decoder(encoding.constData(), QStringConverter::Flag::Stateless);
    if (!bytes || candidate == Candidates.end() || !decoder.isValid())
        return word;
    Fit unused;
    return readIn(*candidate, decoder, *bytes, unused);
}

} // namespace lectorix
