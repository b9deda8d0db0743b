#include "gui/qt_dialogs.h"

#include <QCheckBox>
#include <QDesktopServices>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSpinBox>
#include <QStringList>

namespace lectorix {

QString QtDialogs::toQtFilter(const QString& classicFilter)
{
    const QStringList parts = classicFilter.split(QLatin1Char('|'));
    QStringList entries;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        if (parts[i].isEmpty())
            continue;
        QString label = parts[i];
        QString pattern = parts[i + 1];
        pattern.replace(QStringLiteral("*.*"), QStringLiteral("*"));
        label.replace(QStringLiteral("(*.*)"), QStringLiteral("(*)"));
        entries << (label.contains(QLatin1Char('(')) ? label : label + " (" + pattern + ")");
    }
    return entries.join(QStringLiteral(";;"));
}

QString QtDialogs::toDisplayText(const QString& text)
{
    QString out = text;
    out.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    out.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return out;
}

Dialogs::Answer QtDialogs::message(const Message& message)
{
    QMessageBox box(m_parent);
    box.setWindowTitle(message.title);
    box.setText(toDisplayText(message.text));
    box.setTextFormat(Qt::PlainText);
    if (!message.detail.isEmpty()) {
        box.setInformativeText(toDisplayText(message.detail));
        // The detail may be a file name, which must show as it is, never as markup, and on
        // one line, not broken inside a folder's name.
        for (QLabel* label : box.findChildren<QLabel*>()) {
            label->setTextFormat(Qt::PlainText);
            if (label->text() == box.informativeText())
                label->setWordWrap(false);
        }
    }
    // Owned by the box; its state is read back whichever way the box is closed.
    QCheckBox* checkBox = nullptr;
    if (!message.checkBox.isEmpty() && message.checked) {
        checkBox = new QCheckBox(message.checkBox, &box);
        checkBox->setChecked(*message.checked);
        box.setCheckBox(checkBox);
    }
    const auto keepChecked = qScopeGuard([&] {
        if (checkBox)
            *message.checked = checkBox->isChecked();
    });
    QPushButton* action = nullptr;
    if (!message.actionButton.isEmpty())
        action = box.addButton(message.actionButton, QMessageBox::ActionRole);
    switch (message.icon) {
    case Icon::None:
        box.setIcon(QMessageBox::NoIcon);
        break;
    case Icon::Information:
        box.setIcon(QMessageBox::Information);
        break;
    case Icon::Warning:
        box.setIcon(QMessageBox::Warning);
        break;
    case Icon::Critical:
        box.setIcon(QMessageBox::Critical);
        break;
    case Icon::Question:
        box.setIcon(QMessageBox::Question);
        break;
    }
    if (message.buttons == Buttons::YesNo) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
        return box.exec() == QMessageBox::Yes ? Answer::Yes : Answer::No;
    }
    if (message.buttons == Buttons::YesNoCancel) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        box.setDefaultButton(QMessageBox::Yes);
        box.setEscapeButton(QMessageBox::Cancel);
        const int answer = box.exec();
        return answer == QMessageBox::Yes  ? Answer::Yes
               : answer == QMessageBox::No ? Answer::No
                                           : Answer::Cancel;
    }
    box.setStandardButtons(QMessageBox::Ok);
    box.setDefaultButton(QMessageBox::Ok);
    box.exec();
    return action && box.clickedButton() == action ? Answer::Action : Answer::Ok;
}

std::optional<QString> QtDialogs::input(const Input& input)
{
    QInputDialog dialog(m_parent);
    dialog.setWindowTitle(input.title);
    dialog.setLabelText(toDisplayText(input.prompt));
    dialog.setTextEchoMode(input.masked ? QLineEdit::Password : QLineEdit::Normal);
    dialog.setTextValue(input.defaultText);
    // The prompt holds file names, which must show as typed, never as markup.
    for (QLabel* label : dialog.findChildren<QLabel*>())
        label->setTextFormat(Qt::PlainText);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.textValue();
}

QString QtDialogs::openFile(const FileRequest& request)
{
    return QFileDialog::getOpenFileName(m_parent, request.title, request.initialFolder,
                                        toQtFilter(request.filter));
}

QString QtDialogs::saveFile(const FileRequest& request)
{
    // Qt's overwrite confirmation stays on: replacing a file should never be a surprise.
    const QString start = request.fileName.isEmpty()
                              ? request.initialFolder
                              : request.initialFolder + QLatin1Char('/') + request.fileName;
    return QFileDialog::getSaveFileName(m_parent, request.title, start, toQtFilter(request.filter));
}

QString QtDialogs::browseFolder(const QString& prompt, const QString& initialFolder)
{
    return QFileDialog::getExistingDirectory(m_parent, prompt, initialFolder,
                                             QFileDialog::ShowDirsOnly);
}

bool QtDialogs::openUrl(const QUrl& url)
{
    return QDesktopServices::openUrl(url);
}

namespace {

QSpinBox* pauseBox(QDialog& dialog, const char* name, int milliseconds)
{
    auto* box = new QSpinBox(&dialog);
    box->setObjectName(QLatin1String(name));
    box->setRange(0, SpeechPauses::LongestMs);
    box->setSingleStep(50);
    box->setSuffix(QStringLiteral(" ms"));
    box->setValue(milliseconds);
    return box;
}

} // namespace

std::optional<Dialogs::SpeechChoices> QtDialogs::speechChoices(const SpeechChoices& current)
{
    QDialog dialog(m_parent);
    dialog.setWindowTitle(QStringLiteral("Pauses"));
    auto* form = new QFormLayout(&dialog);
    QSpinBox* sentence = pauseBox(dialog, "sentencePauseBox", current.pauses.sentenceMs);
    QSpinBox* paragraph = pauseBox(dialog, "paragraphPauseBox", current.pauses.paragraphMs);
    QSpinBox* heading = pauseBox(dialog, "headingPauseBox", current.pauses.headingMs);
    form->addRow(QStringLiteral("After a sentence:"), sentence);
    form->addRow(QStringLiteral("After a paragraph:"), paragraph);
    form->addRow(QStringLiteral("Before and after a heading:"), heading);
    auto* oneVoice = new QCheckBox(QStringLiteral("Use one voice for everything"), &dialog);
    oneVoice->setObjectName(QStringLiteral("oneVoiceCheck"));
    oneVoice->setToolTip(QStringLiteral("Otherwise a sentence in another script (Cyrillic, "
                                        "Greek, Arabic, Chinese...) is read by a voice of its "
                                        "language"));
    oneVoice->setChecked(current.oneVoice);
    form->addRow(oneVoice);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    form->addRow(buttons);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return SpeechChoices{{sentence->value(), paragraph->value(), heading->value()},
                         oneVoice->isChecked()};
}

} // namespace lectorix
