#pragma once

#include "core/speech/utterance.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace lectorix {

// Cuts text into pieces of pieceSize characters (code points, so no piece ends inside a
// surrogate pair). The number of pieces is round-half-even(length / pieceSize + 1), so the
// last piece is sometimes empty: 150,001 characters at 100,000 give 100,000, 50,001 and "".
// Throws Failure for a piece size below 1 or a count beyond the 32-bit range.
QStringList splitTextBySize(const QString& text, int pieceSize);

// Cuts utterances into at most `parts` runs of about equal length (in characters), each
// ending at the end of an utterance, so each run can be spoken on its own and the runs joined
// sound as the whole would. Joined, they give the utterances back. A run is never shorter than
// minimumLength only to make up the count: short texts give fewer runs, and no utterances none.
QList<QList<Utterance>> splitUtterances(const QList<Utterance>& utterances, int parts,
                                        qsizetype minimumLength);

// Splits text into words as the reading counts them: runs of letters, digits and marks, with an
// apostrophe or hyphen inside a word kept ("it's", "first-class").
QStringList wordsOf(const QString& text);

} // namespace lectorix
