#include "gui/desktop_notification.h"

#include "gui/dialogs.h"
#include "gui/mp3_conversion.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QFileInfo>
#include <QGuiApplication>
#include <QUrl>
#include <QVariantMap>

namespace lectorix {

namespace {

const QString Service = QStringLiteral("org.freedesktop.Notifications");
const QString Path = QStringLiteral("/org/freedesktop/Notifications");
const QString Interface = QStringLiteral("org.freedesktop.Notifications");

} // namespace

Notice exportNotice(const QString& outputPath, const QString& failure)
{
    const QFileInfo file(outputPath);
    if (failure.trimmed().isEmpty())
        return {QStringLiteral("%1 is ready").arg(file.fileName()),
                file.absolutePath(),
                {OpenFolderAction, OpenFolderButton}};
    // The report's first line says what went wrong; the rest is for the window's message.
    const QString reason = failure.trimmed().section(QLatin1Char('\n'), 0, 0).trimmed();
    return {QStringLiteral("%1 was not made").arg(file.fileName()), reason, {}};
}

DesktopNotifier::DesktopNotifier(QObject* parent) : QObject(parent) {}

void DesktopNotifier::exportEnded(const QString& outputPath, const QString& failure)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return;
    listen();
    const Notice notice = exportNotice(outputPath, failure);
    QDBusMessage notify =
        QDBusMessage::createMethodCall(Service, Path, Interface, QStringLiteral("Notify"));
    const QString desktopEntry = QGuiApplication::desktopFileName();
    QVariantMap hints;
    if (!desktopEntry.isEmpty())
        hints.insert(QStringLiteral("desktop-entry"), desktopEntry);
    notify << QStringLiteral("Lectorix") << uint(0) << desktopEntry << notice.summary << notice.body
           << notice.actions << hints << -1;
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(notify), this);
    const QString folder = notice.actions.isEmpty() ? QString() : notice.body;
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, watcher, folder](QDBusPendingCallWatcher*) {
                watcher->deleteLater();
                const QDBusPendingReply<uint> reply = *watcher;
                if (!reply.isError() && !folder.isEmpty())
                    m_folders.insert(reply.value(), folder);
            });
}

void DesktopNotifier::listen()
{
    if (m_listening)
        return;
    QDBusConnection bus = QDBusConnection::sessionBus();
    m_listening = bus.connect(Service, Path, Interface, QStringLiteral("ActionInvoked"), this,
                              SLOT(actionInvoked(uint, QString)));
    bus.connect(Service, Path, Interface, QStringLiteral("NotificationClosed"), this,
                SLOT(notificationClosed(uint, uint)));
}

void DesktopNotifier::actionInvoked(uint id, const QString& action)
{
    const QString folder = m_folders.value(id);
    if (action == OpenFolderAction && !folder.isEmpty())
        dialogs().openUrl(QUrl::fromLocalFile(folder));
}

void DesktopNotifier::notificationClosed(uint id, uint)
{
    m_folders.remove(id);
}

} // namespace lectorix
