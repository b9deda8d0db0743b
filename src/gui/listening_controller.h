#pragma once

#include <QObject>

#include <memory>

namespace lectorix {
class DesktopNotifier;
class MainWindow;
class MediaPlayerBus;
class SleepInhibitor;
class SleepTimer;
enum class ConversionOutcome;

// Listening as with a media player: the window as an MPRIS player on the session bus
// (media_player_bus.h), the sleep timer (sleep_timer.h), the desktop kept from suspending
// while the window reads aloud or exports (sleep_inhibitor.h), and a desktop notification
// when an export ends while the window is not the active one (desktop_notification.h).
// Without a session bus only the sleep timer works, and nothing is said.
class ListeningController final : public QObject
{
    Q_OBJECT

public:
    explicit ListeningController(MainWindow& window);
    ~ListeningController() override;

    // Connects to the reading, the export and the sleep timer box; called once the window's
    // controllers exist.
    void wire();

    SleepTimer& sleepTimer() const { return *m_sleepTimer; }
    MediaPlayerBus& mediaPlayer() const { return *m_player; }

private:
    // Holds the suspend lock exactly while the window reads aloud (not paused) or exports.
    void keepAwake();
    void exportEnded(const QString& outputPath, ConversionOutcome outcome, const QString& message);
    bool windowActive() const;

    MainWindow& m_window;
    std::unique_ptr<SleepTimer> m_sleepTimer;
    std::unique_ptr<SleepInhibitor> m_inhibitor;
    std::unique_ptr<DesktopNotifier> m_notifier;
    std::unique_ptr<MediaPlayerBus> m_player;
    bool m_activeAtEnd = false; // whether the window was active when the last export ended
};

} // namespace lectorix
