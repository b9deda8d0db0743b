#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QString>

#include <chrono>

class QComboBox;
class QTimer;

namespace lectorix {
class MainWindow;
enum class ReadingState;

// The volume heard as a sleep timer runs out: the slider's volume until the last fadeTime,
// then falling in proportion to the time left, to 0 at the end.
int fadedVolume(int volume, std::chrono::milliseconds left, std::chrono::milliseconds fadeTime);

// "Stopping in 12:34": the sleep timer box's caption while the time runs (whole seconds,
// rounded up, so 0:00 is never shown before the end).
QString timeLeftCaption(std::chrono::milliseconds left);

// The sleep timer: stops the reading aloud after a set time of reading, its place kept as
// Stop keeps it, fading the voice over the last FadeTime. The time counts only while the
// voice reads: a pause or a stop holds it, and the next reading goes on with what is left.
// Once it has stopped a reading it turns itself off. It is set in the window's sleep timer
// box, which shows the time left while it counts.
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
    void turnOff();
    bool isSet() const { return m_set; }
    std::chrono::milliseconds timeLeft() const;

signals:
    // Set, turned off, or a second less left.
    void changed();

private:
    void readingStateChanged(ReadingState state);
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
    bool m_set = false;
    bool m_faded = false; // the voice's volume is the timer's, not the slider's
    std::chrono::milliseconds m_left{0};
    qint64 m_secondShown = -1;
};

} // namespace lectorix
