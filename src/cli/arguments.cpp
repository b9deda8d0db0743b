#include "cli/arguments.h"

#include "core/base/program_version.h"
#include "core/ocr/recognition_languages.h"
#include "core/text/speech_pauses.h"

#include <QRegularExpression>

#include <array>

namespace lectorix::cli {

namespace {

enum class OptionId {
    Output,
    Directory,
    Voice,
    Rate,
    Volume,
    PasswordFile,
    Title,
    Artist,
    ListVoices,
    Quiet,
    Verbatim,
    NoFootnotes,
    SplitChapters,
    Resume,
    Pronunciations,
    Recognition,
    RecognitionLanguage,
    Format,
    NoCover,
    SentencePause,
    ParagraphPause,
    HeadingPause,
    OneVoice,
    PrintText,
    Help,
    Version
};

struct KnownOption
{
    OptionId id;
    const char* longName;
    char shortName; // 0: long form only
    bool takesValue;
};

constexpr std::array<KnownOption, 26> KnownOptions{{
    {OptionId::Output, "output", 'o', true},
    {OptionId::Directory, "directory", 'd', true},
    {OptionId::Voice, "voice", 0, true},
    {OptionId::Rate, "rate", 0, true},
    {OptionId::Volume, "volume", 0, true},
    {OptionId::PasswordFile, "password-file", 0, true},
    {OptionId::Title, "title", 0, true},
    {OptionId::Artist, "artist", 0, true},
    {OptionId::ListVoices, "list-voices", 0, false},
    {OptionId::Quiet, "quiet", 'q', false},
    {OptionId::Verbatim, "verbatim", 0, false},
    {OptionId::NoFootnotes, "no-footnotes", 0, false},
    {OptionId::SplitChapters, "split-chapters", 0, false},
    {OptionId::Resume, "resume", 0, false},
    {OptionId::Pronunciations, "pronunciations", 0, true},
    {OptionId::Recognition, "ocr", 0, true},
    {OptionId::RecognitionLanguage, "ocr-language", 0, true},
    {OptionId::Format, "format", 0, true},
    {OptionId::NoCover, "no-cover", 0, false},
    {OptionId::SentencePause, "sentence-pause", 0, true},
    {OptionId::ParagraphPause, "paragraph-pause", 0, true},
    {OptionId::HeadingPause, "heading-pause", 0, true},
    {OptionId::OneVoice, "one-voice", 0, false},
    {OptionId::PrintText, "print-text", 0, false},
    {OptionId::Help, "help", 'h', false},
    {OptionId::Version, "version", 0, false},
}};

const KnownOption* findLong(const QString& name)
{
    for (const KnownOption& option : KnownOptions)
        if (name == QLatin1String(option.longName))
            return &option;
    return nullptr;
}

const KnownOption* findShort(QChar letter)
{
    for (const KnownOption& option : KnownOptions)
        if (option.shortName != 0 && letter == QLatin1Char(option.shortName))
            return &option;
    return nullptr;
}

// A whole number in [low, high], written in decimal with an optional sign and nothing else.
std::optional<int> numberInRange(const QString& text, int low, int high)
{
    static const QRegularExpression wholeNumber(QStringLiteral("^[+-]?[0-9]{1,9}$"));
    if (!wholeNumber.match(text).hasMatch())
        return std::nullopt;
    const int value = text.toInt();
    if (value < low || value > high)
        return std::nullopt;
    return value;
}

class Parser
{
public:
    explicit Parser(Options& options) : m_options(options) {}

