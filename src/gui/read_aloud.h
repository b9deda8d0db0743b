#pragma once

#include "core/text_splitting.h"

#include <QString>

namespace lectorix {
class MainWindow;

// The captions of the reading button, which show the reading session's state.
inline const QString CaptionStart = QStringLiteral("Start Reading");
inline const QString CaptionPause = QStringLiteral("Pause");
inline const QString CaptionResume = QStringLiteral("Resume");

// The reading button: starts a reading of the text box (when it is the source) or of the PDF
// named in the PDF box, pauses a running reading and resumes a paused one. The reading runs
// in the window's ReadingSession; this returns at once.
void pressReadButton(MainWindow& form);
void startPauseOrResumeReading(MainWindow& form);

// Makes the button's caption, the pointer and the screen reader follow the session's state.
void showReadingState(MainWindow& form);

} // namespace lectorix
