#pragma once

#include <QByteArrayList>
#include <QString>

namespace lectorix {

// {TEMP}/pdftotext, the converter launcher written at start-up and removed at closing.
QString converterPath();

// The argument list the PDF-to-text converter is started with; argv[0] is converterPath. The
// converter is asked for the pages' layout (words with their boxes, in reading order).
// The password is given as owner and as user password, because pdftotext takes a document's
// open password only as user password; as UTF-8, or with latin1Password as Latin-1 bytes (see
// worthLatin1Retry). An empty password adds nothing. firstPage/lastPage of 0 leave that end of
// the range open. An empty outputPath lets the converter write beside the PDF (see
// converterOutputPath). Paths go through fileOperand.
//   conv -bbox-layout -opw pw -upw pw -f 1 -l 100 pdf out
QByteArrayList converterArguments(const QString& converterPath, const QString& password,
                                  const QString& pdfPath, const QString& outputPath, int firstPage,
                                  int lastPage, bool latin1Password);

// Older encryptions (RC4, AES-128) take the password in a single-byte encoding, the newer
// AES-256 in UTF-8. A second try with Latin-1 bytes is worth it only when those differ from
// the UTF-8 bytes and every letter has a Latin-1 byte.
bool worthLatin1Retry(const QString& password);

// A relative path that begins with "-" would be taken for an option: "./" keeps it a file.
QString fileOperand(const QString& path);

// The text file the converter writes: outputPath, or when that is empty the PDF's path with
// ".txt" in place of a final ".pdf" (or ".PDF"), else with ".txt" added.
QString converterOutputPath(const QString& pdfPath, const QString& outputPath);

} // namespace lectorix
