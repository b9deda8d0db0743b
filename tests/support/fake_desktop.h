#pragma once

// The desktop's services, faked on the test's private session bus (tests that use them run
// under dbus-run-session; tests/CMakeLists.txt says which): the login manager's and the
// portal's suspend locks and the notification server. Each takes its well-known name on a
// connection of its own for its lifetime, and records what it was asked.

#include <QDBusConnection>
#include <QDBusObjectPath>
#include <QDBusUnixFileDescriptor>
#include <QList>
#include <QObject>
#include <QStringList>
#include <QVariantMap>

namespace lectorix::test {

// Why the test cannot use a private session bus, or an empty text when it can. The login
// manager lives on the system bus: this points the system bus at the session bus too, so
// call it before anything connects to either.
QString privateBusMissing();

// Ends the test function unless it runs on a private session bus.
#define NEED_BUS()                                                                                 \
    do {                                                                                           \
        if (const QString missing = lectorix::test::privateBusMissing(); !missing.isEmpty())       \
            QFAIL(qPrintable(missing));                                                            \
    } while (false)

// One fake service: its own connection, its name and its objects.
class FakeService : public QObject
{
    Q_OBJECT

public:
    ~FakeService() override;
    // False when the name could not be taken (no bus, or taken already).
    bool isRunning() const { return m_running; }
    QDBusConnection& bus() { return m_bus; }

protected:
    FakeService();
    // Puts this object on the bus at path and takes the name; called by the constructors of
    // the services, once the object is whole.
    void start(const QString& serviceName, const QString& path);

private:
    QString m_connectionName;
    QDBusConnection m_bus;
    bool m_running = false;
};

// org.freedesktop.login1: Inhibit hands out a lock held while its descriptor is open.
class FakeLoginManager final : public FakeService
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.login1.Manager")

public:
    FakeLoginManager();
    ~FakeLoginManager() override;

    // "what|who|why|mode" of every Inhibit call, in order.
    QStringList requests;
    // The locks whose descriptor is still open in some process.
    int locksHeld();

public slots:
    QDBusUnixFileDescriptor Inhibit(const QString& what, const QString& who, const QString& why,
                                    const QString& mode);

private:
    QList<int> m_lockEnds; // our ends of the pipes handed out
};

// org.freedesktop.portal.Desktop's Inhibit: a lock held until its request is closed.
class FakeInhibitPortal final : public FakeService
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.Inhibit")

public:
    FakeInhibitPortal();

    // "flags|reason" of every Inhibit call, in order.
    QStringList requests;
    int locksHeld() const;

public slots:
    QDBusObjectPath Inhibit(const QString& window, uint flags, const QVariantMap& options);

private:
    friend class FakePortalRequest;
    QStringList m_open; // the paths of the requests not closed yet
};

// org.freedesktop.Notifications.
class FakeNotificationServer final : public FakeService
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

public:
    struct Notification
    {
        uint id;
        QString appName, icon, summary, body;
        QStringList actions;
        QVariantMap hints;
    };

    FakeNotificationServer();
    QList<Notification> shown;
    // The user chose the action with that key on notification id.
    void invokeAction(uint id, const QString& key);

public slots:
    uint Notify(const QString& appName, uint replacesId, const QString& icon,
                const QString& summary, const QString& body, const QStringList& actions,
                const QVariantMap& hints, int timeout);
    QStringList GetCapabilities();
};

} // namespace lectorix::test
