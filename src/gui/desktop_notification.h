#pragma once

#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>

namespace lectorix {

// What a desktop notification says: its summary, its body and its actions as the
// notification server takes them (an action's key followed by its caption).
struct Notice
{
    QString summary;
    QString body;
    QStringList actions;
};

// The key of the action that opens the folder of a finished MP3.
inline const QString OpenFolderAction = QStringLiteral("open-folder");

// The notice of an export's end: "pride.mp3 is ready" with its folder and an action that opens
// it, or, when failure is not empty, "pride.mp3 was not made" with the failure's first line.
Notice exportNotice(const QString& outputPath, const QString& failure);

// Tells of finished work through the desktop's notification server
// (org.freedesktop.Notifications on the session bus). Nothing waits for the server, and
// without one, or without a bus, nothing happens and nothing is said. The "open-folder"
// action opens the MP3's folder as the desktop opens folders.
class DesktopNotifier final : public QObject
{
    Q_OBJECT

public:
    explicit DesktopNotifier(QObject* parent = nullptr);

    void exportEnded(const QString& outputPath, const QString& failure);

private slots:
    void actionInvoked(uint id, const QString& action);
    void notificationClosed(uint id, uint reason);

private:
    void listen();

    bool m_listening = false;
    // The folders of the notices on screen, by the server's number for them.
    QHash<uint, QString> m_folders;
};

} // namespace lectorix
