#pragma once

#include <QString>
#include <QStringList>

namespace lectorix::test {

// How many of a text's words a recognition gives back, in order.

// The words of a text as both sides are compared: split at white space, a word broken at a
// line's end by a hyphen joined again without it (as pdftotext joins it), typographic quotes
// and dashes made plain, Unicode composed (NFC). Case, accents and punctuation count.
QStringList comparableWords(const QString& text);

// 1 - (word-level edit distance / number of original words), not below 0: the share of the
// original's words that came back, in order. 1 for two empty texts.
double wordAccuracy(const QStringList& original, const QStringList& recognised);

} // namespace lectorix::test
