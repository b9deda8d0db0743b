#include "gui/sleep_timer.h"

#include "core/reading/reading_session.h"
#include "gui/main_window.h"
#include "gui/reading_controller.h"

#include <QComboBox>
#include <QSlider>
#include <QTimer>

#include <array>
#include <cmath>

namespace lectorix {

namespace {

using std::chrono::milliseconds;
using std::chrono::minutes;

// The choices of the sleep timer box: none, minutes of reading, or the chapter's end.
struct SleepChoice
{
    const char* caption;
    int minutes;
};
constexpr int ChapterEndChoice = -1;
constexpr std::array SleepChoices{
    SleepChoice{"No Sleep Timer", 0},     SleepChoice{"Stop after 5 min", 5},
    SleepChoice{"Stop after 15 min", 15}, SleepChoice{"Stop after 30 min", 30},
    SleepChoice{"Stop after 45 min", 45}, SleepChoice{"Stop after 60 min", 60},
    SleepChoice{"Stop after 90 min", 90}, SleepChoice{"Stop at chapter end", ChapterEndChoice},
};

// Often enough for a fade heard as smooth.
constexpr milliseconds TickInterval{100};

} // namespace

int fadedVolume(int volume, milliseconds left, milliseconds fadeTime)
{
    if (left >= fadeTime)
        return volume;
    if (left <= milliseconds::zero())
        return 0;
    return int(std::lround(double(volume) * double(left.count()) / double(fadeTime.count())));
}

QString timeLeftCaption(milliseconds left)
{
    const qint64 seconds = (qMax<qint64>(left.count(), 0) + 999) / 1000;
    return QStringLiteral("Stopping in %1:%2")
        .arg(seconds / 60)
        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

SleepTimer::SleepTimer(MainWindow& window) : m_window(window), m_ticker(new QTimer(this))
{
    m_ticker->setInterval(TickInterval);
    connect(m_ticker, &QTimer::timeout, this, &SleepTimer::tick);
}

SleepTimer::~SleepTimer() = default;

QComboBox* SleepTimer::box() const
{
    return m_window.findChild<QComboBox*>(QStringLiteral("sleepTimerCombo"));
}

void SleepTimer::wire()
{
    QComboBox* choices = box();
    for (const SleepChoice& choice : SleepChoices)
        choices->addItem(QString::fromUtf8(choice.caption), choice.minutes);
    connect(choices, &QComboBox::activated, this, [this, choices](int index) {
        const int chosen = choices->itemData(index).toInt();
        if (chosen > 0)
            stopAfter(minutes(chosen));
        else if (chosen == ChapterEndChoice)
            stopAtChapterEnd();
        else
            turnOff();
    });
    ReadingSession* session = m_window.reading().session();
    connect(session, &ReadingSession::stateChanged, this, &SleepTimer::readingStateChanged);
    connect(session, &ReadingSession::moved, this, &SleepTimer::rebase);
    connect(session, &ReadingSession::chaptersChanged, this, &SleepTimer::rebase);
    // Judged once the session's step is over: a move tells of the new chapter before it tells
    // of the move.
    connect(session, &ReadingSession::chapterChanged, this, &SleepTimer::chapterChanged,
            Qt::QueuedConnection);
}

void SleepTimer::rebase()
{
    m_rebased = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_rebased = false;
            m_chapter = m_window.reading().session()->chapter();
        },
        Qt::QueuedConnection);
}

void SleepTimer::stopAtChapterEnd()
{
    turnOff();
    m_mode = Mode::ChapterEnd;
    m_chapter = m_window.reading().session()->chapter();
    m_rebased = false;
    if (QComboBox* choices = box())
        choices->setCurrentIndex(choices->findData(ChapterEndChoice));
    emit changed();
}

void SleepTimer::chapterChanged()
{
    if (m_mode != Mode::ChapterEnd)
        return;
    if (m_rebased)
        return; // the chapter moved into is taken once the step is over
    const qsizetype now = m_window.reading().session()->chapter();
    if (m_chapter < 0 || now <= m_chapter ||
        m_window.reading().session()->state() == ReadingState::Idle) {
        m_chapter = now;
        return;
    }
    stopReading();
}

void SleepTimer::stopReading()
{
    // Turned off first, so the stop is not counted as a pause; the voice is not turned up
    // again before it goes.
    m_faded = false;
    turnOff();
    m_window.reading().stop();
}

void SleepTimer::showChoices()
{
    if (QComboBox* choices = box())
        for (int i = 0; i < choices->count() && i < int(SleepChoices.size()); ++i)
            choices->setItemText(i, QString::fromUtf8(SleepChoices[size_t(i)].caption));
}

void SleepTimer::stopAfter(milliseconds time)
{
    showChoices();
    m_mode = Mode::AfterTime;
    m_left = time;
    m_secondShown = -1;
    readingStateChanged(m_window.reading().session()->state());
    applyFade();
    showTimeLeft();
    emit changed();
}

void SleepTimer::turnOff()
{
    const bool wasSet = m_mode != Mode::Off;
    m_mode = Mode::Off;
    m_ticker->stop();
    if (m_faded) {
        // The voice goes back to the slider's volume.
        m_faded = false;
        m_window.reading().session()->setVolume(m_window.volumeSlider()->value());
    }
    showChoices();
    if (QComboBox* choices = box())
        choices->setCurrentIndex(0);
    if (wasSet)
        emit changed();
}

milliseconds SleepTimer::timeLeft() const
{
    if (m_mode != Mode::AfterTime)
        return milliseconds::zero();
    if (!m_ticker->isActive())
        return m_left;
    return m_left - milliseconds(m_since.elapsed());
}

void SleepTimer::readingStateChanged(ReadingState state)
{
    // A new reading ends with the chapter it starts in.
    const bool begun = m_lastState == ReadingState::Idle && state != ReadingState::Idle;
    m_lastState = state;
    if (m_mode == Mode::ChapterEnd && begun)
        rebase();
    if (m_mode != Mode::AfterTime)
        return;
    if (state == ReadingState::Reading) {
        if (!m_ticker->isActive()) {
            m_since.start();
            m_ticker->start();
        }
        return;
    }
    // Paused or stopped: the time read so far counts, and the rest waits for the next reading.
    if (m_ticker->isActive()) {
        count();
        m_ticker->stop();
    }
    if (state == ReadingState::Idle)
        m_faded = false; // the next reading's voice starts at the slider's volume
}

void SleepTimer::count()
{
    m_left -= milliseconds(m_since.restart());
}

void SleepTimer::tick()
{
    count();
    if (m_left <= milliseconds::zero()) {
        stopReading();
        return;
    }
    applyFade();
    showTimeLeft();
}

void SleepTimer::applyFade()
{
    const int volume = m_window.volumeSlider()->value();
    const int faded = fadedVolume(volume, m_left, FadeTime);
    if (faded == volume && !m_faded)
        return;
    m_faded = faded != volume;
    m_window.reading().session()->setVolume(faded);
}

void SleepTimer::showTimeLeft()
{
    const qint64 second = (m_left.count() + 999) / 1000;
    if (second == m_secondShown)
        return;
    m_secondShown = second;
    if (QComboBox* choices = box())
        choices->setItemText(choices->currentIndex(), timeLeftCaption(m_left));
    emit changed();
}

} // namespace lectorix
