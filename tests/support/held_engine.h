#pragma once

// An engine whose voices finish only when the test says so, so a reading can be held inside
// its waiting loop while the test presses the button, edits the text or closes the window.
// It installs itself as the program's engine for its lifetime.

#include "core/speech/speech_engine.h"

#include <QStringList>

namespace lectorix::test {

class HeldEngine final : public speech::Engine
{
public:
    HeldEngine();
    ~HeldEngine() override;
    HeldEngine(const HeldEngine&) = delete;
    HeldEngine& operator=(const HeldEngine&) = delete;

    // Everything queued so far counts as heard (except on a paused voice).
    bool finished = false;
    // Whether a voice begins each text as it is given one; when not, nothing it was given has
    // begun, as before synthesis starts.
    bool beginAtOnce = true;
    // The word the voices report as heard now.
    speech::WordPosition word;
    // "voice1 created", "voice1 speak <text>", "voice1 pause", "voice1 resume", ...
    QStringList log;
    int alive = 0;

    // The texts the voice (for example "voice1") was given, in order.
    QStringList spokenBy(const QString& voice) const;

    std::unique_ptr<speech::Voice> createVoice() override;
    // Held voices speak to the sound device only.
    std::unique_ptr<speech::FileStream> createFileStream() override;

private:
    int m_made = 0;
};

} // namespace lectorix::test
