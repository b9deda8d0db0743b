#pragma once

#include <QString>

namespace lectorix {

// A line as the voice should get it: what espeak-ng reads as a word or a pause stays, what it
// would spell out as noise becomes one space per character, so the length in characters does
// not change and a position in the line is the same position in the text. Letter case stays:
// "US" is not "us".
//
// Stay: letters, digits and marks of every script; punctuation of every script (sentence
// marks, colons, dashes, brackets, straight and curly quotes, apostrophes); %, ‰, §, №, @, /,
// &, #, currency signs, mathematical signs (+ = × ≤), °, ©, ®, ™; an asterisk between
// numbers; a soft hyphen, a middle dot or an acute accent inside a word.
// Go: controls and tabs, other spaces, private-use and unassigned code points, lone
// surrogates, zero-width and direction characters, "_", "\", "|", "~", "¬", spacing accents,
// arrows, box drawing, shapes, emoji, footnote daggers and bullets, any run of three signs
// ("***", "=====", "!@#$%"), and all but the first mark of a leader or rule ("........",
// ". . . . . . .", "………", "-----"; an ellipsis such as "..." or "……" stays whole).
QString cleanLineForSpeech(const QString& text);

// A line as the export gives it to the voice: "&#xa0;" removed, then cleaned.
QString speechLine(QString line);

// The text as the export speaks it: every line (CR LF, LF and a lone CR each end one; a final
// break adds none) made a speechLine and ended with "\n", so the last word of one line and the
// first of the next are never spoken as one word. An empty text gives an empty one.
QString spokenText(const QString& text);

} // namespace lectorix
