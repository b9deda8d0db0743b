#pragma once

#include <QList>
#include <QString>

namespace lectorix {

// Where the sentences of a paragraph end: each entry is the position just past a sentence
// (its closing marks, quotes and brackets included); the last is the paragraph's length when
// it does not end with a sentence mark, and an empty or blank paragraph has none.
//
// A mark ends a sentence when a space or the paragraph's end follows it, and the next words
// do not begin with a small letter ("\"Go!\" he said", "Wait... then"). The marks of scripts
// written without spaces (。！？) end one wherever they stand. A single period ends none after
// an abbreviation (Mr., Dr., St., e.g., vs., and those of the language), an initial
// ("J. R. R. Tolkien", "z. B."), a dotted abbreviation ("U.S."), or a page or number word
// before a number ("p. 5", "No. 4"); "etc." and its like end one before a capital. A period
// inside a number ("3.5") or an address ("example.com") is not followed by a space.
//
// language is a voice's language code ("en", "fr-fr", "de"): its abbreviations count besides
// the English ones, which alone apply to a language without a list of its own.
QList<qsizetype> sentenceEnds(const QString& paragraph, const QString& language = QString());

} // namespace lectorix
