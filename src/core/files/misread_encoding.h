#pragma once

// Text written in another encoding and shown through a font's Latin-1 (WinAnsi) map: each byte
// became the Windows-1252 character of its value, so Russian written in Windows-1251 reads
// "ÔÅÄÅÐÀËÜÍÎÅ" and Chinese written in GBK "¹ØÓÚ". Each of those characters alone is a plain
// letter or sign of Latin-1; together they are no language, and read again from their bytes in
// the right encoding they are the text.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QStringView>

namespace lectorix {

// A word made of the upper half of Latin-1 alone (the letters À to ÿ and the signs ¡ to ¿),
// three or more of them, or two with a sign among them, cased as a word is (no capital after a
// small letter): no language written in Latin letters has such words, and bytes of another
// encoding read as Latin-1 are made of them.
bool isMisreadWord(QStringView word);

// The encoding among Windows-1251, KOI8-R, GBK, Big5 and Shift_JIS in which the words' bytes
// make language, tried when the upper half of Latin-1 is a large share of their letters and
// signs: Cyrillic words with vowels, cased as words, of the letters most used; or Chinese or
// Japanese characters of those in common use. Of those that fit, the one with the fewest
// invalid sequences and uncommon characters. Empty when none fits.
QByteArray misreadEncoding(const QStringList& words);

// The word read again from its Windows-1252 bytes in encoding (one that misreadEncoding gives);
// a word without a byte of the upper half, or with a character no byte gives, stays as it is.
QString redecoded(const QString& word, const QByteArray& encoding);

} // namespace lectorix
