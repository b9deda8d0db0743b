// The volume and rate sliders and "Test Speed": labels, stored values, the voices they reach,
// the refusal while a file is being saved, the test sentence spoken while the window goes on;
// then the real engine heard on the null sink.
#include "core/settings/settings.h"
#include "core/speech/speech_engine.h"
#include "gui/document_controller.h"
#include "gui/error_report.h"
#include "gui/export_controller.h"
#include "gui/main_window.h"
#include "gui/reading_controller.h"
#include "gui/volume_rate.h"
#include "support/fake_engine.h"
#include "support/held_engine.h"
#include "support/scripted_dialogs.h"
#include "support/test_env.h"

#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSlider>
#include <QtTest>

#if __has_include("support/sink_recorder.h")
#include "support/sink_recorder.h"
#define LECTORIX_HAVE_SINK_RECORDER 1
#endif

using namespace lectorix;
using speech::ClassNotRegistered;
using speech::TryAnotherVoice;

namespace {

const QString Absent = QStringLiteral("<absent>");

struct SliderUnderTest
{
    QSlider* slider;
    QLabel* label;
    QString key;
    QString verb; // as the fake engine logs it
};

SliderUnderTest pick(MainWindow& form, int which)
{
    if (which == 1)
        return {form.volumeSlider(), form.volumeValueLabel(), QStringLiteral("Volume Level"),
                QStringLiteral("volume")};
    return {form.rateSlider(), form.speedValueLabel(), QStringLiteral("Speech Rate"),
            QStringLiteral("rate")};
}

QString report(const char* procedure, int line, const QString& description)
{
    return applicationErrorText(sourceTag("Form1", procedure), line, description);
}

} // namespace

// A reading of a short typed text, so the window has a reading voice for the sliders to reach.
void startReading(MainWindow& form)
{
    form.documents().setUseTextBox(true);
    form.textToReadEdit()->setPlainText(QStringLiteral("Some words."));
    form.readButton()->click();
}

class TestVolumeRate : public QObject
{
    Q_OBJECT

private slots:
    void init() { test::freshScratch(); }

    void sliderChange_data();
    void sliderChange();
    void refusedWhileSaving_data();
    void refusedWhileSaving();
    void testSpeedSpeaksWithChosenVoiceAndSliders();
    void testSpeedRefusesSecondStart();
    void testSpeedFailures_data();
    void testSpeedFailures();
    void testSpeedReturnsWhileHeard();
    void testSpeedHeardOnSinkWritesNoFile();
};

void TestVolumeRate::sliderChange_data()
{
    QTest::addColumn<int>("which");
    QTest::addColumn<int>("value");
    QTest::addColumn<bool>("reading");
    QTest::addColumn<bool>("rendering");
    QTest::addColumn<QString>("caption");

    QTest::newRow("volume 80, during a reading") << 1 << 80 << true << false << "Volume Level = 80";
    QTest::newRow("volume 0, during a rendering") << 1 << 0 << false << true << "Volume Level = 0";
    QTest::newRow("volume 100, both voices") << 1 << 100 << true << true << "Volume Level = 100";
    QTest::newRow("volume 37, no voice") << 1 << 37 << false << false << "Volume Level = 37";
    QTest::newRow("rate -10, during a reading") << 2 << -10 << true << false << "Speech Rate = -10";
    QTest::newRow("rate 10, during a rendering") << 2 << 10 << false << true << "Speech Rate = 10";
    QTest::newRow("rate 3, both voices") << 2 << 3 << true << true << "Speech Rate = 3";
    QTest::newRow("rate -1, no voice") << 2 << -1 << false << false << "Speech Rate = -1";
}

