#pragma once

#include <QString>

namespace lectorix {

// Whether text reads as language rather than as glyphs the PDF could not map to characters:
// runs of private-use, control or unassigned code points, letters of unrelated scripts mixed
// inside words, Latin Extended-B and symbol noise. Short texts (a few words) count as language
// unless they are plainly noise.
bool isLanguage(const QString& text);

// A word as the voice should get it: compatibility forms made plain (mathematical alphabets,
// ligatures such as "ﬁ", full-width forms), soft hyphens and zero-width characters removed.
QString plainForSpeech(const QString& word);

} // namespace lectorix
