#pragma once

// Every option of lectorix-convert, each declared once: how it is written, the value it takes,
// what --help says of it, what Tab offers for its value, and what it sets. The parser, --help
// and the bash completion are all made from this one table.

#include "cli/arguments.h"

#include <QString>

#include <span>

namespace lectorix::cli {

// What the bash completion offers for an option's value.
enum class ValueCompletion {
    Nothing,              // free text or a number: no guess is better than a wrong one
    AnyFile,              // any file name
    Folder,               // folder names only
    Words,                // the option's fixed words
    InstalledVoices,      // the voice identifiers --list-voices prints
    RecognitionLanguages, // the languages tesseract has installed
};

struct ConverterOption
{
    const char* longName = "";
    char shortName = 0;              // 0: long form only
    const char* valueName = nullptr; // the value as --help names it ("FILE"); nullptr: a flag
    // What --help says, with '\n' where its lines break: the first line stands beside the
    // option, the others below it.
    const char* help = "";
    ValueCompletion completion = ValueCompletion::Nothing;
    const char* words = ""; // with Words: the values Tab offers, separated by blanks
    // Records the option in options; returns what is wrong with the value, or an empty text.
    QString (*apply)(Options& options, const QString& value) = nullptr;
    // An empty value reaches apply, which names it in its own error; otherwise the parser
    // refuses an empty value before apply sees it.
    bool judgesEmptyValue = false;

    bool takesValue() const { return valueName != nullptr; }
};

// The options in the order --help lists them.
std::span<const ConverterOption> converterOptions();

// The option lines of --help: each option with its value, its description from the column
// the others start at.
QString optionsHelpText();

} // namespace lectorix::cli
