#pragma once

#include "core/conversion/audio_format.h"
#include "core/ocr/recognition_job.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace lectorix::cli {

inline const QString ProgramName = QStringLiteral("lectorix-convert");
// Stands for standard input among the inputs.
inline const QString StandardInputName = QStringLiteral("-");

// What the command line asks for. Parsing never touches the file system, the settings or the
// speech engine; whatever needs those is checked afterwards.
struct Options
{
    enum class Action { Convert, PrintText, Help, Version, ListVoices, UsageError };
    Action action = Action::Convert;

    QStringList inputs;   // as given, in order; "-" is standard input
    QString outputFile;   // -o: the one output file
    QString outputFolder; // -d: the folder for every output
    QString voice;        // --voice as given; empty: the window's saved choice
    std::optional<int> rate;
    std::optional<int> volume;
    QString passwordFile;
    QString title;  // --title: the MP3's title tag instead of the document's
    QString artist; // --artist: the MP3's artist tag instead of the document's
    bool quiet = false;
    bool verbatim = false;      // --verbatim: line by line as the text stands
    bool noFootnotes = false;   // --no-footnotes: a PDF's footnotes left out
    bool splitChapters = false; // --split-chapters: one MP3 per chapter
    bool resume = false;        // --resume: MP3s already there are not made again
    QString pronunciationsFile; // --pronunciations: a list added for this run
    // --ocr: which pages of a PDF are recognised as images of text (by default those without
    // usable text); --ocr-language: in which of tesseract's languages (empty: the voice's and
    // English).
    RecognitionMode recognition = RecognitionMode::Auto;
    bool recognitionChosen = false; // --ocr was given
    QStringList recognitionLanguages;

    // --format, and --no-cover: no cover picture made of a PDF's first page.
    AudioFormat format = AudioFormat::Mp3;
    bool noCover = false;
    // --sentence-pause, --paragraph-pause, --heading-pause: the silences in milliseconds;
    // none: the window's saved choice.
    std::optional<int> sentencePause;
    std::optional<int> paragraphPause;
    std::optional<int> headingPause;
    bool oneVoice = false;       // --one-voice: everything read by the chosen voice
    bool printLanguages = false; // --languages: --print-text names each utterance's language

    // With UsageError: what is wrong, one line, without the program name.
    QString error;
};

// Parses the arguments that follow the program name, GNU style: options and inputs may be
// mixed, "--" ends the options, "-" is an input, long options take their value as "--name=V"
// or as the next argument, short ones as "-oV" or the next argument, and flags may be grouped
// ("-qo FILE"). --help and --version win over everything after them; the first error stops
// parsing.
Options parseArguments(const QStringList& arguments);

// The text of --help, for standard output.
QString usageText();
// The text of --version, for standard output.
QString versionText();
// The hint that follows a usage error.
QString tryHelpText();

// The name of the MP3 for an input, before it is made absolute: the input's name without its
// last extension plus ".mp3" (or the extension given), beside the input or in outputFolder;
// outputFile when one is given. Standard input becomes "stdin.mp3" in the current folder or
// in outputFolder.
QString outputPathFor(const QString& input, const QString& outputFile, const QString& outputFolder,
                      const QString& extension = QStringLiteral(".mp3"));

// Whether an input is read as a text file (a ".txt" name, in any letter case) rather than as
// a PDF. Standard input is text too.
bool isTextInput(const QString& input);

} // namespace lectorix::cli
