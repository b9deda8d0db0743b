#include "core/pdf/word_boxes.h"

#include <algorithm>
#include <limits>

namespace lectorix {

namespace {

bool hasArea(const LayoutBox& box)
{
    return box.width() > 0 && box.height() > 0;
}

LayoutBox united(const LayoutBox& a, const LayoutBox& b)
{
    return {std::min(a.xMin, b.xMin), std::min(a.yMin, b.yMin), std::max(a.xMax, b.xMax),
            std::max(a.yMax, b.yMax)};
}

} // namespace

void WordBoxes::addPages(const QList<LayoutPage>& pages)
{
    for (const LayoutPage& page : pages) {
        QList<Placed>& placed = m_pages[page.number];
        placed.clear();
        int line = 0;
        for (const LayoutBlock& block : page.blocks)
            for (const LayoutLine& laid : block.lines) {
                for (const LayoutWord& word : laid.words)
                    if (hasArea(word.box) && !word.text.isEmpty())
                        placed.append({word.offset, word.text.size(), page.number, line, word.box,
                                       word.text});
                ++line;
            }
        if (placed.isEmpty())
            m_pages.remove(page.number);
    }
    m_indexed = false;
}

void WordBoxes::clear()
{
    m_pages.clear();
    m_byOffset.clear();
    m_indexed = true;
}

void WordBoxes::index() const
{
    if (m_indexed)
        return;
    m_byOffset.clear();
    for (const QList<Placed>& page : m_pages)
        m_byOffset.append(page);
    std::stable_sort(m_byOffset.begin(), m_byOffset.end(),
                     [](const Placed& a, const Placed& b) { return a.offset < b.offset; });
    m_indexed = true;
}

QList<PageBox> WordBoxes::boxesOf(qsizetype start, qsizetype length) const
{
    index();
    QList<PageBox> boxes;
    const qsizetype end = start + std::max<qsizetype>(length, 1);
    // The first word ending after start: words do not overlap, so their ends are in order too.
    auto word =
        std::partition_point(m_byOffset.cbegin(), m_byOffset.cend(),
                             [start](const Placed& p) { return p.offset + p.length <= start; });
    int lastPage = 0;
    int lastLine = -1;
    for (; word != m_byOffset.cend() && word->offset < end; ++word) {
        if (word->page == lastPage && word->line == lastLine)
            boxes.last().box = united(boxes.last().box, word->box);
        else
            boxes.append({word->page, word->box});
        lastPage = word->page;
        lastLine = word->line;
    }
    return boxes;
}

std::optional<TextWord> WordBoxes::wordAt(int page, double x, double y) const
{
    const auto found = m_pages.constFind(page);
    if (found == m_pages.cend())
        return std::nullopt;
    // The nearest word by its distance across, among the words whose line holds y.
    const Placed* nearest = nullptr;
    double nearestDistance = std::numeric_limits<double>::max();
    for (const Placed& word : *found) {
        if (y < word.box.yMin || y > word.box.yMax)
            continue;
        const double distance = x < word.box.xMin   ? word.box.xMin - x
                                : x > word.box.xMax ? x - word.box.xMax
                                                    : 0;
        if (distance < nearestDistance) {
            nearestDistance = distance;
            nearest = &word;
        }
    }
    if (!nearest)
        return std::nullopt;
    return TextWord{nearest->offset, nearest->length};
}

QList<LayoutWord> WordBoxes::wordsOf(int page) const
{
    QList<LayoutWord> words;
    for (const Placed& word : m_pages.value(page))
        words.append({word.text, word.box, word.offset, -1});
    return words;
}

} // namespace lectorix
