// "Save Audio As MP3" when something goes wrong: a failed rendering or encoding never says
// "Done." and never touches an MP3 already at the path; the conversion cannot be started twice
// and the sliders refuse meanwhile; closing the window stops it and removes its files.
#include "core/base/program_folder.h"
#include "gui/conversion_progress.h"
#include "gui/main_window.h"
#include "gui/mp3_conversion.h"
#include "gui/volume_rate.h"
#include "support/fake_engine.h"
#include "support/scripted_dialogs.h"
#include "support/test_env.h"
#include "support/window_fixture.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QStandardPaths>
#include <QTimer>
#include <QtTest>

#include <cerrno>
#include <csignal>

using namespace lectorix;

namespace {

const QByteArray EarlierMp3 = "an MP3 from an earlier conversion";

void writeTool(const QString& path, const QByteArray& bytes)
{
    test::writeFile(path, bytes);
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

// A window set to convert a one-page corpus PDF in `root` beside itself, over an earlier MP3.
struct Setup
{
    QString temp = test::freshScratch();
    QString root = QFileInfo(temp).absolutePath();
    QString pdf = root + QStringLiteral("/docs/French.pdf");
    QString mp3 = root + QStringLiteral("/docs/French.mp3");

    Setup()
    {
        writeTool(temp + QStringLiteral("/pdftotext"), customResource(101));
        QDir().mkpath(root + QStringLiteral("/docs"));
        QFile::copy(test::corpusFile(QStringLiteral("french_diacritics.pdf")), pdf);
        test::writeFile(mp3, EarlierMp3);
    }

    void prepare(MainWindow& form) const
    {
        form.volumeSlider()->setValue(100);
        form.pdfPathEdit()->setText(pdf);
        MainWindow::setOptionValue(form.saveBesidePdfOption(), true);
    }

    // The working files that must not outlive a conversion, and unfinished MP3s beside it.
    QStringList leftovers() const
    {
        QStringList left = QDir(temp).entryList(
            {QStringLiteral("*.wav"), QStringLiteral("output[0-9]*.mp3"),
             QStringLiteral("JoinMP3.sh"), QStringLiteral("lame"), QStringLiteral("conversion-*")},
            QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot);
        left += QDir(root + QStringLiteral("/docs"))
                    .entryList({QStringLiteral(".*")}, QDir::Files | QDir::Hidden);
        return left;
    }
};

QString notMade(const QString& mp3, const QString& why)
{
    return QStringLiteral("The MP3 file %1 could not be made: %2").arg(mp3, why);
}

} // namespace

class TestMp3ConversionFailures : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { test::ignoreBrokenPipes(); }
    // A write into the pipe of an encoder that has ended must fail, not end the test.

    void init();
    void renderingFails();
    void encoderFails_data();
    void encoderFails();
    void secondClickAndSlidersRefused();
    void closingTheWindowStopsTheConversion_data();
    void closingTheWindowStopsTheConversion();
    void cancelFromTheProgressDialog();
    void progressText_data();
    void progressText();
};

void TestMp3ConversionFailures::init()
{
    REQUIRE_CORPUS();
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        QSKIP("pdftotext is needed");
}

void TestMp3ConversionFailures::renderingFails()
{
    const Setup setup;
    test::ScriptedDialogs dialogs;
    test::FakeEngine engine;
    engine.failSpeak = QStringLiteral("The audio device is busy");
    MainWindow form;
    setup.prepare(form);
    dialogs.clear();

    form.saveMp3Button()->click();

    QVERIFY(test::waitUntilIdle(form));

    QCOMPARE(dialogs.messageTexts(),
             QStringList{notMade(setup.mp3, QStringLiteral("the text could not be rendered to "
                                                           "speech."))});
    QCOMPARE(test::readFile(setup.mp3), EarlierMp3);
    QCOMPARE(setup.leftovers(), QStringList());
    QVERIFY(!form.exporting().savingFile());
    QCOMPARE(form.mousePointer(), int(MainWindow::PointerDefault));
}

