#include "core/text/text_language.h"

#include "core/files/misread_encoding.h"
#include "core/text/code_points.h"

#include <QStringView>

namespace lectorix {

namespace {

// Code points no font with a Unicode map gives: private use (planes 15 and 16 too), controls
// other than the line and tab ones, unassigned ones, lone surrogates, the replacement
// character.
bool isUnmappedGlyph(char32_t c)
{
    switch (QChar::category(c)) {
    case QChar::Other_PrivateUse:
    case QChar::Other_NotAssigned:
    case QChar::Other_Surrogate:
        return true;
    case QChar::Other_Control:
        return !(c == U'\t' || c == U'\n' || c == U'\v' || c == U'\f' || c == U'\r');
    default:
        return c == 0xFFFD || c == 0xFFFC;
    }
}

// Letters of Latin Extended-B, IPA and the spacing modifiers that no common language writes,
// which a font's own encoding produces when read as Latin. Kept as language: Vietnamese ơ ư,
// the digraphs DŽ LJ NJ, Pinyin's vowels with caron, Romanian ș ț, Azerbaijani ə, the
// African ɓ ɗ ƙ ɛ ɔ, and the apostrophe-like ʻ ʼ.
bool isRareLatinLetter(char32_t c)
{
    if (!inRange(c, 0x0180, 0x02FF))
        return false;
    if (inRange(c, 0x01A0, 0x01A1) || inRange(c, 0x01AF, 0x01B0) || inRange(c, 0x01C4, 0x01DC) ||
        inRange(c, 0x0218, 0x021B) || inRange(c, 0x02B9, 0x02BC))
        return false;
    switch (c) {
    case 0x018F: // Ə
    case 0x0259: // ə
    case 0x0181: // Ɓ
    case 0x0253: // ɓ
    case 0x018A: // Ɗ
    case 0x0257: // ɗ
    case 0x0198: // Ƙ
    case 0x0199: // ƙ
    case 0x0190: // Ɛ
    case 0x025B: // ɛ
    case 0x0186: // Ɔ
    case 0x0254: // ɔ
        return false;
    default:
        return QChar::isLetter(c) || QChar::category(c) == QChar::Symbol_Modifier;
    }
}

// Letters with an accent or a stroke from Latin-1 and Latin Extended-A.
bool isAccentedLatin(char32_t c)
{
    return inRange(c, 0x00C0, 0x017F) && QChar::isLetter(c);
}

// Scripts that are one writing system: Japanese mixes kanji and kana in a word, Korean hangul
// and hanja.
QChar::Script scriptFamily(char32_t c)
{
    const QChar::Script script = QChar::script(c);
    switch (script) {
    case QChar::Script_Hiragana:
    case QChar::Script_Katakana:
    case QChar::Script_Bopomofo:
    case QChar::Script_Hangul:
        return QChar::Script_Han;
    default:
        return script;
    }
}

// Scripts written without spaces between words, so that a Latin name or acronym stands
// inside a run of their letters ("我用iPhone拍照").
bool isWrittenWithoutSpaces(QChar::Script family)
{
    switch (family) {
    case QChar::Script_Han:
    case QChar::Script_Thai:
    case QChar::Script_Lao:
    case QChar::Script_Khmer:
    case QChar::Script_Myanmar:
    case QChar::Script_Tibetan:
        return true;
    default:
        return false;
    }
}

// Spacing accents (¨ ¯ ¸ ˆ ˜) and the signs of Latin-1 (¦): what a symbol font's glyphs
// become when read as Latin-1, so a string of them is no language. Not counted: the signs
// common in text (© ® °), and the acute and grave accents that stand in for an apostrophe
// ("don´t"). Pictures, dingbats and box drawing are mapped characters, decoration rather
// than noise, and count for nothing.
bool isStraySymbol(char32_t c)
{
    if (isWordSign(c))
        return false;
    switch (c) {
    case 0x00B4:
    case U'`':
        return false;
    default:
        break;
    }
    const QChar::Category category = QChar::category(c);
    return category == QChar::Symbol_Modifier || (category == QChar::Symbol_Other && c < 0x0100);
}

struct Tally
{
    qsizetype letters = 0; // letters and counted symbols
    qsizetype noise = 0;   // those of them that are noise
};

// The scripts of a run of letters: two unrelated ones in a run of a few letters are glyphs
// read as the wrong characters ("qуick" with a Cyrillic у). Shorter runs are left alone:
// mathematics writes a Greek letter with Latin indices ("ϕij", "λi").
class ScriptRun
{
public:
    void letter(char32_t c)
    {
        ++m_letters;
        const QChar::Script family = scriptFamily(c);
        if (family <= QChar::Script_Common)
            return;
        if (m_script > QChar::Script_Common && family != m_script &&
            !isWrittenWithoutSpaces(family) && !isWrittenWithoutSpaces(m_script))
            m_mixed = true;
        m_script = family;
    }

