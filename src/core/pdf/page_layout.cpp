#include "core/pdf/page_layout.h"

#include <QXmlStreamReader>

#include <algorithm>
#include <cmath>
#include <limits>

namespace lectorix {

using namespace Qt::Literals::StringLiterals;

namespace {

// Far beyond any page, yet small enough that widths and sums of coordinates stay finite.
constexpr double MaxCoordinate = 1e9;

// A control character other than tab, line feed and carriage return, which XML does not allow.
bool isXmlControl(char16_t c)
{
    return c < 0x20 && c != u'\t' && c != u'\n' && c != u'\r';
}

// pdftotext copies a PDF's own characters into its output, so one control character or one
// byte that is not UTF-8 can sit in a word; the XML reader would stop there, losing the rest
// of the document. Such input is mended first; well-formed input is read as it is.
bool needsMending(QByteArrayView data)
{
    for (qsizetype i = 0; i < data.size(); ++i) {
        const auto byte = static_cast<unsigned char>(data[i]);
        if (isXmlControl(byte))
            return true;
        // U+FFFE and U+FFFF, which XML does not allow either.
        if (byte == 0xEF && i + 2 < data.size() &&
            static_cast<unsigned char>(data[i + 1]) == 0xBF &&
            static_cast<unsigned char>(data[i + 2]) >= 0xBE)
            return true;
    }
    return !data.isValidUtf8();
}

// The text with bytes that are not UTF-8 as U+FFFD, the characters XML does not allow left out.
QByteArray mended(QByteArrayView data)
{
    QString text = QString::fromUtf8(data);
    text.removeIf([](QChar c) {
        return isXmlControl(c.unicode()) || c.unicode() == 0xFFFE || c.unicode() == 0xFFFF;
    });
    return text.toUtf8();
}

class LayoutReader
{
public:
    LayoutReader(QByteArrayView data, int firstPage)
        : m_xml(QByteArray::fromRawData(data.data(), data.size())), m_firstPage(firstPage)
    {
    }

    PageLayouts read();

private:
    enum class Level { Outside, Page, Flow, Block, Line };

    // Leaves out an element that stands where it cannot, and notes the damage.
    void skipMisplaced()
    {
        m_result.complete = false;
        m_xml.skipCurrentElement();
    }

    bool startElement(QStringView name);
    void endElement(QStringView name);
    bool startPage();
    void readWord();
    double number(const QXmlStreamAttributes& attributes, QLatin1StringView name);
    LayoutBox box();

    QXmlStreamReader m_xml;
    PageLayouts m_result;
    int m_firstPage = 1;
    Level m_level = Level::Outside;
    int m_flow = 0;
    bool m_docEnded = false;
};

PageLayouts LayoutReader::read()
{
    while (!m_docEnded && !m_xml.atEnd()) {
        const QXmlStreamReader::TokenType token = m_xml.readNext();
        if (token == QXmlStreamReader::StartElement) {
            if (!startElement(m_xml.name()))
                break;
        } else if (token == QXmlStreamReader::EndElement) {
            endElement(m_xml.name());
        }
    }
    // Everything that matters ends with </doc>; what follows it is not read at all.
    if (!m_docEnded)
        m_result.complete = false;
    return std::move(m_result);
}

// Returns false when reading must stop.
bool LayoutReader::startElement(QStringView name)
{
    // Each element of the layout stands in the one that the level before names.
    const auto placed = [this](Level parent) {
        if (m_level == parent)
            return true;
        skipMisplaced();
        return false;
    };
    if (name == u"word") {
        if (placed(Level::Line))
            readWord();
    } else if (name == u"line") {
        if (placed(Level::Block)) {
            m_result.pages.last().blocks.last().lines.append(LayoutLine{box(), {}});
            m_level = Level::Line;
        }
    } else if (name == u"block") {
        if (placed(Level::Flow)) {
            m_result.pages.last().blocks.append(LayoutBlock{box(), m_flow, {}});
            m_level = Level::Block;
        }
    } else if (name == u"flow") {
        if (placed(Level::Page)) {
            ++m_flow;
            m_level = Level::Flow;
        }
    } else if (name == u"page") {
        if (placed(Level::Outside))
            return startPage();
    }
    return true;
}

void LayoutReader::endElement(QStringView name)
{
    // Elements nest, and a misplaced one is skipped whole, so each end closes the level its
    // start opened.
    if (name == u"line" && m_level == Level::Line)
        m_level = Level::Block;
    else if (name == u"block" && m_level == Level::Block)
        m_level = Level::Flow;
    else if (name == u"flow" && m_level == Level::Flow)
        m_level = Level::Page;
    else if (name == u"page" && m_level == Level::Page)
        m_level = Level::Outside;
    else if (name == u"doc" && m_level == Level::Outside)
        m_docEnded = true;
}

bool LayoutReader::startPage()
{
    const qsizetype index = m_result.pages.size();
    if (index > std::numeric_limits<int>::max() - qsizetype(m_firstPage)) {
        m_result.complete = false;
        return false;
    }
    LayoutPage page;
    page.number = m_firstPage + int(index);
    const QXmlStreamAttributes attributes = m_xml.attributes();
    page.width = number(attributes, "width"_L1);
    page.height = number(attributes, "height"_L1);
    m_result.pages.append(std::move(page));
    m_flow = 0;
    m_level = Level::Page;
    return true;
}

void LayoutReader::readWord()
{
    const LayoutBox wordBox = box();
    QString text = m_xml.readElementText(QXmlStreamReader::IncludeChildElements);
    // A word cut off by the end of the input is not a word.
    if (m_xml.hasError())
        return;
    // Character references can bring in line breaks and tabs, which would break the text's
    // lines; a word keeps them as spaces.
    for (QChar& c : text) {
        if (c.unicode() < 0x20)
            c = QLatin1Char(' ');
    }
    text = text.trimmed();
    if (!text.isEmpty())
        m_result.pages.last().blocks.last().lines.last().words.append(
            LayoutWord{std::move(text), wordBox, 0});
}

// An attribute of the current element as a coordinate; a missing or unreadable one is 0 and
// marks the layout as damaged, and one beyond any page is held at MaxCoordinate.
double LayoutReader::number(const QXmlStreamAttributes& attributes, QLatin1StringView name)
{
    bool ok = false;
    const double value = attributes.value(name).toDouble(&ok);
    if (!ok || !std::isfinite(value)) {
        m_result.complete = false;
        return 0;
    }
    return std::clamp(value, -MaxCoordinate, MaxCoordinate);
}

LayoutBox LayoutReader::box()
{
    const QXmlStreamAttributes attributes = m_xml.attributes();
    return LayoutBox{number(attributes, "xMin"_L1), number(attributes, "yMin"_L1),
                     number(attributes, "xMax"_L1), number(attributes, "yMax"_L1)};
}

QByteArrayView withoutLeadingSpace(QByteArrayView data)
{
    if (data.startsWith("\xEF\xBB\xBF"))
        data = data.sliced(3);
    while (!data.isEmpty() && (data.front() == ' ' || data.front() == '\t' ||
                               data.front() == '\n' || data.front() == '\r'))
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
    if (needsMending(data)) {
        const QByteArray mendedData = mended(data);
        return LayoutReader(mendedData, firstPage).read();
    }
    return LayoutReader(data, firstPage).read();
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
