#pragma once

#include "gui/dialogs.h"

class QWidget;

namespace lectorix {

// The real dialogs, modal to the main window.
class QtDialogs final : public Dialogs
{
public:
    void setParentWindow(QWidget* parent) { m_parent = parent; }

    Answer message(const Message& message) override;
    std::optional<QString> input(const Input& input) override;
    QString openFile(const FileRequest& request) override;
    QString saveFile(const FileRequest& request) override;
    QString browseFolder(const QString& prompt, const QString& initialFolder) override;
    bool openUrl(const QUrl& url) override;
    std::optional<SpeechChoices> speechChoices(const SpeechChoices& current) override;

    // "Text Files (*.txt)|*.txt|All Files (*.*)|*.*|" -> "Text Files (*.txt);;All Files (*)"
    static QString toQtFilter(const QString& classicFilter);
    // A message box shows each CR, LF or CR LF as one line break.
    static QString toDisplayText(const QString& text);

private:
    QWidget* m_parent = nullptr;
};

} // namespace lectorix
