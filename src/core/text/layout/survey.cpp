#include "core/text/layout/roles.h"
#include "core/text/text_preparation.h"

#include <algorithm>
#include <cmath>

namespace lectorix {

namespace {

// Lines from the top and from the bottom of a page whose repetition is counted.
constexpr int EdgeLines = 2;
// Type within this share of the body's height is the body's type.
constexpr double BodyTolerance = 0.12;
// The body's box on a usual page reaches as far as on this share of the pages (from each edge).
constexpr double FrameShare = 0.25;

int bucketOf(double height)
{
    return int(std::lround(height * 4));
}

// The value that share of the values lie below.
double quantileOf(QList<double> values, double share)
{
    if (values.isEmpty())
        return 0;
    const auto at = values.begin() + qsizetype(std::llround(double(values.size() - 1) * share));
    std::nth_element(values.begin(), at, values.end());
    return *at;
}

} // namespace

double lineHeight(const LayoutLine& line)
{
    double height = line.box.height();
    qsizetype longest = -1;
    for (const LayoutWord& word : line.words) {
        if (word.text.size() > longest) {
            longest = word.text.size();
            height = word.box.height();
        }
    }
    return height;
}

QString lineText(const LayoutLine& line)
{
    QString text;
    for (const LayoutWord& word : line.words) {
        if (!text.isEmpty())
            text += QLatin1Char(' ');
        text += word.text;
    }
    return text;
}

QString DocumentSurvey::edgeKey(const QString& line)
{
    QString key;
    bool digits = false;
    for (const QChar c : line) {
        if (c.isDigit()) {
            if (!digits)
                key += QLatin1Char('#');
            digits = true;
            continue;
        }
        digits = false;
        if (!c.isSpace())
            key += c.toLower();
    }
    return key;
}

// The halves of a word hyphenated at a line's end are not words of the document.
void DocumentSurvey::learnWords(const LayoutLine& line, bool hyphenBefore)
{
    QStringList words = wordsOf(lineText(line));
    if (hyphenBefore && !words.isEmpty())
        words.removeFirst();
    if (!words.isEmpty() && !line.words.isEmpty() &&
        line.words.last().text.endsWith(QLatin1Char('-')))
        words.removeLast();
    for (const QString& word : std::as_const(words)) {
        const QString lower = word.toLower();
        m_words.insert(lower);
        if (lower.contains(QLatin1Char('-')))
            for (const QString& part : lower.split(QLatin1Char('-'), Qt::SkipEmptyParts))
                m_words.insert(part);
    }
}

void DocumentSurvey::add(const LayoutPage& page)
{
    QList<const LayoutLine*> lines;
    bool hyphenBefore = false;
    for (const LayoutBlock& block : page.blocks) {
        for (const LayoutLine& line : block.lines) {
            lines.append(&line);
            // Letters only: the body is what is read, not the figures of its tables.
            for (const LayoutWord& word : line.words)
                m_heights[bucketOf(word.box.height())] += double(std::count_if(
                    word.text.cbegin(), word.text.cend(), [](QChar c) { return c.isLetter(); }));
            learnWords(line, hyphenBefore);
            hyphenBefore =
                !line.words.isEmpty() && line.words.last().text.endsWith(QLatin1Char('-'));
        }
    }
    m_pages.append(PageLines());
    for (const LayoutBlock& block : page.blocks)
        for (const LayoutLine& line : block.lines)
            m_pages.last().append({line.box, lineHeight(line), block.lines.size() > 1});

    std::sort(lines.begin(), lines.end(),
              [](const LayoutLine* a, const LayoutLine* b) { return a->box.yMin < b->box.yMin; });
    QSet<QString> keys;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (i >= EdgeLines && i < lines.size() - EdgeLines)
            continue;
        const QString key = edgeKey(lineText(*lines.at(i)));
        if (key != QLatin1String("#"))
            keys.insert(key);
    }
    for (const QString& key : std::as_const(keys))
        ++m_edges[key];
    m_measured = false;
}

BodyMeasures DocumentSurvey::measures() const
{
    if (m_measured)
        return m_measures;
    BodyMeasures measures;
    double most = 0;
    for (auto it = m_heights.cbegin(); it != m_heights.cend(); ++it) {
        if (it.value() > most) {
            most = it.value();
            measures.height = it.key() / 4.0;
        }
    }
    QList<double> left, top, right, bottom;
    for (const PageLines& page : m_pages) {
        LayoutBox frame{1e9, 1e9, -1e9, -1e9};
        bool found = false;
        for (const LineSummary& line : page) {
            if (!line.inLongBlock ||
                std::abs(line.height - measures.height) > BodyTolerance * measures.height)
                continue;
            found = true;
            frame.xMin = std::min(frame.xMin, line.box.xMin);
            frame.yMin = std::min(frame.yMin, line.box.yMin);
            frame.xMax = std::max(frame.xMax, line.box.xMax);
            frame.yMax = std::max(frame.yMax, line.box.yMax);
        }
        if (!found)
            continue;
        left << frame.xMin;
        top << frame.yMin;
        right << frame.xMax;
        bottom << frame.yMax;
    }
    measures.hasFrame = !left.isEmpty();
    // The box of a full page: chapter openings start lower, and last pages end early.
    measures.frame = {quantileOf(left, FrameShare), quantileOf(top, FrameShare),
                      quantileOf(right, 1 - FrameShare), quantileOf(bottom, 1 - FrameShare)};
    m_measures = measures;
    m_measured = true;
    return measures;
}

} // namespace lectorix
