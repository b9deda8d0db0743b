#pragma once

#include <QByteArrayList>
#include <QString>

namespace lectorix {

// {TEMP}/pdftotext, the converter launcher written at start-up and removed at closing.
QString converterPath();

// Command lines for the PDF-to-text converter ({TEMP}/pdftotext). Every path and the password
// are quoted with quoted(); the password is given as owner and as user password, because
// pdftotext takes a document's open password only as user password. An empty password adds
// nothing. firstPage/lastPage of 0 leave that end of the range open. An empty outputPath lets
// the converter write beside the PDF (see converterOutputPath). A relative path that begins
// with "-" is given as "./-..." so that it always names a file.
//   "{conv}" "{pdf}"
//   "{conv}" -opw "{pw}" -upw "{pw}"  -f 1 -l 100 "{pdf}" "{out}"
QString converterCommandLine(const QString& converterPath, const QString& password,
                             const QString& pdfPath, const QString& outputPath, int firstPage = 0,
                             int lastPage = 0);

// The same as the argument vector the converter is started with. With latin1Password the
// password is given as Latin-1 bytes instead of UTF-8 (see worthLatin1Retry).
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

// Runs the converter and returns its exit code (the callers judge by the text file). A text
// file left at converterOutputPath by an earlier run is removed first, so the file exists
// afterwards exactly when this run wrote it. A converter that checkOwnProgram refuses is not
// run: the Failure goes to the caller. A password with letters outside ASCII is tried
// as UTF-8 (the newer AES-256 encryption) and, when that writes no text, as Latin-1 bytes
// (the older RC4 and AES-128 encryptions), so documents of both kinds open.
int runPdfConverter(const QString& converterPath, const QString& password, const QString& pdfPath,
                    const QString& outputPath, int firstPage = 0, int lastPage = 0);

} // namespace lectorix