void TestMp3ConversionFailures::encoderFails_data()
{
    QTest::addColumn<QByteArray>("encoder");
    QTest::newRow("fails at once") << QByteArray("#!/bin/sh\nexit 1\n");
    QTest::newRow("writes half and fails")
        << QByteArray("#!/bin/sh\nfor last; do :; done\necho half > \"$last\"\nexit 2\n");
    QTest::newRow("succeeds but writes nothing") << QByteArray("#!/bin/sh\nexit 0\n");
}

void TestMp3ConversionFailures::encoderFails()
{
    QFETCH(QByteArray, encoder);
    const Setup setup;
    // An encoder already in {TEMP} is used as it is.
    writeTool(setup.temp + QStringLiteral("/lame"), encoder);
    test::ScriptedDialogs dialogs;
    MainWindow form;
    setup.prepare(form);
    dialogs.clear();

    form.saveMp3Button()->click();

    QVERIFY(test::waitUntilIdle(form));

    const QStringList shown = dialogs.messageTexts();
    QCOMPARE(shown.size(), 1);
    QVERIFY2(shown.first().startsWith(notMade(setup.mp3, QString())), qPrintable(shown.first()));
    QVERIFY(shown.first() != DoneMessage);
    QCOMPARE(test::readFile(setup.mp3), EarlierMp3);
    QCOMPARE(setup.leftovers(), QStringList());
}

// While a conversion renders, a second click starts nothing and the sliders refuse.
void TestMp3ConversionFailures::secondClickAndSlidersRefused()
{
    const Setup setup;
    test::ScriptedDialogs dialogs;
    test::FakeEngine engine;
    MainWindow form;
    setup.prepare(form);
    form.rateSlider()->setValue(-2);
    dialogs.clear();

    // The conversion goes on without holding the window: while it runs, the window takes
    // the second click and the slider move.
    form.saveMp3Button()->click();
    QVERIFY(form.exporting().savingFile());
    form.saveMp3Button()->click();
    form.rateSlider()->setValue(7);
    QVERIFY(test::waitUntilIdle(form));

    QCOMPARE(engine.logOf(QStringLiteral(" speak ")).size(), 1);
    QCOMPARE(engine.logOf(QStringLiteral("rate -2")).size(), 1);
    QCOMPARE(form.rateSlider()->value(), -2);
    const QStringList shown = dialogs.messageTexts();
    QCOMPARE(shown.size(), 2);
    QCOMPARE(shown.first(), SliderRefusedMessage);
    QVERIFY(!form.exporting().savingFile());
}

void TestMp3ConversionFailures::closingTheWindowStopsTheConversion_data()
{
    QTest::addColumn<bool>("destroyed");
    QTest::newRow("closed") << false;
    // As a window goes that is never closed: the program goes on, and so does no tool.
    QTest::newRow("destroyed without closing") << true;
}

void TestMp3ConversionFailures::closingTheWindowStopsTheConversion()
{
    QFETCH(bool, destroyed);
    const Setup setup;
    const QString pidFile = setup.root + QStringLiteral("/encoder.pid");
    writeTool(setup.temp + QStringLiteral("/lame"),
              "#!/bin/sh\necho $$ > '" + pidFile.toUtf8() +
                  "'\nfor last; do :; done\necho partial > \"$last\"\nexec sleep 60\n");
    test::ScriptedDialogs dialogs;
    auto form = std::make_unique<MainWindow>();
    form->show();
    setup.prepare(*form);
    dialogs.clear();
    // Polled, not waited for: a nested wait would hold up the conversion beneath it.
    QTimer closer;
    closer.setInterval(20);
    QObject::connect(&closer, &QTimer::timeout, &closer, [&] {
        // The shell makes the file before it writes its number into it.
        if (!test::readFile(pidFile).endsWith('\n'))
            return;
        closer.stop();
        if (destroyed)
            form.reset();
        else
            QVERIFY(form->close());
    });
    closer.start();

    QElapsedTimer clock;
    clock.start();
    form->saveMp3Button()->click();
    if (destroyed)
        QTRY_VERIFY_WITH_TIMEOUT(!form, 30000);
    else
        QVERIFY(test::waitUntilIdle(*form));
    const qint64 elapsed = clock.elapsed();
    QVERIFY(destroyed ? !form : form->isClosing());
    QVERIFY(!form || !form->isVisible());
    QVERIFY2(elapsed < 30000, "the conversion waited for the encoder it should have stopped");
    QCOMPARE(dialogs.messageTexts(), QStringList());
    const pid_t encoderPid = pid_t(test::readFile(pidFile).trimmed().toInt());
    QVERIFY(encoderPid > 0);
    QVERIFY(::kill(encoderPid, 0) != 0 && errno == ESRCH);
    QCOMPARE(setup.leftovers(), QStringList());
    QCOMPARE(QDir(setup.temp).entryList({QStringLiteral("output*")}, QDir::Files), QStringList());
    QCOMPARE(test::readFile(setup.mp3), EarlierMp3);
}

