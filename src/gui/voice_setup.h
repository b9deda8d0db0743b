#pragma once

namespace lectorix {
class MainWindow;
namespace speech {
class Voice;
}

// Giving a new voice object what the window has chosen. Reading aloud and WAV rendering run
// these as separate numbered steps of their own guarded procedures, so each one is small and
// throws lectorix::Failure for its caller's guard to report.

// True when the voice list has a selection; without one the engine's default voice is used.
bool hasSelectedVoice(const MainWindow& form);

// Enumerates the engine's voices afresh and gives voice the one at the list's selected
// position: the list and the enumeration share their order, the position is the only link.
// Throws when the engine no longer has a voice at that position (the voice keeps its own).
void useSelectedVoice(speech::Voice& voice, const MainWindow& form);

// The volume slider's value, 0 to 100, and the rate slider's value, -10 to 10.
void useSliderVolume(speech::Voice& voice, const MainWindow& form);
void useSliderRate(speech::Voice& voice, const MainWindow& form);

} // namespace lectorix
