#pragma once

#include <QString>

namespace lectorix {

// The launchers in {TEMP} ({TEMP}/pdftotext, {TEMP}/lame) are shared by every instance of the
// window that uses the same {TEMP}: each writes one only when it is missing, and the first to
// finish must not delete the one another instance is about to run. An instance that uses the
// launchers holds a shared lock on the {TEMP} folder itself (no file is added to it) until it
// ends; a launcher is removed only while no other instance holds one.

// Takes this process's shared hold on the current {TEMP}, once per folder; a {TEMP} that
// cannot be opened is left alone (there is then no launcher in it to protect either).
void shareLaunchers();

// True when another process holds {TEMP}'s launchers.
bool launchersUsedElsewhere();

// Removes the launcher at path, as removeFile does, unless another instance still uses it.
void removeLauncher(const QString& path);

} // namespace lectorix
