// lectorix-convert: reads documents aloud into MP3 files from the command line.

#include "cli/arguments.h"
#include "cli/batch_conversion.h"
#include "cli/interrupt_watch.h"
#include "cli/library_messages.h"
#include "cli/password.h"
#include "cli/saved_choices.h"
#include "cli/terminal_progress.h"
#include "cli/text_printing.h"
#include "cli/voices.h"
#include "core/files/text_decoding.h"
#include "core/process/missing_parts.h"
#include "core/settings/settings.h"
#include "core/text/pronunciations.h"
#include "core/text/speech_pauses.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QTemporaryDir>
#include <QTimer>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <memory>

using namespace lectorix;
using namespace lectorix::cli;

namespace {

constexpr int ExitFailed = 1;
constexpr int ExitUsage = 2;

// Set when standard output turned out to be a pipe nobody reads any more.
bool g_outputClosed = false;

void printError(const QString& message)
{
    writeAll(messageDescriptor(),
             (ProgramName + QStringLiteral(": ") + message + QLatin1Char('\n')).toLocal8Bit());
}

int usageError(const QString& message, const QString& hint = tryHelpText())
{
    printError(message);
    writeAll(messageDescriptor(), hint.toLocal8Bit());
    return ExitUsage;
}

// A full disk is a failure, not a success, and says so. A pipe whose reader has gone (the
// output piped into head) ends the program quietly instead, as it ends GNU tools.
int printToStandardOutput(const QString& text)
{
    errno = 0;
    std::fputs(text.toLocal8Bit().constData(), stdout);
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        if (errno == EPIPE)
            g_outputClosed = true;
        else
            printError(QStringLiteral("write error on standard output"));
        return ExitFailed;
    }
    return 0;
}

// {TEMP} for this run, unless TEMP names one: a private folder below TMPDIR (or /tmp) that
// goes with everything in it when the converter ends. Run from scripts, perhaps thousands of
// times, the converter leaves no folder behind; the window's shared folder is not its own.
std::unique_ptr<QTemporaryDir> useOwnTemporaryFolder()
{
    if (!qEnvironmentVariableIsEmpty("TEMP"))
        return nullptr;
    auto folder = std::make_unique<QTemporaryDir>(QDir::tempPath() +
                                                  QStringLiteral("/lectorix-convert-XXXXXX"));
    if (!folder->isValid())
        return nullptr; // the shared folder serves instead
    qputenv("TEMP", QFile::encodeName(folder->path()));
    return folder;
}

int listVoices()
{
    QList<VoiceListing> voices;
    try {
        voices = installedVoiceListings();
    } catch (...) {
        printError(describeCurrentException());
        return ExitFailed;
    }
    QString lines;
    for (const VoiceListing& voice : voices)
        lines += listingLine(voice) + QLatin1Char('\n');
    return printToStandardOutput(lines);
}

// Where an output lands, for telling whether two paths name one file: the folder with its
// links resolved, when it exists, and the file name.
QString landingPlace(const QString& path)
{
    const QFileInfo info(path);
    const QString folder = QFileInfo(info.absolutePath()).canonicalFilePath();
    return (folder.isEmpty() ? info.absolutePath() : folder) + QLatin1Char('/') + info.fileName();
}

// The inputs with their outputs; an empty list after printing why the plan cannot be carried
// out (failureStatus tells which exit status that is).
QList<BatchInput> planOutputs(const Options& options, int& failureStatus)
{
    if (!options.outputFolder.isEmpty() && !QFileInfo(options.outputFolder).isDir()) {
        printError(QStringLiteral("cannot write into %1: no such folder")
                       .arg(quotedName(options.outputFolder)));
        failureStatus = ExitFailed;
        return {};
    }
    QList<BatchInput> planned;
    QHash<QString, QString> inputByOutput;
    for (const QString& input : options.inputs) {
        const QString shown = outputPathFor(input, options.outputFile, options.outputFolder,
                                            audioFormatExtension(options.format));
        const QString absolute = QFileInfo(shown).absoluteFilePath();
        const QString place = landingPlace(absolute);
        if (inputByOutput.contains(place)) {
            failureStatus = usageError(QStringLiteral("%1 and %2 would both be written to %3")
                                           .arg(quotedName(inputByOutput.value(place)),
                                                quotedName(input), quotedName(shown)));
            return {};
        }
        if (input != StandardInputName && landingPlace(input) == place) {
            failureStatus =
                usageError(QStringLiteral("the MP3 of %1 would replace the input itself")
                               .arg(quotedName(input)));
            return {};
        }
        inputByOutput.insert(place, input);
        planned.append({input, absolute, shown});
    }
    return planned;
}

