#pragma once

#include <QString>

namespace lectorix {
class Form1;

// "Save Audio As MP3": turns the whole PDF named in Text1 into one MP3 file, spoken with the
// voice, volume and rate of the window, written to the folder of Text3 (Option1) or beside
// the PDF. The work happens in {TEMP} under fixed names (output.pdf, output.txt, outputNNN.txt,
// .wav and .mp3, JoinMP3.sh, lame). The MP3 appears at its path only when complete: it is
// written under a hidden name in the same folder and renamed into place; on any failure that
// name is removed, an MP3 already at the path stays untouched, and a message says what failed
// instead of "Done.". Refuses to start while SavingFile is set. Closing the window meanwhile
// stops the running tool and removes the working files and the unfinished MP3.
void PushButton8_Click(Form1& form);

// Messages of the conversion.
inline const QString FolderMissingMessage =
    QStringLiteral("Folder does not exist. Please select another folder.");
inline const QString DoneMessage = QStringLiteral("Done.");

} // namespace lectorix
