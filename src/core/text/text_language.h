#pragma once

#include <QString>

namespace lectorix {

// Whether text reads as language rather than as glyphs the PDF could not map to characters:
// runs of private-use (planes 15 and 16 too), control or unassigned code points, letters of
// unrelated scripts mixed inside words, Latin Extended-B and IPA letters, accented letters
// strung in the order of their code points ("ÆÇÈÉ"), words of Latin-1's upper half alone that
// are another encoding's bytes ("ÔÅÄÅÐÀËÜÍÎÅ"), spacing accents and Latin-1 signs. Letters
// of every script with their accents are language; numbers, punctuation, mathematical and
// currency signs, pictures and box drawing are neutral, so a text of nothing else counts as
// language. Short texts (a few words) count as language unless most of them is noise; longer
// ones are noise from a fifth.
bool isLanguage(const QString& text);

// A word as the voice should get it: compatibility forms made plain by NFKC (mathematical
// alphabets, ligatures such as "ﬁ", full-width and half-width forms, letter-like symbols,
// Roman numerals, circled numbers, presentation forms), soft hyphens, zero-width characters
// and direction marks removed. Superscripts, fractions, № and ™ stay as they are.
QString plainForSpeech(const QString& word);

} // namespace lectorix
