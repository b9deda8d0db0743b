#pragma once

#include <QString>

namespace lectorix {

// Why a password is asked for: before the document is tried (the password box is ticked), or
// because it did not open without one, or with the one given.
enum class PasswordQuestion { BeforeTrying, Needed, Wrong };

// The password prompt shared by reading aloud, extraction and MP3 conversion: title
// "Input Password", the prompt naming pathShown (and, asked after a try, saying why), typed
// characters masked. Cancel gives the empty string, like a blank entry.
QString askPassword(const QString& pathShown,
                    PasswordQuestion why = PasswordQuestion::BeforeTrying);

} // namespace lectorix
