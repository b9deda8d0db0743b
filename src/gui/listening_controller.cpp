#include "gui/listening_controller.h"

#include "core/conversion/conversion_job.h"
#include "core/reading/reading_session.h"
#include "gui/desktop_notification.h"
#include "gui/export_controller.h"
#include "gui/main_window.h"
#include "gui/media_player_bus.h"
#include "gui/reading_controller.h"
#include "gui/sleep_inhibitor.h"
#include "gui/sleep_timer.h"

#include <QApplication>

namespace lectorix {

namespace {

const QString ReadingReason = QStringLiteral("Reading aloud");
const QString ExportReason = QStringLiteral("Saving audio as MP3");

} // namespace

ListeningController::ListeningController(MainWindow& window)
    : m_window(window), m_sleepTimer(std::make_unique<SleepTimer>(window)),
      m_inhibitor(std::make_unique<SleepInhibitor>()),
      m_notifier(std::make_unique<DesktopNotifier>()),
      m_player(std::make_unique<MediaPlayerBus>(window))
{
}

ListeningController::~ListeningController() = default;

void ListeningController::wire()
{
    m_sleepTimer->wire();
    m_player->wire();
    connect(m_window.reading().session(), &ReadingSession::stateChanged, this,
            &ListeningController::keepAwake);
    connect(&m_window.exporting(), &ExportController::convertingChanged, this,
            [this](bool converting) {
                // Taken as the job ends: once its progress dialog has gone, the desktop may
                // take a moment to give the window the keyboard again.
                if (!converting)
                    m_activeAtEnd = windowActive();
                keepAwake();
            });
    connect(&m_window.exporting(), &ExportController::exportEnded, this,
            &ListeningController::exportEnded);
}

void ListeningController::keepAwake()
{
    const bool reading = m_window.reading().session()->state() == ReadingState::Reading;
    if (!reading && !m_window.exporting().converting()) {
        m_inhibitor->release();
        return;
    }
    m_inhibitor->hold(reading ? ReadingReason : ExportReason);
}

void ListeningController::exportEnded(const QString& outputPath, ConversionOutcome outcome,
                                      const QString& message)
{
    // A cancelled export was the user's doing, in the window.
    if (outcome == ConversionOutcome::Cancelled || m_activeAtEnd)
        return;
    m_notifier->exportEnded(outputPath, message);
}

// The window, or a dialog of its own (the progress dialog), has the keyboard.
bool ListeningController::windowActive() const
{
    for (const QWidget* w = QApplication::activeWindow(); w; w = w->parentWidget())
        if (w == &m_window)
            return true;
    return false;
}

} // namespace lectorix
