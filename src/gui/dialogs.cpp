#include "gui/dialogs.h"

#include "core/conversion/conversion_job.h"
#include "core/process/missing_parts.h"

#include "gui/qt_dialogs.h"

#include "gui/error_report.h"

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
    // The window shows every error report in the "Application Error" box.
    setErrorReportSink([](const QString& tag, int line, const QString& description) {
        lectorix::dialogs().message({applicationErrorText(tag, line, description),
                                     QStringLiteral("Application Error"), Dialogs::Icon::Warning,
                                     Dialogs::Buttons::Ok});
    });
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

void openOnDesktop(const QUrl& url)
{
    const QString opener = QStringLiteral("xdg-open");
    if (!dialogs().openUrl(url) && !isInstalled(opener))
        showMessage(notInstalledMessage(opener));
}

void tellUnreadablePages(const QList<int>& pages)
{
    QString reason = unreadablePagesReason(pages);
    if (reason.isEmpty())
        return;
    reason[0] = reason[0].toUpper();
    showMessage(reason + QLatin1Char('.'), Dialogs::Buttons::Ok, Dialogs::Icon::Information);
}

} // namespace lectorix
