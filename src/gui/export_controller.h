#pragma once

#include <QObject>

namespace lectorix {
class MainWindow;

// The MP3 export's state in the window: whether a file is being saved (an MP3 conversion, or
// a "Test Speed" that holds the voice), which refuses a second one and slider moves
// meanwhile. The export itself is started by saveAudioAsMp3 (mp3_conversion.h); its jobs are
// children of the window.
class ExportController final : public QObject
{
    Q_OBJECT

public:
    explicit ExportController(MainWindow& window);

    bool savingFile() const { return m_savingFile; }
    void setSavingFile(bool saving) { m_savingFile = saving; }

    // Cancels every conversion the window runs: its tool stops, its working files and the
    // unfinished MP3 go, and its end runs as for any cancelled conversion.
    void cancelConversions();

private:
    MainWindow& m_window;
    bool m_savingFile = false;
};

} // namespace lectorix
