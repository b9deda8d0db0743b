#include "gui/voice_list.h"

#include "core/process/missing_parts.h"
#include "core/settings/settings.h"
#include "core/settings/settings_keys.h"
#include "core/speech/speech_engine.h"
#include "gui/dialogs.h"
#include "gui/error_report.h"
#include "gui/main_window.h"

#include <QComboBox>
#include <QPushButton>
#include <QSignalBlocker>

#include <memory>

namespace lectorix {

namespace {

// The list position a stored "Combo1" value selects, -1 for none. The value is rounded with
// halves to even; whatever does not name an entry (past the end, below -1) selects nothing,
// so a bad stored value can never keep the program from starting.
int storedVoiceIndex(double stored, int entries)
{
    if (!(stored < entries) || !(stored > -1.5))
        return -1;
    const int index = convert::roundHalfEven(stored);
    return index < entries ? index : -1;
}

} // namespace

QUrl addVoicesSearchUrl()
{
    return QUrl(QStringLiteral("https://duckduckgo.com/?q=eSpeak+NG+voices+download"));
}

bool fillVoiceList(QComboBox* combo)
{
    // Every step is tried even after an earlier one failed; a failure is only remembered.
    bool failed = false;
    const auto attempt = [&failed](auto&& step) {
        try {
            step();
        } catch (...) {
            failed = true;
        }
    };

    std::unique_ptr<speech::Voice> voice;
    bool noVoiceData = false;
    attempt([&] {
        try {
            voice = speech::engine().createVoice();
        } catch (const Failure& failure) {
            noVoiceData = failure.description() == VoiceDataMissingMessage;
            throw;
        }
    });
    if (voice) {
        {
            // Clearing and filling would move the selection through -1 and 0 and store those
            // on the way; the stored index must be read as it was.
            const QSignalBlocker quiet(combo);
            combo->clear();
            attempt([&] {
                for (const speech::VoiceToken& token : voice->installedVoices())
                    combo->addItem(token.description);
            });
            combo->setCurrentIndex(-1);
        }
        attempt([&] {
            const double stored = convert::leadingNumber(readSetting(keys::Voice, 0));
            // Selecting an entry runs the list's click handler, which stores the index. The
            // list is already without a selection; setting -1 again would still be announced.
            const int index = storedVoiceIndex(stored, combo->count());
            if (index != -1)
                combo->setCurrentIndex(index);
        });
    }
    voice.reset();

    if (failed) {
        // Without the engine's voice data the fix is one package: say which.
        showMessage(noVoiceData ? NoVoicesMessage + QStringLiteral("\r\r") + VoiceDataMissingMessage
                                : NoVoicesMessage);
        return false;
    }
    return true;
}

VoiceController::VoiceController(MainWindow& window) : m_window(window) {}

void VoiceController::wire()
{
    connect(m_window.addVoicesButton(), &QPushButton::clicked, this,
            &VoiceController::openAddVoicesPage);
    connect(m_window.refreshVoicesButton(), &QPushButton::clicked, this,
            &VoiceController::refreshVoiceList);
    connect(m_window.voiceCombo(), &QComboBox::currentIndexChanged, this,
            &VoiceController::voiceChosen);
}

void VoiceController::voiceChosen()
{
    try {
        writeSetting(keys::Voice, convert::fromInt(m_window.voiceCombo()->currentIndex()));
    } catch (const Failure&) {
        // The choice has no report of its own; it is simply not remembered.
    }
}

void VoiceController::openAddVoicesPage()
{
    Guard g("Form1", "PushButton10_Click");
    const QString crlf = QStringLiteral("\r\n");
    const QString text =
        QStringLiteral("This software uses eSpeak NG Text to Speech (TTS) as its backbone. If you "
                       "would like to add voices, you need to:") +
        crlf + crlf + QStringLiteral("1. Download them from the web.") + crlf +
        QStringLiteral("2. Install them with your system's package manager.") + crlf +
        QStringLiteral("3. Click the 'Refresh List' button in this software.") + crlf + crlf +
        QStringLiteral("Would you like to see the voices available for download on the web?");
    if (g.test(100,
               [&] { return showMessage(text, Dialogs::Buttons::YesNo) == Dialogs::Answer::Yes; }))
        g(102, [] { openOnDesktop(addVoicesSearchUrl()); });
}

void VoiceController::refreshVoiceList()
{
    Guard g("Form1", "PushButton11_Click");
    if (g.test(100, [&] { return fillVoiceList(m_window.voiceCombo()); }))
        g(102, [] {
            showMessage(QStringLiteral("Done.\r\rList has been refreshed with the latest voices "
                                       "found within the 'Text to Speech' voices installed on "
                                       "this system."));
        });
}

} // namespace lectorix
