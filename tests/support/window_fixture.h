#pragma once

#include "gui/main_window.h"
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
    Form1 form;
};

} // namespace lectorix::test
