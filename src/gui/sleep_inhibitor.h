#pragma once

#include <QDBusUnixFileDescriptor>
#include <QObject>
#include <QString>

class QDBusPendingCallWatcher;

namespace lectorix {

// Asks the desktop not to suspend while the program works, through the login manager
// (org.freedesktop.login1 on the system bus: a "sleep" block lock, held as long as the file
// descriptor it hands out is open) or, where that is not reachable or refuses, the desktop
// portal's Inhibit (on the session bus, released by closing its request). Calls never wait:
// a lock that arrives after it was released is given back at once. Without a bus, or with
// neither service, nothing happens and nothing is said. Destroying it releases the lock.
class SleepInhibitor final : public QObject
{
    Q_OBJECT

public:
    explicit SleepInhibitor(QObject* parent = nullptr);
    ~SleepInhibitor() override;

    // Asks for the lock, with why as the reason the desktop shows ("Reading aloud"). While it
    // is wanted, a second call does nothing.
    void hold(const QString& why);
    void release();
    bool isWanted() const { return m_wanted; }

private:
    void askLoginManager(const QString& why);
    void askPortal(const QString& why);
    // Whether the answer of the request numbered `request` still counts.
    bool stillWanted(quint64 request) const { return m_wanted && request == m_request; }
    void closePortalRequest(const QString& handle);

    bool m_wanted = false;
    quint64 m_request = 0; // counts hold() calls, so a late answer is recognised
    QDBusUnixFileDescriptor m_loginLock;
    QString m_portalHandle;
};

} // namespace lectorix
