#pragma once

#include "core/base/failure.h"

#include <QString>

#include <functional>

namespace lectorix {

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

// The steps of giving a voice its settings, in the order they run.
enum class VoiceSettingStep {
    ChooseVoice, // only when a voice was chosen
    SetVolume,
    SetRate,
};
using VoiceSettingFailure = StepFailure<VoiceSettingStep>;

// Gives a new voice the chosen voice, volume and rate. A failing step is handed to failed
// as it fails, and the next step still runs. The voice list and the engine's enumeration share
// their order, so the position is the only link; a position the engine no longer has fails
// its step. voice() throws when there is no voice, so each step then fails on its own.
void applyVoiceSettings(const VoiceSettings& settings, const std::function<speech::Voice&()>& voice,
                        const std::function<void(const VoiceSettingFailure&)>& failed);

// The language a voice identifier names: its last part, in small letters ("gmw/en-GB-x-rp"
// gives "en-gb-x-rp").
QString voiceIdLanguage(const QString& identifier);

// The language of the settings' voice (the engine's default for -1), asked of a voice made
// for it; empty when the engine cannot tell or make one.
QString voiceLanguage(const VoiceSettings& settings);

} // namespace lectorix
