#include "core/text/text_preparation.h"

#include "core/text/reading_range.h"

#include <QRegularExpression>

#include <algorithm>

namespace lectorix {

namespace {

// A line repeated, digits aside, at the edge of this many pages is a running header or footer.
constexpr int RunningLinePages = 3;
// Lines from each edge of a page looked at for running headers and footers, bare numbers aside.
constexpr int EdgeLines = 3;
// A page is prepared once this many pages after it are known (or the text has ended), so that
// the running lines of its chapter have been seen often enough to be told from its text.
constexpr int PagesAhead = 4;
// A line ending a sentence that is this much shorter than the page's usual line ends its
// paragraph.
constexpr double ShortLineShare = 0.8;
constexpr qsizetype DefaultLineLength = 60;
// This many bare numbers one under the other are line numbers in a margin, not text.
constexpr int MarginNumberRun = 3;
// A paragraph this long ends at its next sentence end, so no utterance grows without bound.
constexpr qsizetype LongParagraph = 4000;

bool isHyphen(QChar c)
{
    return c == QLatin1Char('-') || c == QChar(0x2010) || c == QChar(0x00AD);
}

bool isApostrophe(QChar c)
{
    return c == QLatin1Char('\'') || c == QChar(0x2019);
}

bool isWordCharacter(QChar c)
{
    return c.isLetterOrNumber() || c.isMark() || c.isSurrogate();
}

bool endsSentence(const QString& line)
{
    qsizetype i = line.size() - 1;
    while (i >= 0 && closesQuote(line[i]))
        --i;
    return i >= 0 && marksSentenceEnd(line[i]);
}

bool startsLowercase(const QString& line)
{
    for (const QChar c : line) {
        if (c.isLetter())
            return c.isLower();
        if (c.isLetterOrNumber())
            return false;
        // Opening quotes and brackets are looked through.
        if (!c.isPunct() && !c.isSpace())
            return false;
    }
    return false;
}

// A page number: digits, or a roman numeral (not a lone capital letter, which is as likely a
// word or a drop capital), optionally between dashes or in brackets.
bool isBareNumber(const QString& line)
{
    static const QRegularExpression number(
        QStringLiteral("^[-\\x{2013}\\x{2014}(\\[]?\\s*(\\d{1,5}|[ivxlcdm]{1,8}|[IVXLCDM]{2,8})\\s*"
                       "[-\\x{2013}\\x{2014})\\]]?$"));
    return number.match(line).hasMatch();
}

// The line with every run of digits made one '#' and blanks made single, for comparing
// running headers whose page number changes.
QString digitsAside(const QString& line)
{
    QString out;
    out.reserve(line.size());
    bool digits = false;
    bool blank = false;
    for (const QChar c : line) {
        if (c.isDigit()) {
            if (!digits)
                out += QLatin1Char('#');
            digits = true;
            blank = false;
            continue;
        }
        digits = false;
        if (c.isSpace()) {
            blank = true;
            continue;
        }
        if (blank && !out.isEmpty())
            out += QLatin1Char(' ');
        blank = false;
        out += c;
    }
    return out;
}

// The word a line ends with, before its final hyphen, and the word the next line starts with.
QString lastWord(const QString& line)
{
    qsizetype end = line.size() - 1; // the hyphen
    qsizetype start = end;
    while (start > 0 && isWordCharacter(line[start - 1]))
        --start;
    return line.mid(start, end - start);
}

QString firstWord(const QString& line)
{
    qsizetype end = 0;
    while (end < line.size() && isWordCharacter(line[end]))
        ++end;
    return line.left(end);
}

} // namespace

qsizetype SpokenPiece::sourcePosition(qsizetype spokenPosition) const
{
    if (stretches.isEmpty())
        return sourceOffset + spokenPosition;
    auto after = std::upper_bound(
        stretches.cbegin(), stretches.cend(), spokenPosition,
        [](qsizetype position, const Stretch& stretch) { return position < stretch.spokenStart; });
    if (after != stretches.cbegin())
        --after;
    if (after->replacedLength >= 0)
        return after->sourceStart;
    return after->sourceStart + (spokenPosition - after->spokenStart);
}

std::pair<qsizetype, qsizetype> SpokenPiece::sourceRange(qsizetype spokenPosition,
                                                         qsizetype length) const
{
    const qsizetype start = sourcePosition(spokenPosition);
    if (length <= 0)
        return {start, length};
    const qsizetype last = spokenPosition + length - 1;
    auto at = std::upper_bound(
        stretches.cbegin(), stretches.cend(), last,
        [](qsizetype position, const Stretch& stretch) { return position < stretch.spokenStart; });
    if (at != stretches.cbegin())
        --at;
    const qsizetype end = at != stretches.cend() && at->replacedLength >= 0
                              ? at->sourceStart + at->replacedLength
                              : sourcePosition(last) + 1;
    return {start, std::max<qsizetype>(end - start, 0)};
}

QStringList wordsOf(const QString& text)
{
    QStringList words;
    const qsizetype size = text.size();
    qsizetype i = 0;
    while (i < size) {
        while (i < size && !isWordCharacter(text[i]))
            ++i;
        const qsizetype start = i;
        while (i < size) {
            if (isWordCharacter(text[i])) {
                ++i;
            } else if ((isApostrophe(text[i]) || isHyphen(text[i])) && i + 1 < size &&
                       isWordCharacter(text[i + 1])) {
                i += 2;
            } else {
                break;
            }
        }
        if (i > start)
            words.append(text.mid(start, i - start));
    }
    return words;
}

void SpeechPreparation::learnWords(const QString& text)
{
    for (const QString& word : wordsOf(text)) {
        const QString lower = word.toLower();
        ++m_words[lower];
        // The parts of a compound are words of the document too.
        if (lower.contains(QLatin1Char('-')) || lower.contains(QChar(0x2010))) {
            static const QRegularExpression hyphens(QStringLiteral("[-\\x{2010}]"));
            for (const QString& part : lower.split(hyphens, Qt::SkipEmptyParts))
                ++m_words[part];
        }
    }
}

void SpeechPreparation::countEdges(const Page& page)
{
    QSet<QString> seen;
    auto look = [&](auto begin, auto end) {
        int taken = 0;
        for (auto it = begin; it != end && taken < EdgeLines; ++it) {
            if (it->text.isEmpty() || isBareNumber(it->text))
                continue;
            seen.insert(digitsAside(it->text));
            ++taken;
        }
    };
    look(page.lines.cbegin(), page.lines.cend());
    look(page.lines.crbegin(), page.lines.crend());
    for (const QString& line : std::as_const(seen))
        ++m_edgeCounts[line];
}

bool SpeechPreparation::isRunningLine(const QString& line) const
{
    return isBareNumber(line) || m_edgeCounts.value(digitsAside(line)) >= RunningLinePages;
}

void SpeechPreparation::closeLine(qsizetype nextOffset)
{
    // The line without its surrounding blanks, and where it then starts.
    qsizetype first = 0;
    while (first < m_pending.size() && m_pending[first].isSpace())
        ++first;
    qsizetype last = m_pending.size();
    while (last > first && m_pending[last - 1].isSpace())
        --last;
    Line line{m_pendingOffset + first, m_pending.mid(first, last - first)};
    learnWords(line.text);
    m_pages.last().lines.append(line);
    m_pending.clear();
    m_pendingOffset = nextOffset;
}

void SpeechPreparation::add(const QString& text)
{
    if (m_finished)
        return;
    if (m_pages.isEmpty())
        m_pages.append(Page());
    const qsizetype size = text.size();
    qsizetype lineStart = 0;
    for (qsizetype i = 0; i < size; ++i) {
        const QChar c = text[i];
        if (c == QLatin1Char('\n') || c == QLatin1Char('\r')) {
            m_pending += QStringView(text).mid(lineStart, i - lineStart);
            // CR LF ends one line.
            if (c == QLatin1Char('\r') && i + 1 < size && text[i + 1] == QLatin1Char('\n'))
                ++i;
            closeLine(m_end + i + 1);
            lineStart = i + 1;
        } else if (c == QLatin1Char('\f')) {
            m_pending += QStringView(text).mid(lineStart, i - lineStart);
            if (!m_pending.isEmpty())
                closeLine(m_end + i + 1);
            else
                m_pendingOffset = m_end + i + 1;
            m_pages.last().complete = true;
            countEdges(m_pages.last());
            m_pages.append(Page());
            lineStart = i + 1;
        }
    }
    m_pending += QStringView(text).mid(lineStart);
    m_end += size;

    // m_pages ends with the page still being added; the complete ones before it wait for
    // PagesAhead pages after them.
    while (m_pages.size() > PagesAhead + 1) {
        preparePage(m_pages.first());
        m_pages.removeFirst();
    }
}

void SpeechPreparation::finish()
{
    if (m_finished)
        return;
    m_finished = true;
    if (m_pages.isEmpty())
        m_pages.append(Page());
    if (!m_pending.isEmpty())
        closeLine(m_end);
    for (Page& page : m_pages)
        preparePage(page);
    m_pages.clear();
    endParagraph();
}

QList<SpokenPiece> SpeechPreparation::takePieces()
{
    return std::exchange(m_ready, {});
}

void SpeechPreparation::preparePage(Page& page)
{
    QList<Line>& lines = page.lines;
    qsizetype first = 0;
    qsizetype last = lines.size();
    // Only a whole page has edges: a text without page breaks keeps every line.
    if (page.complete) {
        while (first < last && (lines[first].text.isEmpty() || isRunningLine(lines[first].text)))
            ++first;
        while (last > first &&
               (lines[last - 1].text.isEmpty() || isRunningLine(lines[last - 1].text)))
            --last;
    }

    // A run of lines that are bare numbers is a column of line numbers printed in the margin.
    if (page.complete) {
        qsizetype runStart = first;
        for (qsizetype i = first; i <= last; ++i) {
            if (i < last && (lines[i].text.isEmpty() || isBareNumber(lines[i].text)))
                continue;
            int numbers = 0;
            for (qsizetype j = runStart; j < i; ++j)
                numbers += lines[j].text.isEmpty() ? 0 : 1;
            if (numbers >= MarginNumberRun)
                for (qsizetype j = runStart; j < i; ++j)
                    lines[j].text.clear();
            runStart = i + 1;
        }
    }

    QList<qsizetype> lengths;
    for (qsizetype i = first; i < last; ++i)
        if (!lines[i].text.isEmpty())
            lengths.append(lines[i].text.size());
    qsizetype usual = DefaultLineLength;
    if (lengths.size() >= 4) {
        std::nth_element(lengths.begin(), lengths.begin() + lengths.size() / 2, lengths.end());
        usual = lengths.at(lengths.size() / 2);
    }

    for (qsizetype i = first; i < last; ++i) {
        if (lines[i].text.isEmpty())
            m_breakBefore = true;
        else
            addLine(lines[i], usual);
    }
    if (page.complete)
        m_pageBreakBefore = true;
}

bool SpeechPreparation::keepsHyphen(const QString& before, const QString& after) const
{
    const QString joined = (before + after).toLower();
    const QString hyphenated = (before + QLatin1Char('-') + after).toLower();
    return m_words.contains(hyphenated) || !m_words.contains(joined);
}

void SpeechPreparation::addLine(const Line& line, qsizetype usualLength)
{
    const QString& text = line.text;
    if (!m_paragraph.text.isEmpty()) {
        const bool lower = startsLowercase(text);
        const bool ends = endsSentence(m_lastLine);
        bool paragraphEnds;
        if (m_pageBreakBefore && !m_breakBefore)
            paragraphEnds = ends && !lower;
        else if (m_breakBefore)
            paragraphEnds = ends || !lower;
        else
            paragraphEnds = ends && !lower &&
                            (m_lastLine.size() < usualLength * ShortLineShare ||
                             m_paragraph.text.size() >= LongParagraph);
        // A number on a line of its own (in a table of contents, say) goes with its
        // neighbours rather than being said on its own.
        if (isBareNumber(text) || isBareNumber(m_paragraph.text))
            paragraphEnds = false;
        if (paragraphEnds)
            endParagraph();
    }
    m_breakBefore = false;
    m_pageBreakBefore = false;

    SpokenPiece& piece = m_paragraph;
    if (piece.text.isEmpty()) {
        piece.text = text;
        piece.sourceOffset = line.offset;
        piece.stretches = {{0, line.offset}};
    } else {
        const QChar end = m_lastLine.back();
        const bool hyphenated = isHyphen(end) && m_lastLine.size() > 1 &&
                                m_lastLine[m_lastLine.size() - 2].isLetter() &&
                                text.front().isLetter();
        if (hyphenated &&
            (end == QChar(0x00AD) ||
             (text.front().isLower() && !keepsHyphen(lastWord(m_lastLine), firstWord(text))))) {
            piece.text.chop(1);
        } else if (!hyphenated && end != QChar(0x2014) && end != QChar(0x2013)) {
            piece.text += QLatin1Char(' ');
        }
        piece.stretches.append({piece.text.size(), line.offset});
        piece.text += text;
    }
    m_lastLine = text;
    m_lastLineEnd = line.offset + text.size();
    piece.sourceLength = m_lastLineEnd - piece.sourceOffset;
}

void SpeechPreparation::endParagraph()
{
    if (!m_paragraph.text.isEmpty())
        m_ready.append(std::exchange(m_paragraph, {}));
    m_lastLine.clear();
}

QList<SpokenPiece> prepareForSpeech(const QString& text)
{
    SpeechPreparation preparation;
    preparation.add(text);
    preparation.finish();
    return preparation.takePieces();
}

QString utteranceLines(const QList<SpokenPiece>& pieces)
{
    QString text;
    for (const SpokenPiece& piece : pieces) {
        text += piece.text;
        text += QLatin1Char('\n');
    }
    return text;
}

QList<SpokenPiece> linesForSpeech(const QString& text)
{
    QList<SpokenPiece> pieces;
    qsizetype start = 0;
    const qsizetype size = text.size();
    for (qsizetype i = 0; i <= size; ++i) {
        if (i < size && text[i] != QLatin1Char('\n') && text[i] != QLatin1Char('\r'))
            continue;
        if (i > start) {
            const QString line = text.mid(start, i - start);
            pieces.append({line, start, line.size(), {{0, start}}});
        }
        if (i + 1 < size && text[i] == QLatin1Char('\r') && text[i + 1] == QLatin1Char('\n'))
            ++i;
        start = i + 1;
    }
    return pieces;
}

} // namespace lectorix
