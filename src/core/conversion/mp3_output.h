#pragma once

#include <QString>

namespace lectorix {

// Where "Save Audio As MP3" writes: the PDF's name without its last extension plus ".mp3",
// in outputFolder with saveToFolder, beside the PDF with saveBesidePdf, and beside the PDF
// when neither is chosen.
QString mp3OutputPath(const QString& pdfPath, const QString& outputFolder, bool saveToFolder,
                      bool saveBesidePdf);

// Creates a new, empty, hidden file beside outputPath (never replacing anything) and returns
// its path, so an MP3 can be written there and renamed over outputPath only when complete.
// Its permissions follow the user's umask, as the finished file's should. Throws Failure.
QString reservePartialFile(const QString& outputPath);

// Replaces target by source in one step. Throws Failure naming target.
void renameOver(const QString& source, const QString& target);

} // namespace lectorix
