#pragma once

#include <QObject>
#include <QString>

class QAbstractButton;
class QMenu;

namespace lectorix {
class MainWindow;

// Sets a control's caption; an accessible name that spoke the old caption speaks the new one,
// and screen readers are told of the change.
void setCaption(QAbstractButton* control, const QString& caption);

// Ends the reading at once, whatever its source; the caption goes back to "Start Reading" and
// the next press starts afresh. A reading of a PDF keeps its place first. An MP3 export is not
// touched. Nothing happens when no reading runs.
void stopReading(MainWindow& form);

// The text box's context menu: the usual editing entries and "Stop", enabled while a reading
// runs. The caller owns the menu.
QMenu* textBoxContextMenu(MainWindow& form);

// The keyboard and the context menu of reading aloud, the highlight in the text box and the
// keeping of places in PDFs: Ctrl+R starts, pauses and resumes as the button does, Escape
// stops, Enter presses the focused button as Space does, Tab leaves the text box.
void setUpReadingControls(MainWindow& form);

// Keeps where readings of PDFs got to: the place of one ended early (stopped, or the window
// closed) is stored for its document, and a reading that went to the end forgets it.
class ReadingPlaceKeeper final : public QObject
{
    Q_OBJECT

public:
    explicit ReadingPlaceKeeper(MainWindow& form);

    // Stores the place of the PDF reading that is about to be ended early.
    void keepPlace();
    // Where the running or last PDF reading got to: the start of the word heard last (or,
    // from a voice that does not tell its words, of the line begun last), in its text.
    qsizetype position() const { return m_position; }

private:
    MainWindow& m_form;
    qsizetype m_position = 0;
    bool m_wordsHeard = false;
    bool m_endedEarly = false;
    bool m_running = false;
};

} // namespace lectorix
