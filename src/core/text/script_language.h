#pragma once

#include <QString>

namespace lectorix {

// The language whose voice should speak text written in another script than the voice's
// language: the language most written in the script that most of the text's letters are in
// ("ru" for Cyrillic, "el" for Greek, "ar" for Arabic, "he" for Hebrew, "cmn" for Han, "ja"
// for Han with kana or for kana, "ko" for Hangul, "hi" for Devanagari, and so on). Empty when
// most letters are Latin, when the script is one that voiceLanguage (a tag such as "en-us" or
// "uk") is written in, or when the script is not one of those known. Only the script counts:
// a Latin-script language is not told from another.
QString scriptLanguage(const QString& text, const QString& voiceLanguage);

// Whether most of the text's letters are in a script that no voice speaks: neither Latin nor
// one of the scripts scriptLanguage knows a language of (Deseret, Shavian, runes, Linear B).
bool isUnspokenScript(const QString& text);

} // namespace lectorix
