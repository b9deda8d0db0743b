#include "core/base/program_folder.h"
#include "core/files/file_utils.h"
#include "core/files/temp_folder.h"
#include "core/settings/settings.h"
#include "gui/dialogs.h"
#include "gui/document_controller.h"
#include "gui/main_window.h"
#include "support/scripted_dialogs.h"
#include "support/test_env.h"
#include "support/window_fixture.h"

#include <QDir>
#include <QGroupBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QUrl>
#include <QtTest>

using namespace lectorix;
using Shown = test::ScriptedDialogs::Shown;

namespace {
const QString TextFilter = QStringLiteral("Text Files (*.txt)|*.txt|All Files (*.*)|*.*|");
const QString SampleQuestion = QStringLiteral(
    "Would you like this software to open the folder where these sample files are stored (so "
    "that you can view them before working with them)?");
} // namespace

class TestTextTools : public QObject
{
    Q_OBJECT

    struct Fixture : test::WindowFixture
    {
        Fixture() { form.documents().setUseTextBox(false); }
    };

private slots:
    void loadsTextFiles_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("UTF-8") << QByteArray("café, naïve, 中文, Привет\nline two")
                               << "café, naïve, 中文, Привет\nline two";
        QTest::newRow("Windows-1252")
            << QByteArray("caf\xe9 na\xefve \x80 \x93q\x94\n") << "café naïve € “q”\n";
        QTest::newRow("empty") << QByteArray() << QString();
        QTest::newRow("CR LF") << QByteArray("one\r\ntwo\r\n") << "one\ntwo\n";
        QString big;
        for (int i = 0; big.size() < 200000; ++i)
            big += QStringLiteral("Line %1 of a long text file.\n").arg(i);
        big.truncate(200000);
        QTest::newRow("200,000 characters") << big.toUtf8() << big;
    }

    void loadsTextFiles()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        Fixture f;
        f.form.textToReadEdit()->setPlainText("earlier text");
        f.form.readButton()->setText("Pause");
        const QString path = test::writeFile(f.temp + "/../my text.txt", bytes);
        f.dialogs.setNextFileName(path);
        QSignalSpy changes(f.form.textToReadEdit(), &QPlainTextEdit::textChanged);
        f.form.documents().loadTextFromFile();
        QCOMPARE(f.form.textToReadEdit()->toPlainText(), text);
        QVERIFY(f.form.documents().useTextBox());
        QCOMPARE(f.form.mousePointer(), 0);
        QVERIFY2(changes.size() <= 2, "the box is filled in one step");
        QCOMPARE(f.form.readButton()->text(), QStringLiteral("Start Reading"));
        QCOMPARE(f.dialogs.shown().size(), 1);
        QCOMPARE(f.dialogs.shown().first().kind, Shown::OpenFile);
        QCOMPARE(f.dialogs.shown().first().title, TextFilter);
    }

    void cancelledDialogsChangeNothing()
    {
        Fixture f;
        f.form.pdfPathEdit()->setText("/d/a.pdf");
        f.form.textToReadEdit()->setPlainText("kept");
        f.form.documents().loadTextFromFile();
        f.form.documents().saveTextToFile();
        QCOMPARE(f.form.pdfPathEdit()->text(), QStringLiteral("/d/a.pdf"));
        QCOMPARE(f.form.textToReadEdit()->toPlainText(), QStringLiteral("kept"));
        QVERIFY(!f.form.documents().useTextBox());
        QCOMPARE(f.form.mousePointer(), 0);
        QCOMPARE(f.dialogs.shown().size(), 2);
        QCOMPARE(f.dialogs.messages().size(), 0);
    }

    void savesUtf8WithoutMark_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("earlier");
        QTest::newRow("new file") << "café 中文\nzweite Zeile" << QByteArray();
        QTest::newRow("empty box") << QString() << QByteArray("old content");
        QTest::newRow("over a longer file") << "short" << QByteArray(5000, 'x');
    }

    void savesUtf8WithoutMark()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, earlier);
        Fixture f;
        const QString path = f.temp + "/../saved.txt";
        if (!earlier.isNull())
            test::writeFile(path, earlier);
        f.form.textToReadEdit()->setPlainText(text);
        f.dialogs.setNextFileName(path);
        f.form.documents().saveTextToFile();
        QCOMPARE(test::readFile(path), text.toUtf8());
        QCOMPARE(f.form.mousePointer(), 0);
        QCOMPARE(f.dialogs.shown().first().kind, Shown::SaveFile);
        QCOMPARE(f.dialogs.shown().first().text, QStringLiteral("Save"));
        QCOMPARE(f.dialogs.shown().first().title, TextFilter);
        QCOMPARE(f.dialogs.messages().size(), 0);
        // Replaced in one step: no temporary file is left beside it.
        QCOMPARE(QDir(f.temp + "/..").entryList({"saved*"}, QDir::Files | QDir::Hidden),
                 QStringList{"saved.txt"});
    }

    void saveFailureIsReportedAndPointerReset()
    {
        Fixture f;
        f.form.textToReadEdit()->setPlainText("text");
        f.dialogs.setNextFileName(f.temp + "/no such folder/saved.txt");
        f.form.documents().saveTextToFile();
        QCOMPARE(f.dialogs.messages().size(), 1);
        QVERIFY(f.dialogs.messageTexts().first().contains(
            "in Lectorix2021/08/31.Form1.PushButton5_Click at line 122"));
        QCOMPARE(f.form.mousePointer(), 0);
    }

    void clearEmptiesBothBoxes()
    {
        Fixture f;
        f.form.pdfPathEdit()->setText("/d/a.pdf");
        f.form.textToReadEdit()->setPlainText("some text");
        f.form.documents().setUseTextBox(true);
        f.form.documents().clearText();
        QCOMPARE(f.form.pdfPathEdit()->text(), QString());
        QCOMPARE(f.form.textToReadEdit()->toPlainText(), QString());
        QCOMPARE(readSetting("Text1", "unset"), QString());
        QVERIFY(f.form.documents().useTextBox());
    }

    void loadsTheSample_data()
    {
        QTest::addColumn<Dialogs::Answer>("answer");
        QTest::newRow("yes opens the folder") << Dialogs::Answer::Yes;
        QTest::newRow("no") << Dialogs::Answer::No;
    }

    void loadsTheSample()
    {
        QFETCH(Dialogs::Answer, answer);
        Fixture f;
        f.form.documents().setUseTextBox(true);
        f.dialogs.setNextAnswer(answer);
        f.form.documents().loadSample();
        QVERIFY(test::waitUntilIdle(f.form));
        const QString sample = programFolder() + "/Samples/sample1.pdf";
        QCOMPARE(f.form.pdfPathEdit()->text(), sample);
        QCOMPARE(readSetting("Text1", QString()), sample);
        QVERIFY(f.form.textToReadEdit()->toPlainText().startsWith("Welcome to Lectorix"));
        QVERIFY(f.form.textToReadEdit()->toPlainText().contains("Save Audio As MP3"));
        QVERIFY(!f.form.documents().useTextBox());
        QCOMPARE(f.form.mousePointer(), 0);

        const auto messages = f.dialogs.messages();
        QCOMPARE(messages.size(), 1);
        QCOMPARE(messages.first().text, SampleQuestion);
        QCOMPARE(messages.first().title, applicationTitle());
        QCOMPARE(messages.first().buttons, Dialogs::Buttons::YesNo);
        QCOMPARE(messages.first().icon, Dialogs::Icon::None);
        QStringList urls;
        for (const Shown& s : f.dialogs.shown())
            if (s.kind == Shown::Url)
                urls << s.text;
        QCOMPARE(urls,
                 answer == Dialogs::Answer::Yes
                     ? QStringList{QUrl::fromLocalFile(programFolder() + "/Samples/").toString()}
                     : QStringList{});
    }

    void missingSampleStillAsks()
    {
        Fixture f;
        qputenv("LECTORIX_PROGRAM_FOLDER", QFile::encodeName(f.temp + "/../nowhere"));
        f.form.documents().loadSample();
        QVERIFY(test::waitUntilIdle(f.form));
        const QStringList texts = f.dialogs.messageTexts();
        QCOMPARE(texts.size(), 2);
        QVERIFY2(texts.first().endsWith("/nowhere/Samples/sample1.pdf can not be read by this "
                                        "software - missing."),
                 qPrintable(texts.first()));
        QCOMPARE(texts.last(), SampleQuestion);
        QCOMPARE(f.form.mousePointer(), 0);
    }

    void helpText_data()
    {
        QTest::addColumn<QString>("volume");
        QTest::addColumn<QString>("speed");
        QTest::addColumn<QString>("mp3");
        QTest::addColumn<QString>("lastLine");
        QTest::newRow("designed captions")
            << QString() << QString() << QString()
            << "Please adjust Volume Control and Speed of Speech sliders and press Save Audio As "
               "MP3 button again";
        QTest::newRow("captions read at that moment")
            << "Loudness"
            << "Pace"
            << "Export"
            << "Please adjust Loudness and Pace sliders and press Export button again";
    }

    void helpText()
    {
        QFETCH(QString, volume);
        QFETCH(QString, speed);
        QFETCH(QString, mp3);
        QFETCH(QString, lastLine);
        Fixture f;
        if (!volume.isNull()) {
            f.form.volumeFrame()->setTitle(volume);
            f.form.speedFrame()->setTitle(speed);
            f.form.saveMp3Button()->setText(mp3);
        }
        f.form.showHelp();
        const auto messages = f.dialogs.messages();
        QCOMPARE(messages.size(), 1);
        QCOMPARE(messages.first().text,
                 "This program will:\r\r"
                 "extract text from a PDF. This text is usually typed into the PDF using the "
                 "keyboard.\r\r"
                 "This program will not:\r\r"
                 "extract text that is inside an image. Even though the image is embedded within "
                 "a PDF file, it is still an image and \"unreadable\".\r\r"
                 "Volume and Speed are not adjusting in real time for saving as MP3.\r\r" +
                     lastLine);
        QCOMPARE(messages.first().title, applicationTitle());
        QCOMPARE(messages.first().buttons, Dialogs::Buttons::Ok);
        QCOMPARE(messages.first().icon, Dialogs::Icon::None);
    }
};

QTEST_MAIN(TestTextTools)
#include "test_text_tools.moc"
