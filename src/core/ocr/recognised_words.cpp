#include "core/ocr/recognised_words.h"

#include <QMap>
#include <QRegularExpression>

#include <algorithm>
#include <cmath>

namespace lectorix {

namespace {

// The columns of tesseract's TSV output.
enum Column {
    Level,
    PageNumber,
    Block,
    Paragraph,
    Line,
    Word,
    Left,
    Top,
    Width,
    Height,
    Confidence,
    Text,
    ColumnCount
};

enum RowLevel { PageRow = 1, WordRow = 5 };

struct Row
{
    int numbers[Left] = {};
    LayoutBox box;
    double confidence = -1;
    QString text;
};

bool readRow(QByteArrayView line, Row& row)
{
    QList<QByteArrayView> fields;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= line.size() && fields.size() < ColumnCount; ++i) {
        if (i == line.size() || line[i] == '\t') {
            fields.append(line.sliced(start, i - start));
            start = i + 1;
        }
    }
    if (fields.size() < Confidence)
        return false;
    bool ok = true;
    for (int column = Level; column < Left && ok; ++column)
        row.numbers[column] = fields[column].toInt(&ok);
    double values[4] = {};
    for (int column = Left; column <= Height && ok; ++column)
        values[column - Left] = fields[column].toDouble(&ok);
    // An image is at most a few ten thousand pixels wide; anything else is no coordinate.
    constexpr double MaxPixels = 1e6;
    const auto inImage = [](double value) { return value >= 0 && value <= MaxPixels; };
    if (!ok || row.numbers[PageNumber] < 1 || !std::all_of(values, values + 4, inImage))
        return false;
    row.box = {values[0], values[1], values[0] + values[2], values[1] + values[3]};
    if (fields.size() > Confidence)
        row.confidence = fields[Confidence].toDouble(&ok);
    if (!ok || !(row.confidence >= 0 && row.confidence <= 100))
        row.confidence = -1;
    if (fields.size() > Text) {
        row.text = QString::fromUtf8(fields[Text]);
        row.text.removeIf([](QChar c) { return c.category() == QChar::Other_Control; });
        row.text = row.text.trimmed();
    }
    return true;
}

LayoutBox unite(const LayoutBox& a, const LayoutBox& b)
{
    return {std::min(a.xMin, b.xMin), std::min(a.yMin, b.yMin), std::max(a.xMax, b.xMax),
            std::max(a.yMax, b.yMax)};
}

// The words of one page, keyed by where tesseract put them.
struct PageWords
{
    LayoutPage page;
    bool sized = false;
    QMap<std::pair<int, int>, QMap<int, QList<LayoutWord>>> paragraphs;
};

void addWord(PageWords& words, const Row& row)
{
    if (row.text.isEmpty())
        return;
    LayoutWord word;
    word.text = row.text;
    word.box = row.box;
    word.confidence = row.confidence;
    words.paragraphs[{row.numbers[Block], row.numbers[Paragraph]}][row.numbers[Line]].append(word);
}

double median(QList<double> values)
{
    if (values.isEmpty())
        return 0;
    const auto middle = values.begin() + values.size() / 2;
    std::nth_element(values.begin(), middle, values.end());
    return *middle;
}

// Sets the vertical extent of a box to height around its middle.
void setHeight(LayoutBox& box, double height)
{
    const double middle = (box.yMin + box.yMax) / 2;
    box.yMin = std::max(0.0, middle - height / 2);
    box.yMax = box.yMin + height;
}

bool hasAny(const QString& text, QStringView letters)
{
    return std::any_of(text.cbegin(), text.cend(),
                       [&](QChar c) { return c.isUpper() || c.isDigit() || letters.contains(c); });
}

// Where a line's type reaches, read from words whose letters show it: the top of letters with
// ascenders (or capitals, digits) and the bottom of letters with descenders. A word of neither
// kind, or one letter far larger (a drop cap), says nothing about the line.
LayoutBox lineSpan(const LayoutLine& line)
{
    QList<double> tops;
    QList<double> bottoms;
    QList<double> baselines;
    for (const LayoutWord& word : line.words) {
        if (hasAny(word.text, u"bdfhklt\u00DF"))
            tops.append(word.box.yMin);
        static const QRegularExpression descender(QStringLiteral("[gjpqy]"));
        if (word.text.contains(descender))
            bottoms.append(word.box.yMax);
        else
            baselines.append(word.box.yMax);
    }
    LayoutBox span = line.box;
    if (!tops.isEmpty())
        span.yMin = median(tops);
    if (!bottoms.isEmpty())
        span.yMax = median(bottoms);
    else if (!baselines.isEmpty() && !tops.isEmpty())
        span.yMax = median(baselines) + (median(baselines) - span.yMin) * 0.25;
    if (span.yMax <= span.yMin)
        return line.box;
    return span;
}

// The words of a line take the height of the line's type (lineSpan), except one raised above
// the others' baseline (a note mark) or far larger than the type (a drop cap), which keep
// their own.
void evenLine(LayoutLine& line)
{
    const LayoutBox span = lineSpan(line);
    const double size = span.height();
    for (LayoutWord& word : line.words) {
        const bool raised = word.box.yMax < span.yMax - 0.45 * size;
        if (!raised && word.box.height() <= 1.5 * size) {
            word.box.yMin = span.yMin;
            word.box.yMax = span.yMax;
        }
    }
    line.box = line.words.first().box;
    for (const LayoutWord& word : std::as_const(line.words))
        line.box = unite(line.box, word.box);
}

// The height of most of a line's words: its type's, once evenLine has run.
double typeHeight(const LayoutLine& line)
{
    QList<double> heights;
    for (const LayoutWord& word : line.words)
        heights.append(word.box.height());
    return median(heights);
}

// The lines of a paragraph within a third of their median type height take that height: a
// line without descenders is no smaller type than the next.
void evenParagraph(LayoutBlock& block)
{
    QList<double> heights;
    for (const LayoutLine& line : std::as_const(block.lines))
        heights.append(typeHeight(line));
    const double usual = median(heights);
    for (LayoutLine& line : block.lines) {
        const double height = typeHeight(line);
        if (height < usual * 2 / 3 || height > usual * 4 / 3)
            continue;
        for (LayoutWord& word : line.words) {
            if (word.box.height() == height)
                setHeight(word.box, usual);
        }
        line.box = line.words.first().box;
        for (const LayoutWord& word : std::as_const(line.words))
            line.box = unite(line.box, word.box);
    }
}

// Recognised text shows its type size only in its ink: a word without ascenders or
// descenders is shorter than one with them, in the same type. Words and lines are evened out
// so that, as on a text page, a word's height stands for its type size.
LayoutPage assemble(PageWords& words)
{
    LayoutPage page = words.page;
    for (auto paragraph = words.paragraphs.cbegin(); paragraph != words.paragraphs.cend();
         ++paragraph) {
        LayoutBlock block;
        block.flow = paragraph.key().first;
        for (const QList<LayoutWord>& lineWords : paragraph.value()) {
            LayoutLine line;
            line.words = lineWords;
            line.box = lineWords.first().box;
            for (const LayoutWord& word : lineWords)
                line.box = unite(line.box, word.box);
            evenLine(line);
            block.lines.append(line);
        }
        evenParagraph(block);
        block.box = block.lines.first().box;
        for (const LayoutLine& line : std::as_const(block.lines))
            block.box = unite(block.box, line.box);
        page.blocks.append(block);
    }
    return page;
}

void scale(LayoutBox& box, double x, double y)
{
    box = {box.xMin * x, box.yMin * y, box.xMax * x, box.yMax * y};
}

} // namespace

