#pragma once

#include "core/text/text_splitting.h"

#include <QString>

namespace lectorix {
class MainWindow;

// The captions of the reading button, which show the reading session's state.
inline const QString CaptionStart = QStringLiteral("Start Reading");
inline const QString CaptionPause = QStringLiteral("Pause");
inline const QString CaptionResume = QStringLiteral("Resume");
// Asked before reading a PDF again whose last reading was stopped early.
inline const QString ContinueQuestion = QStringLiteral("Continue where you stopped?");

// The reading button: starts a reading of the text box (when it is the source) or of the PDF
// named in the PDF box, pauses a running reading and resumes a paused one. Of the text box a
// selection is read on its own, else the text from the sentence holding the cursor (all of it
// with the cursor at the very start or end). The reading runs
// in the window's ReadingSession; this returns at once.
void pressReadButton(MainWindow& form);
void startPauseOrResumeReading(MainWindow& form);

// Makes the button's caption, the pointer and the screen reader follow the session's state.
void showReadingState(MainWindow& form);

} // namespace lectorix
