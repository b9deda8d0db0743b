#pragma once

#include "gui/dialogs.h"

#include <QList>
#include <QQueue>
#include <QStringList>

#include <functional>

namespace lectorix::test {

// Records every modal interaction and answers it from a script. Unscripted questions get
// the harmless answer: OK, No, cancel.
class ScriptedDialogs final : public Dialogs
{
public:
    struct Shown
    {
        enum Kind { Message, Input, OpenFile, SaveFile, Folder, Url, SpeechChoices } kind;
        QString text;  // message text, input prompt, dialog title or URL
        QString title; // message or input title, file filter
        Icon icon = Icon::None;
        Buttons buttons = Buttons::Ok;
        bool masked = false;
        QString detail{};   // a message's text beneath, or the file a save dialog proposed
        QString action{};   // a message's action button
        QString checkBox{}; // a message's check box
    };

    ScriptedDialogs(); // installs itself as the program's dialogs
    ~ScriptedDialogs() override;

    void setNextAnswer(Answer answer) { m_answers.enqueue(answer); }
    void setNextInput(std::optional<QString> text) { m_inputs.enqueue(std::move(text)); }
    void setNextFileName(const QString& path) { m_files.enqueue(path); }
    void setNextFolder(const QString& path) { m_folders.enqueue(path); }
    // How the user leaves the check box of the next message that has one (else as it opened).
    void setNextChecked(bool checked) { m_checks.enqueue(checked); }
    // The answer of the next "Pauses" dialog (unscripted: cancelled).
    void setNextSpeechChoices(std::optional<SpeechChoices> choices)
    {
        m_speechChoices.enqueue(choices);
    }
    // What the last "Pauses" dialog showed when it opened.
    const std::optional<SpeechChoices>& lastSpeechChoicesShown() const { return m_choicesShown; }
    // Whether openUrl finds a program that opens what it is given (it does unless told).
    void setUrlsOpen(bool open) { m_urlsOpen = open; }
    // Runs while a message box is "open", e.g. to click another button meanwhile.
    void setOnMessage(std::function<void(const Message&)> hook) { m_onMessage = std::move(hook); }

    const QList<Shown>& shown() const { return m_shown; }
    QStringList messageTexts() const;
    QList<Shown> messages() const;
    // The line numbers of the "Application Error" reports of one procedure ("Speak.SpeakLoud"),
    // in the order they were shown.
    QList<int> reportedLines(const QString& procedure) const;
    void clear() { m_shown.clear(); }

    Answer message(const Message& message) override;
    std::optional<QString> input(const Input& input) override;
    QString openFile(const FileRequest& request) override;
    QString saveFile(const FileRequest& request) override;
    QString browseFolder(const QString& prompt, const QString& initialFolder) override;
    bool openUrl(const QUrl& url) override;
    std::optional<SpeechChoices> speechChoices(const SpeechChoices& current) override;

private:
    QList<Shown> m_shown;
    QQueue<Answer> m_answers;
    QQueue<std::optional<QString>> m_inputs;
    QQueue<QString> m_files;
    QQueue<QString> m_folders;
    QQueue<bool> m_checks;
    QQueue<std::optional<SpeechChoices>> m_speechChoices;
    std::optional<SpeechChoices> m_choicesShown;
    std::function<void(const Message&)> m_onMessage;
    bool m_urlsOpen = true;
};

} // namespace lectorix::test