// The password from --password-file, else from the environment; 0, or the exit status of a
// password file that cannot be used (said on standard error).
int choosePassword(const Options& options, QString& password)
{
    if (options.passwordFile.isEmpty()) {
        password = environmentPassword().value_or(QString());
        return 0;
    }
    try {
        password = readPasswordFile(options.passwordFile);
    } catch (...) {
        return usageError(describeCurrentException());
    }
    return 0;
}

// The user's pronunciation list, then the one --pronunciations names, with the reader's forms
// below both; a damaged line of
// either is named on standard error and left out. 0, or the exit status of a list file that
// cannot be read at all.
int choosePronunciations(const Options& options, PronunciationList& pronunciations)
{
    const auto load = [](const QString& path) {
        const LoadedPronunciations loaded = loadPronunciations(path);
        for (const PronunciationFileProblem& problem : loaded.problems)
            printError(
                problem.line > 0
                    ? QStringLiteral("%1, line %2: %3; the line is skipped")
                          .arg(quotedName(path), QString::number(problem.line), problem.reason)
                    : QStringLiteral("%1: %2").arg(quotedName(path), problem.reason));
        return PronunciationList(loaded.entries);
    };
    pronunciations = load(pronunciationsFilePath());
    pronunciations.setReaderForms(true);
    const QString& extra = options.pronunciationsFile;
    if (extra.isEmpty())
        return 0;
    if (!QFileInfo(extra).isFile())
        return usageError(QStringLiteral("cannot read the pronunciation list %1: no such file")
                              .arg(quotedName(extra)));
    pronunciations.append(load(extra));
    return 0;
}

bool readStandardInput(QString& text)
{
    QFile standardInput;
    if (!standardInput.open(stdin, QIODevice::ReadOnly)) {
        printError(QStringLiteral("cannot read standard input"));
        return false;
    }
    text = decodeTextFile(standardInput.readAll());
    return true;
}

// The language of the voice a conversion would speak with, for where sentences end; empty
// when the engine cannot tell.
QString chosenLanguage(const Options& options)
{
    QList<VoiceListing> voices;
    try {
        voices = installedVoiceListings();
    } catch (...) {
        return QString();
    }
    const int index = options.voice.isEmpty() ? savedVoiceIndex(int(voices.size()))
                                              : findVoice(voices, options.voice);
    return index >= 0 && index < voices.size() ? voices.at(index).language : QString();
}

// The pauses the options give, the saved ones for those they leave out.
SpeechPauses chosenPauses(const Options& options)
{
    const SpeechPauses saved = savedSpeechPauses();
    return {options.sentencePause.value_or(saved.sentenceMs),
            options.paragraphPause.value_or(saved.paragraphMs),
            options.headingPause.value_or(saved.headingMs)};
}

// Recognition as the options ask for it. Without --ocr, the pages without usable text are
// recognised when tesseract is installed; without it they are named and left out, as with
// --ocr=never, rather than failing a document for a blank page.
RecognitionMode chosenRecognition(const Options& options)
{
    if (options.recognitionChosen || isInstalled(QStringLiteral("tesseract")))
        return options.recognition;
    return RecognitionMode::Never;
}

int printTexts(const Options& options)
{
    TextPrintingChoices choices;
    choices.verbatim = options.verbatim || readsVerbatim();
    choices.readFootnotes = !options.noFootnotes && readsFootnotes();
    choices.language = chosenLanguage(options);
    choices.oneVoice = options.oneVoice || usesOneVoice();
    choices.printLanguages = options.printLanguages;
    choices.recognition = chosenRecognition(options);
    choices.recognitionLanguages = options.recognitionLanguages;
    if (const int status = choosePassword(options, choices.password); status != 0)
        return status;
    if (const int status = choosePronunciations(options, choices.pronunciations); status != 0)
        return status;
    if (options.inputs.contains(StandardInputName)) {
        if (!readStandardInput(choices.standardInputText))
            return ExitFailed;
    }
    TextPrinting printing(
        options.inputs, choices,
        [](const QString& text) { return printToStandardOutput(text) == 0; }, printError);
    QObject::connect(&printing, &TextPrinting::finished, &printing,
                     [](int code) { QCoreApplication::exit(code); });
    // Started from the event loop, so that printing that ends at once still ends exec().
    QTimer::singleShot(0, &printing, &TextPrinting::start);
    return QCoreApplication::exec();
}