    // Applies one option; false (with m_options.error set) when it cannot be used.
    bool apply(const KnownOption& option, const QString& shownName, const QString& value)
    {
        if (option.takesValue && value.isEmpty() && option.id != OptionId::Rate &&
            option.id != OptionId::Volume)
            return fail(
                QStringLiteral("option '%1' needs a value that is not empty").arg(shownName));
        switch (option.id) {
        case OptionId::Output:
            m_options.outputFile = value;
            return true;
        case OptionId::Directory:
            m_options.outputFolder = value;
            return true;
        case OptionId::Voice:
            m_options.voice = value;
            return true;
        case OptionId::Rate:
            m_options.rate = numberInRange(value, -10, 10);
            return m_options.rate ||
                   fail(QStringLiteral("invalid speech rate '%1': give a whole number from -10 "
                                       "to 10")
                            .arg(value));
        case OptionId::Volume:
            m_options.volume = numberInRange(value, 0, 100);
            return m_options.volume ||
                   fail(QStringLiteral("invalid volume '%1': give a whole number from 0 to 100")
                            .arg(value));
        case OptionId::PasswordFile:
            m_options.passwordFile = value;
            return true;
        case OptionId::Title:
            m_options.title = value;
            return true;
        case OptionId::Artist:
            m_options.artist = value;
            return true;
        case OptionId::ListVoices:
            m_options.action = Options::Action::ListVoices;
            return true;
        case OptionId::Quiet:
            m_options.quiet = true;
            return true;
        case OptionId::Verbatim:
            m_options.verbatim = true;
            return true;
        case OptionId::NoFootnotes:
            m_options.noFootnotes = true;
            return true;
        case OptionId::SplitChapters:
            m_options.splitChapters = true;
            return true;
        case OptionId::Resume:
            m_options.resume = true;
            return true;
        case OptionId::Pronunciations:
            m_options.pronunciationsFile = value;
            return true;
        case OptionId::Recognition:
            return applyRecognition(value);
        case OptionId::RecognitionLanguage:
            m_options.recognitionLanguages = requestedRecognitionLanguages(value);
            return !m_options.recognitionLanguages.isEmpty() ||
                   fail(QStringLiteral("invalid recognition language '%1': give language codes "
                                       "such as fra or fra+eng")
                            .arg(value));
        case OptionId::Format:
            if (const auto format = audioFormatNamed(value)) {
                m_options.format = *format;
                return true;
            }
            return fail(QStringLiteral("invalid format '%1': give mp3, m4b or opus").arg(value));
        case OptionId::NoCover:
            m_options.noCover = true;
            return true;
        case OptionId::SentencePause:
            return pause(m_options.sentencePause, value);
        case OptionId::ParagraphPause:
            return pause(m_options.paragraphPause, value);
        case OptionId::HeadingPause:
            return pause(m_options.headingPause, value);
        case OptionId::OneVoice:
            m_options.oneVoice = true;
            return true;
        case OptionId::PrintText:
            if (m_options.action == Options::Action::Convert)
                m_options.action = Options::Action::PrintText;
            return true;
        case OptionId::Help:
            m_options.action = Options::Action::Help;
            return true;
        case OptionId::Version:
            m_options.action = Options::Action::Version;
            return true;
        }
        return true;
    }

    bool applyRecognition(const QString& value)
    {
        if (value == QLatin1String("never"))
            m_options.recognition = RecognitionMode::Never;
        else if (value == QLatin1String("auto"))
            m_options.recognition = RecognitionMode::Auto;
        else if (value == QLatin1String("always"))
            m_options.recognition = RecognitionMode::Always;
        else
            return fail(QStringLiteral("invalid value '%1' for --ocr: give auto, always or never")
                            .arg(value));
        return true;
    }

    bool pause(std::optional<int>& milliseconds, const QString& value)
    {
        milliseconds = numberInRange(value, 0, SpeechPauses::LongestMs);
        return milliseconds ||
               fail(QStringLiteral("invalid pause '%1': give a whole number of milliseconds "
                                   "from 0 to %2")
                        .arg(value)
                        .arg(SpeechPauses::LongestMs));
    }

    bool fail(const QString& error)
    {
        m_options.action = Options::Action::UsageError;
        m_options.error = error;
        return false;
    }

