// The page layout reader: whatever the input, pages are numbered on from the first page, flows
// count up from 1 within a page, coordinates are finite, words are clean, every word stands
// in the text at its offset, and a layout without its end is never taken as complete.

#include "harness.h"

#include "core/pdf/page_layout.h"

#include <cmath>
#include <limits>

using namespace lectorix;
using lectorix::fuzz::require;

namespace {

void requireCoordinates(const LayoutBox& box)
{
    for (const double value : {box.xMin, box.yMin, box.xMax, box.yMax})
        require(std::isfinite(value) && std::abs(value) <= 1e9, "coordinates stay on a page");
    require(std::isfinite(box.width()) && std::isfinite(box.height()), "sizes are finite");
}

void requireCleanWord(const LayoutWord& word)
{
    require(!word.text.isEmpty(), "a word has text", word.text);
    require(!word.text.front().isSpace() && !word.text.back().isSpace(),
            "a word has no spaces at its ends", word.text);
    for (const QChar c : word.text)
        require(c.unicode() >= 0x20, "a word holds no line breaks or control characters",
                word.text);
}

void requireStructure(const PageLayouts& read, int firstPage)
{
    for (qsizetype i = 0; i < read.pages.size(); ++i) {
        const LayoutPage& page = read.pages.at(i);
        require(qint64(page.number) == qint64(firstPage) + i, "pages are numbered on");
        require(std::isfinite(page.width) && std::isfinite(page.height), "page sizes are finite");
        int flow = 1;
        for (const LayoutBlock& block : page.blocks) {
            require(block.flow >= flow, "flows count up from 1 within a page");
            flow = block.flow;
            requireCoordinates(block.box);
            for (const LayoutLine& line : block.lines) {
                requireCoordinates(line.box);
                for (const LayoutWord& word : line.words) {
                    requireCoordinates(word.box);
                    requireCleanWord(word);
                }
            }
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::InputReader input(data, size);
    // Small first pages, and some near the end of the numbers.
    const uint8_t choice = input.byte();
    const int firstPage =
        choice & 0x80 ? std::numeric_limits<int>::max() - (choice & 0x7F) : int(choice) - 8;
    const qsizetype startOffset = qsizetype(input.byte()) * 1000;
    const QByteArray bytes = input.rest();

    PageLayouts read = readBoundingBoxLayout(bytes, firstPage);
    requireStructure(read, firstPage);
    // The reader takes a closing tag with stray attributes ("</doc x=1>") as the end too.
    require(!read.complete || bytes.contains("</doc"), "a layout without its end is not complete");

    const QString text = layoutText(read.pages, startOffset);
    require(text.count(QLatin1Char('\f')) == read.pages.size(), "each page ends with a form feed");
    for (const LayoutPage& page : read.pages)
        for (const LayoutBlock& block : page.blocks)
            for (const LayoutLine& line : block.lines)
                for (const LayoutWord& word : line.words)
                    require(text.mid(word.offset - startOffset, word.text.size()) == word.text,
                            "a word stands in the text at its offset", word.text);
    return 0;
}