int convertInputs(const Options& options)
{
    BatchChoices choices;
    QList<VoiceListing> voices;
    QString engineProblem;
    try {
        voices = installedVoiceListings();
    } catch (...) {
        engineProblem = describeCurrentException();
    }
    if (!options.voice.isEmpty()) {
        if (!engineProblem.isEmpty()) {
            printError(engineProblem);
            return ExitFailed;
        }
        choices.voice.voiceIndex = findVoice(voices, options.voice);
        if (choices.voice.voiceIndex < 0)
            return usageError(QStringLiteral("unknown voice %1").arg(quotedName(options.voice)),
                              QStringLiteral("Try 'lectorix-convert --list-voices' for the "
                                             "installed voices.\n"));
    } else {
        // Without voices the engine's default is asked for; the job then says what is wrong.
        choices.voice.voiceIndex = savedVoiceIndex(int(voices.size()));
    }
    choices.voice.volume = options.volume.value_or(savedVolume());
    choices.voice.rate = options.rate.value_or(savedRate());
    choices.title = options.title;
    choices.artist = options.artist;
    choices.verbatim = options.verbatim || readsVerbatim();
    choices.readFootnotes = !options.noFootnotes && readsFootnotes();
    choices.splitChapters = options.splitChapters;
    choices.resume = options.resume;
    choices.recognition = chosenRecognition(options);
    choices.recognitionLanguages = options.recognitionLanguages;
    choices.format = options.format;
    choices.cover = !options.noCover;
    choices.pauses = chosenPauses(options);
    choices.oneVoice = options.oneVoice || usesOneVoice();
    if (choices.voice.voiceIndex >= 0 && choices.voice.voiceIndex < voices.size())
        choices.language = voices.at(choices.voice.voiceIndex).language;

    if (const int status = choosePassword(options, choices.password); status != 0)
        return status;
    if (const int status = choosePronunciations(options, choices.pronunciations); status != 0)
        return status;
    choices.mayPrompt = canPromptForPassword();

    int failureStatus = 0;
    QList<BatchInput> inputs = planOutputs(options, failureStatus);
    if (inputs.isEmpty())
        return failureStatus;

    // Read before the interruption handling starts: until then Ctrl-C simply ends the program,
    // and nothing has been written yet.
    if (options.inputs.contains(StandardInputName)) {
        if (!readStandardInput(choices.standardInputText))
            return ExitFailed;
    }

    InterruptWatch watch;
    TerminalProgress progress(!options.quiet && standardErrorIsTerminal());
    // What libespeak-ng writes while speaking shows once, below the progress line.
    const LibraryMessages libraryMessages([&progress](const QByteArray& line) {
        progress.printMessage(QString::fromLocal8Bit(line) + QLatin1Char('\n'));
    });
    int exitCode = ExitFailed;
    {
        BatchConversion batch(std::move(inputs), std::move(choices), progress);
        QObject::connect(&watch, &InterruptWatch::interrupted, &batch, &BatchConversion::interrupt);
        QObject::connect(&batch, &BatchConversion::finished, &batch,
                         [](int code) { QCoreApplication::exit(code); });
        // Started from the event loop, so that a batch ending at once still ends exec().
        QTimer::singleShot(0, &batch, &BatchConversion::start);
        exitCode = QCoreApplication::exec();
    }
    return exitCode;
}

int run(int argc, char* argv[])
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    const Options options = parseArguments(arguments);
    switch (options.action) {
    case Options::Action::UsageError:
        return usageError(options.error);
    case Options::Action::Help:
        return printToStandardOutput(usageText());
    case Options::Action::Version:
        return printToStandardOutput(versionText());
    case Options::Action::ListVoices:
    case Options::Action::PrintText:
    case Options::Action::Convert:
        break;
    }

    const auto temporaryFolder = useOwnTemporaryFolder();
    QCoreApplication app(argc, argv);
    if (options.action == Options::Action::ListVoices)
        return listVoices();
    if (options.action == Options::Action::PrintText)
        return printTexts(options);
    return convertInputs(options);
}

} // namespace

int main(int argc, char* argv[])
{
    // A closed pipe on standard error must not end the program in the middle of a conversion.
    std::signal(SIGPIPE, SIG_IGN);
    const int status = run(argc, argv);
    if (g_outputClosed) {
        // Everything is cleaned up by now; end as a GNU tool ends at a closed pipe.
        std::signal(SIGPIPE, SIG_DFL);
        std::raise(SIGPIPE);
    }
    return status;
}
