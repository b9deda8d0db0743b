#include "core/base/program_version.h"
#include "gui/command_line.h"
#include "gui/dialogs.h"
#include "gui/document_controller.h"
#include "gui/main_window.h"
#include "gui/qt_dialogs.h"

#include <QApplication>
#include <QScreen>
#include <QSocketNotifier>

#include <csignal>
#include <cstdio>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int g_signalPipe[2] = {-1, -1};

void onTerminationSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const auto n = ::write(g_signalPipe[1], &byte, 1);
}

// A logout or `kill` closes the window the normal way, so the temporary tools are removed.
void closeOnTerminationSignals(QWidget* window)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, g_signalPipe) != 0)
        return;
    auto* notifier = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, window);
    QObject::connect(notifier, &QSocketNotifier::activated, window, [window] {
        char byte = 0;
        [[maybe_unused]] const auto n = ::read(g_signalPipe[0], &byte, 1);
        window->close();
    });
    struct sigaction action
    {
    };
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGHUP, &action, nullptr);
}

constexpr int ExitCannotOpen = 1;
constexpr int ExitUsage = 2;

void printTo(std::FILE* stream, const QString& text)
{
    std::fputs(text.toLocal8Bit().constData(), stream);
}

// Answers whatever needs no window (--help, --version, a usage error, a FILE that cannot be
// opened) on standard output or standard error and returns the exit status; -1 when the
// window is to open.
int answerWithoutWindow(const lectorix::LaunchRequest& request)
{
    using Action = lectorix::LaunchRequest::Action;
    switch (request.action) {
    case Action::ShowHelp:
        printTo(stdout, lectorix::launchUsageText());
        return 0;
    case Action::ShowVersion:
        printTo(stdout, lectorix::launchVersionText());
        return 0;
    case Action::UsageError:
        printTo(stderr, QStringLiteral("lectorix: ") + request.error + QLatin1Char('\n') +
                            lectorix::launchTryHelpText());
        return ExitUsage;
    case Action::OpenWindow:
        break;
    }
    if (!request.document.isEmpty()) {
        const QString problem = lectorix::documentProblem(request.document);
        if (!problem.isEmpty()) {
            printTo(stderr, QStringLiteral("lectorix: ") + problem + QLatin1Char('\n'));
            return ExitCannotOpen;
        }
    }
    return -1;
}

} // namespace

int main(int argc, char* argv[])
{
    // --help, --version and a missing FILE are answered without a display, over ssh or in a
    // script. What looks like a usage error may be one of Qt's own options, which only
    // QApplication knows: that is judged once it exists.
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    const lectorix::LaunchRequest early = lectorix::parseLaunchArguments(arguments);
    if (early.action != lectorix::LaunchRequest::Action::UsageError)
        if (const int status = answerWithoutWindow(early); status >= 0)
            return status;

    // A write into the pipe of a tool that has ended (an encoder) must fail, not end the
    // program.
    std::signal(SIGPIPE, SIG_IGN);

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Lectorix"));
    QApplication::setApplicationVersion(lectorix::programVersion());
    QApplication::setOrganizationName(QStringLiteral("Quendrel"));
    // Lets the desktop match the window with its menu entry and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral(LECTORIX_APP_ID));

    // QApplication has taken out its own options (-platform, -style, ...); what is left is ours.
    const lectorix::LaunchRequest request =
        lectorix::parseLaunchArguments(QApplication::arguments().mid(1));
    if (const int status = answerWithoutWindow(request); status >= 0)
        return status;

    lectorix::QtDialogs dialogs;
    lectorix::setDialogs(&dialogs);

    lectorix::MainWindow form;
    dialogs.setParentWindow(&form);
    if (!form.startUp())
        return 0;
    closeOnTerminationSignals(&form);
    if (QScreen* screen = QGuiApplication::primaryScreen())
        form.move(screen->availableGeometry().center() - form.rect().center());
    form.show();
    if (!request.document.isEmpty())
        form.documents().openDocument(request.document);
    return app.exec();
}
