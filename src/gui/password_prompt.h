#pragma once

#include <QString>

namespace lectorix {

// The password prompt shared by reading aloud, extraction and MP3 conversion: title
// "Input Password", the prompt naming pathShown, typed characters masked. Cancel gives the
// empty string, like a blank entry.
QString askPassword(const QString& pathShown);

} // namespace lectorix
