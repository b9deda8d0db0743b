#pragma once

#include <QByteArrayView>
#include <QString>

namespace lectorix {

// One piece of the markup: a start or end tag, or the text between tags.
struct XmlToken
{
    enum Kind { StartTag, EndTag, Text, RawText };
    Kind kind = Text;
    QByteArrayView name;
    // A start tag's attributes as written, or the text (RawText: a CDATA section's, as it is).
    QByteArrayView content;
    bool selfClosing = false;
};

// A reader of the plain XML that poppler's tools write (pdftotext's page layout, pdftohtml's
// outline), about five times faster than a general one, which matters for a book's 25 MB of
// layout. It checks no nesting and knows no DTD: its user judges the structure. It never
// looks back and never recurses, so no input makes it hang or overflow the stack. Comments,
// processing instructions and declarations are passed over; bytes are passed on as they are,
// UTF-8 or not.
class XmlScanner
{
public:
    explicit XmlScanner(QByteArrayView data) : m_data(data) {}

    // The next token; false at the end of the input.
    bool next(XmlToken& token);

    // Whether the input broke off inside markup, or a tag was opened inside a tag.
    bool damaged() const { return m_damaged; }

private:
    // At a '<': a tag or CDATA section becomes the token (true); anything else is passed over.
    bool markup(XmlToken& token);
    bool tag(XmlToken& token);
    bool skipDeclaration();

    bool skipPast(QByteArrayView end, qsizetype from);
    // The input ends inside markup: nothing more is read.
    bool cutOff();

    QByteArrayView m_data;
    qsizetype m_pos = 0;
    bool m_damaged = false;
};

// The value of the attribute name in a start tag's attributes; null when it is not there or
// the attributes are malformed before it.
QByteArrayView xmlAttribute(QByteArrayView attributes, QByteArrayView name);

// Text with its entity and character references replaced; one that is unknown or broken stays
// as written and clears wellFormed.
QString decodedXmlText(QByteArrayView raw, bool& wellFormed);

} // namespace lectorix
