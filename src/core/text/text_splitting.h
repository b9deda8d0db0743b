#pragma once

#include <QString>
#include <QStringList>

namespace lectorix {

// Cuts text into pieces of pieceSize characters (code points, so no piece ends inside a
// surrogate pair). The number of pieces is round-half-even(length / pieceSize + 1), so the
// last piece is sometimes empty: 150,001 characters at 100,000 give 100,000, 50,001 and "".
// Throws Failure for a piece size below 1 or a count beyond the 32-bit range.
QStringList splitTextBySize(const QString& text, int pieceSize);

// Cuts text into at most `parts` pieces of about equal length, each ending where a stretch of
// speech ends (after a sentence mark or a paragraph, else at a blank), so each piece can be
// spoken on its own and the pieces joined sound as the whole would. Joined, they give the
// text back. Short texts give fewer pieces; an empty text gives none.
QStringList splitAtStretches(const QString& text, int parts, qsizetype minimumLength);

} // namespace lectorix
