// The sleep timer: it stops a reading after the time set, fading the voice over the last ten
// seconds (heard on the null sink of tools/with-audio.sh) and keeping the place as Stop does;
// it counts only while the voice reads; the sleep timer box sets it and shows the time left.

#include "core/reading/reading_places.h"
#include "core/reading/reading_session.h"
#include "gui/listening_controller.h"
#include "gui/main_window.h"
#include "gui/sleep_timer.h"
#include "support/drawn_pdf.h"
#include "support/held_engine.h"
#include "support/sink_recorder.h"
#include "support/test_env.h"
#include "support/window_fixture.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSlider>
#include <QtTest>

using namespace lectorix;
using namespace std::chrono_literals;
using Clock = test::SinkRecorder::Clock;
using std::chrono::milliseconds;

namespace {

const QString Line = QStringLiteral("It is a truth universally acknowledged, that a single man");

QComboBox* sleepTimerBox(const MainWindow& form)
{
    return form.findChild<QComboBox*>(QStringLiteral("sleepTimerCombo"));
}

double seconds(Clock::duration d)
{
    return std::chrono::duration<double>(d).count();
}

} // namespace

class TestSleepTimer : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { test::warmUpEngine(); }
    void init() { test::freshScratch(); }

    // Full volume until the last ten seconds, then in proportion to the time left.
    void fadedVolume_data()
    {
        QTest::addColumn<int>("volume");
        QTest::addColumn<int>("leftMs");
        QTest::addColumn<int>("expected");
        QTest::newRow("minutes left") << 80 << 300000 << 80;
        QTest::newRow("the fade begins") << 80 << 10000 << 80;
        QTest::newRow("half way") << 80 << 5000 << 40;
        QTest::newRow("rounded") << 75 << 1000 << 8;
        QTest::newRow("the end") << 80 << 0 << 0;
        QTest::newRow("past the end") << 80 << -200 << 0;
        QTest::newRow("silent already") << 0 << 5000 << 0;
    }
    void fadedVolume()
    {
        QFETCH(int, volume);
        QFETCH(int, leftMs);
        QFETCH(int, expected);
        QCOMPARE(lectorix::fadedVolume(volume, milliseconds(leftMs), SleepTimer::FadeTime),
                 expected);
    }

    void timeLeftCaption_data()
    {
        QTest::addColumn<int>("leftMs");
        QTest::addColumn<QString>("expected");
        QTest::newRow("an hour and a half") << 90 * 60000 << "Stopping in 90:00";
        QTest::newRow("a second short of 5 min") << 299001 << "Stopping in 5:00";
        QTest::newRow("seconds") << 9000 << "Stopping in 0:09";
        QTest::newRow("rounded up") << 1 << "Stopping in 0:01";
        QTest::newRow("the end") << 0 << "Stopping in 0:00";
    }
    void timeLeftCaption()
    {
        QFETCH(int, leftMs);
        QFETCH(QString, expected);
        QCOMPARE(lectorix::timeLeftCaption(milliseconds(leftMs)), expected);
    }

    // Choosing in the box sets the timer and shows its time (none for the chapter's end);
    // "No Sleep Timer" turns it off and gives every choice its caption back.
    void theBoxSetsTheTimer_data()
    {
        QTest::addColumn<int>("choice");
        QTest::addColumn<int>("minutes"); // -1: the chapter's end
        QTest::newRow("5 min") << 1 << 5;
        QTest::newRow("90 min") << 6 << 90;
        QTest::newRow("none") << 0 << 0;
        QTest::newRow("chapter end") << 7 << -1;
    }
    void theBoxSetsTheTimer()
    {
        QFETCH(int, choice);
        QFETCH(int, minutes);
        test::HeldEngine engine;
        test::WindowFixture f;
        QComboBox* box = sleepTimerBox(f.form);
        const QStringList captions{"No Sleep Timer",    "Stop after 5 min",   "Stop after 15 min",
                                   "Stop after 30 min", "Stop after 45 min",  "Stop after 60 min",
                                   "Stop after 90 min", "Stop at chapter end"};
        QStringList shown;
        for (int i = 0; i < box->count(); ++i)
            shown << box->itemText(i);
        QCOMPARE(shown, captions);
        SleepTimer& timer = f.form.listening().sleepTimer();
        timer.stopAfter(2min); // an earlier choice

        box->setCurrentIndex(choice);
        emit box->activated(choice);
        QCOMPARE(timer.isSet(), minutes != 0);
        QCOMPARE(timer.timeLeft(), milliseconds(std::chrono::minutes(qMax(minutes, 0))));
        QCOMPARE(box->currentText(), minutes > 0
                                         ? lectorix::timeLeftCaption(std::chrono::minutes(minutes))
                                         : captions.at(choice));
        timer.turnOff();
        shown.clear();
        for (int i = 0; i < box->count(); ++i)
            shown << box->itemText(i);
        QCOMPARE(shown, captions);
        QCOMPARE(box->currentIndex(), 0);
    }

    // The time counts while the voice reads, not while it is paused or stopped; the voice is
    // turned down in the last seconds, and up again when the timer is turned off.
    void timeCountsWhileReading()
    {
        test::HeldEngine engine;
        test::WindowFixture f;
        f.form.volumeSlider()->setValue(80);
        f.form.documents().setUseTextBox(true);
        f.form.textToReadEdit()->setPlainText(Line);
        SleepTimer& timer = f.form.listening().sleepTimer();
        timer.stopAfter(5s);
        QTest::qWait(300);
        QCOMPARE(timer.timeLeft(), milliseconds(5s)); // nothing read yet

        f.form.readButton()->click();
        speech::Voice* voice = f.form.reading().session()->voice();
        QVERIFY(voice);
        QTest::qWait(1000);
        f.form.readButton()->click(); // pause
        const milliseconds left = timer.timeLeft();
        QVERIFY2(left > 3500ms && left < 4200ms, qPrintable(QString::number(left.count())));
        QVERIFY2(qAbs(voice->volume() - 80 * left.count() / 10000) <= 2,
                 qPrintable(QString::number(voice->volume())));
        QTest::qWait(1500);
        QCOMPARE(timer.timeLeft(), left);
        QCOMPARE(f.form.reading().session()->state(), ReadingState::Paused);

        f.form.readButton()->click(); // resume
        QTest::qWait(500);
        timer.turnOff();
        QCOMPARE(voice->volume(), 80);
        QTest::qWait(left.count());
        QCOMPARE(f.form.reading().session()->state(), ReadingState::Reading);
    }

    // Set to the chapter's end, it stops the reading as it passes into the next chapter (a
    // section counts), its place kept there; a move into another chapter is not its end.
    void stopsAtTheChapterEnd_data()
    {
        QTest::addColumn<bool>("moveOn"); // Next, rather than reading on into the next chapter
        QTest::newRow("read into the next") << false;
        QTest::newRow("moved into the next") << true;
    }
    void stopsAtTheChapterEnd()
    {
        QFETCH(bool, moveOn);
        NEED_SINK(rec);
        test::WindowFixture f;
        const QString pdf = f.temp + QStringLiteral("/book.pdf");
        QVERIFY(test::drawChapterBook(pdf));
        f.form.volumeSlider()->setValue(10);
        f.form.rateSlider()->setValue(5);
        f.form.documents().setUseTextBox(false);
        f.form.pdfPathEdit()->setText(pdf);
        ReadingSession& session = *f.form.reading().session();
        f.form.readButton()->click();
        QVERIFY(QTest::qWaitFor(
            [&] { return session.chapters().size() == 4 && session.chapters().last().offset >= 0; },
            10000));
        QComboBox* box = sleepTimerBox(f.form);
        const int choice = box->findText(QStringLiteral("Stop at chapter end"));
        QVERIFY(choice > 0);
        box->setCurrentIndex(choice);
        emit box->activated(choice);
        QVERIFY(f.form.listening().sleepTimer().isSet());
        // A sentence before the section "At Sea" begins.
        const qsizetype section = session.chapters().at(2).offset;
        QVERIFY(session.goTo(section - 40));
        QTest::qWait(500);
        QCOMPARE(session.chapter(), qsizetype(1));
        QCOMPARE(session.state(), ReadingState::Reading);
        if (moveOn) {
            QVERIFY(session.skipForward());
            QTest::qWait(1500);
            QCOMPARE(session.state(), ReadingState::Reading);
            QCOMPARE(session.chapter(), qsizetype(2));
            QVERIFY(f.form.listening().sleepTimer().isSet());
            f.form.reading().stop();
            return;
        }
        QVERIFY(test::waitUntilReadingEnds(f.form, 20000));
        QVERIFY(!f.form.listening().sleepTimer().isSet());
        QCOMPARE(box->currentText(), QStringLiteral("No Sleep Timer"));
        const std::optional<qsizetype> place = readingPlace(pdf);
        QVERIFY2(place && *place >= section && *place < section + 40,
                 qPrintable(
                     QStringLiteral("%1, the section at %2").arg(place.value_or(-1)).arg(section)));
    }

    // The timer stops a PDF's reading after the time set, its place kept for the next
    // reading, and the last seconds are quieter than the first; then it turns itself off.
    void stopsAndFadesOnTheSink()
    {
        NEED_SINK(rec);
        test::WindowFixture f;
        const QString pdf = test::writePdf(f.temp + QStringLiteral("/pride.pdf"),
                                           test::Pages(3, QStringList(30, Line)));
        f.form.volumeSlider()->setValue(100);
        f.form.rateSlider()->setValue(0);
        f.form.documents().setUseTextBox(false);
        f.form.pdfPathEdit()->setText(pdf);
        SleepTimer& timer = f.form.listening().sleepTimer();
        timer.stopAfter(12s);

        const auto start = Clock::now();
        f.form.readButton()->click();
        QVERIFY(test::waitUntilReadingEnds(f.form, 30000));
        const auto end = Clock::now();

        QVERIFY2(seconds(end - start) > 11.9 && seconds(end - start) < 14,
                 qPrintable(QString::number(seconds(end - start))));
        const double first = rec->rms(start + 1500ms, start + 3500ms);
        const double fading = rec->rms(end - 8000ms, end - 6000ms); // 70% to 50% of the volume
        const double last = rec->rms(end - 2500ms, end - 500ms);    // 25% to 5%
        const QString heard = QStringLiteral("%1 %2 %3").arg(first).arg(fading).arg(last);
        QVERIFY2(first > 300, qPrintable(heard));
        QVERIFY2(fading < first * 0.85 && last < fading * 0.6 && last < first * 0.35,
                 qPrintable(heard));
        QVERIFY2(rec->rms(end + 200ms, end + 1200ms) < 20, "heard after the stop");

        QCOMPARE(f.form.readButton()->text(), QStringLiteral("Start Reading"));
        QVERIFY(!timer.isSet());
        QCOMPARE(sleepTimerBox(f.form)->currentText(), QStringLiteral("No Sleep Timer"));
        const std::optional<qsizetype> place = readingPlace(pdf);
        QVERIFY2(place && *place > 0, "the place is kept");
    }
};

QTEST_MAIN(TestSleepTimer)
#include "test_sleep_timer.moc"
