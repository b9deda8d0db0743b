#include "cli/converter_options.h"

#include "core/ocr/recognition_languages.h"
#include "core/text/speech_pauses.h"

#include <QRegularExpression>

#include <array>

namespace lectorix::cli {

namespace {

// Where the descriptions of --help start, and where their further lines do.
constexpr qsizetype DescriptionColumn = 28;
constexpr qsizetype ContinuationColumn = 30;

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

template <QString Options::*Field> QString setText(Options& options, const QString& value)
{
    options.*Field = value;
    return {};
}

template <bool Options::*Field> QString setFlag(Options& options, const QString& /*value*/)
{
    options.*Field = true;
    return {};
}

template <Options::Action Chosen> QString setAction(Options& options, const QString& /*value*/)
{
    options.action = Chosen;
    return {};
}

// --print-text leaves --list-voices, --help and --version their say.
QString printText(Options& options, const QString& /*value*/)
{
    if (options.action == Options::Action::Convert)
        options.action = Options::Action::PrintText;
    return {};
}

QString setRate(Options& options, const QString& value)
{
    options.rate = numberInRange(value, -10, 10);
    if (options.rate)
        return {};
    return QStringLiteral("invalid speech rate '%1': give a whole number from -10 to 10")
        .arg(value);
}

QString setVolume(Options& options, const QString& value)
{
    options.volume = numberInRange(value, 0, 100);
    if (options.volume)
        return {};
    return QStringLiteral("invalid volume '%1': give a whole number from 0 to 100").arg(value);
}

template <std::optional<int> Options::*Field>
QString setPause(Options& options, const QString& value)
{
    options.*Field = numberInRange(value, 0, SpeechPauses::LongestMs);
    if (options.*Field)
        return {};
    return QStringLiteral("invalid pause '%1': give a whole number of milliseconds from 0 to %2")
        .arg(value)
        .arg(SpeechPauses::LongestMs);
}

QString setRecognition(Options& options, const QString& value)
{
    if (value == QLatin1String("never"))
        options.recognition = RecognitionMode::Never;
    else if (value == QLatin1String("auto"))
        options.recognition = RecognitionMode::Auto;
    else if (value == QLatin1String("always"))
        options.recognition = RecognitionMode::Always;
    else
        return QStringLiteral("invalid value '%1' for --ocr: give auto, always or never")
            .arg(value);
    options.recognitionChosen = true;
    return {};
}

QString setRecognitionLanguages(Options& options, const QString& value)
{
    options.recognitionLanguages = requestedRecognitionLanguages(value);
    if (!options.recognitionLanguages.isEmpty())
        return {};
    return QStringLiteral("invalid recognition language '%1': give language codes such as fra "
                          "or fra+eng")
        .arg(value);
}

QString setFormat(Options& options, const QString& value)
{
    const std::optional<AudioFormat> format = audioFormatNamed(value);
    if (!format)
        return QStringLiteral("invalid format '%1': give mp3, m4b or opus").arg(value);
    options.format = *format;
    return {};
}

using enum ValueCompletion;

constexpr std::array<ConverterOption, 27> Table{{
    {.longName = "output",
     .shortName = 'o',
     .valueName = "FILE",
     .help = "write the MP3 to FILE (only with a single INPUT)",
     .completion = AnyFile,
     .apply = setText<&Options::outputFile>},
    {.longName = "directory",
     .shortName = 'd',
     .valueName = "DIR",
     .help = "write every MP3 into the folder DIR",
     .completion = Folder,
     .apply = setText<&Options::outputFolder>},
    {.longName = "voice",
     .valueName = "VOICE",
     .help = "speak with VOICE: an identifier or a name as\n"
             "--list-voices prints them",
     .completion = InstalledVoices,
     .apply = setText<&Options::voice>},
    {.longName = "rate",
     .valueName = "N",
     .help = "speech rate from -10 (slowest) to 10 (fastest)",
     .completion = Words,
     .words = "-10 -9 -8 -7 -6 -5 -4 -3 -2 -1 0 1 2 3 4 5 6 7 8 9 10",
     .apply = setRate,
     .judgesEmptyValue = true},
    {.longName = "volume",
     .valueName = "N",
     .help = "volume from 0 to 100",
     .completion = Words,
     .words = "0 10 20 30 40 50 60 70 80 90 100",
     .apply = setVolume,
     .judgesEmptyValue = true},
    {.longName = "password-file",
     .valueName = "FILE",
     .help = "open encrypted PDFs with the first line of FILE",
     .completion = AnyFile,
     .apply = setText<&Options::passwordFile>},
    {.longName = "title",
     .valueName = "TEXT",
     .help = "the MP3's title tag (default: the PDF's title,\n"
             "else the input's name without extension)",
     .apply = setText<&Options::title>},
    {.longName = "artist",
     .valueName = "TEXT",
     .help = "the MP3's artist tag (default: the PDF's author)",
     .apply = setText<&Options::artist>},
    {.longName = "format",
     .valueName = "FORMAT",
     .help = "mp3 (the default), m4b (AAC audiobook with chapter\n"
             "marks) or opus (Ogg Opus, about half the size);\n"
             "the output's extension follows the format",
     .completion = Words,
     .words = "mp3 m4b opus",
     .apply = setFormat},
    {.longName = "no-cover",
     .help = "no cover picture (by default a PDF's first page)",
     .apply = setFlag<&Options::noCover>},
    {.longName = "list-voices",
     .help = "list the installed voices, one per line:\n"
             "identifier, language and name, tab-separated",
     .apply = setAction<Options::Action::ListVoices>},
    {.longName = "quiet",
     .shortName = 'q',
     .help = "show no progress line",
     .apply = setFlag<&Options::quiet>},
    {.longName = "verbatim",
     .help = "speak each line of the text as it stands, instead\n"
             "of joining the lines of a paragraph and leaving\n"
             "out running headers and page numbers",
     .apply = setFlag<&Options::verbatim>},
    {.longName = "no-footnotes",
     .help = "leave out a PDF's footnotes (by default they are\n"
             "read after the paragraph that cites them)",
     .apply = setFlag<&Options::noFootnotes>},
    {.longName = "split-chapters",
     .help = "write one MP3 per chapter (from the PDF's outline,\n"
             "else its headings) into a folder named like the\n"
             "MP3, as \"03 Title.mp3\"; a document without\n"
             "chapters gives the one MP3",
     .apply = setFlag<&Options::splitChapters>},
    {.longName = "resume",
     .help = "make only the MP3s that are not there yet (each\n"
             "appears only when complete), so a conversion\n"
             "cut off goes on where it stopped",
     .apply = setFlag<&Options::resume>},
    {.longName = "pronunciations",
     .valueName = "FILE",
     .help = "add the pronunciation list FILE for this run\n"
             "(after the user's own list)",
     .completion = AnyFile,
     .apply = setText<&Options::pronunciationsFile>},
    {.longName = "ocr",
     .valueName = "WHEN",
     .help = "recognise the text of a PDF's pages as images\n"
             "(scans): auto (the default) for the pages\n"
             "without usable text, always for every page,\n"
             "never to leave those pages out",
     .completion = Words,
     .words = "auto always never",
     .apply = setRecognition},
    {.longName = "ocr-language",
     .valueName = "LANGS",
     .help = "recognise in LANGS, tesseract's language codes\n"
             "joined by + (fra+eng); default: the document's\n"
             "language, declared or told from its first page,\n"
             "and English",
     .completion = RecognitionLanguages,
     .apply = setRecognitionLanguages},
    {.longName = "sentence-pause",
     .valueName = "MS",
     .help = "the silence after a sentence, in milliseconds",
     .apply = setPause<&Options::sentencePause>},
    {.longName = "paragraph-pause",
     .valueName = "MS",
     .help = "the silence after a paragraph",
     .apply = setPause<&Options::paragraphPause>},
    {.longName = "heading-pause",
     .valueName = "MS",
     .help = "the silence before and after a heading",
     .apply = setPause<&Options::headingPause>},
    {.longName = "one-voice",
     .help = "read everything with the one voice, instead of\n"
             "reading a paragraph in another language or a\n"
             "sentence in another script (Cyrillic, Greek,\n"
             "Arabic, Chinese...) with a voice of its language",
     .apply = setFlag<&Options::oneVoice>},
    {.longName = "print-text",
     .help = "convert nothing: print what would be spoken, one\n"
             "utterance per line, a blank line between\n"
             "paragraphs, headings marked with \"# \"",
     .apply = printText},
    {.longName = "languages",
     .help = "with --print-text, put the language each\n"
             "utterance is spoken in before it, as \"[fr] \"",
     .apply = setFlag<&Options::printLanguages>},
    {.longName = "help",
     .shortName = 'h',
     .help = "display this help and exit",
     .apply = setAction<Options::Action::Help>},
    {.longName = "version",
     .help = "output version information and exit",
     .apply = setAction<Options::Action::Version>},
}};

} // namespace

std::span<const ConverterOption> converterOptions()
{
    return Table;
}

QString optionsHelpText()
{
    QString text;
    for (const ConverterOption& option : Table) {
        QString name = option.shortName != 0
                           ? QStringLiteral("  -%1, ").arg(QLatin1Char(option.shortName))
                           : QStringLiteral("      ");
        name += QStringLiteral("--") + QLatin1String(option.longName);
        if (option.takesValue())
            name += QLatin1Char('=') + QLatin1String(option.valueName);
        const QStringList lines = QString::fromUtf8(option.help).split(QLatin1Char('\n'));
        text += name.leftJustified(DescriptionColumn - 1) + QLatin1Char(' ') + lines.first() +
                QLatin1Char('\n');
        for (qsizetype i = 1; i < lines.size(); ++i)
            text += QString(ContinuationColumn, QLatin1Char(' ')) + lines.at(i) + QLatin1Char('\n');
    }
    return text;
}

} // namespace lectorix::cli
