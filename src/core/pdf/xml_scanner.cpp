#include "core/pdf/xml_scanner.h"

#include <algorithm>
#include <charconv>
#include <cstdint>

namespace lectorix {

namespace {

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// The character an entity or character reference (without '&' and ';') stands for, or 0.
char32_t referencedCharacter(QByteArrayView reference)
{
    if (reference == "lt")
        return U'<';
    if (reference == "gt")
        return U'>';
    if (reference == "amp")
        return U'&';
    if (reference == "quot")
        return U'"';
    if (reference == "apos")
        return U'\'';
    if (!reference.startsWith('#'))
        return 0;
    const bool hex = reference.startsWith("#x");
    const QByteArrayView digits = reference.sliced(hex ? 2 : 1);
    std::uint32_t code = 0;
    const auto [end, error] =
        std::from_chars(digits.data(), digits.data() + digits.size(), code, hex ? 16 : 10);
    const bool whole = error == std::errc() && end == digits.data() + digits.size();
    if (!whole || code == 0 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return 0;
    return char32_t(code);
}

} // namespace

bool XmlScanner::next(XmlToken& token)
{
    while (m_pos < m_data.size()) {
        if (m_data[m_pos] != '<') {
            qsizetype end = m_data.indexOf('<', m_pos);
            end = end < 0 ? m_data.size() : end;
            token = {XmlToken::Text, {}, m_data.sliced(m_pos, end - m_pos), false};
            m_pos = end;
            return true;
        }
        if (markup(token))
            return true;
    }
    return false;
}

bool XmlScanner::markup(XmlToken& token)
{
    const QByteArrayView rest = m_data.sliced(m_pos);
    if (rest.startsWith("<!--"))
        return skipPast("-->", 4);
    if (rest.startsWith("<![CDATA[")) {
        const qsizetype end = m_data.indexOf("]]>", m_pos + 9);
        if (end < 0)
            return cutOff();
        token = {XmlToken::RawText, {}, m_data.sliced(m_pos + 9, end - m_pos - 9), false};
        m_pos = end + 3;
        return true;
    }
    if (rest.startsWith("<?"))
        return skipPast("?>", 2);
    if (rest.startsWith("<!"))
        return skipDeclaration();
    return tag(token);
}

bool XmlScanner::skipPast(QByteArrayView end, qsizetype from)
{
    const qsizetype at = m_data.indexOf(end, m_pos + from);
    if (at < 0)
        return cutOff();
    m_pos = at + end.size();
    return false;
}

bool XmlScanner::cutOff()
{
    m_damaged = true;
    m_pos = m_data.size();
    return false;
}

bool XmlScanner::tag(XmlToken& token)
{
    const qsizetype size = m_data.size();
    qsizetype i = m_pos + 1;
    const bool endTag = i < size && m_data[i] == '/';
    i += endTag ? 1 : 0;
    const qsizetype nameStart = i;
    while (i < size && !isSpace(m_data[i]) && m_data[i] != '/' && m_data[i] != '>' &&
           m_data[i] != '<')
        ++i;
    const qsizetype nameEnd = i;
    char quote = 0;
    for (; i < size; ++i) {
        const char c = m_data[i];
        if (quote != 0) {
            quote = c == quote ? 0 : quote;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == '>' || c == '<') {
            break;
        }
    }
    if (i >= size)
        return cutOff();
    // A '<' in a tag begins the next one: this one is taken as ended before it.
    const bool closed = m_data[i] == '>';
    m_damaged = m_damaged || !closed;
    const bool selfClosing = closed && i > nameEnd && m_data[i - 1] == '/';
    const qsizetype attributesEnd = selfClosing ? i - 1 : i;
    token = {endTag ? XmlToken::EndTag : XmlToken::StartTag,
             m_data.sliced(nameStart, nameEnd - nameStart),
             m_data.sliced(nameEnd, attributesEnd - nameEnd), selfClosing};
    m_pos = closed ? i + 1 : i;
    return true;
}

// A <!DOCTYPE ...>, whose internal subset in brackets may hold '>' of its own.
bool XmlScanner::skipDeclaration()
{
    int brackets = 0;
    char quote = 0;
    for (qsizetype i = m_pos + 2; i < m_data.size(); ++i) {
        const char c = m_data[i];
        if (quote != 0) {
            quote = c == quote ? 0 : quote;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == '[') {
            ++brackets;
        } else if (c == ']') {
            brackets = std::max(0, brackets - 1);
        } else if (c == '>' && brackets == 0) {
            m_pos = i + 1;
            return false;
        }
    }
    return cutOff();
}

QByteArrayView xmlAttribute(QByteArrayView attributes, QByteArrayView name)
{
    const qsizetype size = attributes.size();
    qsizetype i = 0;
    const auto skipSpace = [&] {
        while (i < size && isSpace(attributes[i]))
            ++i;
    };
    for (skipSpace(); i < size; skipSpace()) {
        const qsizetype nameStart = i;
        while (i < size && attributes[i] != '=' && !isSpace(attributes[i]))
            ++i;
        const QByteArrayView found = attributes.sliced(nameStart, i - nameStart);
        skipSpace();
        if (i >= size || attributes[i] != '=')
            return {};
        ++i;
        skipSpace();
        if (i >= size || (attributes[i] != '"' && attributes[i] != '\''))
            return {};
        const qsizetype valueStart = i + 1;
        const qsizetype valueEnd = attributes.indexOf(attributes[i], valueStart);
        if (valueEnd < 0)
            return {};
        if (found == name)
            return attributes.sliced(valueStart, valueEnd - valueStart);
        i = valueEnd + 1;
    }
    return {};
}

QString decodedXmlText(QByteArrayView raw, bool& wellFormed)
{
    qsizetype amp = raw.indexOf('&');
    if (amp < 0)
        return QString::fromUtf8(raw);
    QString text;
    qsizetype from = 0;
    for (; amp >= 0; amp = raw.indexOf('&', from)) {
        text += QString::fromUtf8(raw.sliced(from, amp - from));
        // No reference is longer than "&#x10FFFF;": looking no further keeps text full of
        // ampersands from being searched again and again to its end.
        const qsizetype length =
            raw.sliced(amp, std::min<qsizetype>(raw.size() - amp, 12)).indexOf(';');
        const qsizetype semicolon = amp + length;
        const char32_t c = length > 0 ? referencedCharacter(raw.sliced(amp + 1, length - 1)) : 0;
        if (c == 0) {
            wellFormed = false;
            text += QLatin1Char('&');
            from = amp + 1;
        } else if (QChar::requiresSurrogates(c)) {
            text += QChar(QChar::highSurrogate(c));
            text += QChar(QChar::lowSurrogate(c));
            from = semicolon + 1;
        } else {
            text += QChar(char16_t(c));
            from = semicolon + 1;
        }
    }
    text += QString::fromUtf8(raw.sliced(from));
    return text;
}

} // namespace lectorix
