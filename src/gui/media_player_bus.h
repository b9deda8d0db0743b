#pragma once

#include "gui/media_metadata.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QVariantMap>

namespace lectorix {
class MainWindow;
enum class ReadingState;

// The window as an MPRIS 2 media player on the session bus (org.mpris.MediaPlayer2.lectorix,
// or org.mpris.MediaPlayer2.lectorix.instance<pid> for a second window), so media keys,
// headset buttons, the desktop's media controls and playerctl steer the reading: Play, Pause,
// PlayPause and Stop act as the reading button and Stop do, Next and Previous move the
// reading to the next or previous chapter (paragraph, without chapters), and the playback
// status, the metadata (NowReading) and the position follow the reading, with
// PropertiesChanged on every change. Without a session bus it registers nothing and says
// nothing; the window works as before.
class MediaPlayerBus final : public QObject
{
    Q_OBJECT

public:
    explicit MediaPlayerBus(MainWindow& window);
    ~MediaPlayerBus() override;

    // Connects to the reading; called once the window's controllers exist.
    void wire();

    // The bus name it holds; empty when it holds none.
    QString serviceName() const { return m_serviceName; }

    // What the adaptors ask and do.
    QString playbackStatus() const;
    QVariantMap metadata() const;
    qint64 positionMicroseconds() const;
    double volume() const;
    void setVolume(double volume);
    bool canGoNext() const;
    void play();
    void pause();
    void playPause();
    void stop();
    void next();
    void previous();
    void raise();
    void quit();

private:
    // The chapter being read, or its title, changed: the metadata's title follows.
    void chapterChanged();
    QString chapterTitle() const;
    void readingStateChanged(ReadingState state);
    void documentInfoFound(const QString& title, const QString& author);
    // Tells the bus that these properties of the player changed, with their new values.
    void announce(const QStringList& properties);

    MainWindow& m_window;
    QString m_serviceName;
    QObject* m_player = nullptr; // the player interface's adaptor
    DocumentInfoLookup m_documentInfo;
    NowReading m_reading;
    int m_readings = 0;     // numbers the readings' track ids
    bool m_running = false; // a reading runs (reading or paused)
    QElapsedTimer m_since;  // the time heard since the last pause
    qint64 m_heardMs = 0;   // the time heard before it
};

} // namespace lectorix
