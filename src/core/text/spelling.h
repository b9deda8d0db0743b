#pragma once

// Whether a word is a word of its language, by the hunspell dictionaries installed on the
// machine (Debian's hunspell-* packages, under /usr/share/hunspell). A word in another script
// than the voice's language's is looked up in the language its script is most written in.
// Without a dictionary for the language (or without hunspell at all) the answer is Unknown,
// and the caller decides as it would without one.

#include <QString>

namespace lectorix {

enum class Spelling { Word, NotWord, Unknown };

// language is the voice's language tag ("en-us", "ru", "fr"); empty gives Unknown unless the
// word's script names a language of its own.
Spelling spellingOf(const QString& word, const QString& language);

// The dictionary file (.dic, its .aff beside it) that stands for a language tag among the
// files of a folder: the tag's own region ("en-us": en_US.dic), then the language's own
// country (fr_FR.dic for "fr"), then the bare language (fr.dic), then any region of it in
// alphabetical order; empty when none fits.
QString dictionaryFor(const QString& language, const QStringList& dictionaryFiles);

} // namespace lectorix
