#pragma once

#include "core/text/text_splitting.h"

#include <QString>

namespace lectorix {

// The captions of the reading button, which show the reading session's state.
inline const QString CaptionStart = QStringLiteral("Start Reading");
inline const QString CaptionPause = QStringLiteral("Pause");
inline const QString CaptionResume = QStringLiteral("Resume");
// Asked before reading a PDF again whose last reading was stopped early.
inline const QString ContinueQuestion = QStringLiteral("Continue where you stopped?");

struct PlaceName;
// The question with the place beneath it, when its name is known: its page and the first words
// of its sentence; it names the place's chapter when that is known ("Continue in Chapter 12?").
QString continueQuestion(const PlaceName& place);

} // namespace lectorix
