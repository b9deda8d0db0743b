#pragma once

#include <QString>

namespace lectorix {

// The settings store: one INI file, $XDG_CONFIG_HOME/Quendrel.conf (else ~/.config), group
// [Lectorix], one text value per key. Every value is written the moment it changes.

// The path of the settings file, worked out anew on every call.
QString settingsFilePath();

// The text stored under key, or the default when the key was never written.
QString readSetting(const QString& key, const QString& defaultValue);
QString readSetting(const QString& key, int defaultValue);

// Stores text under key. Throws Failure when the file cannot be written.
void writeSetting(const QString& key, const QString& value);

// Whether the ReadVerbatim setting asks for speech line by line as the text stands; false
// when it is missing or unreadable.
bool readsVerbatim();

// Whether the ReadFootnotes setting asks for a PDF's footnotes to be read (after the paragraph
// that cites them); true when it is missing or unreadable.
bool readsFootnotes();

// Whether the RecogniseScannedPages setting asks for the text of scanned pages to be recognised
// without asking; false when it is missing or unreadable.
bool recognisesScannedPages();
// Whether the OneVoice setting asks for every sentence in the chosen voice, whatever its
// script; false when it is missing or unreadable.
bool usesOneVoice();

namespace convert {

// The number at the start of the text, 0 when there is none. Blanks are skipped, as are
// tabs and line feeds; "&H" and "&O" prefixes read hexadecimal and octal. Never fails.
double leadingNumber(const QString& text);

// Rounds to a whole number with halves going to the even neighbour (2.5 -> 2, 3.5 -> 4).
// Throws Failure("Overflow") outside the 32-bit range.
int roundHalfEven(double value);

// The whole text must be a number (blanks around it allowed); rounded as above.
// Throws Failure("Type mismatch") otherwise.
int strictWholeNumber(const QString& text);

// True or False in any letter case, or a number (0 is false). Throws Failure("Type mismatch").
bool truthValue(const QString& text);

// The written forms.
inline QString fromBool(bool value)
{
    return value ? QStringLiteral("True") : QStringLiteral("False");
}
inline QString fromInt(int value)
{
    return QString::number(value);
}

} // namespace convert

} // namespace lectorix