    // Ends the run; whether it mixed scripts.
    bool end()
    {
        const bool mixed = m_mixed && m_letters >= 4;
        *this = ScriptRun();
        return mixed;
    }

private:
    qsizetype m_letters = 0;
    QChar::Script m_script = QChar::Script_Unknown;
    bool m_mixed = false;
};

// One word (a run without spaces) added to the tally: its unmapped glyphs, rare letters and
// stray symbols are noise; a word that mixes scripts, hides a glyph between its letters,
// strings accented letters together ("ÆÇÈÉ") or is bytes of another encoding read as Latin-1
// ("ÔÅÄÅÐÀËÜÍÎÅ", isMisreadWord) is noise as a whole.
void tallyWord(QStringView word, Tally& tally)
{
    if (isMisreadWord(word)) {
        tally.letters += word.size();
        tally.noise += word.size();
        return;
    }
    qsizetype letters = 0;
    qsizetype noise = 0;
    qsizetype glyphsInside = 0;
    qsizetype pendingGlyphs = 0;
    qsizetype accentedRuns = 0;
    char32_t previousAccented = 0;
    bool mixedScripts = false;
    ScriptRun run;
    CodePoints points(word);
    while (!points.atEnd()) {
        const char32_t c = points.next();
        if (QChar::isMark(c))
            continue;
        if (!QChar::isLetter(c) || isRareLatinLetter(c)) {
            mixedScripts = run.end() || mixedScripts;
            previousAccented = 0;
            if (isUnmappedGlyph(c) || isRareLatinLetter(c) || isStraySymbol(c))
                ++noise;
            if (isStraySymbol(c) && letters > 0) // "Ç¨È", "a¦b": a glyph read wrongly
                ++pendingGlyphs;
            continue;
        }
        ++letters;
        glyphsInside += pendingGlyphs;
        pendingGlyphs = 0;
        run.letter(c);
        // A font's own encoding read as Latin-1 gives its glyphs in the order of the code
        // points: "ÆÇÈÉ". No language strings accented letters that way.
        const char32_t accented = isAccentedLatin(c) ? c : 0;
        if (accented && previousAccented &&
            (accented == previousAccented + 1 || accented + 1 == previousAccented))
            ++accentedRuns;
        previousAccented = accented;
    }
    mixedScripts = run.end() || mixedScripts;
    const bool strungAccents = accentedRuns >= 2;
    tally.letters += letters + noise;
    tally.noise += noise;
    if (mixedScripts || glyphsInside > 0 || strungAccents)
        tally.noise += letters;
}

// Compatibility forms the voice reads badly as they stand and well as their plain letters:
// ℌ, 𝐀, Ⅻ and the "th" of "5ᵗʰ" are spelled out as "letter 2 1 0 c", a ligature is not read
// as its letters; full-width, half-width, small and vertical forms, Arabic and Hebrew
// presentation forms, circled numbers, square units ("㎞") and the long s likewise.
//
// Left alone because their plain form reads worse or means something else: superscript and
// subscript digits (NFKC makes "10²" the number 102, while "m²" and "H₂O" are read well as they
// stand), vulgar fractions ("½" is read "a half", its NFKC "1⁄2" is not), № and ™ (read
// "number" and "trade mark"; their NFKC "No" and "TM" are read as letters), ª and º of
// ordinals ("1º" is read "primero").
bool needsPlainForm(char32_t c)
{
    if (c == 0x2116 || c == 0x2122 || c == 0x2120)
        return false;
    const bool modifierLetter = inRange(c, 0x02B0, 0x02B8) || inRange(c, 0x02E0, 0x02E4) ||
                                inRange(c, 0x1D2C, 0x1D6A) || inRange(c, 0x1D9B, 0x1DBF) ||
                                c == 0x2071 || c == 0x207F || inRange(c, 0x2090, 0x209C);
    return modifierLetter || c == 0x017F || inRange(c, 0x0132, 0x0133) ||
           inRange(c, 0x013F, 0x0140) || inRange(c, 0x01C4, 0x01CC) || inRange(c, 0x01F1, 0x01F3) ||
           isLetterLikeSymbol(c) || inRange(c, 0x2160, 0x2188) || inRange(c, 0x2460, 0x24FF) ||
           inRange(c, 0x3200, 0x33FF) || inRange(c, 0xFB00, 0xFDFF) || inRange(c, 0xFE10, 0xFE1F) ||
           inRange(c, 0xFE30, 0xFE6F) || inRange(c, 0xFE70, 0xFEFE) || inRange(c, 0xFF00, 0xFFEF) ||
           inRange(c, 0x1D400, 0x1D7FF) || inRange(c, 0x1F100, 0x1F1FF);
}

} // namespace

bool isLanguage(const QString& text)
{
    Tally tally;
    const QStringView view(text);
    qsizetype start = 0;
    for (qsizetype i = 0; i <= view.size(); ++i) {
        if (i < view.size() && !view[i].isSpace())
            continue;
        if (i > start)
            tallyWord(view.sliced(start, i - start), tally);
        start = i + 1;
    }
    // A few words may be a name or a stray glyph: only a majority of noise condemns them.
    // Longer text is noise as soon as a fifth of it is.
    constexpr qsizetype ShortText = 24;
    if (tally.letters < ShortText)
        return tally.noise * 2 <= tally.letters;
    return tally.noise * 5 < tally.letters;
}

QString plainForSpeech(const QString& word)
{
    QString plain;
    plain.reserve(word.size());
    CodePoints points(word);
    qsizetype runStart = -1;
    const auto flushRun = [&](qsizetype end) {
        if (runStart >= 0)
            plain += QStringView(word)
                         .sliced(runStart, end - runStart)
                         .toString()
                         .normalized(QString::NormalizationForm_KC);
        runStart = -1;
    };
    while (!points.atEnd()) {
        const qsizetype at = points.position();
        const char32_t c = points.next();
        if (needsPlainForm(c)) {
            if (runStart < 0)
                runStart = at;
            continue;
        }
        flushRun(at);
        if (isZeroWidth(c))
            continue;
        plain += QStringView(word).sliced(at, points.position() - at);
    }
    flushRun(word.size());
    return plain;
}

} // namespace lectorix
