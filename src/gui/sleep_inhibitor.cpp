#include "gui/sleep_inhibitor.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QVariantMap>

namespace lectorix {

namespace {

const QString LoginService = QStringLiteral("org.freedesktop.login1");
const QString PortalService = QStringLiteral("org.freedesktop.portal.Desktop");
// The portal's flag for "suspending the session".
constexpr uint PortalSuspend = 4;

// Runs then(watcher) once the call's answer is there; the watcher goes afterwards.
template <typename Then>
void whenAnswered(const QDBusPendingCall& call, QObject* context, Then then)
{
    auto* watcher = new QDBusPendingCallWatcher(call, context);
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, context,
                     [watcher, then](QDBusPendingCallWatcher*) {
                         watcher->deleteLater();
                         then(*watcher);
                     });
}

} // namespace

SleepInhibitor::SleepInhibitor(QObject* parent) : QObject(parent) {}

SleepInhibitor::~SleepInhibitor()
{
    release();
}

void SleepInhibitor::hold(const QString& why)
{
    if (m_wanted)
        return;
    m_wanted = true;
    ++m_request;
    if (QDBusConnection::systemBus().isConnected())
        askLoginManager(why);
    else
        askPortal(why);
}

void SleepInhibitor::release()
{
    m_wanted = false;
    ++m_request;
    m_loginLock = QDBusUnixFileDescriptor(); // closing our copy ends the lock
    if (!m_portalHandle.isEmpty())
        closePortalRequest(std::exchange(m_portalHandle, QString()));
}

void SleepInhibitor::askLoginManager(const QString& why)
{
    QDBusMessage call = QDBusMessage::createMethodCall(
        LoginService, QStringLiteral("/org/freedesktop/login1"),
        QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("Inhibit"));
    call << QStringLiteral("sleep") << QStringLiteral("Lectorix") << why << QStringLiteral("block");
    const quint64 request = m_request;
    whenAnswered(QDBusConnection::systemBus().asyncCall(call), this,
                 [this, request, why](QDBusPendingCallWatcher& answer) {
                     const QDBusPendingReply<QDBusUnixFileDescriptor> reply = answer;
                     if (!stillWanted(request))
                         return; // the descriptor closes with the reply
                     if (reply.isError() || !reply.value().isValid())
                         askPortal(why);
                     else
                         m_loginLock = reply.value();
                 });
}

void SleepInhibitor::askPortal(const QString& why)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return;
    QDBusMessage call = QDBusMessage::createMethodCall(
        PortalService, QStringLiteral("/org/freedesktop/portal/desktop"),
        QStringLiteral("org.freedesktop.portal.Inhibit"), QStringLiteral("Inhibit"));
    call << QString() << PortalSuspend << QVariantMap{{QStringLiteral("reason"), why}};
    const quint64 request = m_request;
    whenAnswered(bus.asyncCall(call), this, [this, request](QDBusPendingCallWatcher& answer) {
        const QDBusPendingReply<QDBusObjectPath> reply = answer;
        if (reply.isError())
            return;
        if (stillWanted(request))
            m_portalHandle = reply.value().path();
        else
            closePortalRequest(reply.value().path());
    });
}

void SleepInhibitor::closePortalRequest(const QString& handle)
{
    const QDBusMessage close = QDBusMessage::createMethodCall(
        PortalService, handle, QStringLiteral("org.freedesktop.portal.Request"),
        QStringLiteral("Close"));
    QDBusConnection::sessionBus().call(close, QDBus::NoBlock);
}

} // namespace lectorix
