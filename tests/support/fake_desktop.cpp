#include "support/fake_desktop.h"

#include <QDBusMessage>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace lectorix::test {

QString privateBusMissing()
{
    const QByteArray session = qgetenv("DBUS_SESSION_BUS_ADDRESS");
    if (session.isEmpty() || !session.startsWith("unix:"))
        return QStringLiteral("No private session bus: run under dbus-run-session (ctest does)");
    qputenv("DBUS_SYSTEM_BUS_ADDRESS", session);
    if (!QDBusConnection::sessionBus().isConnected())
        return QStringLiteral("The session bus at %1 does not answer")
            .arg(QString::fromLocal8Bit(session));
    return {};
}

namespace {

int g_connections = 0;

} // namespace

FakeService::FakeService()
    : m_connectionName(QStringLiteral("lectorix-fake-%1").arg(++g_connections)),
      m_bus(QDBusConnection::connectToBus(QDBusConnection::SessionBus, m_connectionName))
{
}

FakeService::~FakeService()
{
    QDBusConnection::disconnectFromBus(m_connectionName);
}

void FakeService::start(const QString& serviceName, const QString& path)
{
    m_running = m_bus.isConnected() &&
                m_bus.registerObject(path, this, QDBusConnection::ExportAllSlots) &&
                m_bus.registerService(serviceName);
}

FakeLoginManager::FakeLoginManager()
{
    start(QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"));
}

FakeLoginManager::~FakeLoginManager()
{
    for (int end : std::as_const(m_lockEnds))
        ::close(end);
}

QDBusUnixFileDescriptor FakeLoginManager::Inhibit(const QString& what, const QString& who,
                                                  const QString& why, const QString& mode)
{
    requests << QStringList{what, who, why, mode}.join(QLatin1Char('|'));
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0)
        return {};
    m_lockEnds << ends[0];
    QDBusUnixFileDescriptor lock(ends[1]); // a copy of its own
    ::close(ends[1]);
    return lock;
}

int FakeLoginManager::locksHeld()
{
    int held = 0;
    for (int end : std::as_const(m_lockEnds)) {
        // Nothing is ever written: readable means every writing end is closed.
        pollfd watch{end, POLLIN, 0};
        if (::poll(&watch, 1, 0) == 0)
            ++held;
    }
    return held;
}

// A request of the portal's: closing it ends its lock.
class FakePortalRequest final : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.Request")

public:
    FakePortalRequest(FakeInhibitPortal& portal, const QString& path)
        : QObject(&portal), m_portal(portal), m_path(path)
    {
    }

public slots:
    void Close()
    {
        m_portal.m_open.removeAll(m_path);
        m_portal.bus().unregisterObject(m_path);
        deleteLater();
    }

private:
    FakeInhibitPortal& m_portal;
    QString m_path;
};

FakeInhibitPortal::FakeInhibitPortal()
{
    start(QStringLiteral("org.freedesktop.portal.Desktop"),
          QStringLiteral("/org/freedesktop/portal/desktop"));
}

int FakeInhibitPortal::locksHeld() const
{
    return int(m_open.size());
}

QDBusObjectPath FakeInhibitPortal::Inhibit(const QString&, uint flags, const QVariantMap& options)
{
    requests << QStringLiteral("%1|%2").arg(flags).arg(options.value("reason").toString());
    const QString path =
        QStringLiteral("/org/freedesktop/portal/desktop/request/1/t%1").arg(requests.size());
    bus().registerObject(path, new FakePortalRequest(*this, path), QDBusConnection::ExportAllSlots);
    m_open << path;
    return QDBusObjectPath(path);
}

FakeNotificationServer::FakeNotificationServer()
{
    start(QStringLiteral("org.freedesktop.Notifications"),
          QStringLiteral("/org/freedesktop/Notifications"));
}

uint FakeNotificationServer::Notify(const QString& appName, uint, const QString& icon,
                                    const QString& summary, const QString& body,
                                    const QStringList& actions, const QVariantMap& hints, int)
{
    const uint id = uint(shown.size()) + 1;
    shown << Notification{id, appName, icon, summary, body, actions, hints};
    return id;
}

QStringList FakeNotificationServer::GetCapabilities()
{
    return {QStringLiteral("actions"), QStringLiteral("body")};
}

void FakeNotificationServer::invokeAction(uint id, const QString& key)
{
    QDBusMessage signal = QDBusMessage::createSignal(
        QStringLiteral("/org/freedesktop/Notifications"),
        QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("ActionInvoked"));
    signal << id << key;
    bus().send(signal);
}

} // namespace lectorix::test

#include "fake_desktop.moc"
