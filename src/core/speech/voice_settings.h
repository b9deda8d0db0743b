#pragma once

#include <functional>

namespace lectorix {

class Guard;
namespace speech {
class Voice;
}

// The voice a reading or a rendering speaks with.
struct VoiceSettings
{
    int voiceIndex = -1; // position in the engine's enumeration; -1 for the engine's default
    int volume = 100;    // 0..100
    int rate = 0;        // -10..10
};

// Gives a new voice the chosen voice, volume and rate, as four numbered steps of the caller's
// procedure: the test whether a voice was chosen at firstLine, choosing it at firstLine + 2,
// the volume at firstLine + 4 and the rate at firstLine + 6. The voice list and the engine's
// enumeration share their order, so the position is the only link; a position the engine no
// longer has fails its step. voice() throws when there is no voice, so each step then fails
// on its own line.
void applyVoiceSettings(Guard& g, int firstLine, const VoiceSettings& settings,
                        const std::function<speech::Voice&()>& voice);

} // namespace lectorix
