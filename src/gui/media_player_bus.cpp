#include "gui/media_player_bus.h"

#include "core/reading/reading_session.h"
#include "gui/export_controller.h"
#include "gui/main_window.h"
#include "gui/reading_controller.h"

#include <QCoreApplication>
#include <QDBusAbstractAdaptor>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QGuiApplication>
#include <QPushButton>
#include <QSlider>

namespace lectorix {

namespace {

const QString ObjectPath = QStringLiteral("/org/mpris/MediaPlayer2");
const QString PlayerInterface = QStringLiteral("org.mpris.MediaPlayer2.Player");
const QString ServiceName = QStringLiteral("org.mpris.MediaPlayer2.lectorix");
const QString NoTrack = QStringLiteral("/org/mpris/MediaPlayer2/TrackList/NoTrack");

// Runs what a bus call asked for once the call has been answered: a reading that starts may
// ask the user something, and the caller must not wait for that.
template <typename Action> void later(MediaPlayerBus* bus, Action action)
{
    QMetaObject::invokeMethod(bus, action, Qt::QueuedConnection);
}

// org.mpris.MediaPlayer2: the player as an application.
class MprisRoot final : public QDBusAbstractAdaptor
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2")
    Q_PROPERTY(bool CanQuit READ yes)
    Q_PROPERTY(bool CanRaise READ yes)
    Q_PROPERTY(bool HasTrackList READ no)
    Q_PROPERTY(QString Identity READ identity)
    Q_PROPERTY(QString DesktopEntry READ desktopEntry)
    Q_PROPERTY(QStringList SupportedUriSchemes READ none)
    Q_PROPERTY(QStringList SupportedMimeTypes READ none)

public:
    explicit MprisRoot(MediaPlayerBus* bus) : QDBusAbstractAdaptor(bus), m_bus(bus) {}

    bool yes() const { return true; }
    bool no() const { return false; }
    QString identity() const { return QStringLiteral("Lectorix"); }
    QString desktopEntry() const { return QGuiApplication::desktopFileName(); }
    QStringList none() const { return {}; }

public slots:
    void Raise()
    {
        later(m_bus, [bus = m_bus] { bus->raise(); });
    }
    void Quit()
    {
        later(m_bus, [bus = m_bus] { bus->quit(); });
    }

private:
    MediaPlayerBus* m_bus;
};

// org.mpris.MediaPlayer2.Player: steering the reading.
class MprisPlayer final : public QDBusAbstractAdaptor
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2.Player")
    Q_PROPERTY(QString PlaybackStatus READ playbackStatus)
    Q_PROPERTY(double Rate READ rate WRITE setRate)
    Q_PROPERTY(double MinimumRate READ rate)
    Q_PROPERTY(double MaximumRate READ rate)
    Q_PROPERTY(QVariantMap Metadata READ metadata)
    Q_PROPERTY(double Volume READ volume WRITE setVolume)
    Q_PROPERTY(qlonglong Position READ position)
    Q_PROPERTY(bool CanGoNext READ canGoNext)
    Q_PROPERTY(bool CanGoPrevious READ canGoNext)
    Q_PROPERTY(bool CanPlay READ yes)
    Q_PROPERTY(bool CanPause READ yes)
    Q_PROPERTY(bool CanSeek READ no)
    Q_PROPERTY(bool CanControl READ yes)

public:
    explicit MprisPlayer(MediaPlayerBus* bus) : QDBusAbstractAdaptor(bus), m_bus(bus) {}

    QString playbackStatus() const { return m_bus->playbackStatus(); }
    double rate() const { return 1.0; }
    void setRate(double) {} // the speed is the window's slider, not the player's rate
    QVariantMap metadata() const { return m_bus->metadata(); }
    double volume() const { return m_bus->volume(); }
    void setVolume(double volume) { m_bus->setVolume(volume); }
    qlonglong position() const { return m_bus->positionMicroseconds(); }
    bool canGoNext() const { return m_bus->canGoNext(); }
    bool yes() const { return true; }
    bool no() const { return false; }

public slots:
    void Play()
    {
        later(m_bus, [bus = m_bus] { bus->play(); });
    }
    void Pause()
    {
        later(m_bus, [bus = m_bus] { bus->pause(); });
    }
    void PlayPause()
    {
        later(m_bus, [bus = m_bus] { bus->playPause(); });
    }
    void Stop()
    {
        later(m_bus, [bus = m_bus] { bus->stop(); });
    }
    void Next()
    {
        later(m_bus, [bus = m_bus] { bus->next(); });
    }
    void Previous()
    {
        later(m_bus, [bus = m_bus] { bus->previous(); });
    }
    // A reading cannot be sought by time (CanSeek is false): these do nothing.
    void Seek(qlonglong) {}
    void SetPosition(const QDBusObjectPath&, qlonglong) {}
    void OpenUri(const QString&) {}

signals:
    void Seeked(qlonglong position);

private:
    MediaPlayerBus* m_bus;
};

} // namespace

MediaPlayerBus::MediaPlayerBus(MainWindow& window) : QObject(nullptr), m_window(window)
{
    connect(&m_documentInfo, &DocumentInfoLookup::found, this, &MediaPlayerBus::documentInfoFound);
}

MediaPlayerBus::~MediaPlayerBus()
{
    if (m_serviceName.isEmpty())
        return;
    QDBusConnection bus = QDBusConnection::sessionBus();
    bus.unregisterObject(ObjectPath);
    bus.unregisterService(m_serviceName);
}

