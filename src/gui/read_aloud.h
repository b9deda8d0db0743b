#pragma once

#include <QString>
#include <QStringList>

namespace lectorix {
class Form1;

// The captions of the reading button, which are its reading state.
inline const QString CaptionStart = QStringLiteral("Start Reading");
inline const QString CaptionPause = QStringLiteral("Pause");
inline const QString CaptionResume = QStringLiteral("Resume");

// The reading button. Its caption is the reading state: "Start Reading" starts a reading of
// Text2 (when UseTextBox) or of the PDF named in Text1, "Pause" and "Resume" act on the
// running voice. A reading stays inside SpeakLoud, handling window events, until the engine
// has spoken everything; further presses re-enter it from there.
void PushButton2_Click(Form1& form);
void SpeakLoud(Form1& form);

// Cuts text into pieces of pieceSize characters (code points, so no piece ends inside a
// surrogate pair). The number of pieces is round-half-even(length / pieceSize + 1), so the
// last piece is sometimes empty: 150,001 characters at 100,000 give 100,000, 50,001 and "".
// Throws Failure for a piece size below 1 or a count beyond the 32-bit range.
QStringList SplitTextBySize(const QString& text, int pieceSize);

} // namespace lectorix
