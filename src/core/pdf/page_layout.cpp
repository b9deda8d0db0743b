#include "core/pdf/page_layout.h"

#include "core/files/misread_encoding.h"
#include "core/pdf/xml_scanner.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

namespace lectorix {

namespace {

// Far beyond any page, yet small enough that widths and sums of coordinates stay finite.
constexpr double MaxCoordinate = 1e9;

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// The element names of the layout, each opening one level inside the one before.
enum class Level { Outside, Page, Flow, Block, Line };

Level levelOpenedBy(QByteArrayView name)
{
    if (name == "line")
        return Level::Line;
    if (name == "block")
        return Level::Block;
    if (name == "flow")
        return Level::Flow;
    if (name == "page")
        return Level::Page;
    return Level::Outside;
}

Level parentOf(Level level)
{
    return level == Level::Outside ? level : Level(int(level) - 1);
}

class LayoutReader
{
public:
    LayoutReader(QByteArrayView data, int firstPage) : m_scanner(data), m_firstPage(firstPage) {}

    PageLayouts read();

private:
    void startElement(const XmlToken& tag);
    void endElement(QByteArrayView name);
    void open(Level level, QByteArrayView attributes);
    void skipElement();
    void endWord();
    double number(QByteArrayView attributes, QByteArrayView name);
    LayoutBox box(QByteArrayView attributes);

    XmlScanner m_scanner;
    PageLayouts m_result;
    int m_firstPage = 1;
    Level m_level = Level::Outside;
    int m_flow = 0;
    bool m_docEnded = false;
    bool m_inWord = false;
    LayoutBox m_wordBox;
    QString m_wordText;
};

PageLayouts LayoutReader::read()
{
    XmlToken token;
    bool wellFormed = true;
    // Everything that matters ends with </doc>; what follows it is not read at all.
    while (!m_docEnded && m_scanner.next(token)) {
        switch (token.kind) {
        case XmlToken::Text:
            if (m_inWord)
                m_wordText += decodedXmlText(token.content, wellFormed);
            break;
        case XmlToken::RawText:
            if (m_inWord)
                m_wordText += QString::fromUtf8(token.content);
            break;
        case XmlToken::StartTag:
            // pdftotext puts nothing inside a word.
            if (m_inWord) {
                wellFormed = false;
                endWord();
            }
            startElement(token);
            break;
        case XmlToken::EndTag:
            if (m_inWord) {
                endWord();
                if (token.name == "word")
                    break;
                wellFormed = false;
            }
            endElement(token.name);
            break;
        }
    }
    if (!m_docEnded || !wellFormed || m_scanner.damaged())
        m_result.complete = false;
    return std::move(m_result);
}

void LayoutReader::startElement(const XmlToken& tag)
{
    const bool isWord = tag.name == "word";
    const Level level = isWord ? Level::Line : levelOpenedBy(tag.name);
    if (level == Level::Outside)
        return; // not part of the layout: its content is read as if it were not there
    // Each element stands in the one whose level comes before its own; one that does not is
    // left out whole.
    const Level parent = isWord ? Level::Line : parentOf(level);
    if (m_level != parent) {
        m_result.complete = false;
        if (!tag.selfClosing)
            skipElement();
        return;
    }
    if (isWord) {
        m_wordBox = box(tag.content);
        m_wordText.clear();
        m_inWord = !tag.selfClosing;
        return;
    }
    open(level, tag.content);
    if (tag.selfClosing)
        m_level = parent;
}

void LayoutReader::open(Level level, QByteArrayView attributes)
{
    switch (level) {
    case Level::Page: {
        const qsizetype index = m_result.pages.size();
        if (index > std::numeric_limits<int>::max() - qsizetype(m_firstPage)) {
            // No number is left for the page: what follows is not read.
            m_result.complete = false;
            m_docEnded = true;
            return;
        }
        LayoutPage page;
        page.number = m_firstPage + int(index);
        page.width = number(attributes, "width");
        page.height = number(attributes, "height");
        m_result.pages.append(std::move(page));
        m_flow = 0;
        break;
    }
    case Level::Flow:
        ++m_flow;
        break;
    case Level::Block:
        m_result.pages.last().blocks.append(LayoutBlock{box(attributes), m_flow, {}});
        break;
    case Level::Line:
        m_result.pages.last().blocks.last().lines.append(LayoutLine{box(attributes), {}});
        break;
    case Level::Outside:
        return;
    }
    m_level = level;
}

void LayoutReader::endElement(QByteArrayView name)
{
    const Level level = levelOpenedBy(name);
    if (level == Level::Outside) {
        if (name == "doc") {
            m_docEnded = true;
            m_result.complete = m_result.complete && m_level == Level::Outside;
        } else if (name == "word") {
            m_result.complete = false;
        }
        return;
    }
    // An end without its start, or one that closes an element still holding open ones.
    if (m_level != level)
        m_result.complete = false;
    if (m_level >= level)
        m_level = parentOf(level);
}

// Passes over the element just started, with everything inside it.
void LayoutReader::skipElement()
{
    qsizetype depth = 1;
    XmlToken token;
    while (depth > 0 && m_scanner.next(token)) {
        if (token.kind == XmlToken::StartTag && !token.selfClosing)
            ++depth;
        else if (token.kind == XmlToken::EndTag)
            --depth;
    }
}

void LayoutReader::endWord()
{
    m_inWord = false;
    // Character references can bring in line breaks and tabs, which would break the text's
    // lines; a word keeps them as spaces.
    for (QChar& c : m_wordText) {
        if (c.unicode() < 0x20)
            c = QLatin1Char(' ');
    }
    QString text = m_wordText.trimmed();
    m_wordText.clear();
    if (!text.isEmpty())
        m_result.pages.last().blocks.last().lines.last().words.append(
            LayoutWord{std::move(text), m_wordBox, 0});
}

// An attribute as a coordinate; a missing or unreadable one is 0 and marks the layout as
// damaged, and one beyond any page is held at MaxCoordinate.
double LayoutReader::number(QByteArrayView attributes, QByteArrayView name)
{
    const QByteArrayView value = xmlAttribute(attributes, name);
    double result = 0;
    const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), result);
    if (value.isEmpty() || error != std::errc() || end != value.data() + value.size() ||
        !std::isfinite(result)) {
        m_result.complete = false;
        return 0;
    }
    return std::clamp(result, -MaxCoordinate, MaxCoordinate);
}

