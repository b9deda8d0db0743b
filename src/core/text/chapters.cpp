#include "core/text/chapters.h"

#include "core/text/code_points.h"

#include <QHash>
#include <QMap>
#include <QRegularExpression>
#include <QSet>

#include <algorithm>
#include <cmath>

namespace lectorix {

namespace {

// A stretch of the document's text that is read, and whether as a heading.
struct ReadStretch
{
    qsizetype start = 0;
    qsizetype end = 0;
    bool heading = false;
    qsizetype piece = 0; // the index of the piece reading it
};

// What of the text the pieces read, sorted by where it starts.
QList<ReadStretch> readStretches(const QList<SpokenPiece>& pieces)
{
    QList<ReadStretch> read;
    for (qsizetype p = 0; p < pieces.size(); ++p) {
        const SpokenPiece& piece = pieces.at(p);
        if (piece.stretches.isEmpty()) {
            read.append(
                {piece.sourceOffset, piece.sourceOffset + piece.sourceLength, piece.heading, p});
            continue;
        }
        for (qsizetype i = 0; i < piece.stretches.size(); ++i) {
            const SpokenPiece::Stretch& stretch = piece.stretches.at(i);
            const qsizetype spokenEnd = i + 1 < piece.stretches.size()
                                            ? piece.stretches.at(i + 1).spokenStart
                                            : piece.text.size();
            read.append({stretch.sourceStart,
                         stretch.sourceStart + (spokenEnd - stretch.spokenStart), piece.heading,
                         p});
        }
    }
    std::sort(read.begin(), read.end(),
              [](const ReadStretch& a, const ReadStretch& b) { return a.start < b.start; });
    return read;
}

// The stretch that reads the text at offset, or nullptr.
const ReadStretch* readAt(const QList<ReadStretch>& read, qsizetype offset)
{
    auto after = std::upper_bound(
        read.cbegin(), read.cend(), offset,
        [](qsizetype position, const ReadStretch& stretch) { return position < stretch.start; });
    // Stretches may overlap (a footnote read inside a paragraph's range): look back a little.
    for (int back = 0; back < 4 && after != read.cbegin(); ++back) {
        --after;
        if (offset < after->end)
            return &*after;
    }
    return nullptr;
}

// A page's text as titles are looked for in it: its letters and digits in lower case, each
// with the offset of the word it stands in, and where words start and end. Small capitals
// that the converter split ("M ACHINE") run together again.
struct PageLetters
{
    QString letters;
    QList<qsizetype> offsets;
    QList<bool> wordStart;
    QList<bool> wordEnd;
};

PageLetters pageLetters(const LayoutPage& page)
{
    PageLetters text;
    for (const LayoutBlock& block : page.blocks)
        for (const LayoutLine& line : block.lines)
            for (const LayoutWord& word : line.words) {
                const QString letters = lettersOf(word.text);
                for (qsizetype i = 0; i < letters.size(); ++i) {
                    text.letters += letters[i];
                    text.offsets.append(word.offset);
                    text.wordStart.append(i == 0);
                    text.wordEnd.append(i + 1 == letters.size());
                }
            }
    return text;
}

// The title without the numbering it begins with ("3:", "II", "III-A", "2.1"), which the page
// may spell out or set apart; empty when it has none.
QString withoutNumbering(const QString& title)
{
    static const QRegularExpression numbering(
        QStringLiteral("^\\s*((\\d+|[IVXLCDMivxlcdm]+|[A-Za-z])([-.:]\\s*|\\s+))+(?=\\W*\\w)"));
    const QRegularExpressionMatch match = numbering.match(title);
    return match.hasMatch() ? title.mid(match.capturedEnd()) : QString();
}

// The place a chapter must start after, in reading order (which may differ from the text's
// where columns or captions are reordered): the index of the piece reading it and its offset;
// nothing when index is -1.
struct ReadAfter
{
    const QList<ReadStretch>* read = nullptr;
    qsizetype offset = -1;
    qsizetype index = -1;

