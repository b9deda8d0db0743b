#include "core/text/layout/roles.h"
#include "core/text/text_splitting.h"

#include <QRegularExpression>

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
// A line repeated at the same place on pages stands within this many points of itself.
constexpr double PlaceTolerance = 2.0;

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

// The marks printers and typesetters leave at a page's edge: job tickets and file names.
bool isPrintersMark(const QString& text)
{
    static const QRegularExpression mark(
        QStringLiteral("\\b(VerDate|Jkt|Sfmt|Frm|Fmt|PO\\s+0{3,}\\d*)\\b|"
                       "\\S+\\.(sgm|SGM|xml|indd|INDD|qxd|tex|docx?|pdf)\\b|[A-Z]:\\\\"));
    return mark.match(text).hasMatch();
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

bool isBareNumber(const QString& text)
{
    static const QRegularExpression number(
        QStringLiteral("^[-\\x{2013}\\x{2014}(\\[]?\\s*(\\d{1,5}|[ivxlcdm]{1,8}|[IVXLCDM]{2,8})\\s*"
                       "[-\\x{2013}\\x{2014})\\]]?$"));
    return number.match(text).hasMatch();
}

bool DocumentSurvey::isRunningLine(const QString& line, bool outsideText) const
{
    return isBareNumber(line) || isPrintersMark(line) ||
           edgeRepeats(line) >= RunningLinePages + (outsideText ? 0 : 1);
}

namespace {

QList<int> numbersIn(const QString& line)
{
    static const QRegularExpression number(QStringLiteral("\\d{1,5}"));
    QList<int> numbers;
    for (const QRegularExpressionMatch& match : number.globalMatch(line))
        numbers.append(match.captured().toInt());
    return numbers;
}

} // namespace

int DocumentSurvey::numberedRepeats(const QString& line, double top, int pageNumber) const
{
    const QList<std::pair<double, QList<int>>> places = m_numberedPlaces.value(edgeKey(line));
    int most = 0;
    for (const int number : numbersIn(line)) {
        const int step = pageNumber - number;
        most = std::max(most, int(std::count_if(places.cbegin(), places.cend(), [&](const auto& p) {
                            return std::abs(p.first - top) <= PlaceTolerance &&
                                   p.second.contains(step);
                        })));
    }
    return most;
}

int DocumentSurvey::placeRepeats(const QString& line, double top) const
{
    const QList<double> tops = m_places.value(line.toLower().remove(QLatin1Char(' ')));
    return int(std::count_if(tops.cbegin(), tops.cend(), [top](double other) {
        return std::abs(other - top) <= PlaceTolerance;
    }));
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
void DocumentSurvey::learnWords(const LayoutLine& line, bool hyphenBefore, bool hyphenAfter)
{
    QStringList words = wordsOf(lineText(line));
    if (hyphenBefore && !words.isEmpty())
        words.removeFirst();
    if (!words.isEmpty() && hyphenAfter)
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
            for (const LayoutWord& word : line.words) {
                if (page.plainText)
                    continue;
                const int bucket = bucketOf(word.box.height());
                m_heights[bucket] += double(std::count_if(word.text.cbegin(), word.text.cend(),
                                                          [](QChar c) { return c.isLetter(); }));
                m_widths[bucket].first += word.box.width();
                m_widths[bucket].second += word.text.size();
            }
            // In text without boxes a line breaks where its writer broke it: the words at its
            // ends, hyphen or not, are the writer's.
            const bool hyphenAfter = !page.plainText && !line.words.isEmpty() &&
                                     line.words.last().text.endsWith(QLatin1Char('-'));
            learnWords(line, hyphenBefore, hyphenAfter);
            hyphenBefore = hyphenAfter;
        }
    }
    if (page.plainText) {
        // Without boxes only the lines' order says where a page's top and bottom are (and only
        // a whole page has them): a page number, or a margin's line numbers, may stand outside
        // a running line, so numbers aside, one line more is looked at from each edge.
        if (page.wholePage) {
            lines.removeIf([](const LayoutLine* line) { return isBareNumber(lineText(*line)); });
            countEdges(lines, EdgeLines + 1);
        }
        return;
    }
    m_pages.append(PageLines());
    for (const LayoutBlock& block : page.blocks)
        for (const LayoutLine& line : block.lines)
            m_pages.last().append({line.box, lineHeight(line), block.lines.size() > 1});

    std::sort(lines.begin(), lines.end(),
              [](const LayoutLine* a, const LayoutLine* b) { return a->box.yMin < b->box.yMin; });
    countEdges(lines, EdgeLines);
    QSet<QString> placed;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString text = lineText(*lines.at(i));
        const QString key = text.toLower().remove(QLatin1Char(' '));
        if ((i < EdgeLines || i >= lines.size() - EdgeLines) && !placed.contains(key)) {
            placed.insert(key);
            m_places[key].append(lines.at(i)->box.yMin);
            QList<int> steps = numbersIn(text);
            for (int& step : steps)
                step = page.number - step;
            if (!steps.isEmpty())
                m_numberedPlaces[edgeKey(text)].append({lines.at(i)->box.yMin, steps});
        }
    }
    m_measured = false;
}

void DocumentSurvey::countEdges(const QList<const LayoutLine*>& lines, int depth)
{
    QSet<QString> keys;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (i >= depth && i < lines.size() - depth)
            continue;
        const QString key = edgeKey(lineText(*lines.at(i)));
        if (key != QLatin1String("#"))
            keys.insert(key);
    }
    for (const QString& key : std::as_const(keys))
        ++m_edges[key];
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
    const auto body = m_widths.constFind(bucketOf(measures.height));
    if (body != m_widths.cend() && body->second > 0)
        measures.advance = body->first / double(body->second);
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
