#pragma once

#include <QByteArray>
#include <QString>

namespace lectorix {

// Path and file utilities shared by every part of the program. Paths use "/" as the only
// separator. Functions marked "never throws" turn every error into their defined answer;
// the others throw Failure for the guarded caller to report.

bool fileExists(const QString& path);     // anything exists at path; never throws
bool isExistingFile(const QString& path); // an existing regular file, no "?" or "*"; never throws
bool isFolder(const QString& path);       // an existing folder; never throws

// Path without its last "." and what follows, when that dot is not the first character.
QString stripExtension(const QString& path);
// The text after the last "/" (empty when path ends in "/").
QString fileNameOf(const QString& path);
// The text up to and including the last "/" (empty when there is none).
QString folderOf(const QString& path);
// Linux has no short names: the path unchanged.
QString shortPath(const QString& path);
// "//" becomes "/" scanning once left to right; a leading run of "/" becomes exactly one.
QString normalizeSlashes(const QString& path);

// Deletes a file, ignoring every error (a missing file is no failure). Never throws.
void removeFile(const QString& path);
// Deletes a file, also a read-only one; throws Failure when it cannot.
void deleteFile(const QString& path);

// Replaces the file at path with text, as UTF-8 without byte-order mark. The new content is
// written to a temporary file beside it and renamed into place, so a failure half way (a full
// disk) leaves the old file as it was. Throws Failure for a read-only file, a missing folder
// or any write error.
void writeStringToFile(const QString& text, const QString& path);

// Writes bytes to path unless something exists there already; an existing file is never
// touched. With executable set, the new file gets its run bit. Throws Failure on errors and
// then leaves nothing half-written behind.
void writeFileIfMissing(const QByteArray& bytes, const QString& path, bool executable = false);

// The desktop folder with one trailing "/"; the home folder when there is no desktop folder.
// Throws Failure when neither is known.
QString desktopFolderPath();

} // namespace lectorix
