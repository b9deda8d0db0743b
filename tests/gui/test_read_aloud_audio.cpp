// Reading aloud with the real engine, heard on the null sink of tools/with-audio.sh: sound
// while the caption says "Pause", silence after Pause, sound again after Resume, sliders that
// act on the running voice, and PDFs read through the real converter.

#include "core/base/program_folder.h"
#include "core/files/file_utils.h"
#include "core/files/temp_folder.h"
#include "core/speech/speech_engine.h"
#include "gui/main_window.h"
#include "gui/read_aloud.h"
#include "support/scripted_dialogs.h"
#include "support/sink_recorder.h"
#include "support/test_env.h"
#include "support/window_fixture.h"

#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSlider>
#include <QTimer>
#include <QtTest>

using namespace lectorix;
using namespace std::chrono_literals;
using Clock = test::SinkRecorder::Clock;

namespace {

const QString Short = QStringLiteral("Hello there. This is a short test of reading aloud.");
const QString Medium = QStringLiteral(
    "In the year 1878 I took my degree of Doctor of Medicine of the University of London, and "
    "proceeded to Netley to go through the course prescribed for surgeons in the army.");
const QString Long = Medium.repeated(6);

constexpr double Loud = 100.0; // speech at full volume is far above this RMS; silence is 0
constexpr double Quiet = 20.0;

double seconds(Clock::duration d)
{
    return std::chrono::duration<double>(d).count();
}

void prepare(MainWindow& form)
{
    form.volumeSlider()->setValue(100);
    form.rateSlider()->setValue(0);
    form.documents().setUseTextBox(true);
}

} // namespace

class TestReadAloudAudio : public QObject
{
    Q_OBJECT

    QString m_temp;

private slots:
    // The engine's first start in a process is slow (the benchmark reports it); the tests
    // time their steps from a started engine.
    void initTestCase() { test::warmUpEngine(); }
    void init() { m_temp = test::freshScratch(); }

    void textBoxIsHeard()
    {
        NEED_SINK(rec);
        test::ScriptedDialogs dialogs;
        MainWindow form;
        prepare(form);
        form.pdfPathEdit()->clear();
        form.textToReadEdit()->setPlainText(Short);
        // Looks until the sound starts (the engine's first start in a process takes longer).
        QStringList during;
        QTimer listen;
        connect(&listen, &QTimer::timeout, &form, [&] {
            if (rec->rmsSince(Clock::now() - 300ms) <= Loud)
                return;
            listen.stop();
            during << form.readButton()->text() << QString::number(form.mousePointer()) << "heard";
        });
        listen.start(100);

        const auto start = Clock::now();
        form.readButton()->click();
        QVERIFY(test::waitUntilReadingEnds(form));
        const auto end = Clock::now();

        QCOMPARE(during, (QStringList{"Pause", "11", "heard"}));
        QCOMPARE(form.readButton()->text(), QStringLiteral("Start Reading"));
        QCOMPARE(form.mousePointer(), 0);
        QVERIFY2(rec->lastSound(start, end + 300ms, Quiet) <= end + 30ms, "heard after the end");
        QVERIFY(dialogs.shown().isEmpty());
    }

