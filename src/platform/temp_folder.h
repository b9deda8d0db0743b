#pragma once

#include <QString>

namespace lectorix {

// {TEMP}: the value of TEMP when it is set and not empty, read anew on every call. Otherwise a
// private per-user folder ($XDG_RUNTIME_DIR/lectorix, else /tmp/lectorix-<uid>), created
// with mode 0700. Throws Failure, with a message saying why, when that private folder exists
// but is a symbolic link, not a folder, owned by someone else or open to others: programs are
// written into it and run from it, so nothing may be written through such a path.
QString tempFolder();

// tempFolder() + "/" + name.
QString tempPath(const QString& name);

} // namespace lectorix
