#include "speech/engine/speech_text.h"

#include "platform/failure.h"

#include <QFile>
#include <QStringDecoder>

namespace lectorix::speech {

namespace {

bool endsSentence(QChar c)
{
    switch (c.unicode()) {
    case '.':
    case '!':
    case '?':
    case ';':
    case ':':
    case 0x2026:
    case 0x3002:
    case 0xFF01:
    case 0xFF1F:
    case 0xFF0E:
        return true;
    default:
        return false;
    }
}

// A sentence mark followed by a blank (or a full-width one), or the end of a paragraph (a
// line break before an empty line). A single line break is only a blank: text converted from
// PDF breaks its lines in the middle of sentences.
bool endsStretch(QChar c, QChar next)
{
    if (c == u'\n')
        return next == u'\n' || next == u'\r';
    if (c == u'\r')
        return next == u'\r'; // in CR LF CR LF the break falls after the first LF
    return endsSentence(c) && (next.isSpace() || c.unicode() >= 0x3000);
}

// Windows-1252 at 0x80..0x9F; the rest of the code page matches Latin-1.
constexpr char16_t Cp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

} // namespace

qsizetype StretchCutter::cutAfter(qsizetype start) const
{
    const qsizetype size = m_text.size();
    if (size - start <= MaxLength)
        return size;
    const qsizetype limit = start + MaxLength;
    qsizetype lastBlank = -1;
    for (qsizetype i = start; i < limit; ++i) {
        const QChar c = m_text[i];
        if (i + 1 - start >= MinLength && endsStretch(c, m_text[i + 1]))
            return i + 1;
        if (c.isSpace() && i > start)
            lastBlank = i;
    }
    if (lastBlank > start)
        return lastBlank + 1;
    return m_text[limit - 1].isHighSurrogate() ? limit - 1 : limit;
}

bool StretchCutter::nextPiece(QString* piece)
{
    if (m_position >= m_text.size())
        return false;
    const qsizetype end = cutAfter(m_position);
    *piece = m_text.mid(m_position, end - m_position);
    m_position = end;
    return true;
}

bool StretchCutter::next(QByteArray* utf8)
{
    QString piece;
    while (nextPiece(&piece)) {
        if (piece.trimmed().isEmpty())
            continue;
        piece.replace(QChar(0), QChar(u' '));
        *utf8 = piece.toUtf8();
        return true;
    }
    return false;
}

QString decodeTextFile(const QByteArray& bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError()) {
        if (text.startsWith(QChar(0xFEFF)))
            text.remove(0, 1);
        return text;
    }
    text.resize(bytes.size());
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        text[i] = (b >= 0x80 && b < 0xA0) ? QChar(Cp1252High[b - 0x80]) : QChar(b);
    }
    return text;
}

QString readTextFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw Failure(
            QStringLiteral("Can not read the text file \"%1\": %2").arg(path, file.errorString()));
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw Failure(
            QStringLiteral("Can not read the text file \"%1\": %2").arg(path, file.errorString()));
    return decodeTextFile(bytes);
}

} // namespace lectorix::speech
