#include "gui/password_prompt.h"

#include "gui/dialogs.h"

namespace lectorix {

QString askPassword(const QString& pathShown)
{
    Dialogs::Input request;
    request.title = QStringLiteral("Input Password");
    request.prompt = QStringLiteral("Enter password for file (") + pathShown +
                     QStringLiteral("): \r\nNote: Leave this box blank if file is not password "
                                    "protected");
    request.masked = true;
    return dialogs().input(request).value_or(QString());
}

} // namespace lectorix
