#pragma once

#include <QString>
#include <QStringList>

namespace lectorix {

// Where "Save Audio As MP3" writes: the PDF's name without its last extension plus ".mp3",
// in outputFolder with saveToFolder, beside the PDF with saveBesidePdf, and beside the PDF
// when neither is chosen.
QString mp3OutputPath(const QString& pdfPath, const QString& outputFolder, bool saveToFolder,
                      bool saveBesidePdf);

// A piece of a shell command in single quotes, an embedded single quote written as '\''.
// No character of the text can then run a command or expand anything.
QString shellQuoted(const QString& text);

// The one line of JoinMP3.sh: cat 'piece1' 'piece2' ... > 'output', the pieces in order.
QString joinScript(const QStringList& pieces, const QString& outputPath);

// The command line that runs a script through /bin/sh, for runAndWait (which has no shell).
QString shellScriptCommandLine(const QString& scriptPath);

// Creates a new, empty, hidden file beside outputPath (never replacing anything) and returns
// its path, so an MP3 can be written there and renamed over outputPath only when complete.
// Its permissions follow the user's umask, as the finished file's should. Throws Failure.
QString reservePartialFile(const QString& outputPath);

// Replaces target by source in one step. Throws Failure naming target.
void renameOver(const QString& source, const QString& target);

// The working files of a conversion in folder: the copy of the PDF and its text (with
// includeCopy), the chunk texts, WAV files and MP3 pieces (outputNNN.txt/.wav/.mp3) and
// JoinMP3.sh. Removes them and ignores what cannot be removed. Handles no window events, so
// it is safe while the window closes.
void removeConversionFiles(const QString& folder, bool includeCopy);

} // namespace lectorix
