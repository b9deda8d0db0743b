#pragma once

#include <QString>
#include <QStringList>

namespace lectorix {
class MainWindow;

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

// Opens a document named on the command line exactly as choosing it in the window would:
// a PDF as the "..." chooser does (the path goes into the PDF box, the PDF becomes the
// source for reading, its text fills the box), a text file as "Load Text From Text File" does.
// The file dialog those handlers show is answered with the path instead of being shown. A
// PDF's text arrives while the window goes on, as with a chosen PDF; a text file's text
// replaces whatever an earlier document (the one remembered from the last session) is still
// delivering.
void openDocument(MainWindow& form, const QString& path);

} // namespace lectorix
