#include "gui/control_handlers.h"

#include "core/base/failure.h"
#include "core/settings/settings.h"
#include "core/settings/settings_keys.h"
#include "gui/main_window.h"
#include "gui/read_aloud.h"
#include "gui/reading_controls.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>

namespace lectorix {

namespace {

void store(const QString& key, const QString& value)
{
    try {
        writeSetting(key, value);
    } catch (const Failure&) {
        // These handlers have no report of their own; the value is simply not remembered.
    }
}

void storeOptions(MainWindow& form)
{
    store(keys::SaveToFolder, convert::fromBool(form.saveToFolderOption->isChecked()));
    store(keys::SaveBesidePdf, convert::fromBool(form.saveBesidePdfOption->isChecked()));
    form.outputFolderFrame->setEnabled(form.saveToFolderOption->isChecked());
}

} // namespace

void pointerMoved(MainWindow& form, QWidget* control)
{
    if (control == form.readButton) {
        form.setMousePointer(MainWindow::PointerCustom);
        return;
    }
    if (form.mousePointer() == MainWindow::PointerBusy)
        return;
    const bool handButton = qobject_cast<QPushButton*>(control) != nullptr;
    form.setMousePointer(handButton ? MainWindow::PointerCustom : MainWindow::PointerDefault);
}

void pdfPathChanged(MainWindow& form)
{
    store(keys::PdfPath, form.pdfPathEdit->text());
}

void outputFolderChanged(MainWindow& form)
{
    store(keys::OutputFolder, form.outputFolderEdit->text());
}

void voiceChosen(MainWindow& form)
{
    store(keys::Voice, convert::fromInt(form.voiceCombo->currentIndex()));
}

void passwordPromptToggled(MainWindow& form)
{
    // Stored so that a bad value written by hand is mended by the next click.
    const Qt::CheckState state = form.passwordPromptCheck->checkState();
    store(keys::PasswordPrompt, convert::fromInt(state == Qt::Checked            ? 1
                                                 : state == Qt::PartiallyChecked ? 2
                                                                                 : 0));
}

void saveToFolderChosen(MainWindow& form)
{
    storeOptions(form);
}

void saveBesidePdfChosen(MainWindow& form)
{
    storeOptions(form);
}

void textToReadChanged(MainWindow& form)
{
    // The text being read is no longer what the box shows: that reading ends, and the next
    // press starts a reading of the new text. A reading of the PDF does not depend on the box.
    ReadingSession& session = *form.readingSession;
    if (session.state() != ReadingState::Idle && session.request().fromPdf)
        return;
    session.stop();
    setCaption(form.readButton, CaptionStart);
}

void textToReadLeft(MainWindow& form, Qt::FocusReason reason)
{
    // Only a move to another control of this window counts; switching windows or opening a
    // menu does not.
    if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason ||
        reason == Qt::MenuBarFocusReason)
        return;
    form.useTextBox = true;
}

} // namespace lectorix