QList<LayoutPage> readRecognisedWords(QByteArrayView tsv)
{
    QMap<int, PageWords> pages;
    qsizetype start = 0;
    while (start < tsv.size()) {
        qsizetype end = tsv.indexOf('\n', start);
        if (end < 0)
            end = tsv.size();
        Row row;
        if (readRow(tsv.sliced(start, end - start), row)) {
            PageWords& words = pages[row.numbers[PageNumber]];
            words.page.number = row.numbers[PageNumber];
            if (row.numbers[Level] == PageRow && !words.sized) {
                words.page.width = row.box.width();
                words.page.height = row.box.height();
                words.sized = true;
            } else if (row.numbers[Level] == WordRow) {
                addWord(words, row);
            }
        }
        start = end + 1;
    }
    QList<LayoutPage> result;
    for (PageWords& words : pages)
        result.append(assemble(words));
    return result;
}

void placeOnPage(LayoutPage& page, int pageNumber, double width, double height)
{
    const double x = page.width > 0 ? width / page.width : 0;
    const double y = page.height > 0 ? height / page.height : 0;
    page.number = pageNumber;
    page.width = width;
    page.height = height;
    for (LayoutBlock& block : page.blocks) {
        scale(block.box, x, y);
        for (LayoutLine& line : block.lines) {
            scale(line.box, x, y);
            for (LayoutWord& word : line.words)
                scale(word.box, x, y);
        }
    }
}

} // namespace lectorix