LayoutBox LayoutReader::box(QByteArrayView attributes)
{
    return LayoutBox{number(attributes, "xMin"), number(attributes, "yMin"),
                     number(attributes, "xMax"), number(attributes, "yMax")};
}

QByteArrayView withoutLeadingSpace(QByteArrayView data)
{
    if (data.startsWith("\xEF\xBB\xBF"))
        data = data.sliced(3);
    while (!data.isEmpty() && isSpace(data.front()))
        data = data.sliced(1);
    return data;
}

} // namespace

bool isBoundingBoxLayout(QByteArrayView data)
{
    data = withoutLeadingSpace(data);
    if (!data.startsWith("<!DOCTYPE html") && !data.startsWith("<html"))
        return false;
    // A PDF of a web page gives plain text that begins the same way; pdftotext's own pages
    // stand inside <doc>, after the <body> that its head leads to, and plain text ends its
    // first page with a form feed before any of that.
    const qsizetype body = data.indexOf("<body>");
    const qsizetype doc = data.indexOf("<doc>");
    const qsizetype formFeed = data.indexOf('\f');
    return body >= 0 && doc > body && (formFeed < 0 || formFeed > doc);
}

PageLayouts readBoundingBoxLayout(QByteArrayView data, int firstPage)
{
    return LayoutReader(data, firstPage).read();
}

void redecodeMisreadPages(QList<LayoutPage>& pages)
{
    for (LayoutPage& page : pages) {
        QStringList words;
        for (const LayoutBlock& block : std::as_const(page.blocks))
            for (const LayoutLine& line : block.lines)
                for (const LayoutWord& word : line.words)
                    words.append(word.text);
        const QByteArray encoding = misreadEncoding(words);
        if (encoding.isEmpty())
            continue;
        for (LayoutBlock& block : page.blocks)
            for (LayoutLine& line : block.lines)
                for (LayoutWord& word : line.words)
                    word.text = redecoded(word.text, encoding);
    }
}

QString layoutText(QList<LayoutPage>& pages, qsizetype startOffset)
{
    qsizetype size = 0;
    for (const LayoutPage& page : std::as_const(pages)) {
        for (const LayoutBlock& block : page.blocks) {
            for (const LayoutLine& line : block.lines) {
                for (const LayoutWord& word : line.words)
                    size += word.text.size() + 1;
                ++size;
            }
            ++size;
        }
        ++size;
    }
    QString text;
    text.reserve(size);
    for (LayoutPage& page : pages) {
        for (LayoutBlock& block : page.blocks) {
            for (LayoutLine& line : block.lines) {
                for (qsizetype i = 0; i < line.words.size(); ++i) {
                    if (i > 0)
                        text += QLatin1Char(' ');
                    line.words[i].offset = startOffset + text.size();
                    text += line.words[i].text;
                }
                text += QLatin1Char('\n');
            }
            text += QLatin1Char('\n');
        }
        text += QLatin1Char('\f');
    }
    return text;
}

} // namespace lectorix
