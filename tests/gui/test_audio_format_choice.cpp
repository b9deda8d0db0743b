// The window's choice of audio format: MP3 until another is chosen, and the chosen one names
// the file, proposes its name and file type in the save dialog, and is what is written.
#include "core/base/program_folder.h"
#include "core/files/file_utils.h"
#include "gui/main_window.h"
#include "gui/mp3_conversion.h"
#include "support/audio_probe.h"
#include "support/scripted_dialogs.h"
#include "support/test_env.h"
#include "support/window_fixture.h"

#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

using namespace lectorix;

class TestAudioFormatChoice : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { test::ignoreBrokenPipes(); }

    void choices()
    {
        test::freshScratch();
        MainWindow form;
        auto* combo = form.findChild<QComboBox*>(QStringLiteral("audioFormatCombo"));
        QVERIFY(combo);
        QCOMPARE(combo->accessibleName(), QStringLiteral("Audio Format"));
        QStringList items;
        for (int i = 0; i < combo->count(); ++i)
            items << combo->itemText(i);
        QCOMPARE(items, QStringList({"MP3", "M4B audiobook", "Opus"}));
        QCOMPARE(combo->currentIndex(), 0);
        QCOMPARE(int(form.exporting().audioFormat()), int(AudioFormat::Mp3));
        QCOMPARE(form.saveMp3Button()->text(), QStringLiteral("Save Audio As MP3"));
    }

    void savedFile_data()
    {
        QTest::addColumn<int>("choice");
        QTest::addColumn<bool>("fromPdf");
        QTest::addColumn<QString>("typedName"); // what the user types in the save dialog
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QString>("codec");
        QTest::newRow("PDF to M4B beside it")
            << 1 << true << QString() << "French.m4b" << QString() << "aac";
        QTest::newRow("PDF to Opus beside it")
            << 2 << true << QString() << "French.opus" << QString() << "opus";
        QTest::newRow("typed text to M4B, the extension typed")
            << 1 << false << "Notes.M4B"
            << "Notes.m4b" << M4bFileFilter << "aac";
        QTest::newRow("typed text to Opus, no extension typed")
            << 2 << false << "Notes"
            << "Notes.opus" << OpusFileFilter << "opus";
        QTest::newRow("typed text to MP3") << 0 << false << "Notes.mp3"
                                           << "Notes.mp3" << Mp3FileFilter << "mp3";
    }

    void savedFile()
    {
        REQUIRE_CORPUS();
        QFETCH(int, choice);
        QFETCH(bool, fromPdf);
        QFETCH(QString, typedName);
        QFETCH(QString, fileName);
        QFETCH(QString, filter);
        QFETCH(QString, codec);
        const QString temp = test::freshScratch();
        // The converter launcher start-up leaves in {TEMP}.
        test::writeFile(temp + QStringLiteral("/pdftotext"), customResource(101));
        QFile::setPermissions(temp + QStringLiteral("/pdftotext"),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        const QString folder = QFileInfo(temp).absolutePath() + QStringLiteral("/docs");
        QDir().mkpath(folder);
        test::ScriptedDialogs dialogs;
        MainWindow form;
        form.rateSlider()->setValue(10);
        form.findChild<QComboBox*>(QStringLiteral("audioFormatCombo"))->setCurrentIndex(choice);
        if (fromPdf) {
            const QString pdf = folder + QStringLiteral("/French.pdf");
            QVERIFY(QFile::copy(test::corpusFile(QStringLiteral("french_diacritics.pdf")), pdf));
            form.pdfPathEdit()->setText(pdf);
            MainWindow::setOptionValue(form.saveBesidePdfOption(), true);
        } else {
            form.pdfPathEdit()->clear();
            form.textToReadEdit()->setPlainText(QStringLiteral("Short notes, typed."));
            dialogs.setNextFileName(folder + QLatin1Char('/') + typedName);
        }
        dialogs.clear();

        form.saveMp3Button()->click();
        QVERIFY(test::waitUntilIdle(form));

        QCOMPARE(dialogs.messageTexts(), QStringList{DoneMessage});
        if (!fromPdf) {
            const test::ScriptedDialogs::Shown& asked = dialogs.shown().first();
            QCOMPARE(asked.kind, test::ScriptedDialogs::Shown::SaveFile);
            QCOMPARE(asked.title, filter);
            QCOMPARE(fileNameOf(asked.detail),
                     withAudioExtension(QStringLiteral("Short notes typed"), AudioFormat(choice)));
        }
        const QString written = folder + QLatin1Char('/') + fileName;
        QVERIFY2(QFile::exists(written), qPrintable(QDir(folder).entryList().join(", ")));
        const std::optional<test::ProbedAudio> probed = test::probeAudio(written);
        QVERIFY(probed);
        QCOMPARE(probed->codec, codec);
        // The window gives a PDF its cover, as the converter does.
        QCOMPARE(probed->hasCover, fromPdf);
    }
};

QTEST_MAIN(TestAudioFormatChoice)
#include "test_audio_format_choice.moc"
