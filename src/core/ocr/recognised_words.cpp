#include "core/ocr/recognised_words.h"

#include <QMap>

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
            block.box = block.lines.isEmpty() ? line.box : unite(block.box, line.box);
            block.lines.append(line);
        }
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
