#pragma once

#include <QString>

namespace lectorix {
class MainWindow;

// "Save Audio As MP3": turns the whole PDF named in the PDF box into one MP3 file, spoken with
// the voice, volume and rate of the window, written to the output folder (saveToFolderOption)
// or beside the PDF. It starts a ConversionJob and returns at once; the window stays usable,
// reading aloud included, and the job's end shows "Done." or what failed. savingFile is set
// until then, so a second conversion is refused. Closing the window meanwhile stops the
// running tool and removes the working files and the unfinished MP3.
void saveAudioAsMp3(MainWindow& form);

// Messages of the conversion.
inline const QString FolderMissingMessage =
    QStringLiteral("Folder does not exist. Please select another folder.");
inline const QString DoneMessage = QStringLiteral("Done.");

} // namespace lectorix
