#include "core/pdf/document_outline.h"

#include "core/pdf/pdf_converter.h"
#include "core/pdf/xml_scanner.h"

#include <QFile>

#include <algorithm>
#include <charconv>
#include <limits>
#include <utility>

namespace lectorix {

namespace {

constexpr qsizetype MaxLevel = std::numeric_limits<int>::max();

// A page number as pdftohtml writes it; 0 for one that is missing or no page's.
int pageNumber(QByteArrayView attributes)
{
    const QByteArrayView value = xmlAttribute(attributes, "page");
    int page = 0;
    const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), page);
    const bool whole = !value.isEmpty() && error == std::errc() && end == value.end();
    return whole && page > 0 ? page : 0;
}

// Line breaks and tabs in a title (character references can bring them in) become spaces.
QString cleanTitle(QString title)
{
    for (QChar& c : title) {
        if (c.unicode() < 0x20)
            c = QLatin1Char(' ');
    }
    return title.trimmed();
}

} // namespace

QList<OutlineEntry> readPdfOutline(QByteArrayView pdftohtmlXml)
{
    QList<OutlineEntry> entries;
    XmlScanner scanner(pdftohtmlXml);
    XmlToken token;
    // How many <outline> elements are open, and the entry whose title is being read.
    qsizetype depth = 0;
    bool inItem = false;
    OutlineEntry entry;
    // An unknown reference stays in the title as written; an outline has no other use for it.
    bool wellFormed = true;
    while (scanner.next(token)) {
        if (token.kind == XmlToken::Text || token.kind == XmlToken::RawText) {
            if (inItem)
                entry.title += token.kind == XmlToken::Text
                                   ? decodedXmlText(token.content, wellFormed)
                                   : QString::fromUtf8(token.content);
            continue;
        }
        const bool start = token.kind == XmlToken::StartTag;
        if (token.name == "item") {
            // An entry that another one begins in, before its end, is left out.
            if (start && depth > 0) {
                const qsizetype level = std::min<qsizetype>(depth - 1, MaxLevel);
                entry = OutlineEntry{{}, pageNumber(token.content), int(level)};
                inItem = !token.selfClosing;
            } else if (!start && inItem) {
                inItem = false;
                entry.title = cleanTitle(std::move(entry.title));
                entries.append(std::exchange(entry, {}));
            }
        } else if (token.name == "outline" && !token.selfClosing) {
            inItem = false;
            depth = start ? depth + 1 : std::max<qsizetype>(0, depth - 1);
        }
    }
    return entries;
}

QByteArrayList outlineArguments(const QString& program, const QString& password,
                                const QString& pdfPath, bool latin1Password)
{
    QByteArrayList argv{QFile::encodeName(program)};
    argv << QByteArrayLiteral("-xml") << QByteArrayLiteral("-stdout") << QByteArrayLiteral("-q")
         << QByteArrayLiteral("-i") << QByteArrayLiteral("-nodrm") << QByteArrayLiteral("-f")
         << QByteArrayLiteral("1") << QByteArrayLiteral("-l") << QByteArrayLiteral("1");
    if (!password.isEmpty()) {
        const QByteArray bytes = latin1Password ? password.toLatin1() : password.toUtf8();
        argv << QByteArrayLiteral("-opw") << bytes << QByteArrayLiteral("-upw") << bytes;
    }
    argv << QFile::encodeName(fileOperand(pdfPath));
    return argv;
}

} // namespace lectorix