// Cancel in the progress dialog, with the window still usable behind it: the job stops, the
// window says so, and nothing of the conversion stays.
void TestMp3ConversionFailures::cancelFromTheProgressDialog()
{
    const Setup setup;
    QFile::remove(setup.pdf);
    QVERIFY(QFile::copy(test::corpusFile(QStringLiteral("tracemonkey.pdf")), setup.pdf));
    test::ScriptedDialogs dialogs;
    MainWindow form;
    setup.prepare(form);
    form.rateSlider()->setValue(10);
    dialogs.clear();

    form.saveMp3Button()->click();
    auto* progress = form.findChild<QProgressDialog*>(QStringLiteral("conversionProgress"));
    QVERIFY(progress);
    QVERIFY(!progress->isModal());
    QVERIFY(QTest::qWaitFor(
        [&] { return progress->labelText().contains(QStringLiteral("\nSpeaking")); }, 60000));
    QTest::qWait(500);
    QVERIFY(progress->value() > 0);
    QVERIFY(form.clearTextButton()->isEnabled());
    auto* cancel = progress->findChild<QPushButton*>();
    QVERIFY(cancel);
    cancel->click();
    QVERIFY(test::waitUntilIdle(form, 1000));

    QCOMPARE(dialogs.messageTexts(), QStringList{QStringLiteral("Conversion cancelled.")});
    QCOMPARE(test::readFile(setup.mp3), EarlierMp3);
    QCOMPARE(setup.leftovers(), QStringList());
    QTRY_VERIFY(!form.findChild<QProgressDialog*>(QStringLiteral("conversionProgress")));
}

void TestMp3ConversionFailures::progressText_data()
{
    QTest::addColumn<int>("stage");
    QTest::addColumn<qint64>("secondsLeft"); // -1: no estimate yet
    QTest::addColumn<QString>("text");
    const int speaking = int(ConversionStage::Speaking);
    QTest::newRow("extracting") << int(ConversionStage::Extracting) << qint64(-1)
                                << "Moby <b>Dick</b>.pdf\nExtracting the text";
    QTest::newRow("speaking, too early to tell")
        << speaking << qint64(-1) << "Moby <b>Dick</b>.pdf\nSpeaking and encoding";
    QTest::newRow("speaking, minutes left")
        << speaking << qint64(190)
        << "Moby <b>Dick</b>.pdf\nSpeaking and encoding - about 3 min 10 s left";
    QTest::newRow("speaking, seconds left")
        << speaking << qint64(5) << "Moby <b>Dick</b>.pdf\nSpeaking and encoding - about 5 s left";
    QTest::newRow("joining") << int(ConversionStage::Joining) << qint64(-1)
                             << "Moby <b>Dick</b>.pdf\nJoining the parts";
    QTest::newRow("finishing") << int(ConversionStage::Encoding) << qint64(-1)
                               << "Moby <b>Dick</b>.pdf\nFinishing the MP3";
}

// The document by its name, the stage without the parts (they run side by side), and the time
// left once there is an estimate.
void TestMp3ConversionFailures::progressText()
{
    QFETCH(int, stage);
    QFETCH(qint64, secondsLeft);
    QFETCH(QString, text);
    const ConversionProgress progress{ConversionStage(stage), 2, 3, 0.5, 50, 100};
    const std::optional<qint64> left =
        secondsLeft < 0 ? std::nullopt : std::optional<qint64>(secondsLeft);
    QCOMPARE(
        ConversionProgressDialog::describe(QStringLiteral("Moby <b>Dick</b>.pdf"), progress, left),
        text);
}

QTEST_MAIN(TestMp3ConversionFailures)
#include "test_mp3_conversion_failures.moc"
