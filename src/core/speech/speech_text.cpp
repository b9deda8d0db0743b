#include "core/speech/speech_text.h"

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

} // namespace

qsizetype StretchCutter::cutAfter(qsizetype start) const
{
    const qsizetype size = m_text.size();
    if (size - start <= MaxLength)
        return size;
    const qsizetype limit = start + MaxLength;
    qsizetype lastBlank = -1;
    bool inPhonemes = false;
    for (qsizetype i = start; i < limit; ++i) {
        const QChar c = m_text[i];
        if (c == u'[' && m_text[i + 1] == u'[')
            inPhonemes = true;
        else if (c == u']' && i > start && m_text[i - 1] == u']')
            inPhonemes = false;
        if (inPhonemes)
            continue;
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

QList<QPair<qsizetype, QString>> StretchCutter::stretchesOf(const QString& text)
{
    QList<QPair<qsizetype, QString>> stretches;
    StretchCutter cutter(text);
    QString piece;
    qsizetype start = 0;
    while (cutter.nextPiece(&piece)) {
        const qsizetype end = start + piece.size();
        if (!piece.trimmed().isEmpty())
            stretches.append({start, piece.replace(QChar(0), QChar(u' '))});
        start = end;
    }
    return stretches;
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

} // namespace lectorix::speech
