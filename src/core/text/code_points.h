#pragma once

// What each code point is to the reading: the one place that names the Unicode ranges and the
// single characters the voice's text and the language test look at.

#include <QChar>
#include <QList>
#include <QString>
#include <QStringView>

namespace lectorix {

constexpr bool inRange(char32_t c, char32_t first, char32_t last)
{
    return c >= first && c <= last;
}

// A code point of a text, with where its UTF-16 units start; a lone surrogate is one code
// point of its own.
struct CodePoint
{
    char32_t c = 0;
    qsizetype at = 0;
    qsizetype units = 1;
};

// Code points read one at a time, without a list made of them.
class CodePoints
{
public:
    explicit CodePoints(QStringView text) : m_text(text) {}

    bool atEnd() const { return m_pos >= m_text.size(); }
    qsizetype position() const { return m_pos; }

    char32_t next()
    {
        const QChar c = m_text[m_pos++];
        if (c.isHighSurrogate() && m_pos < m_text.size() && m_text[m_pos].isLowSurrogate())
            return QChar::surrogateToUcs4(c, m_text[m_pos++]);
        return c.unicode();
    }

private:
    QStringView m_text;
    qsizetype m_pos = 0;
};

QList<CodePoint> codePoints(QStringView text);

// The signs among the other symbols that are words: ©, ® and °.
bool isWordSign(char32_t c);
// The letter-like symbols block (™, №, ℃, ℌ).
bool isLetterLikeSymbol(char32_t c);
// Arrows of every block: they decorate, they say nothing.
bool isArrow(char32_t c);
// Invisible characters that join the halves of a word: the soft hyphen, and the zero-width
// joiner and non-joiner of Persian and Indic words.
bool isWordJoiner(char32_t c);
// Characters that neither sound nor show: the word joiners, zero-width spaces, direction marks
// and embeddings, invisible operators.
bool isZeroWidth(char32_t c);

// A hyphen as a line end sets it: the hyphen-minus, the hyphen, the soft hyphen.
bool isHyphen(QChar c);
bool isApostrophe(QChar c);
// A letter, digit or mark, or half of a surrogate pair.
bool isWordCharacter(QChar c);
// A text's letters and digits in small letters, without spaces or signs: two titles set
// differently compare equal by them.
QString lettersOf(QStringView text);

} // namespace lectorix
