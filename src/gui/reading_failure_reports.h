#pragma once

#include "core/reading/reading_session.h"
#include "core/speech/speech_rendering.h"

namespace lectorix {

// The window's "Application Error" reports for the steps of a reading and of a speech
// rendering: each step is reported under the procedure and at the line the report has always
// named it by, so a report reads as it did wherever the step now runs. Each returns when the
// report has been dealt with.

// Steps of the reading session: the reading procedure ("Speak", "SpeakLoud").
void reportReadingFailure(const ReadingFailure& failure);
// Steps of setting up a voice that speaks on its own, for a conversion or for Test Speed: the
// WAV rendering procedure ("Speak", "SaveToWAV").
void reportRenderingFailure(const RenderingFailure& failure);

// The line a step is reported at (exposed for the tests of the table itself).
int reportLine(ReadingStep step);
int reportLine(RenderingStep step);

} // namespace lectorix
