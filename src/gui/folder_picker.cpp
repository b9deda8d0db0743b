#include "gui/folder_picker.h"

#include "core/base/error_report.h"
#include "core/settings/settings.h"
#include "core/settings/settings_keys.h"
#include "gui/dialogs.h"
#include "gui/main_window.h"

#include <QLineEdit>

namespace lectorix {

void chooseOutputFolder(MainWindow& form)
{
    Guard g("Form1", "PushButton9_Click");
    QString start;
    QString chosen;
    g.assign(100, start, [] { return readSetting(keys::LastFolder, QString()); });
    g.assign(100, chosen, [&] {
        return dialogs().browseFolder(QStringLiteral("Please select folder:"), start);
    });
    if (g.test(102, [&] { return chosen.isEmpty(); }))
        return;
    // "LastFolder" is stored too, so the next dialog opens where the user chose last.
    g(
        104, [&] { writeSetting(keys::LastFolderDot, chosen); },
        [&] { writeSetting(keys::LastFolder, chosen); });
    if (g.test(104, [&] { return !chosen.endsWith(QLatin1Char('/')); }))
        g(106, [&] { form.outputFolderEdit->setText(chosen + QLatin1Char('/')); });
    else
        g(108, [&] { form.outputFolderEdit->setText(chosen); });
}

} // namespace lectorix