    // Without an audio server the reading reports the failure once, however many pieces or
    // lines it has, and ends.
    void noAudioServerIsReportedOnce_data()
    {
        QTest::addColumn<bool>("pdf");
        QTest::newRow("text box, three pieces") << false;
        QTest::newRow("PDF, many lines") << true;
    }
    void noAudioServerIsReportedOnce()
    {
        QFETCH(bool, pdf);
        test::ScriptedDialogs dialogs;
        MainWindow form;
        prepare(form);
        if (pdf) {
            const QString file = test::corpusFile(QStringLiteral("multicolumn.pdf"));
            REQUIRE_CORPUS();
            writeFileIfMissing(customResource(101), tempPath(QStringLiteral("pdftotext")), true);
            form.documents().setUseTextBox(false);
            form.pdfPathEdit()->setText(file);
        } else {
            form.textToReadEdit()->setPlainText(Short.repeated(5000)); // 255,000 characters
        }
        const QByteArray saved = qgetenv("PULSE_SERVER");
        qputenv("PULSE_SERVER", "unix:/nonexistent/lectorix-no-server");

        form.readButton()->click();
        QVERIFY(test::waitUntilReadingEnds(form));
        saved.isNull() ? qunsetenv("PULSE_SERVER") : qputenv("PULSE_SERVER", saved);

        QCOMPARE(dialogs.messages().size(), 1);
        QVERIFY(dialogs.messageTexts().first().contains(QStringLiteral("PulseAudio")));
        QCOMPARE(form.readButton()->text(), QStringLiteral("Start Reading"));
        QCOMPARE(form.mousePointer(), 0);
    }

    // Pause is silence within 100 ms and "Resume"; the first call keeps waiting; Resume is
    // sound and "Pause". A press after a text change starts a new reading in its place.
    void pauseResumeAndANewReading()
    {
        NEED_SINK(rec);
        test::ScriptedDialogs dialogs;
        MainWindow form;
        prepare(form);
        form.textToReadEdit()->setPlainText(Long);
        QStringList seen;
        bool returned = false;
        Clock::time_point pausedAt, resumedAt, restartedAt;
        auto at = [&](int ms, std::function<void()> step) { QTimer::singleShot(ms, &form, step); };
        auto restart = [&] {
            seen << (rec->rms(resumedAt + 150ms, Clock::now()) > Loud ? "heard" : "silent");
            form.textToReadEdit()->setPlainText(Short);
            seen << form.readButton()->text();
            restartedAt = Clock::now();
            form.readButton()->click(); // starts reading Short and returns at once
            seen << form.readButton()->text();
        };
        auto resume = [&] {
            seen << (rec->rms(pausedAt + 100ms, Clock::now()) < Quiet ? "silent" : "heard")
                 << (returned ? "returned" : "waiting") << form.readButton()->text();
            resumedAt = Clock::now();
            form.readButton()->click();
            seen << form.readButton()->text();
            at(1000, restart);
        };
        QTimer listen; // the engine's first start in a process takes a while
        connect(&listen, &QTimer::timeout, &form, [&] {
            if (rec->rmsSince(Clock::now() - 300ms) <= Loud)
                return;
            listen.stop();
            seen << "heard";
            pausedAt = Clock::now();
            form.readButton()->click();
            seen << form.readButton()->text();
            at(800, resume);
        });
        listen.start(100);

        form.readButton()->click();
        QVERIFY(test::waitUntilReadingEnds(form));
        returned = true;
        const auto end = Clock::now();

        QCOMPARE(seen, (QStringList{"heard", "Resume", "silent", "waiting", "Resume", "Pause",
                                    "heard", "Start Reading", "Pause"}));
        QCOMPARE(form.readButton()->text(), QStringLiteral("Start Reading"));
        QCOMPARE(form.mousePointer(), 0);
        // The long text was dropped: the call ended soon after the short one was read.
        QVERIFY2(rec->rms(restartedAt + 150ms, restartedAt + 1000ms) > Loud, "new reading silent");
        QVERIFY2(seconds(end - restartedAt) < 10.0, "the earlier reading went on");
        QVERIFY(dialogs.shown().isEmpty());
    }