void TestVolumeRate::sliderChange()
{
    QFETCH(int, which);
    QFETCH(int, value);
    QFETCH(bool, reading);
    QFETCH(bool, rendering);
    QFETCH(QString, caption);
    test::FakeEngine engine;
    test::ScriptedDialogs dialogs;
    MainWindow form;
    const SliderUnderTest s = pick(form, which);
    s.slider->setValue(s.slider->minimum() == value ? s.slider->maximum() : s.slider->minimum());
    if (reading)
        startReading(form);
    if (rendering)
        form.reading().renderVoice() = engine.createVoice();
    engine.log.clear();

    s.slider->setValue(value);

    QCOMPARE(s.label->text(), caption);
    QCOMPARE(readSetting(s.key, Absent), QString::number(value));
    QStringList expected;
    if (reading)
        expected << QStringLiteral("voice1 %1 %2").arg(s.verb).arg(value);
    if (rendering)
        expected << QStringLiteral("voice%1 %2 %3").arg(reading ? 2 : 1).arg(s.verb).arg(value);
    QCOMPARE(engine.log, expected);
    QCOMPARE(dialogs.shown().size(), 0);
}

void TestVolumeRate::refusedWhileSaving_data()
{
    QTest::addColumn<int>("which");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<int>("movedTo");
    QTest::addColumn<int>("endsAt");
    QTest::addColumn<QStringList>("reports"); // after the refusal

    QTest::newRow("volume, none stored: 100") << 1 << Absent << 80 << 100 << QStringList{};
    QTest::newRow("volume, stored 35") << 1 << "35" << 80 << 35 << QStringList{};
    QTest::newRow("volume, stored 35.5 rounds to even") << 1 << "35.5" << 80 << 36 << QStringList{};
    QTest::newRow("rate, none stored: 0") << 2 << Absent << -10 << 0 << QStringList{};
    QTest::newRow("rate, stored -7") << 2 << "-7" << 10 << -7 << QStringList{};
    QTest::newRow("volume, stored value out of range")
        << 1 << "500" << 80 << 80
        << QStringList{report("Slider1_Change", 124, failures::InvalidPropertyValue)};
    QTest::newRow("rate, stored value out of range")
        << 2 << "-11" << 4 << 4
        << QStringList{report("Slider2_Change", 124, failures::InvalidPropertyValue)};
}

void TestVolumeRate::refusedWhileSaving()
{
    QFETCH(int, which);
    QFETCH(QString, stored);
    QFETCH(int, movedTo);
    QFETCH(int, endsAt);
    QFETCH(QStringList, reports);
    test::FakeEngine engine;
    test::ScriptedDialogs dialogs;
    MainWindow form;
    const SliderUnderTest s = pick(form, which);
    if (stored != Absent)
        writeSetting(s.key, stored);
    s.label->setText(QStringLiteral("before"));
    startReading(form);
    form.reading().renderVoice() = engine.createVoice();
    engine.log.clear();
    form.exporting().setSavingFile(true);

    s.slider->setValue(movedTo);

    QCOMPARE(dialogs.messageTexts(), QStringList{SliderRefusedMessage} + reports);
    QCOMPARE(s.slider->value(), endsAt);
    QCOMPARE(readSetting(s.key, Absent), stored);
    QCOMPARE(s.label->text(), QStringLiteral("before"));
    QCOMPARE(engine.log, QStringList{});
    QVERIFY(form.exporting().savingFile());
}

