#pragma once

#include "core/pdf/document_text.h"
#include "core/reading/reading_session.h"
#include "core/speech/speech_engine.h"
#include "gui/document_controller.h"
#include "gui/export_controller.h"
#include "gui/main_window.h"
#include "gui/reading_controller.h"
#include "support/scripted_dialogs.h"

#include <QString>

namespace lectorix::test {

// What most window tests start from: fresh scratch folders, the converter launcher in
// {TEMP}, scripted dialogs and a window that has not run its start-up.
struct WindowFixture
{
    WindowFixture();
    QString temp;
    ScriptedDialogs dialogs;
    MainWindow form;
};

// Lets the window's event loop run until no conversion, text extraction or recognition is running
// (they run without holding the caller). False when that took longer than timeoutMs.
bool waitUntilIdle(MainWindow& form, int timeoutMs = 600000);

// Sets the window to read text from its text box, at full volume and the normal rate.
void readTextBoxAtFullVolume(MainWindow& form, const QString& text);

// Lets the event loop run until the window's reading has ended (the session is idle).
bool waitUntilReadingEnds(MainWindow& form, int timeoutMs = 120000);

} // namespace lectorix::test
