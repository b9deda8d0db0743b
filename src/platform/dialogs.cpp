#include "platform/dialogs.h"

#include "platform/qt_dialogs.h"

namespace lectorix {

namespace {
Dialogs* g_dialogs = nullptr;
QString g_applicationTitle = QStringLiteral("Lectorix");
} // namespace

Dialogs& dialogs()
{
    if (!g_dialogs) {
        static QtDialogs fallback;
        g_dialogs = &fallback;
    }
    return *g_dialogs;
}

void setDialogs(Dialogs* dialogs)
{
    g_dialogs = dialogs;
}

QString applicationTitle()
{
    return g_applicationTitle;
}

void setApplicationTitle(const QString& title)
{
    g_applicationTitle = title;
}

Dialogs::Answer showMessage(const QString& text, Dialogs::Buttons buttons, Dialogs::Icon icon)
{
    return dialogs().message({text, applicationTitle(), icon, buttons});
}

} // namespace lectorix