void TestVolumeRate::testSpeedSpeaksWithChosenVoiceAndSliders()
{
    test::FakeEngine engine;
    test::ScriptedDialogs dialogs;
    MainWindow form;
    form.voiceCombo()->addItems(
        {QStringLiteral("Voice 1"), QStringLiteral("Voice 2"), QStringLiteral("Voice 3")});
    form.voiceCombo()->setCurrentIndex(2);
    form.volumeSlider()->setValue(30);
    form.rateSlider()->setValue(4);
    bool savingWhileSpeaking = false;
    int pointerWhileSpeaking = -1;
    engine.onSpeak = [&](const QString&) {
        savingWhileSpeaking = form.exporting().savingFile();
        pointerWhileSpeaking = form.mousePointer();
    };

    form.testSpeedButton()->click();
    QTRY_VERIFY(!form.exporting().savingFile());

    QCOMPARE(engine.log, (QStringList{"voice1 created", "voice1 setVoice v3", "voice1 volume 30",
                                      "voice1 rate 4", "voice1 speakAsync This is a test",
                                      "voice1 destroyed"}));
    QVERIFY(savingWhileSpeaking);
    QCOMPARE(pointerWhileSpeaking, int(MainWindow::PointerBusy));
    QVERIFY(!form.exporting().savingFile());
    QCOMPARE(form.mousePointer(), int(MainWindow::PointerDefault));
    QVERIFY(!form.reading().renderVoice());
    QCOMPARE(dialogs.shown().size(), 0);
}

void TestVolumeRate::testSpeedRefusesSecondStart()
{
    test::FakeEngine engine;
    test::ScriptedDialogs dialogs;
    MainWindow form;
    // A second press and a slider move while the sentence is spoken are both refused.
    engine.onSpeak = [&](const QString&) {
        form.testSpeedButton()->click();
        form.volumeSlider()->setValue(70);
    };

    form.testSpeedButton()->click();
    QTRY_VERIFY(!form.exporting().savingFile());

    QCOMPARE(engine.logOf(QStringLiteral("created")).size(), 1);
    QCOMPARE(engine.logOf(QStringLiteral("speak")).size(), 1);
    QCOMPARE(dialogs.messageTexts(), QStringList{SliderRefusedMessage});
    QCOMPARE(form.volumeSlider()->value(), 100);
    QVERIFY(!form.exporting().savingFile());

    // A conversion in progress refuses the test altogether.
    engine.log.clear();
    form.exporting().setSavingFile(true);
    form.setMousePointer(MainWindow::PointerBusy);
    form.testSpeedButton()->click();
    QCOMPARE(engine.log, QStringList{});
    QVERIFY(form.exporting().savingFile());
    QCOMPARE(form.mousePointer(), int(MainWindow::PointerBusy));
}

void TestVolumeRate::testSpeedFailures_data()
{
    QTest::addColumn<QString>("creationFailure");
    QTest::addColumn<QString>("speakingFailure");
    QTest::addColumn<int>("voicesLeft"); // the engine's, of the three in the list
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<QStringList>("spoken");
    const QString report =
        applicationErrorText(sourceTag("Speak", "SaveToWAV"), 106, failures::InvalidArgument);
    const QStringList spoken{"voice1 speakAsync This is a test"};

    QTest::newRow("voice cannot be loaded")
        << QString() << ClassNotRegistered << 3
        << QStringList{ClassNotRegistered + QStringLiteral("\r\r") + TryAnotherVoice} << spoken;
    QTest::newRow("no audio server: quiet")
        << QString() << QStringLiteral("Connection refused") << 3 << QStringList{} << spoken;
    QTest::newRow("no engine: reported")
        << QStringLiteral("espeak-ng data not found") << QString() << 3
        << QStringList{applicationErrorText(sourceTag("Speak", "SaveToWAV"), 100,
                                            QStringLiteral("espeak-ng data not found"))}
        << QStringList{};
    QTest::newRow("chosen voice gone from the engine: reported, default voice")
        << QString() << QString() << 2 << QStringList{report} << spoken;
}

