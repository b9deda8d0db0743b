#include "gui/command_line.h"

#include "core/base/program_version.h"

#include <QFileInfo>
#include <QMimeDatabase>

namespace lectorix {

namespace {

LaunchRequest usageError(const QString& error)
{
    LaunchRequest request;
    request.action = LaunchRequest::Action::UsageError;
    request.error = error;
    return request;
}

} // namespace

LaunchRequest parseLaunchArguments(const QStringList& arguments)
{
    LaunchRequest request;
    bool optionsEnded = false;
    for (const QString& argument : arguments) {
        const bool isOption =
            !optionsEnded && argument.size() > 1 && argument.startsWith(QLatin1Char('-'));
        if (!isOption) {
            if (!request.document.isEmpty())
                return usageError(QStringLiteral("only one FILE can be opened, but '%1' and "
                                                 "'%2' were given")
                                      .arg(request.document, argument));
            if (argument.isEmpty())
                return usageError(QStringLiteral("the FILE name is empty"));
            request.document = argument;
        } else if (argument == QLatin1String("--")) {
            optionsEnded = true;
        } else if (argument == QLatin1String("--help") || argument == QLatin1String("-h")) {
            return LaunchRequest{LaunchRequest::Action::ShowHelp, {}, {}};
        } else if (argument == QLatin1String("--version")) {
            return LaunchRequest{LaunchRequest::Action::ShowVersion, {}, {}};
        } else if (argument.startsWith(QLatin1String("--"))) {
            // Only the name is repeated: a mistyped option may carry a secret as its value.
            return usageError(QStringLiteral("unrecognized option '%1'")
                                  .arg(argument.section(QLatin1Char('='), 0, 0)));
        } else {
            return usageError(QStringLiteral("invalid option -- '%1'").arg(argument.at(1)));
        }
    }
    return request;
}

QString launchUsageText()
{
    return QStringLiteral(
        "Usage: lectorix [OPTION]... [FILE]\n"
        "Read documents aloud, and turn PDF documents into MP3 files.\n"
        "\n"
        "With a FILE the window opens with that document: a PDF as if it had been\n"
        "chosen with the \"...\" button beside the PDF path (its text fills the box),\n"
        "a text file as if loaded with \"Load Text From Text File\".\n"
        "\n"
        "  -h, --help     display this help and exit\n"
        "      --version  output version information and exit\n"
        "\n"
        "Qt's own options, such as -platform NAME or -style NAME, are accepted too.\n"
        "\n"
        "Exit status: 0 when the window was closed, 1 when FILE cannot be opened,\n"
        "2 for a usage error.\n"
        "\n"
        "Documents are converted to MP3 without the window by lectorix-convert.\n");
}

QString launchVersionText()
{
    return versionText(QStringLiteral("lectorix"));
}

QString launchTryHelpText()
{
    return QStringLiteral("Try 'lectorix --help' for more information.\n");
}

DocumentKind documentKind(const QString& path)
{
    // By the content type the desktop gives the file: its name when that is known, its
    // content otherwise (a PDF saved without its extension is still a PDF).
    const QMimeDatabase types;
    const QMimeType type = types.mimeTypeForFile(path);
    if (type.inherits(QStringLiteral("application/pdf")))
        return DocumentKind::Pdf;
    if (type.inherits(QStringLiteral("text/plain")))
        return DocumentKind::Text;
    return DocumentKind::Unsupported;
}

QString documentProblem(const QString& path)
{
    const QFileInfo file(path);
    const QString cannotOpen = QStringLiteral("cannot open '%1': ").arg(path);
    if (!file.exists())
        return cannotOpen + QStringLiteral("no such file");
    if (file.isDir())
        return cannotOpen + QStringLiteral("it is a folder");
    if (!file.isReadable())
        return cannotOpen + QStringLiteral("permission denied");
    if (documentKind(path) == DocumentKind::Unsupported)
        return cannotOpen + QStringLiteral("it is neither a PDF nor a text file");
    return QString();
}

} // namespace lectorix
