#pragma once

#include <QString>

#include <optional>

namespace lectorix::cli {

// The password in a file: its first line without the line break ("\n" or "\r\n"), read by the
// program's rule for text files (UTF-8, else Windows-1252). Throws Failure naming the file
// when it cannot be read.
QString readPasswordFile(const QString& path);

// The password the environment gives (LECTORIX_PDF_PASSWORD); none when unset or empty.
std::optional<QString> environmentPassword();

// Whether a password may be asked for: standard input is a terminal.
bool canPromptForPassword();

// Asks on the controlling terminal with echo off and reads one line. The terminal's settings
// are restored on every way out, a signal included: a signal that makes interruptDescriptor
// readable ends the wait. None when interrupted, at end of input, or when there is no
// terminal to ask on.
std::optional<QString> promptForPassword(const QString& prompt, int interruptDescriptor);

} // namespace lectorix::cli
