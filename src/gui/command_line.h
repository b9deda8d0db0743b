#pragma once

#include <QString>
#include <QStringList>

namespace lectorix {

// What `lectorix [OPTION]... [FILE]` asks for.
struct LaunchRequest
{
    enum class Action { OpenWindow, ShowHelp, ShowVersion, UsageError };
    Action action = Action::OpenWindow;
    // The document to open in the window, as given; empty for none.
    QString document;
    // With UsageError: what is wrong, one line, without the program name.
    QString error;
};

// Parses the arguments that follow the program name: --help (-h), --version and at most one
// FILE; "--" ends the options. --help and --version win over everything after them. Parsing
// never touches the file system. Qt's own options (-platform, -style, ...) are unknown here:
// QApplication removes them from its arguments first.
LaunchRequest parseLaunchArguments(const QStringList& arguments);

// The texts of --help and --version, for standard output, and the hint after a usage error.
QString launchUsageText();
QString launchVersionText();
QString launchTryHelpText();

// How the window takes a document in: a PDF through the PDF chooser's path, any text file
// (plain text, Markdown, CSV, source code, ... by its content type) like "Load Text From Text
// File".
enum class DocumentKind { Pdf, Text, Unsupported };
DocumentKind documentKind(const QString& path);

// Why the window cannot open the document named on its command line, as one line ("cannot
// open 'x.pdf': no such file"); empty when it can.
QString documentProblem(const QString& path);

} // namespace lectorix
