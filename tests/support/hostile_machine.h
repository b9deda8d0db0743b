#pragma once

// A machine that lacks things: a PATH without some tools or pdftotext's language data, a
// folder with no voice data, a sound server address where none answers or one that notes who
// calls.

#include "support/test_env.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QStringList>

#include <cstring>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace lectorix::test {

// Sets an environment variable for one scope.
class ScopedVariable
{
public:
    ScopedVariable(const char* name, const QString& value)
        : m_name(name), m_had(qEnvironmentVariableIsSet(name)), m_old(qgetenv(name))
    {
        qputenv(name, QFile::encodeName(value));
    }
    ~ScopedVariable()
    {
        if (m_had)
            qputenv(m_name, m_old);
        else
            qunsetenv(m_name);
    }
    ScopedVariable(const ScopedVariable&) = delete;
    ScopedVariable& operator=(const ScopedVariable&) = delete;

private:
    const char* m_name;
    bool m_had;
    QByteArray m_old;
};

// A new folder of symbolic links to every program on PATH except the hidden ones: as PATH,
// it is this machine without those tools.
inline QString pathWithout(const QStringList& hidden)
{
    static int made = 0;
    const QString folder = scratchFolder() + QStringLiteral("/path-without-%1").arg(++made);
    QDir().mkpath(folder);
    QSet<QString> linked;
    for (const QString& dir :
         qEnvironmentVariable("PATH").split(QLatin1Char(':'), Qt::SkipEmptyParts)) {
        for (const QFileInfo& program : QDir(dir).entryInfoList(QDir::Files | QDir::Executable)) {
            const QString name = program.fileName();
            if (hidden.contains(name) || linked.contains(name))
                continue;
            linked.insert(name);
            QFile::link(program.absoluteFilePath(), folder + QLatin1Char('/') + name);
        }
    }
    return folder;
}

// PATH with a pdftotext in front that acts as poppler's does on a Chinese, Japanese or Korean
// document when the poppler-data package is missing: it writes page breaks only, after a few
// hundred lines of other complaints says "Missing language pack" as poppler words it, and
// ends with success.
inline QString pathWithoutLanguageData()
{
    const QString folder = scratchFolder() + QStringLiteral("/without-poppler-data");
    QDir().mkpath(folder);
    const QString script = folder + QStringLiteral("/pdftotext");
    QFile file(script);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        file.write("#!/bin/sh\n"
                   "for output; do :; done\n"
                   "case $output in *.pdf | *.PDF) output=${output%.*}.txt ;; esac\n"
                   "i=0\n"
                   "while [ $i -lt 300 ]; do\n"
                   "  echo \"Syntax Error ($i): No font in show\" >&2; i=$((i + 1))\n"
                   "done\n"
                   "echo \"Syntax Error: Missing language pack for 'Adobe-Japan1' mapping\" >&2\n"
                   "printf '\\f\\f\\f' > \"$output\"\n");
        file.close();
    }
    file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return folder + QLatin1Char(':') + qEnvironmentVariable("PATH");
}

// A new folder of symbolic links to only the programs named, found on PATH: as PATH, it is a
// machine with those tools alone, made at once where pathWithout links thousands.
inline QString pathWithOnly(const QStringList& programs)
{
    static int made = 0;
    const QString folder = scratchFolder() + QStringLiteral("/path-with-only-%1").arg(++made);
    QDir().mkpath(folder);
    for (const QString& name : programs) {
        for (const QString& dir :
             qEnvironmentVariable("PATH").split(QLatin1Char(':'), Qt::SkipEmptyParts)) {
            const QFileInfo program(dir + QLatin1Char('/') + name);
            if (program.isExecutable() && program.isFile()) {
                QFile::link(program.absoluteFilePath(), folder + QLatin1Char('/') + name);
                break;
            }
        }
    }
    return folder;
}

// An empty folder to name as espeak-ng's voice data (ESPEAK_DATA_PATH): a machine without
// the espeak-ng-data package.
inline QString emptyVoiceData()
{
    const QString folder = scratchFolder() + QStringLiteral("/no-voice-data");
    QDir().mkpath(folder);
    return folder;
}

// A sound server address where a socket listens and answers nothing: connected() tells
// whether a program tried to reach the sound server there.
class ListeningSoundServer
{
public:
    explicit ListeningSoundServer(const QString& folder)
        : m_path(folder + QStringLiteral("/native")),
          m_socket(::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0))
    {
        QDir().mkpath(folder);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const QByteArray path = QFile::encodeName(m_path);
        if (m_socket < 0 || size_t(path.size()) >= sizeof address.sun_path)
            return;
        std::memcpy(address.sun_path, path.constData(), size_t(path.size()));
        if (::bind(m_socket, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
            ::listen(m_socket, 64) != 0) {
            ::close(m_socket);
            m_socket = -1;
        }
    }
    ~ListeningSoundServer()
    {
        if (m_socket >= 0)
            ::close(m_socket);
    }
    ListeningSoundServer(const ListeningSoundServer&) = delete;
    ListeningSoundServer& operator=(const ListeningSoundServer&) = delete;

    bool isListening() const { return m_socket >= 0; }
    // The value of PULSE_SERVER that names it.
    QString address() const { return QStringLiteral("unix:") + m_path; }
    // Whether a connection has come since the last call (those that came are closed).
    bool connected()
    {
        bool any = false;
        for (int connection; (connection = ::accept4(m_socket, nullptr, nullptr, 0)) >= 0;) {
            ::close(connection);
            any = true;
        }
        return any;
    }

private:
    QString m_path;
    int m_socket;
};

// A sound server address at which nothing answers.
inline QString deadSoundServer()
{
    return QStringLiteral("unix:") + scratchFolder() + QStringLiteral("/no-sound-server/native");
}

} // namespace lectorix::test