    // Moving the sliders during a reading changes the running voice: quieter, and faster.
    void slidersChangeTheRunningVoice()
    {
        NEED_SINK(rec);
        test::ScriptedDialogs dialogs;
        MainWindow form;
        prepare(form);
        form.textToReadEdit()->setPlainText(Medium);
        auto start = Clock::now();
        form.readButton()->click();
        QVERIFY(test::waitUntilReadingEnds(form));
        const auto plainLength = Clock::now() - start;
        const double plainLevel = rec->rms(start + 800ms, start + 2000ms);

        prepare(form);
        form.textToReadEdit()->setPlainText(Medium);
        QTimer::singleShot(500, &form, [&] {
            form.volumeSlider()->setValue(25);
            form.rateSlider()->setValue(10);
        });
        start = Clock::now();
        form.readButton()->click();
        QVERIFY(test::waitUntilReadingEnds(form));
        const auto changedLength = Clock::now() - start;
        const double changedLevel = rec->rms(start + 800ms, start + 2000ms);

        qInfo("plain %.2f s at %.0f, changed %.2f s at %.0f", seconds(plainLength), plainLevel,
              seconds(changedLength), changedLevel);
        QVERIFY2(plainLevel > Loud, "the plain reading was not heard");
        QVERIFY2(changedLevel > 1 && changedLevel < plainLevel * 0.5, "not quieter");
        QVERIFY2(seconds(changedLength) < seconds(plainLength) * 0.7, "not faster");
        QVERIFY(!form.reading().session()->voice()); // let go of once everything was heard
    }

    void pdfIsHeard()
    {
        NEED_SINK(rec);
        const QString pdf = test::corpusFile(QStringLiteral("french_diacritics.pdf"));
        REQUIRE_CORPUS();
        test::ScriptedDialogs dialogs;
        MainWindow form;
        prepare(form);
        writeFileIfMissing(customResource(101), tempPath(QStringLiteral("pdftotext")), true);
        form.documents().setUseTextBox(false);
        form.pdfPathEdit()->setText(pdf);

        const auto start = Clock::now();
        form.readButton()->click();
        QVERIFY(test::waitUntilReadingEnds(form));
        const auto end = Clock::now();

        QVERIFY2(rec->rms(start, end) > Loud / 2, "nothing heard");
        QCOMPARE(form.readButton()->text(), QStringLiteral("Start Reading"));
        QCOMPARE(form.mousePointer(), 0);
        QVERIFY(dialogs.shown().isEmpty());
    }

    // A protected PDF opened with the typed password is heard; closing the window then ends
    // the reading and the sound at once.
    void passwordPdfIsHeardUntilTheWindowCloses()
    {
        NEED_SINK(rec);
        const QString pdf = test::corpusFile(QStringLiteral("password-example.pdf"));
        REQUIRE_CORPUS();
        test::ScriptedDialogs dialogs;
        MainWindow form;
        form.show();
        prepare(form);
        writeFileIfMissing(customResource(101), tempPath(QStringLiteral("pdftotext")), true);
        form.documents().setUseTextBox(false);
        form.pdfPathEdit()->setText(pdf);
        form.passwordPromptCheck()->setCheckState(Qt::Checked);
        dialogs.setNextInput(QStringLiteral("test"));
        bool heard = false;
        Clock::time_point closedAt;
        auto close = [&] {
            closedAt = Clock::now();
            form.close();
        };
        QTimer listen;
        connect(&listen, &QTimer::timeout, &form, [&] {
            if (rec->rmsSince(Clock::now() - 300ms) <= Loud)
                return;
            listen.stop();
            heard = true;
            QTimer::singleShot(500, &form, close);
        });
        listen.start(100);
        QTimer::singleShot(20000, &form, close); // heard or not, the window closes

        form.readButton()->click();
        QVERIFY(test::waitUntilReadingEnds(form));
        const auto returnedAt = Clock::now();

        QVERIFY2(heard, "the protected PDF was not heard");
        QVERIFY(!form.isVisible());
        QVERIFY2(seconds(returnedAt - closedAt) < 5.0, "the reading outlived the window");
        QVERIFY2(rec->rms(closedAt + 150ms, closedAt + 600ms) < Quiet, "heard after closing");
        QCOMPARE(dialogs.messages().size(), 0);
    }
};

QTEST_MAIN(TestReadAloudAudio)
#include "test_read_aloud_audio.moc"
