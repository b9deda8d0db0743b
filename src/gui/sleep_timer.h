#pragma once

#include "core/reading/reading_session.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>

#include <chrono>

class QComboBox;
class QTimer;

namespace lectorix {
class MainWindow;

// The volume heard as a sleep timer runs out: the slider's volume until the last fadeTime,
// then falling in proportion to the time left, to 0 at the end.
int fadedVolume(int volume, std::chrono::milliseconds left, std::chrono::milliseconds fadeTime);

// "Stopping in 12:34": the sleep timer box's caption while the time runs (whole seconds,
// rounded up, so 0:00 is never shown before the end).
QString timeLeftCaption(std::chrono::milliseconds left);

// The sleep timer: stops the reading aloud after a set time of reading, fading the voice over
// the last FadeTime, or as the reading passes from its chapter into the next; the place is
// kept as Stop keeps it. The time counts only while the voice reads: a pause or a stop holds
// it, and the next reading goes on with what is left. A reading moved by hand (to another
// chapter, say) stops at the end of the chapter it was moved into. Once it has stopped a
// reading it turns itself off. It is set in the window's sleep timer box, which shows the
// time left while it counts.
class SleepTimer final : public QObject
{
    Q_OBJECT

public:
    static constexpr std::chrono::milliseconds FadeTime{10000};

    explicit SleepTimer(MainWindow& window);
    ~SleepTimer() override;

    // Connects the sleep timer box; called once the window's controllers exist.
    void wire();

    // Sets the time anew; it starts counting at once when a reading runs.
    void stopAfter(std::chrono::milliseconds time);
    void stopAtChapterEnd();
    void turnOff();
    bool isSet() const { return m_mode != Mode::Off; }
    std::chrono::milliseconds timeLeft() const;

signals:
    // Set, turned off, or a second less left.
    void changed();

private:
    enum class Mode { Off, AfterTime, ChapterEnd };

    void readingStateChanged(ReadingState state);
    // The chapter being read changed; a change the reading did not make by itself (a move, or
    // chapters found) only moves the end to that chapter's.
    void chapterChanged();
    void stopReading();
    // The reading's own progress no longer says where the chapter ends: the chapter being read
    // once the session's step is over is the one whose end counts.
    void rebase();
    void tick();
    void count();
    void applyFade();
    void showTimeLeft();
    // The box's choices with their own captions, not the time left.
    void showChoices();
    QComboBox* box() const;

    MainWindow& m_window;
    QTimer* m_ticker;
    QElapsedTimer m_since; // the time read since the last count
    Mode m_mode = Mode::Off;
    qsizetype m_chapter = -1; // the chapter whose end stops the reading
    bool m_rebased = false;   // a rebase() is pending
    ReadingState m_lastState = ReadingState::Idle;
    bool m_faded = false; // the voice's volume is the timer's, not the slider's
    std::chrono::milliseconds m_left{0};
    qint64 m_secondShown = -1;
};

} // namespace lectorix
