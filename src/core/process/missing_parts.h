#pragma once

#include <QString>

namespace lectorix {

// The outside tools the program runs, and what to install when one is missing. Every front
// end says the same sentence, so a user learns the fix however the tool was asked for.

// The Debian package that brings tool: pdftotext, pdfinfo and pdftoppm come with
// poppler-utils, tesseract with tesseract-ocr, xdg-open with xdg-utils, lame with lame.
QString packageOf(const QString& tool);

// "pdftotext is not installed (Debian package poppler-utils)."
QString notInstalledMessage(const QString& tool);

// True when a folder of PATH holds an executable file named tool. The folder of the
// program's launchers ({TEMP}) does not count: a launcher there only starts the system's tool.
bool isInstalled(const QString& tool);

// What to say before running program for tool: notInstalledMessage(tool) when program is the
// tool's name looked up in PATH, or the launcher in {TEMP} that starts it, and the tool is
// not installed; otherwise empty. A program given by any other path is the caller's own
// choice and is left to fail when run.
QString missingToolMessage(const QString& program, const QString& tool);

// What to say when pdftotext gave no readable text because it lacks the data for the
// document's fonts (Chinese, Japanese and Korean ones need poppler-data): the sentence that
// names the package, when the messages pdftotext wrote into converterLog say so; otherwise
// empty. Such a document has a text layer; calling it scanned would send the user the wrong
// way.
QString missingLanguageDataMessage(const QString& converterLog);

// "There is no room left in FOLDER: ..." when the disk that holds folder is full, or has less
// room than `needed` bytes (what a write that failed and was removed again wanted), otherwise
// empty. A tool that wrote into a full disk may have cut its output short without saying so.
QString diskFullMessage(const QString& folder, qint64 needed = 0);

// What the speech engine says when espeak-ng's voice data is missing.
inline const QString VoiceDataMissingMessage = QStringLiteral(
    "The speech engine can not start: the eSpeak NG voice data is missing or damaged (install "
    "the espeak-ng-data package).");

// Where the sound server's absence is reported, the fix it needs.
inline const QString SoundServerFix = QStringLiteral(
    "Start a sound server (Debian package pulseaudio or pipewire-pulse) to read aloud; saving "
    "audio as MP3 needs none.");

} // namespace lectorix