void MediaPlayerBus::wire()
{
    ReadingSession* session = m_window.reading().session();
    connect(session, &ReadingSession::stateChanged, this, &MediaPlayerBus::readingStateChanged);
    connect(session, &ReadingSession::chapterChanged, this, &MediaPlayerBus::chapterChanged);
    connect(session, &ReadingSession::chaptersChanged, this, &MediaPlayerBus::chapterChanged);
    connect(m_window.volumeSlider(), &QSlider::valueChanged, this,
            [this] { announce({QStringLiteral("Volume")}); });

    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return;
    new MprisRoot(this);
    m_player = new MprisPlayer(this);
    if (!bus.registerObject(ObjectPath, this, QDBusConnection::ExportAdaptors))
        return;
    // A second window takes a name of its own, as MPRIS asks.
    for (const QString& name :
         {ServiceName,
          ServiceName + QStringLiteral(".instance%1").arg(QCoreApplication::applicationPid())}) {
        if (bus.registerService(name)) {
            m_serviceName = name;
            return;
        }
    }
    bus.unregisterObject(ObjectPath);
}

QString MediaPlayerBus::playbackStatus() const
{
    switch (m_window.reading().session()->state()) {
    case ReadingState::Reading:
        return QStringLiteral("Playing");
    case ReadingState::Paused:
        return QStringLiteral("Paused");
    case ReadingState::Idle:
        break;
    }
    return QStringLiteral("Stopped");
}

QVariantMap MediaPlayerBus::metadata() const
{
    if (m_readings == 0)
        return mprisMetadata({}, NoTrack);
    return mprisMetadata(m_reading,
                         QStringLiteral("/io/github/quendrel/lectorix/reading/%1").arg(m_readings));
}

qint64 MediaPlayerBus::positionMicroseconds() const
{
    const bool reading = m_window.reading().session()->state() == ReadingState::Reading;
    return (m_heardMs + (reading && m_since.isValid() ? m_since.elapsed() : 0)) * 1000;
}

double MediaPlayerBus::volume() const
{
    return m_window.volumeSlider()->value() / 100.0;
}

void MediaPlayerBus::setVolume(double volume)
{
    // While a file is saved the slider refuses moves with a message; a remote control gets
    // no message box.
    if (m_window.exporting().savingFile())
        return;
    m_window.volumeSlider()->setValue(int(qBound(0.0, volume, 1.0) * 100.0 + 0.5));
}

bool MediaPlayerBus::canGoNext() const
{
    return m_window.reading().session()->state() != ReadingState::Idle;
}

void MediaPlayerBus::play()
{
    if (m_window.reading().session()->state() != ReadingState::Reading)
        playPause();
}

void MediaPlayerBus::pause()
{
    if (m_window.reading().session()->state() == ReadingState::Reading)
        playPause();
}

void MediaPlayerBus::playPause()
{
    if (!m_window.isClosing() && m_window.readButton()->isEnabled())
        m_window.reading().pressReadButton();
}

void MediaPlayerBus::stop()
{
    m_window.reading().stop();
}

void MediaPlayerBus::next()
{
    m_window.reading().session()->skipForward();
}

void MediaPlayerBus::previous()
{
    m_window.reading().session()->skipBack();
}

void MediaPlayerBus::raise()
{
    m_window.showNormal();
    m_window.raise();
    m_window.activateWindow();
}

void MediaPlayerBus::quit()
{
    m_window.close();
}

QString MediaPlayerBus::chapterTitle() const
{
    const ReadingSession& session = *m_window.reading().session();
    const qsizetype chapter = session.chapter();
    return chapter >= 0 && chapter < session.chapters().size()
               ? session.chapters().at(chapter).title
               : QString();
}

void MediaPlayerBus::chapterChanged()
{
    const QString title = chapterTitle();
    if (title == m_reading.chapter)
        return;
    m_reading.chapter = title;
    announce({QStringLiteral("Metadata")});
}

void MediaPlayerBus::readingStateChanged(ReadingState state)
{
    QStringList changed{QStringLiteral("PlaybackStatus")};
    if (state != ReadingState::Idle && !m_running) {
        // A new reading: a new track.
        const ReadingRequest& request = m_window.reading().session()->request();
        ++m_readings;
        m_heardMs = 0;
        m_reading = NowReading{readingTitle(request), {}, chapterTitle(), -1};
        if (request.fromPdf)
            m_documentInfo.lookUp(request.pdfPath, request.password);
        changed << QStringLiteral("Metadata");
    }
    if (state == ReadingState::Reading) {
        m_since.start();
    } else if (m_since.isValid()) {
        m_heardMs += m_since.elapsed();
        m_since.invalidate();
    }
    if (m_running != (state != ReadingState::Idle))
        changed << QStringLiteral("CanGoNext") << QStringLiteral("CanGoPrevious");
    m_running = state != ReadingState::Idle;
    announce(changed);
}

void MediaPlayerBus::documentInfoFound(const QString& title, const QString& author)
{
    if (!title.isEmpty())
        m_reading.title = title;
    m_reading.author = author;
    announce({QStringLiteral("Metadata")});
}

void MediaPlayerBus::announce(const QStringList& properties)
{
    if (m_serviceName.isEmpty())
        return;
    QVariantMap changed;
    for (const QString& name : properties)
        changed.insert(name, m_player->property(name.toLatin1().constData()));
    QDBusMessage signal =
        QDBusMessage::createSignal(ObjectPath, QStringLiteral("org.freedesktop.DBus.Properties"),
                                   QStringLiteral("PropertiesChanged"));
    signal << PlayerInterface << changed << QStringList();
    QDBusConnection::sessionBus().send(signal);
}

} // namespace lectorix

#include "media_player_bus.moc"
