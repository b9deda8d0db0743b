#pragma once

#include <QString>
#include <QTemporaryDir>

#include <memory>

namespace lectorix {

// {TEMP}: the value of TEMP when it is set and not empty, read anew on every call. Otherwise a
// private per-user folder ($XDG_RUNTIME_DIR/lectorix, else /tmp/lectorix-<uid>), created
// with mode 0700. Throws Failure, with a message saying why, when that private folder exists
// but is a symbolic link, not a folder, owned by someone else or open to others: programs are
// written into it and run from it, so nothing may be written through such a path.
QString tempFolder();

// tempFolder() + "/" + name.
QString tempPath(const QString& name);

// A new private folder {TEMP}/<prefix>-XXXXXX for one job's working files, removed with
// everything in it when the returned object goes. Throws Failure when it cannot be made.
std::unique_ptr<QTemporaryDir> makeWorkingFolder(const QString& prefix);

// Called right before a program kept in {TEMP} (the launchers, the join script) is run. TEMP
// may name a folder that others can write, and a file found there is kept, not rewritten:
// throws Failure naming the file unless it is a regular file (not a symbolic link) owned by
// this user that neither group nor others can change. A missing file passes; running it then
// fails on its own.
void checkOwnProgram(const QString& path);

} // namespace lectorix
