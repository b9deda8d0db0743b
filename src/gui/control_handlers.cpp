#include "gui/control_handlers.h"

#include "gui/main_window.h"
#include "gui/globals.h"
#include "core/settings.h"
#include "core/failure.h"
#include "gui/read_aloud.h"

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
        WriteSetting(key, value);
    } catch (const Failure&) {
        // These handlers have no report of their own; the value is simply not remembered.
    }
}

void storeOptions(Form1& form)
{
    store(QStringLiteral("Option1"), convert::fromBool(form.Option1->isChecked()));
    store(QStringLiteral("Option2"), convert::fromBool(form.Option2->isChecked()));
    form.Frame9->setEnabled(form.Option1->isChecked());
}

} // namespace

void pointerMoved(Form1& form, QWidget* control)
{
    if (control == form.PushButton2) {
        form.setMousePointer(Form1::PointerCustom);
        return;
    }
    if (form.mousePointer() == Form1::PointerBusy)
        return;
    const bool handButton = qobject_cast<QPushButton*>(control) != nullptr;
    form.setMousePointer(handButton ? Form1::PointerCustom : Form1::PointerDefault);
}

void Text1_Change(Form1& form)
{
    store(QStringLiteral("Text1"), form.Text1->text());
}

void Text3_Change(Form1& form)
{
    store(QStringLiteral("Text3"), form.Text3->text());
}

void Combo1_Click(Form1& form)
{
    store(QStringLiteral("Combo1"), convert::fromInt(form.Combo1->currentIndex()));
}

void Check1_Click(Form1& form)
{
    // Stored so that a bad value written by hand is mended by the next click.
    const Qt::CheckState state = form.Check1->checkState();
    store(QStringLiteral("Check1"), convert::fromInt(state == Qt::Checked            ? 1
                                                     : state == Qt::PartiallyChecked ? 2
                                                                                     : 0));
}

void Option1_Click(Form1& form)
{
    storeOptions(form);
}

void Option2_Click(Form1& form)
{
    storeOptions(form);
}

void Text2_Change(Form1& form)
{
    form.PushButton2->setText(CaptionStart);
}

void Text2_Validate(Form1&, Qt::FocusReason reason)
{
    // Only a move to another control of this window counts; switching windows or opening a
    // menu does not.
    if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason ||
        reason == Qt::MenuBarFocusReason)
        return;
    globals().UseTextBox = true;
}

} // namespace lectorix
