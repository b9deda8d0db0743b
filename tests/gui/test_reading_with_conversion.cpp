// Reading aloud and "Save Audio As MP3" side by side in one window: neither waits inside the
// other, so both finish whichever starts first, and the MP3 is what a conversion alone makes.

#include "core/reading/reading_session.h"
#include "gui/main_window.h"
#include "gui/mp3_conversion.h"
#include "support/audio_files.h"
#include "support/scripted_dialogs.h"
#include "support/test_env.h"
#include "support/window_fixture.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QStandardPaths>
#include <QtTest>

#include <csignal>

using namespace lectorix;

namespace {

const QString Words = QStringLiteral(
    "This reading goes on while the document is turned into an MP3 file. It is long enough to "
    "overlap the conversion, which runs its tools without waiting for the voice.");

// A window set to convert a one-page PDF into outFolder.
void prepare(MainWindow& form, const QString& pdf, const QString& outFolder)
{
    form.volumeSlider()->setValue(100);
    form.rateSlider()->setValue(0);
    form.pdfPathEdit()->setText(pdf);
    form.outputFolderEdit()->setText(outFolder);
    MainWindow::setOptionValue(form.saveToFolderOption(), true);
    form.documents().setUseTextBox(true);
    form.textToReadEdit()->setPlainText(Words);
}

} // namespace

class TestReadingWithConversion : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { test::ignoreBrokenPipes(); }
    // A write into the pipe of an encoder that has ended must fail, not end the test.

    void bothFinishInEitherOrder_data()
    {
        QTest::addColumn<bool>("readingFirst");
        QTest::addColumn<bool>("stopReading");
        QTest::newRow("reading first") << true << false;
        QTest::newRow("conversion first") << false << false;
        QTest::newRow("conversion first, reading stopped with Escape") << false << true;
    }

    void bothFinishInEitherOrder()
    {
        QFETCH(bool, readingFirst);
        QFETCH(bool, stopReading);
        for (const char* tool : {"pdftotext", "lame", "mpg123"})
            if (QStandardPaths::findExecutable(QLatin1String(tool)).isEmpty())
                QSKIP("pdftotext, lame and mpg123 are needed");
        REQUIRE_CORPUS();
        test::WindowFixture f;
        test::ScriptedDialogs& dialogs = f.dialogs;
        MainWindow& form = f.form;
        const QString root = QFileInfo(f.temp).absolutePath();
        const QString pdf = root + QStringLiteral("/French.pdf");
        QVERIFY(QFile::copy(test::corpusFile(QStringLiteral("french_diacritics.pdf")), pdf));
        const QString mp3 = root + QStringLiteral("/out/French.mp3");
        QDir().mkpath(root + QStringLiteral("/out"));
        prepare(form, pdf, root + QStringLiteral("/out"));

        // The conversion alone, for the length the MP3 must have.
        form.saveMp3Button()->click();
        QVERIFY(test::waitUntilIdle(form));
        QCOMPARE(dialogs.messageTexts(), QStringList{DoneMessage});
        const qint64 alone = test::mp3Samples(mp3);
        QVERIFY(alone > 0);
        QVERIFY(QFile::remove(mp3));
        dialogs.clear();

        bool reading = false;
        connect(form.reading().session(), &ReadingSession::stateChanged, &form,
                [&](ReadingState state) { reading = reading || state == ReadingState::Reading; });
        if (readingFirst) {
            form.readButton()->click();
            form.saveMp3Button()->click();
        } else {
            form.saveMp3Button()->click();
            form.readButton()->click();
        }
        QVERIFY(form.exporting().savingFile());
        QCOMPARE(form.reading().session()->state(), ReadingState::Reading);
        if (stopReading) {
            // Stop ends the reading only; the export goes on to its "Done.".
            // The user comes back to the window from the progress window.
            form.show();
            QVERIFY(QTest::qWaitForWindowExposed(&form));
            QApplication::setActiveWindow(&form);
            QCOMPARE(QApplication::activeWindow(), &form);
            QTest::keyClick(form.textToReadEdit(), Qt::Key_Escape);
            QCOMPARE(form.reading().session()->state(), ReadingState::Idle);
            QVERIFY(form.exporting().savingFile());
        }

        QVERIFY(test::waitUntilIdle(form));
        QVERIFY(test::waitUntilReadingEnds(form));
        QVERIFY(reading);
        QCOMPARE(dialogs.messageTexts(), QStringList{DoneMessage});
        QCOMPARE(form.readButton()->text(), QStringLiteral("Start Reading"));
        const qint64 together = test::mp3Samples(mp3);
        QVERIFY2(
            qAbs(together - alone) <= alone * 2 / 100,
            qPrintable(
                QStringLiteral("%1 samples alone, %2 beside a reading").arg(alone).arg(together)));
        QCOMPARE(QDir(f.temp).entryList(
                     {QStringLiteral("conversion-*"), QStringLiteral("reading-*")}, QDir::Dirs),
                 QStringList());
    }
};

QTEST_MAIN(TestReadingWithConversion)
#include "test_reading_with_conversion.moc"
