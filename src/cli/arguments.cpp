#include "cli/arguments.h"

#include "cli/converter_options.h"
#include "core/base/program_version.h"

namespace lectorix::cli {

namespace {

const ConverterOption* findLong(const QString& name)
{
    for (const ConverterOption& option : converterOptions())
        if (name == QLatin1String(option.longName))
            return &option;
    return nullptr;
}

const ConverterOption* findShort(QChar letter)
{
    for (const ConverterOption& option : converterOptions())
        if (option.shortName != 0 && letter == QLatin1Char(option.shortName))
            return &option;
    return nullptr;
}

class Parser
{
public:
    explicit Parser(const QStringList& arguments, Options& options)
        : m_arguments(arguments), m_options(options)
    {
    }

    void parse()
    {
        bool optionsEnded = false;
        for (m_next = 0; m_next < m_arguments.size() && !finishedEarly();) {
            const QString& argument = m_arguments.at(m_next++);
            if (optionsEnded || argument == StandardInputName ||
                !argument.startsWith(QLatin1Char('-')))
                m_options.inputs.append(argument);
            else if (argument == QLatin1String("--"))
                optionsEnded = true;
            else if (argument.startsWith(QLatin1String("--")))
                takeLong(argument);
            else
                takeShort(argument);
        }
    }

    bool fail(const QString& error)
    {
        m_options.action = Options::Action::UsageError;
        m_options.error = error;
        return false;
    }

private:
    // "--name", "--name=VALUE", or "--name" with the next argument as its value.
    void takeLong(const QString& argument)
    {
        const qsizetype equals = argument.indexOf(QLatin1Char('='));
        const QString name = argument.mid(2, equals < 0 ? -1 : equals - 2);
        const QString shownName = QStringLiteral("--") + name;
        if (name == QLatin1String("password")) {
            fail(QStringLiteral("passwords are not taken as arguments, where other users can see "
                                "them; use --password-file=FILE or the LECTORIX_PDF_PASSWORD "
                                "environment variable"));
            return;
        }
        const ConverterOption* option = findLong(name);
        if (option == nullptr) {
            // Only the name is repeated: a mistyped option may carry a secret as its value.
            fail(QStringLiteral("unrecognized option '%1'").arg(shownName));
            return;
        }
        QString value;
        if (equals >= 0) {
            if (!option->takesValue()) {
                fail(QStringLiteral("option '%1' doesn't allow an argument").arg(shownName));
                return;
            }
            value = argument.mid(equals + 1);
        } else if (option->takesValue()) {
            if (m_next >= m_arguments.size()) {
                fail(QStringLiteral("option '%1' requires an argument").arg(shownName));
                return;
            }
            value = m_arguments.at(m_next++);
        }
        apply(*option, shownName, value);
    }

    // Grouped flags, the last of which may take the rest of the argument or the next one as
    // its value: "-q", "-qo FILE", "-oFILE".
    void takeShort(const QString& argument)
    {
        for (qsizetype j = 1; j < argument.size() && !finishedEarly(); ++j) {
            const QChar letter = argument.at(j);
            const ConverterOption* option = findShort(letter);
            if (option == nullptr) {
                fail(QStringLiteral("invalid option -- '%1'").arg(letter));
                return;
            }
            const QString shownName = QStringLiteral("-") + letter;
            if (!option->takesValue()) {
                apply(*option, shownName, QString());
                continue;
            }
            QString value = argument.mid(j + 1);
            if (value.isEmpty()) {
                if (m_next >= m_arguments.size()) {
                    fail(QStringLiteral("option requires an argument -- '%1'").arg(letter));
                    return;
                }
                value = m_arguments.at(m_next++);
            }
            apply(*option, shownName, value);
            return;
        }
    }

    // Applies one option; false (with m_options.error set) when it cannot be used.
    bool apply(const ConverterOption& option, const QString& shownName, const QString& value)
    {
        if (option.takesValue() && value.isEmpty() && !option.judgesEmptyValue)
            return fail(
                QStringLiteral("option '%1' needs a value that is not empty").arg(shownName));
        const QString error = option.apply(m_options, value);
        return error.isEmpty() || fail(error);
    }

    // --help and --version win over everything after them; the first error stops parsing.
    bool finishedEarly() const
    {
        return m_options.action == Options::Action::Help ||
               m_options.action == Options::Action::Version ||
               m_options.action == Options::Action::UsageError;
    }

