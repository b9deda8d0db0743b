#pragma once

#include "core/speech/speech_engine.h"

#include <QDateTime>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>

class QAbstractButton;
class QMenu;
class QWidget;

namespace lectorix {
class ChapterList;
class MainWindow;
class PageReading;
class ReadingHighlight;
class ReadingPlaceKeeper;
class ReadingSession;
class ReadingStatusLine;
class Guard;
struct ReadingRequest;

// Sets a control's caption; an accessible name that spoke the old caption speaks the new one,
// and screen readers are told of the change.
void setCaption(QAbstractButton* control, const QString& caption);

// Return and Enter press a focused push button of window, as Space does (the window is no
// dialog, so Qt gives its buttons no default-button behaviour).
void letEnterPressButtons(QWidget& window);

// Reading aloud in the window: the reading session, the highlight in the text box, the chapter
// list and the status line under the box, the places kept for PDFs, the keyboard (Ctrl+R
// starts, pauses and resumes as the reading button does, Escape stops, Tab leaves the text
// box, Alt with the arrows and page keys moves the reading), the text box's context menu and
// the reading button (read_aloud.cpp). Destroying it ends the reading.
class ReadingController final : public QObject
{
    Q_OBJECT

public:
    explicit ReadingController(MainWindow& window);
    ~ReadingController() override;

    // Connects the controls; called once the window's controllers exist.
    void wire();

    // The reading button: starts a reading of the text box (when it is the source) or of the PDF
    // named in the PDF box, pauses a running reading and resumes a paused one. Of the text box a
    // selection is read on its own, else the text from the sentence holding the cursor (all of it
    // with the cursor at the very start or end). The reading runs
    // in the window's ReadingSession; this returns at once.
    void pressReadButton();
    void startPauseOrResume();

    // Makes the button's caption, the pointer and the screen reader follow the session's state.
    void showReadingState();

    ReadingSession* session() const { return m_session.get(); }
    // Where the voice is, shown in the text box while it is read.
    ReadingHighlight* highlight() const { return m_highlight.get(); }
    // Where readings of PDFs stopped early.
    ReadingPlaceKeeper* placeKeeper() const { return m_placeKeeper.get(); }
    // The chapters of the PDF the text box shows.
    ChapterList* chapters() const { return m_chapters.get(); }

    // Reads the chapter at index of the chapter list: the running reading of its PDF moves
    // there; otherwise a reading of that PDF starts there.
    void readChapter(qsizetype index);
    // Reads pdf from offset in its text: the running reading of it moves there; otherwise a
    // reading of it starts there.
    void readPdfFrom(const QString& pdf, qsizetype offset);
    // The reading shown on the pages of the page view.
    PageReading* pageReading() const { return m_pageReading.get(); }
    // The voice of a "Test Speed" or WAV rendering, while one runs; the sliders act on it.
    std::unique_ptr<speech::Voice>& renderVoice() { return m_renderVoice; }

    // Ends the reading at once, whatever its source; the caption goes back to "Start Reading"
    // and the next press starts afresh. A reading of a PDF keeps its place first. An MP3
    // export is not touched. Nothing happens when no reading runs.
    void stop();

    // The text box's context menu: the usual editing entries and "Stop", enabled while a
    // reading runs. The caller owns the menu.
    QMenu* textBoxContextMenu();

    // The PDF whose extracted text the text box holds, unedited, as it was when the text was
    // shown; empty once the box was edited or given other text, or the file has changed since.
    // A reading of the box then goes on past its end, to the end of the document.
    QString pdfInTextBox() const;

private:
    // What a reading of the text box reads: the box's text, or the PDF it holds the start of.
    void readTextBox(Guard& g, ReadingRequest& request);
    // Whether pdf is being read already, so that a chapter or a place moves that reading.
    bool readsPdfAlready(const QString& pdf) const;
    // Starts reading pdf, from where placeStart puts the request's start.
    void readPdf(const QString& pdf, const std::function<void(ReadingRequest&)>& placeStart);
    // The text box was edited: a reading of it ends.
    void textBoxEdited();
    // The PDF did not open with the password given: the reading starts again with the one the
    // user gives now, unless the prompt is cancelled.
    void pdfTextShown(const QString& pdfPath);
    // Alt with Right and Left, Down and Up, Page Down and Page Up: on and back by sentence,
    // paragraph and chapter, while a reading runs.
    void addMoveKeys();
    // Whether the text box shows the text of the PDF a reading of pdfPath reads.
    bool boxHolds(const QString& pdfPath) const;

    MainWindow& m_window;
    struct ShownPdf
    {
        QString path;
        qint64 size = 0;
        QDateTime modified;
    } m_pdfInTextBox;
    bool m_boxChanged = true;
    std::unique_ptr<ReadingSession> m_session;
    std::unique_ptr<ReadingHighlight> m_highlight;
    std::unique_ptr<ReadingPlaceKeeper> m_placeKeeper;
    std::unique_ptr<ChapterList> m_chapters;
    std::unique_ptr<ReadingStatusLine> m_statusLine;
    std::unique_ptr<PageReading> m_pageReading;
    std::unique_ptr<speech::Voice> m_renderVoice;
};

// Keeps where readings of PDFs got to: the place of one ended early (stopped, or the window
// closed) is stored for its document, and a reading that went to the end forgets it.
class ReadingPlaceKeeper final : public QObject
{
    Q_OBJECT

public:
    explicit ReadingPlaceKeeper(ReadingSession& session);

    // Stores the place of the PDF reading that is about to be ended early (the session's
    // position), named by its page and the first words of its sentence.
    void keepPlace();

private:
    ReadingSession& m_session;
    QString m_documentText; // what has been converted of the running or last PDF reading
    bool m_endedEarly = false;
    bool m_running = false;
};

} // namespace lectorix
