#include "core/text/layout/paragraphs.h"

#include "core/text/code_points.h"
#include "core/text/layout/page_reader.h"
#include "core/text/sentences.h"
#include "core/text/spelling.h"
#include "core/text/text_splitting.h"

#include <QRegularExpression>

#include <algorithm>

namespace lectorix {

namespace {

// Utterances stay under this length; a longer sentence is cut at a clause, or at a blank.
constexpr qsizetype LongestPiece = 500;
// A cut leaves at least this much before it.
constexpr qsizetype ShortestCut = 120;

bool isDash(QChar c)
{
    return c == QChar(0x2013) || c == QChar(0x2014);
}

QChar firstLetter(const QString& text)
{
    for (const QChar c : text)
        if (c.isLetterOrNumber())
            return c;
    return QChar();
}

// The piece of a paragraph's text from start to end, with its way back to the source.
SpokenPiece partOf(const SpokenPiece& whole, qsizetype start, qsizetype end)
{
    SpokenPiece piece;
    piece.text = whole.text.mid(start, end - start);
    piece.stretches.append({0, whole.sourcePosition(start)});
    for (const SpokenPiece::Stretch& stretch : whole.stretches)
        if (stretch.spokenStart > start && stretch.spokenStart < end)
            piece.stretches.append({stretch.spokenStart - start, stretch.sourceStart});
    // Words set out of their order in the source (a drop capital, a line the converter cut
    // apart) make the piece's source reach from its first to its last character there.
    qsizetype first = piece.stretches.first().sourceStart;
    qsizetype last = whole.sourcePosition(end - 1) + 1;
    for (qsizetype i = 0; i < piece.stretches.size(); ++i) {
        const qsizetype next =
            i + 1 < piece.stretches.size() ? piece.stretches.at(i + 1).spokenStart : end - start;
        const SpokenPiece::Stretch& stretch = piece.stretches.at(i);
        first = std::min(first, stretch.sourceStart);
        last = std::max(last, stretch.sourceStart + next - stretch.spokenStart);
    }
    piece.sourceOffset = first;
    piece.sourceLength = last - first;
    piece.endsParagraph = false;
    return piece;
}

// Where a sentence running from start to end is cut so no part is longer than LongestPiece.
QList<qsizetype> cutsOf(const QString& text, qsizetype start, qsizetype end)
{
    QList<qsizetype> cuts;
    while (end - start > LongestPiece) {
        qsizetype cut = -1;
        qsizetype blank = -1;
        for (qsizetype i = start + LongestPiece; i > start + ShortestCut && cut < 0; --i) {
            if (text[i] != QLatin1Char(' '))
                continue;
            if (blank < 0)
                blank = i;
            const QChar before = text[i - 1];
            if (before == QLatin1Char(',') || before == QLatin1Char(';') ||
                before == QLatin1Char(':') || isDash(before) || isDash(text[i + 1]))
                cut = i;
        }
        if (cut < 0)
            cut = blank >= 0 ? blank : start + LongestPiece;
        cuts.append(cut);
        start = cut;
    }
    return cuts;
}

} // namespace

// The open paragraph ends with a letter and a hyphen: a word cut at the line's end.
bool ParagraphBuilder::endsCutWord() const
{
    const QString& text = m_open.piece.text;
    return m_open.kind == LineKind::Text && text.size() > 1 && isHyphen(text.back()) &&
           text[text.size() - 2].isLetter();
}

bool ParagraphBuilder::runsOn(const ReadLine& line) const
{
    // A word is not cut across paragraphs: a gap or an indent after its first half is the
    // page's, not the text's.
    if (line.kind == LineKind::Text && endsCutWord() && line.words.first().text.front().isLower())
        return true;
    if (line.kind != m_open.kind || line.startsParagraph || line.kind == LineKind::TableRow ||
        line.kind == LineKind::ContentsEntry)
        return false;
    // A caption runs on inside its block only.
    if (line.kind != LineKind::Text || !line.startsBlock)
        return !line.startsBlock;
    const QString& text = m_open.piece.text;
    if (endsSentence(text))
        return false;
    const QChar first = firstLetter(line.words.first().text);
    return isHyphen(text.back()) || first.isLower() || !m_lastShort;
}

bool ParagraphBuilder::interruptsSentence() const
{
    return isOpen() && m_open.kind == LineKind::Text && !endsSentence(m_open.piece.text);
}

bool ParagraphBuilder::joinsHyphenated(const SpokenWord& next) const
{
    const QString& text = m_open.piece.text;
    if (text.size() < 2 || !isHyphen(text.back()) || !text[text.size() - 2].isLetter() ||
        next.text.isEmpty() || !next.text.front().isLetter())
        return false;
    if (text.back() == QChar(0x00AD))
        return true;
    if (!next.text.front().isLower())
        return false;
    const QStringList before = wordsOf(text.right(64));
    const QStringList after = wordsOf(next.text);
    if (before.isEmpty() || after.isEmpty())
        return false;
    QString written = before.last();
    while (!written.isEmpty() && isHyphen(written.back()))
        written.chop(1);
    // The language's words first, with the word's own capitals ("Lon-don"). A hyphenated form
    // the dictionary takes proves little (any two words are taken so: "Net-ley"), and one it
    // does not take is no compound.
    const Spelling whole = spellingOf(written + after.first(), m_language);
    if (whole == Spelling::Word)
        return true;
    if (whole == Spelling::NotWord &&
        spellingOf(written + QLatin1Char('-') + after.first(), m_language) == Spelling::NotWord)
        return true;
    const QString start = written.toLower();
    const QString end = after.first().toLower();
    if (m_survey.knowsWord(start + QLatin1Char('-') + end))
        return false;
    // A compound of two words the document writes is kept; a word cut in two is not.
    return m_survey.knowsWord(start + end) || !m_survey.knowsWord(start) ||
           !m_survey.knowsWord(end);
}

bool ParagraphBuilder::continuesAddress(const SpokenWord& next) const
{
    static const QRegularExpression Start(
        QStringLiteral("^[(\\[<\"'“‘]?(?:(?:https?|ftp)://|www\\.)"),
        QRegularExpression::CaseInsensitiveOption);
    const QString& text = m_open.piece.text;
    const QString last = text.mid(text.lastIndexOf(QLatin1Char(' ')) + 1);
    const QRegularExpressionMatch start = Start.match(last);
    if (!start.hasMatch() || next.text.isEmpty())
        return false;
    const QChar first = next.text.front();
    if (!first.isLetterOrNumber() && !QStringLiteral("/?=&#_~%-").contains(first))
        return false;
    // After a mark an address goes on after, its path goes on, unless a line in capitals
    // starts something new ("K. He, X. Zhang, ..." after a whole address).
    const QString going = next.text.chopped(next.text.back() == QLatin1Char('.') ? 1 : 0);
    if (QStringLiteral("/?=&#_~%").contains(last.back()) || first == QLatin1Char('/'))
        return !first.isUpper() || going.contains(QLatin1Char('/')) ||
               going.contains(QLatin1Char('.'));
    if (last.back() != QLatin1Char('.') || !next.text.front().isLower())
        return false;
    // A dot after a whole host name ("www.example.org.") ends the sentence; after a part of one
    // ("www.regulations.") the host goes on.
    const QString host =
        last.mid(start.capturedLength()).chopped(1).section(QLatin1Char('/'), 0, 0);
    return !host.contains(QLatin1Char('.'));
}

void ParagraphBuilder::append(const SpokenWord& word, bool blank)
{
    SpokenPiece& piece = m_open.piece;
    if (piece.text.isEmpty()) {
        piece.sourceOffset = word.offset;
    } else if (blank) {
        piece.text += QLatin1Char(' ');
    }
    const qsizetype at = piece.text.size();
    if (piece.stretches.isEmpty() || piece.sourcePosition(at) != word.offset)
        piece.stretches.append({at, word.offset});
    piece.text += word.text;
    piece.sourceLength = word.offset + word.sourceLength - piece.sourceOffset;
    m_glued = word.glued;
}

void ParagraphBuilder::add(const ReadLine& line)
{
    if (line.words.isEmpty())
        return;
    if (isOpen() && !runsOn(line))
        end();
    m_open.kind = line.kind;
    m_open.citedNotes += line.citedNotes;
    for (qsizetype i = 0; i < line.words.size(); ++i) {
        const SpokenWord& word = line.words.at(i);
        bool blank = !m_glued;
        if (i == 0 && isOpen()) {
            const QString& text = m_open.piece.text;
            if (joinsHyphenated(word)) {
                m_open.piece.text.chop(1);
                blank = false;
            } else if ((isHyphen(text.back()) && text.size() > 1 &&
                        text[text.size() - 2].isLetter() && word.text.front().isLetter()) ||
                       isDash(text.back()) || continuesAddress(word)) {
                // a compound broken at its hyphen, a dash that ends the line, an address
                blank = false;
            }
        }
        append(word, blank);
    }
    m_lastShort = line.isShort;
}

void ParagraphBuilder::end()
{
    if (isOpen())
        m_done.append(std::exchange(m_open, {}));
    m_glued = false;
}

QList<SpokenPiece> sentencePieces(const Paragraph& paragraph, const QString& language)
{
    const SpokenPiece& whole = paragraph.piece;
    const QString& text = whole.text;
    QList<qsizetype> ends;
    if (paragraph.kind == LineKind::Text || paragraph.kind == LineKind::Caption)
        ends = sentenceEnds(text, language);
    if (ends.isEmpty() || ends.last() < text.size())
        ends.append(text.size());
    QList<SpokenPiece> pieces;
    qsizetype start = 0;
    for (const qsizetype sentenceEnd : std::as_const(ends)) {
        QList<qsizetype> bounds = cutsOf(text, start, sentenceEnd);
        bounds.append(sentenceEnd);
        for (const qsizetype bound : std::as_const(bounds)) {
            qsizetype first = start;
            qsizetype last = bound;
            while (first < last && text[first].isSpace())
                ++first;
            while (last > first && text[last - 1].isSpace())
                --last;
            if (last > first)
                pieces.append(partOf(whole, first, last));
            start = bound;
        }
    }
    if (!pieces.isEmpty())
        pieces.last().endsParagraph = true;
    for (SpokenPiece& piece : pieces)
        piece.heading = paragraph.kind == LineKind::Heading;
    return pieces;
}

} // namespace lectorix