    bool admits(qsizetype place) const
    {
        if (index < 0)
            return true;
        const ReadStretch* stretch = readAt(*read, place);
        const qsizetype at = stretch ? stretch->piece : -1;
        return at > index || (at == index && place > offset);
    }
};

// How well a place on the page fits a chapter's start: the higher, the better.
enum class Fit { None, InText, StartsPiece, InHeading };

// Where the letters of wanted stand on the page from a word's start to a word's end and are
// read, at the best fit no worse than least; -1 when they are not read there. Only places read
// after after count.
qsizetype bestPlace(const QString& wanted, const PageLetters& page, const QList<ReadStretch>& read,
                    const QSet<qsizetype>& pieceStarts, const ReadAfter& after,
                    Fit least = Fit::InText)
{
    const QString letters = lettersOf(wanted);
    qsizetype best = -1;
    Fit bestFit = Fit::None;
    for (qsizetype at = letters.isEmpty() ? -1 : page.letters.indexOf(letters); at >= 0;
         at = page.letters.indexOf(letters, at + 1)) {
        if (!page.wordStart.at(at) || !page.wordEnd.at(at + letters.size() - 1))
            continue;
        const qsizetype offset = page.offsets.at(at);
        const ReadStretch* stretch = readAt(read, offset);
        if (!stretch || !after.admits(offset))
            continue;
        const Fit fit = stretch->heading               ? Fit::InHeading
                        : pieceStarts.contains(offset) ? Fit::StartsPiece
                                                       : Fit::InText;
        if (fit >= least && fit > bestFit) {
            best = offset;
            bestFit = fit;
        }
    }
    return best;
}

// Where the title stands on the page and is read, best in a heading, then starting a
// paragraph, then anywhere; without its numbering when the whole title is not found. A heading
// that gives the title's first words only (cut short, or its end set on a line read apart) is
// taken next: its first two words or more, the longest found.
qsizetype titleOffset(const QString& title, const PageLetters& page, const QList<ReadStretch>& read,
                      const QSet<qsizetype>& pieceStarts, const ReadAfter& after,
                      Fit least = Fit::InText)
{
    qsizetype found = bestPlace(title, page, read, pieceStarts, after, least);
    const QString rest = withoutNumbering(title);
    if (found < 0 && !rest.isEmpty())
        found = bestPlace(rest, page, read, pieceStarts, after, least);
    for (const QString& whole : {title, rest}) {
        QStringList words = whole.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        while (found < 0 && words.size() > 2) {
            words.removeLast();
            found = bestPlace(words.join(QLatin1Char(' ')), page, read, pieceStarts, after,
                              Fit::InHeading);
        }
    }
    return found;
}

// The first word read on the page numbered number or, when none is, on a later page.
qsizetype firstReadWord(const QList<LayoutPage>& pages, int number, const QList<ReadStretch>& read)
{
    for (const LayoutPage& page : pages) {
        if (page.number < number)
            continue;
        for (const LayoutBlock& block : page.blocks)
            for (const LayoutLine& line : block.lines)
                for (const LayoutWord& word : line.words)
                    if (readAt(read, word.offset))
                        return word.offset;
    }
    return -1;
}

// The start of the first heading read on the page after after, else of the first piece read
// there after it; -1 when the page has neither.
qsizetype nextStartOnPage(const LayoutPage& page, const ReadAfter& after,
                          const QList<SpokenPiece>& pieces)
{
    QSet<qsizetype> words;
    for (const LayoutBlock& block : page.blocks)
        for (const LayoutLine& line : block.lines)
            for (const LayoutWord& word : line.words)
                words.insert(word.offset);
    for (const bool heading : {true, false})
        for (qsizetype i = after.index + 1; i < pieces.size(); ++i)
            if ((pieces.at(i).heading || !heading) && words.contains(pieces.at(i).sourceOffset))
                return pieces.at(i).sourceOffset;
    return -1;
}

// Where each page's text starts, by page number.
QMap<qsizetype, int> pageStarts(const QList<LayoutPage>& pages)
{
    QMap<qsizetype, int> starts;
    for (const LayoutPage& page : pages)
        for (const LayoutBlock& block : page.blocks)
            if (!block.lines.isEmpty() && !block.lines.front().words.isEmpty()) {
                starts.insert(block.lines.front().words.front().offset, page.number);
                break;
            }
    return starts;
}

int pageAt(const QMap<qsizetype, int>& starts, qsizetype offset)
{
    auto after = starts.upperBound(offset);
    return after == starts.cbegin() ? 0 : std::prev(after).value();
}

// The type size of each word by its offset: its box's height, to half a point.
QHash<qsizetype, double> wordSizes(const QList<LayoutPage>& pages)
{
    QHash<qsizetype, double> sizes;
    for (const LayoutPage& page : pages)
        for (const LayoutBlock& block : page.blocks)
            for (const LayoutLine& line : block.lines)
                for (const LayoutWord& word : line.words)
                    sizes.insert(word.offset, std::round(word.box.height() * 2) / 2);
    return sizes;
}

// A contents page's heading, in the languages whose contents pages this reads.
bool namesContents(const QString& title)
{
    static const QRegularExpression contents(
        QStringLiteral(
            "^(table of )?contents$|^inhalt(sverzeichnis)?$|^table des mati\\x{00E8}res$|"
            "^sommaire$|^(\\x{00ED}ndice|indice)$"),
        QRegularExpression::CaseInsensitiveOption);
    return contents.match(title.simplified()).hasMatch();
}

QString joinedTitle(const QString& first, const QString& second)
{
    const bool ended = !first.isEmpty() && QStringLiteral(".:;!?").contains(first.back());
    return first + (ended ? QStringLiteral(" ") : QStringLiteral(": ")) + second;
}

} // namespace

QList<Chapter> outlineChapters(const QList<OutlineEntry>& outline, const QList<LayoutPage>& pages,
                               const QList<SpokenPiece>& pieces)
{
    const QList<ReadStretch> read = readStretches(pieces);
    QSet<qsizetype> pieceStarts;
    for (const SpokenPiece& piece : pieces)
        pieceStarts.insert(piece.sourceOffset);
    QList<Chapter> chapters;
    for (const OutlineEntry& entry : outline) {
        Chapter chapter{entry.title, entry.level, entry.page, -1};
        const auto page = std::find_if(pages.cbegin(), pages.cend(), [&](const LayoutPage& each) {
            return each.number == entry.page;
        });
        // An entry after another on its page starts after it: where its title is read there
        // (or else in a heading before it), else at the next heading or sentence after it.
        ReadAfter after{&read};
        if (!chapters.isEmpty() && chapters.last().page == entry.page &&
            chapters.last().offset >= 0) {
            const ReadStretch* stretch = readAt(read, chapters.last().offset);
            after.offset = chapters.last().offset;
            after.index = stretch ? stretch->piece : -1;
        }
        if (page != pages.cend()) {
            const PageLetters letters = pageLetters(*page);
            // In a heading after the entry before, else in a heading before it (the page read
            // in another order than the outline's); then starting a paragraph; then in the text
            // after it.
            for (const Fit least : {Fit::InHeading, Fit::StartsPiece, Fit::InText}) {
                if (chapter.offset < 0)
                    chapter.offset =
                        titleOffset(entry.title, letters, read, pieceStarts, after, least);
                if (chapter.offset < 0 && after.index >= 0 && least != Fit::InText)
                    chapter.offset = titleOffset(entry.title, letters, read, pieceStarts,
                                                 ReadAfter{&read}, least);
            }
            if (chapter.offset < 0 && after.index >= 0)
                chapter.offset = nextStartOnPage(*page, after, pieces);
            if (chapter.offset < 0)
                chapter.offset = firstReadWord(pages, entry.page, read);
        }
        chapters.append(chapter);
    }
    return chapters;
}

QList<Chapter> headingChapters(const QList<SpokenPiece>& pieces, const QList<LayoutPage>& pages)
{
    // The sizes headings are set in, largest first: their ranks are the levels.
    const QHash<qsizetype, double> wordSize = wordSizes(pages);
    const QMap<qsizetype, int> starts = pageStarts(pages);
    // The pages before the first that reads anything but headings, holding headings of more
    // than one line, are a title page (the title, the author): their headings name the book,
    // not its chapters.
    int titlePages = 0;
    const auto text = std::find_if(pieces.cbegin(), pieces.cend(),
                                   [](const SpokenPiece& piece) { return !piece.heading; });
    if (text != pieces.cend() && !pages.isEmpty() && text - pieces.cbegin() > 1)
        titlePages = pageAt(starts, text->sourceOffset);
    QList<double> sizes;
    QList<qsizetype> headings;
    for (qsizetype i = 0; i < pieces.size(); ++i) {
        if (!pieces.at(i).heading || pageAt(starts, pieces.at(i).sourceOffset) < titlePages)
            continue;
        headings.append(i);
        sizes.append(wordSize.value(pieces.at(i).sourceOffset));
    }
    QList<double> ranks = sizes;
    std::sort(ranks.begin(), ranks.end(), std::greater<>());
    ranks.erase(std::unique(ranks.begin(), ranks.end()), ranks.end());

    QList<Chapter> chapters;
    qsizetype lastHeading = -2;
    for (qsizetype k = 0; k < headings.size(); ++k) {
        const SpokenPiece& piece = pieces.at(headings.at(k));
        const int level = int(ranks.indexOf(sizes.at(k)));
        const QString title = piece.text.simplified();
        const int page = pageAt(starts, piece.sourceOffset);
        if (title.isEmpty())
            continue;
        // Headings in a row on one page make one title; a contents page's heading stays its
        // own, and a heading on the next page starts the next chapter.
        if (headings.at(k) == lastHeading + 1 && chapters.last().level == level &&
            chapters.last().page == page && !namesContents(chapters.last().title)) {
            chapters.last().title = joinedTitle(chapters.last().title, title);
        } else {
            chapters.append({title, level, page, piece.sourceOffset});
        }
        lastHeading = headings.at(k);
    }
    return chapters;
}

QList<Chapter> documentChapters(const QList<OutlineEntry>& outline, const QList<LayoutPage>& pages,
                                const QList<SpokenPiece>& pieces)
{
    const bool leadsIn = std::any_of(outline.cbegin(), outline.cend(),
                                     [](const OutlineEntry& entry) { return entry.page > 0; });
    return leadsIn ? outlineChapters(outline, pages, pieces) : headingChapters(pieces, pages);
}

qsizetype chapterAt(const QList<Chapter>& chapters, qsizetype offset)
{
    qsizetype holder = -1;
    for (qsizetype i = 0; i < chapters.size(); ++i) {
        const qsizetype start = chapters.at(i).offset;
        if (start >= 0 && start <= offset && (holder < 0 || start >= chapters.at(holder).offset))
            holder = i;
    }
    return holder;
}

QList<qsizetype> chapterFirstPieces(const QList<Chapter>& chapters,
                                    const QList<SpokenPiece>& pieces)
{
    const QList<ReadStretch> read = readStretches(pieces);
    QList<qsizetype> first;
    first.reserve(chapters.size());
    for (const Chapter& chapter : chapters) {
        qsizetype index = pieces.size();
        // The piece reading its start, wherever the reading order puts it; else the first
        // after it in the text.
        if (const ReadStretch* stretch =
                chapter.offset >= 0 ? readAt(read, chapter.offset) : nullptr) {
            index = stretch->piece;
        } else if (chapter.offset >= 0) {
            const auto found =
                std::find_if(pieces.cbegin(), pieces.cend(), [&](const SpokenPiece& piece) {
                    return piece.sourceOffset + qMax<qsizetype>(piece.sourceLength, 1) >
                           chapter.offset;
                });
            index = found - pieces.cbegin();
        }
        first.append(index);
    }
    return first;
}

} // namespace lectorix
