// The reader of tesseract's TSV output: whatever the input, pages come once each in the order
// of their numbers, boxes are finite and lie on their image, words are clean with a confidence
// of -1 or 0..100, and placed on a page of any size every word stands in the pages' text at
// its offset.

#include "harness.h"

#include "core/ocr/recognised_words.h"

#include <cmath>

using namespace lectorix;
using lectorix::fuzz::require;

namespace {

void requireBox(const LayoutBox& box)
{
    for (const double value : {box.xMin, box.yMin, box.xMax, box.yMax})
        require(std::isfinite(value) && value >= 0 && value <= 2e6, "boxes stay on the image");
    require(box.xMin <= box.xMax && box.yMin <= box.yMax, "boxes are not turned inside out");
}

void requireWords(const LayoutPage& page)
{
    for (const LayoutBlock& block : page.blocks) {
        require(!block.lines.isEmpty(), "a block has lines");
        requireBox(block.box);
        for (const LayoutLine& line : block.lines) {
            require(!line.words.isEmpty(), "a line has words");
            requireBox(line.box);
            for (const LayoutWord& word : line.words) {
                requireBox(word.box);
                require(!word.text.isEmpty() && !word.text.front().isSpace() &&
                            !word.text.back().isSpace(),
                        "a word has text and no spaces at its ends", word.text);
                for (const QChar c : word.text)
                    require(c.category() != QChar::Other_Control, "a word holds no controls",
                            word.text);
                require(word.confidence == -1 || (word.confidence >= 0 && word.confidence <= 100),
                        "confidence is -1 or 0..100");
            }
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::InputReader input(data, size);
    const double width = input.number(0, 255) * 10.0;
    const double height = input.number(0, 255) * 10.0;
    const QByteArray bytes = input.rest();

    QList<LayoutPage> pages = readRecognisedWords(bytes);
    int previous = 0;
    for (LayoutPage& page : pages) {
        require(page.number > previous, "pages come once each, in order");
        previous = page.number;
        require(std::isfinite(page.width) && std::isfinite(page.height) && page.width >= 0 &&
                    page.height >= 0,
                "image sizes are finite");
        requireWords(page);
        placeOnPage(page, page.number, width, height);
        require(page.width == width && page.height == height, "the page takes the size given");
    }
    const QString text = layoutText(pages);
    for (const LayoutPage& page : pages)
        for (const LayoutBlock& block : page.blocks)
            for (const LayoutLine& line : block.lines)
                for (const LayoutWord& word : line.words) {
                    require(text.mid(word.offset, word.text.size()) == word.text,
                            "a word stands in the text at its offset", word.text);
                    for (const double value :
                         {word.box.xMin, word.box.yMin, word.box.xMax, word.box.yMax})
                        require(std::isfinite(value), "placed boxes are finite");
                }
    return 0;
}
