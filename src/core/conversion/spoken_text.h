#pragma once

#include <QString>

namespace lectorix {

// Keeps letters, digits and combining marks of every script, the space and . , ? ! ; as well
// as an apostrophe (' or \u2019) after a letter and a hyphen between letters. Every other
// character becomes one space, so the length in characters does not change. Letter case stays:
// "US" is not "us".
QString cleanLineForSpeech(const QString& text);

// A line as the export gives it to the voice: "&#xa0;" removed, then cleaned.
QString speechLine(QString line);

// The text as the export speaks it: every line (CR LF, LF and a lone CR each end one; a final
// break adds none) made a speechLine and ended with "\n", so the last word of one line and the
// first of the next are never spoken as one word. An empty text gives an empty one.
QString spokenText(const QString& text);

} // namespace lectorix