    const QStringList& m_arguments;
    Options& m_options;
    qsizetype m_next = 0; // the argument to read next
};

// Checks what only the whole command line tells.
void checkInputs(Options& options, Parser& parser)
{
    if (options.action == Options::Action::PrintText) {
        if (options.inputs.isEmpty())
            parser.fail(QStringLiteral("no input given (a PDF, a .txt file, or - for standard "
                                       "input)"));
        else if (options.inputs.count(StandardInputName) > 1)
            parser.fail(QStringLiteral("standard input (-) can be given only once"));
        return;
    }
    if (options.action != Options::Action::Convert)
        return;
    if (options.inputs.isEmpty()) {
        parser.fail(QStringLiteral("no input given (a PDF, a .txt file, or - for standard "
                                   "input)"));
    } else if (!options.outputFile.isEmpty() && !options.outputFolder.isEmpty()) {
        parser.fail(QStringLiteral("-o and -d cannot be used together"));
    } else if (!options.outputFile.isEmpty() && options.inputs.size() > 1) {
        parser.fail(QStringLiteral("-o names one output file, but %1 inputs were given; use "
                                   "-d DIR for several")
                        .arg(options.inputs.size()));
    } else if (options.inputs.count(StandardInputName) > 1) {
        parser.fail(QStringLiteral("standard input (-) can be given only once"));
    }
}

} // namespace

Options parseArguments(const QStringList& arguments)
{
    Options options;
    Parser parser(arguments, options);
    parser.parse();
    checkInputs(options, parser);
    return options;
}

QString usageText()
{
    return QStringLiteral(
               "Usage: lectorix-convert [OPTION]... INPUT...\n"
               "Read documents aloud into MP3 files (or M4B or Opus audiobooks).\n"
               "\n"
               "An INPUT is a PDF file, a text file whose name ends in .txt (read as UTF-8,\n"
               "or as Windows-1252 when it is not valid UTF-8), or - for text on standard\n"
               "input. Each MP3 is written beside its input, named like the input with .mp3\n"
               "in place of the last extension; text from standard input becomes stdin.mp3\n"
               "in the current folder (or in the folder given with -d). Inputs are converted\n"
               "one after another; a failed input is named with its reason and the next one\n"
               "goes on.\n"
               "\n") +
           optionsHelpText() +
           QStringLiteral(
               "\n"
               "Voice, rate, volume, pauses and --one-voice default to the choices last made\n"
               "in the Lectorix window.\n"
               "\n"
               "The password of an encrypted PDF comes from --password-file, else from the\n"
               "LECTORIX_PDF_PASSWORD environment variable, else it is asked for on the\n"
               "terminal (when standard input is one). It is never taken as an argument,\n"
               "where other users could see it.\n"
               "\n"
               "An MP3 appears only when it is complete: an MP3 already at its path stays\n"
               "untouched until then, and for good when the conversion fails or is\n"
               "interrupted.\n"
               "\n"
               "Exit status: 0 when every input was converted, 1 when any failed, 2 for a\n"
               "usage error, 130 when interrupted (Ctrl-C), 143 when terminated.\n");
}

QString versionText()
{
    return lectorix::versionText(ProgramName);
}

QString tryHelpText()
{
    return QStringLiteral("Try 'lectorix-convert --help' for more information.\n");
}

QString outputPathFor(const QString& input, const QString& outputFile, const QString& outputFolder,
                      const QString& extension)
{
    if (!outputFile.isEmpty())
        return outputFile;
    // An empty folder stands for the current one, so the name is shown as the user would
    // write it.
    QString folder;
    QString name = QStringLiteral("stdin");
    if (input != StandardInputName) {
        const qsizetype slash = input.lastIndexOf(QLatin1Char('/'));
        folder = input.left(slash + 1);
        name = input.mid(slash + 1);
        // A leading dot starts a hidden name, not an extension.
        const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
        if (dot > 0)
            name.truncate(dot);
    }
    if (!outputFolder.isEmpty())
        folder = outputFolder.endsWith(QLatin1Char('/')) ? outputFolder
                                                         : outputFolder + QLatin1Char('/');
    return folder + name + extension;
}

bool isTextInput(const QString& input)
{
    return input == StandardInputName || input.endsWith(QLatin1String(".txt"), Qt::CaseInsensitive);
}

} // namespace lectorix::cli
