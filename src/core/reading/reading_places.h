#pragma once

#include <QString>

#include <optional>

namespace lectorix {

// Where readings of PDFs stopped early, kept in the settings file in a section of its own
// ([Reading Places]), the most recent first and at most MaxReadingPlaces documents. A
// document is known by its full path, its size and its modification time, so a changed or
// replaced file starts afresh.
inline constexpr int MaxReadingPlaces = 50;

// Stores position (a character offset in the document's extracted text) for the PDF at path.
// Throws Failure when the settings file cannot be written; a missing file is not stored.
void rememberReadingPlace(const QString& pdfPath, qsizetype position);
// The stored position, when the file is still the one it was stored for.
std::optional<qsizetype> readingPlace(const QString& pdfPath);
// Drops what is stored for the PDF at path (a reading that went to the end).
void forgetReadingPlace(const QString& pdfPath);

} // namespace lectorix
