#pragma once

#include <QString>

namespace lectorix {

// Where "Save Audio As MP3" writes: the PDF's name without its last extension plus ".mp3"
// (made visible by mp3FileName), in outputFolder with saveToFolder, beside the PDF with
// saveBesidePdf, and beside the PDF when neither is chosen.
QString mp3OutputPath(const QString& pdfPath, const QString& outputFolder, bool saveToFolder,
                      bool saveBesidePdf);

// The file name of an MP3 called wanted (a document's name without its extension, or a name
// the user gave without ".mp3") plus ".mp3": never empty and never hidden, so an MP3 cannot be made
// where no one sees it. Leading dots and white space go; a name with nothing else is "untitled".
QString mp3FileName(const QString& wanted);

// The name proposed for an MP3 of text that has no file of its own: its first words (at most
// six, within about 40 characters), without what a file name cannot hold or should not
// start with. Empty when the text has no word.
QString firstWordsName(const QString& text);

// Creates a new, empty, hidden file beside outputPath (never replacing anything) and returns
// its path, so an MP3 can be written there and renamed over outputPath only when complete.
// Its permissions follow the user's umask, as the finished file's should. Throws Failure.
QString reservePartialFile(const QString& outputPath);

// Replaces target by source in one step. Throws Failure naming target.
void renameOver(const QString& source, const QString& target);

} // namespace lectorix
