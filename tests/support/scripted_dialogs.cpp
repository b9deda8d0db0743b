#include "support/scripted_dialogs.h"

#include "gui/startup.h"

namespace lectorix::test {

ScriptedDialogs::ScriptedDialogs()
{
    setDialogs(this);
    // One start in a hundred opens the about page by chance; what a test sees must not.
    setHomePageDraw([] { return 1; });
}

ScriptedDialogs::~ScriptedDialogs()
{
    setDialogs(nullptr);
    setHomePageDraw(nullptr);
}

QStringList ScriptedDialogs::messageTexts() const
{
    QStringList texts;
    for (const Shown& s : m_shown)
        if (s.kind == Shown::Message)
            texts << s.text;
    return texts;
}

QList<ScriptedDialogs::Shown> ScriptedDialogs::messages() const
{
    QList<Shown> list;
    for (const Shown& s : m_shown)
        if (s.kind == Shown::Message)
            list << s;
    return list;
}

QList<int> ScriptedDialogs::reportedLines(const QString& procedure) const
{
    const QString where =
        QStringLiteral("in Lectorix2021/08/31.") + procedure + QStringLiteral(" at line ");
    QList<int> lines;
    for (const Shown& s : m_shown) {
        const qsizetype at = s.text.indexOf(where);
        if (s.kind != Shown::Message || s.title != QStringLiteral("Application Error") || at < 0)
            continue;
        lines << s.text.mid(at + where.size(), 3).toInt();
    }
    return lines;
}

Dialogs::Answer ScriptedDialogs::message(const Message& message)
{
    Shown s{Shown::Message, message.text, message.title, message.icon, message.buttons};
    s.detail = message.detail;
    s.action = message.actionButton;
    s.checkBox = message.checkBox;
    m_shown.append(s);
    if (!message.checkBox.isEmpty() && message.checked && !m_checks.isEmpty())
        *message.checked = m_checks.dequeue();
    if (m_onMessage)
        m_onMessage(message);
    if (!m_answers.isEmpty())
        return m_answers.dequeue();
    return message.buttons == Buttons::Ok ? Answer::Ok : Answer::No;
}

std::optional<QString> ScriptedDialogs::input(const Input& input)
{
    Shown s{Shown::Input, input.prompt, input.title};
    s.masked = input.masked;
    m_shown.append(s);
    return m_inputs.isEmpty() ? std::nullopt : m_inputs.dequeue();
}

QString ScriptedDialogs::openFile(const FileRequest& request)
{
    m_shown.append({Shown::OpenFile, request.title, request.filter});
    return m_files.isEmpty() ? QString() : m_files.dequeue();
}

QString ScriptedDialogs::saveFile(const FileRequest& request)
{
    Shown s{Shown::SaveFile, request.title, request.filter};
    s.detail = request.fileName.isEmpty()
                   ? request.initialFolder
                   : request.initialFolder + QLatin1Char('/') + request.fileName;
    m_shown.append(s);
    return m_files.isEmpty() ? QString() : m_files.dequeue();
}

QString ScriptedDialogs::browseFolder(const QString& prompt, const QString& initialFolder)
{
    m_shown.append({Shown::Folder, prompt, initialFolder});
    return m_folders.isEmpty() ? QString() : m_folders.dequeue();
}

bool ScriptedDialogs::openUrl(const QUrl& url)
{
    m_shown.append({Shown::Url, url.toString(), QString()});
    return m_urlsOpen;
}

std::optional<Dialogs::SpeechChoices> ScriptedDialogs::speechChoices(const SpeechChoices& current)
{
    m_shown << Shown{Shown::SpeechChoices, QStringLiteral("Pauses"), QString()};
    m_choicesShown = current;
    return m_speechChoices.isEmpty() ? std::nullopt : m_speechChoices.dequeue();
}

} // namespace lectorix::test