    bool finishedEarly() const
    {
        return m_options.action == Options::Action::Help ||
               m_options.action == Options::Action::Version ||
               m_options.action == Options::Action::UsageError;
    }

private:
    Options& m_options;
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
    Parser parser(options);
    bool optionsEnded = false;
    for (qsizetype i = 0; i < arguments.size() && !parser.finishedEarly(); ++i) {
        const QString& argument = arguments.at(i);
        if (optionsEnded || argument == StandardInputName ||
            !argument.startsWith(QLatin1Char('-'))) {
            options.inputs.append(argument);
            continue;
        }
        if (argument == QLatin1String("--")) {
            optionsEnded = true;
            continue;
        }
        if (argument.startsWith(QLatin1String("--"))) {
            const qsizetype equals = argument.indexOf(QLatin1Char('='));
            const QString name = argument.mid(2, equals < 0 ? -1 : equals - 2);
            const QString shownName = QStringLiteral("--") + name;
            if (name == QLatin1String("password")) {
                parser.fail(QStringLiteral("passwords are not taken as arguments, where other "
                                           "users can see them; use --password-file=FILE or "
                                           "the LECTORIX_PDF_PASSWORD environment variable"));
                break;
            }
            const KnownOption* option = findLong(name);
            if (option == nullptr) {
                // Only the name is repeated: a mistyped option may carry a secret as its value.
                parser.fail(QStringLiteral("unrecognized option '%1'").arg(shownName));
                break;
            }
            QString value;
            if (equals >= 0) {
                if (!option->takesValue) {
                    parser.fail(
                        QStringLiteral("option '%1' doesn't allow an argument").arg(shownName));
                    break;
                }
                value = argument.mid(equals + 1);
            } else if (option->takesValue) {
                if (i + 1 >= arguments.size()) {
                    parser.fail(QStringLiteral("option '%1' requires an argument").arg(shownName));
                    break;
                }
                value = arguments.at(++i);
            }
            parser.apply(*option, shownName, value);
            continue;
        }
        for (qsizetype j = 1; j < argument.size() && !parser.finishedEarly(); ++j) {
            const QChar letter = argument.at(j);
            const KnownOption* option = findShort(letter);
            if (option == nullptr) {
                parser.fail(QStringLiteral("invalid option -- '%1'").arg(letter));
                break;
            }
            const QString shownName = QStringLiteral("-") + letter;
            if (!option->takesValue) {
                parser.apply(*option, shownName, QString());
                continue;
            }
            QString value = argument.mid(j + 1);
            if (value.isEmpty()) {
                if (i + 1 >= arguments.size()) {
                    parser.fail(QStringLiteral("option requires an argument -- '%1'").arg(letter));
                    break;
                }
                value = arguments.at(++i);
            }
            parser.apply(*option, shownName, value);
            break;
        }
    }
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
        "\n"
        "  -o, --output=FILE         write the MP3 to FILE (only with a single INPUT)\n"
        "  -d, --directory=DIR       write every MP3 into the folder DIR\n"
        "      --voice=VOICE         speak with VOICE: an identifier or a name as\n"
        "                              --list-voices prints them\n"
        "      --rate=N              speech rate from -10 (slowest) to 10 (fastest)\n"
        "      --volume=N            volume from 0 to 100\n"
        "      --password-file=FILE  open encrypted PDFs with the first line of FILE\n"
        "      --title=TEXT          the MP3's title tag (default: the PDF's title,\n"
        "                              else the input's name without extension)\n"
        "      --artist=TEXT         the MP3's artist tag (default: the PDF's author)\n"
        "      --format=FORMAT       mp3 (the default), m4b (AAC audiobook with chapter\n"
        "                              marks) or opus (Ogg Opus, about half the size);\n"
        "                              the output's extension follows the format\n"
        "      --no-cover            no cover picture (by default a PDF's first page)\n"
        "      --list-voices         list the installed voices, one per line:\n"
        "                              identifier, language and name, tab-separated\n"
        "  -q, --quiet               show no progress line\n"
        "      --verbatim            speak each line of the text as it stands, instead\n"
        "                              of joining the lines of a paragraph and leaving\n"
        "                              out running headers and page numbers\n"
        "      --no-footnotes        leave out a PDF's footnotes (by default they are\n"
        "                              read after the paragraph that cites them)\n"
        "      --split-chapters      write one MP3 per chapter (from the PDF's outline,\n"
        "                              else its headings) into a folder named like the\n"
        "                              MP3, as \"03 Title.mp3\"; a document without\n"
        "                              chapters gives the one MP3\n"
        "      --resume              make only the MP3s that are not there yet (each\n"
        "                              appears only when complete), so a conversion\n"
        "                              cut off goes on where it stopped\n"
        "      --pronunciations=FILE add the pronunciation list FILE for this run\n"
        "                              (after the user's own list)\n"
        "      --ocr=WHEN            recognise the text of a PDF's pages as images\n"
        "                              (scans): auto for the pages without usable\n"
        "                              text, always for every page, never (the\n"
        "                              default) to leave those pages out\n"
        "      --ocr-language=LANGS  recognise in LANGS, tesseract's language codes\n"
        "                              joined by + (fra+eng); default: the voice's\n"
        "                              language and English\n"
        "      --sentence-pause=MS   the silence after a sentence, in milliseconds\n"
        "      --paragraph-pause=MS  the silence after a paragraph\n"
        "      --heading-pause=MS    the silence before and after a heading\n"
        "      --one-voice           read everything with the one voice, instead of\n"
        "                              reading a sentence in another script (Cyrillic,\n"
        "                              Greek, Arabic, Chinese...) with a voice of its\n"
        "                              language\n"
        "      --print-text          convert nothing: print what would be spoken, one\n"
        "                              utterance per line, a blank line between\n"
        "                              paragraphs, headings marked with \"# \"\n"
        "  -h, --help                display this help and exit\n"
        "      --version             output version information and exit\n"
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
