#pragma once

#include "core/text/speech_pauses.h"

#include <QList>
#include <QString>
#include <QUrl>

#include <optional>

namespace lectorix {

// Every modal interaction of the program goes through this interface: QtDialogs shows the
// real thing, tests use a scripted double that records what was asked and answers it.
class Dialogs
{
public:
    enum class Icon { None, Information, Warning, Critical, Question };
    enum class Buttons { Ok, YesNo, YesNoCancel };
    enum class Answer { Ok, Yes, No, Cancel, Action };

    struct Message
    {
        QString text;
        QString title;
        Icon icon = Icon::None;
        Buttons buttons = Buttons::Ok;
        // Shown beneath the text, smaller (a path, a detail); empty for none.
        QString detail{};
        // A button beside the others that does something for the message ("Open Folder"); its
        // answer is Action. Empty for none.
        QString actionButton{};
        // A check box beneath the text ("Always ..."), empty for none. checked gives its state
        // as the box opens and receives it as the user left it; it must be given with one.
        QString checkBox{};
        bool* checked = nullptr;
    };

    struct Input
    {
        QString title;
        QString prompt;
        QString defaultText;
        bool masked = false;
    };

    struct FileRequest
    {
        QString title;
        QString filter; // classic "Name (*.ext)|*.ext|..." form
        QString initialFolder;
        QString fileName{}; // proposed in initialFolder by a save dialog; empty for none
    };

    // How sentences are spoken: the pauses after them, and whether one voice reads all.
    struct SpeechChoices
    {
        SpeechPauses pauses;
        bool oneVoice = false;
        bool operator==(const SpeechChoices&) const = default;
    };

    virtual ~Dialogs() = default;

    virtual Answer message(const Message& message) = 0;
    // The typed text; std::nullopt when the user cancelled.
    virtual std::optional<QString> input(const Input& input) = 0;
    // The chosen path; empty when the user cancelled.
    virtual QString openFile(const FileRequest& request) = 0;
    virtual QString saveFile(const FileRequest& request) = 0;
    virtual QString browseFolder(const QString& prompt, const QString& initialFolder) = 0;
    virtual bool openUrl(const QUrl& url) = 0;
    // The "Pauses" dialog, showing current; the choices made, std::nullopt when cancelled.
    virtual std::optional<SpeechChoices> speechChoices(const SpeechChoices& current) = 0;
};

// The dialogs every part of the program uses; set once by main() or by a test.
Dialogs& dialogs();
void setDialogs(Dialogs* dialogs);

// The title of message boxes that give none of their own (set by setAppTitle at start-up).
QString applicationTitle();
void setApplicationTitle(const QString& title);

// Shorthand for the common case: an OK box titled with the application title.
Dialogs::Answer showMessage(const QString& text, Dialogs::Buttons buttons = Dialogs::Buttons::Ok,
                            Dialogs::Icon icon = Dialogs::Icon::None);

// Opens url (a folder or a web page) in the desktop's own program, the way a click the user
// asked for does. When nothing could open it and xdg-open is missing, says which package
// brings it: the click would otherwise do nothing visible.
void openOnDesktop(const QUrl& url);
// Tells the user, in an information box, which pages of a PDF were left out of a reading or
// an export because their text could not be read; nothing for none.
void tellUnreadablePages(const QList<int>& pages);

} // namespace lectorix