void TestVolumeRate::testSpeedFailures()
{
    QFETCH(QString, creationFailure);
    QFETCH(QString, speakingFailure);
    QFETCH(int, voicesLeft);
    QFETCH(QStringList, messages);
    QFETCH(QStringList, spoken);
    test::FakeEngine engine;
    engine.failCreateVoice = creationFailure;
    engine.failSpeak = speakingFailure;
    test::ScriptedDialogs dialogs;
    MainWindow form;
    form.voiceCombo()->addItems(
        {QStringLiteral("Voice 1"), QStringLiteral("Voice 2"), QStringLiteral("Voice 3")});
    form.voiceCombo()->setCurrentIndex(2);
    engine.setVoices(voicesLeft);
    bool busyWhileShown = true;
    dialogs.setOnMessage([&](const Dialogs::Message&) {
        busyWhileShown = busyWhileShown && form.exporting().savingFile();
    });

    form.testSpeedButton()->click();
    QTRY_VERIFY(!form.exporting().savingFile());

    QCOMPARE(dialogs.messageTexts(), messages);
    QCOMPARE(engine.logOf(QStringLiteral(" speak")), spoken);
    QVERIFY(busyWhileShown);
    QCOMPARE(form.mousePointer(), int(MainWindow::PointerDefault));
    QVERIFY(!form.reading().renderVoice());
    QCOMPARE(engine.voicesAlive(), 0);
}

// The button returns at once: the window goes on while the sentence is heard, refuses a
// second test and slider moves meanwhile, and takes them again once it has been heard.
// Closing the window while the sentence is heard silences it.
void TestVolumeRate::testSpeedReturnsWhileHeard()
{
    test::HeldEngine engine;
    test::ScriptedDialogs dialogs;
    {
        MainWindow form;

        form.testSpeedButton()->click();

        QCOMPARE(engine.log, (QStringList{"voice1 created", "voice1 speak This is a test"}));
        QVERIFY(form.exporting().savingFile());
        QCOMPARE(form.mousePointer(), int(MainWindow::PointerBusy));
        QTest::qWait(200);
        form.testSpeedButton()->click();
        QCOMPARE(engine.alive, 1);
        QVERIFY(form.reading().renderVoice());

        engine.finished = true;
        QTRY_VERIFY(!form.exporting().savingFile());
        QCOMPARE(form.mousePointer(), int(MainWindow::PointerDefault));
        QCOMPARE(engine.alive, 0);

        engine.finished = false;
        form.testSpeedButton()->click();
        QCOMPARE(engine.alive, 1);
    }
    QCOMPARE(engine.alive, 0);
    QCOMPARE(engine.log.last(), QStringLiteral("voice2 destroyed"));
    QCOMPARE(dialogs.messageTexts(), QStringList{});
}

void TestVolumeRate::testSpeedHeardOnSinkWritesNoFile()
{
#ifndef LECTORIX_HAVE_SINK_RECORDER
    QSKIP("no sink recorder in this build");
#else
    if (test::SinkRecorder::sinkName().isEmpty())
        QSKIP("needs a PulseAudio null sink (run under tools/with-audio.sh)");
    const QString temp = test::freshScratch();
    test::ScriptedDialogs dialogs;
    MainWindow form;
    form.volumeSlider()->setValue(100);
    test::SinkRecorder recorder;
    QVERIFY2(recorder.error().isEmpty(), qPrintable(recorder.error()));
    const auto before = test::SinkRecorder::Clock::now();
    QTest::qWait(300);
    const double quiet = recorder.rmsSince(before);
    const auto start = test::SinkRecorder::Clock::now();

    form.testSpeedButton()->click();
    QTRY_VERIFY_WITH_TIMEOUT(!form.exporting().savingFile(), 10000);

    const double heard = recorder.rmsSince(start);
    QCOMPARE(dialogs.messageTexts(), QStringList{});
    QVERIFY2(quiet < 50 && heard > 500,
             qPrintable(QStringLiteral("RMS before %1, while testing %2").arg(quiet).arg(heard)));
    QCOMPARE(QDir(temp).entryList(QDir::Files | QDir::NoDotAndDotDot), QStringList{});
    QVERIFY(!form.exporting().savingFile());
    QCOMPARE(form.mousePointer(), int(MainWindow::PointerDefault));
#endif
}

QTEST_MAIN(TestVolumeRate)
#include "test_volume_rate.moc"
