#pragma once

#include "core/conversion/audio_format.h"

#include <QObject>

namespace lectorix {
class ConversionJob;
class MainWindow;
enum class ConversionOutcome;

// The MP3 export in the window (mp3_conversion.cpp) and its state: whether a file is being
// saved (an MP3 conversion, or a "Test Speed" that holds the voice), which refuses a second
// one and slider moves meanwhile. Its jobs are children of the window.
class ExportController final : public QObject
{
    Q_OBJECT

public:
    // Fills the window's choice of audio format: MP3 (chosen), M4B, Opus.
    explicit ExportController(MainWindow& window);

    // "Save Audio As MP3": turns the whole PDF named in the PDF box into one MP3 file, spoken with
    // the voice, volume and rate of the window, written to the output folder (saveToFolderOption)
    // or beside the PDF. With no PDF named it saves the text of the box instead, under a name
    // asked with a save dialog that proposes the text's first words; with no text either it
    // says there is nothing to save. It starts a ConversionJob and returns at once; the window
    // stays usable, reading aloud included, and the job's end closes the progress dialog and
    // shows "Done." with the MP3's path and an "Open Folder" button, or what failed.
    // savingFile is set until then, so a second conversion is refused. Closing the window
    // meanwhile stops the running tool and removes the working files and the unfinished MP3.
    void saveAudioAsMp3();

    bool savingFile() const { return m_savingFile; }
    void setSavingFile(bool saving) { m_savingFile = saving; }

    // Cancels every conversion the window runs: its tool stops, its working files and the
    // unfinished MP3 go, and its end runs as for any cancelled conversion.
    void cancelConversions();

    // Counts job among the conversions the window runs, until it finishes.
    void track(ConversionJob* job);
    bool converting() const { return m_converting > 0; }

    // The format chosen in the window; MP3 until another is chosen.
    AudioFormat audioFormat() const;

signals:
    // The window started its first conversion, or its last one finished.
    void convertingChanged(bool converting);
    // An export has ended as the user sees it, just before the window shows how: message is
    // what it shows instead of "Done.", empty for an MP3 made. Not sent while the window closes,
    // nor after a cancelled password prompt.
    void exportEnded(const QString& outputPath, lectorix::ConversionOutcome outcome,
                     const QString& message);

private:
    MainWindow& m_window;
    bool m_savingFile = false;
    int m_converting = 0;
};

} // namespace lectorix
