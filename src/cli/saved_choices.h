#pragma once

namespace lectorix::cli {

// The voice, volume and rate the window would start with: what it stored in the settings
// file, read and rounded as the window reads it, or its first-start choices when nothing is
// stored.

inline constexpr int FirstStartVolume = 50;
inline constexpr int FirstStartRate = -3;

// The window shows no stored value outside its slider's range; such a value (or one that is
// not a number the window can round) gives the first-start choice here rather than silence.
int savedVolume();
int savedRate();

// The position in the voice list of voiceCount entries; -1 (the engine's default) when the
// stored index names no entry, as the window then selects none.
int savedVoiceIndex(int voiceCount);

} // namespace lectorix::cli
