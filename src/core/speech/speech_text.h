#pragma once

#include "core/files/text_decoding.h"

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

namespace lectorix::speech {

// Cuts text into the stretches handed to the synthesizer one at a time: about a sentence
// each, never more than MaxLength characters, so speech starts at once on any text, other
// voices get their turn between stretches, and a new rate is taken up quickly. A stretch ends
// after a sentence mark or a paragraph's end once it is MinLength characters long, else at the
// last blank before MaxLength, else at MaxLength (never inside a surrogate pair). Phonemes
// between "[[" and "]]" are only cut when they alone are longer than MaxLength.
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

    // Every stretch of text that holds more than blanks, NUL characters made blanks, with
    // where it starts in text.
    static QList<QPair<qsizetype, QString>> stretchesOf(const QString& text);

private:
    qsizetype cutAfter(qsizetype start) const;

    const QString& m_text;
    qsizetype m_position = 0;
};

// Text files to speak are read by the program's one decoding rule.
using lectorix::decodeTextFile;
using lectorix::readTextFile;

} // namespace lectorix::speech
