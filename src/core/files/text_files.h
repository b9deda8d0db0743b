#pragma once

#include "core/base/failure.h"
#include "core/files/text_decoding.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace lectorix {

// Text files are read by decodeTextFile (files/text_decoding.h). CR LF, LF and a lone CR each
// end a line. Lengths count characters (code points).

// Cuts text into lines at CR LF, LF or a lone CR; a break at the very end adds no line, and
// an empty text is one empty line.
QStringList splitLines(const QString& text);

// The steps of reading a text file into pieces.
enum class TextFileStep {
    LookUp, // is there a file at the path
    Read,   // reading and decoding it
    Split,  // cutting the text into pieces
};
using TextFileFailure = StepFailure<TextFileStep>;

// A text file's pieces (at least one element), and the step that failed when it could not be
// read; the pieces are then one empty text.
struct TextFilePieces
{
    QStringList pieces{QString()};
    std::optional<TextFileFailure> failure;
};

// The file as a list of lines (a final line break adds none).
TextFilePieces readTextFileLines(const QString& path);
// The file as blocks of 65,536 characters; joined they give the whole text. A missing file
// fails at LookUp, one that cannot be read at Read.
TextFilePieces readTextFileBlocks(const QString& path);
// True when the converter's text holds a non-printable character and fewer than six printable
// ones in all: a scanned document. Printable is every character but the control characters
// (0 to 31 and 127 to 159) and undecodable bytes; letters of every script count.
bool isUnreadableText(const QStringList& lines);

inline constexpr qsizetype TextBlockLength = 65536;

} // namespace lectorix
