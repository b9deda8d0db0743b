#include "gui/wav_rendering.h"

#include "core/base/error_report.h"
#include "core/base/event_pump.h"
#include "core/base/failure.h"
#include "core/speech/speech_engine.h"
#include "gui/dialogs.h"
#include "gui/main_window.h"
#include "gui/reading_controller.h"
#include "gui/voice_setup.h"

#include <memory>
#include <optional>

namespace lectorix {

namespace {

// Runs the speaking step. Its failure is not reported: the caller jumps to the end and decides
// there what to tell the user. Returns the failure's description, if any.
template <typename Step> std::optional<QString> speakingFailure(Step&& step)
{
    try {
        step();
        return std::nullopt;
    } catch (...) {
        return describeCurrentException();
    }
}

// The object a step works on; a missing one fails as the classic runtime words it.
template <typename T> T& object(const std::unique_ptr<T>& pointer)
{
    if (!pointer)
        throw Failure(failures::ObjectRequired);
    return *pointer;
}

} // namespace

void speakWithWindowVoice(MainWindow& form, const QString& text, const QString& fileName)
{
    Guard g("Speak", "SaveToWAV");
    std::unique_ptr<speech::Voice>& voice = form.reading().renderVoice();
    // Released when the call ends, whichever way it went; the voice lets go of it first.
    std::unique_ptr<speech::FileStream> stream;
    std::optional<QString> pending;

    g(100, [&] { voice = speech::engine().createVoice(); });
    if (!g.test(102, [&] { return voice == nullptr; })) {
        applyVoiceSettings(g, 104, chosenVoice(form),
                           [&]() -> speech::Voice& { return object(voice); });
        if (g.test(112, [&] { return !fileName.isEmpty(); })) {
            g(114, [&] { stream = speech::engine().createFileStream(); });
            if (g.test(116, [&] { return stream != nullptr; })) {
                // Line 118 chose the stream's format; ours always writes 22,050 Hz 16-bit mono.
                g(120, [&] { object(stream).open(fileName); });
                g(122, [&] { object(voice).setAudioOutputStream(stream.get()); });
            }
            g(124, [] { events::processPending(); });
            pending = speakingFailure([&] {
                // Speech meant for a file that could not be opened must not come out of the
                // speakers instead: during an MP3 conversion that would read a whole chunk
                // aloud. The failed open has been reported already.
                if (!stream || !stream->isOpen())
                    throw Failure(QStringLiteral("The WAV file %1 is not open.").arg(fileName));
                object(voice).speakFile(text);
            });
            if (!pending) {
                g(128, [&] { object(stream).close(); });
                // Lines 130 and 134 release the stream; it goes once the voice has let go of it.
                g(132, [&] { object(voice).setAudioOutputStream(nullptr); });
                g(134, [&] { stream.reset(); });
            }
        } else {
            pending = speakingFailure([&] { object(voice).speak(text); });
        }
        if (!pending)
            g(138, [&] { voice.reset(); });
    }

    if (pending && voice && stream) {
        // The voice stays in renderVoice after a failed speaking, but it must not keep writing
        // into a stream that is released when this call returns.
        try {
            voice->setAudioOutputStream(nullptr);
        } catch (...) {
        }
    }
    // Line 140: only a voice that cannot be loaded is worth a message; any other failure of
    // the speaking is dropped (line 146).
    if (pending && *pending == ClassNotRegistered)
        g(144, [&] { showMessage(*pending + QStringLiteral("\r\r") + TryAnotherVoice); });
}

} // namespace lectorix
