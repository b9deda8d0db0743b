#include "gui/password_prompt.h"

#include "gui/dialogs.h"

namespace lectorix {

QString askPassword(const QString& pathShown, PasswordQuestion why)
{
    Dialogs::Input request;
    request.title = QStringLiteral("Input Password");
    const QString enter =
        QStringLiteral("Enter password for file (") + pathShown + QStringLiteral("): ");
    switch (why) {
    case PasswordQuestion::BeforeTrying:
        request.prompt = enter + QStringLiteral("\r\nNote: Leave this box blank if file is not "
                                                "password protected");
        break;
    case PasswordQuestion::Needed:
        request.prompt = QStringLiteral("This file is password protected.\r\n") + enter;
        break;
    case PasswordQuestion::Wrong:
        request.prompt = QStringLiteral("The password was wrong. Please try again.\r\n") + enter;
        break;
    }
    request.masked = true;
    return dialogs().input(request).value_or(QString());
}

} // namespace lectorix
