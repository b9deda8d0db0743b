#pragma once

#include <QString>

#include <optional>

namespace lectorix {

// Where readings of PDFs stopped early, kept in the settings file in a section of its own
// ([Reading Places]), the most recent first and at most MaxReadingPlaces documents. A
// document is known by its full path, its size and its modification time, so a changed or
// replaced file starts afresh.
inline constexpr int MaxReadingPlaces = 50;

// How a place is named when it is offered again: its page (counted from 1; 0 when unknown),
// the first words of its sentence and the title of its chapter (each empty when unknown).
struct PlaceName
{
    int page = 0;
    QString words;
    QString chapter;
    bool operator==(const PlaceName&) const = default;
};

// The name of position in text, a document's extracted text whose pages end with form feeds:
// the page holding it and up to wordCount words from the start of the sentence holding it,
// blanks and line breaks between them shown as single spaces, and "…" after them when the
// sentence goes on. No name when position lies outside the text.
PlaceName nameOfPlace(const QString& text, qsizetype position, int wordCount = 8);

// Stores position (a character offset in the document's extracted text) for the PDF at path,
// with the place's name when it is known.
// Throws Failure when the settings file cannot be written; a missing file is not stored.
void rememberReadingPlace(const QString& pdfPath, qsizetype position, const PlaceName& name = {});
// The stored position, when the file is still the one it was stored for.
std::optional<qsizetype> readingPlace(const QString& pdfPath);
// The stored place's name, under the same condition.
std::optional<PlaceName> readingPlaceName(const QString& pdfPath);
// Drops what is stored for the PDF at path (a reading that went to the end).
void forgetReadingPlace(const QString& pdfPath);

} // namespace lectorix
