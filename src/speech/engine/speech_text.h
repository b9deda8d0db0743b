#pragma once

#include <QByteArray>
#include <QString>

namespace lectorix::speech {

// Cuts text into the stretches handed to the synthesizer one at a time: about a sentence
// each, never more than MaxLength characters, so speech starts at once on any text, other
// voices get their turn between stretches, and a new rate is taken up quickly. A stretch ends
// after a sentence mark or a paragraph's end once it is MinLength characters long, else at the
// last blank before MaxLength, else at MaxLength (never inside a surrogate pair).
class StretchCutter
{
public:
    static constexpr qsizetype MinLength = 40;
    static constexpr qsizetype MaxLength = 300;

    explicit StretchCutter(const QString& text) : m_text(text) {}

    // The next stretch that holds more than blanks, as UTF-8 without NUL characters; false
    // when none is left.
    bool next(QByteArray* utf8);
    // The next stretch as it stands in the text (blank ones included); false at the end.
    bool nextPiece(QString* piece);

private:
    qsizetype cutAfter(qsizetype start) const;

    const QString& m_text;
    qsizetype m_position = 0;
};

// Text file bytes as text: UTF-8 (a leading byte-order mark dropped) when the bytes are valid
// UTF-8, Windows-1252 otherwise.
QString decodeTextFile(const QByteArray& bytes);

// Reads a text file to speak. Throws Failure naming the file when it can not be read.
QString readTextFile(const QString& path);

} // namespace lectorix::speech
