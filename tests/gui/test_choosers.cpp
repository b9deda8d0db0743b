#include "core/base/program_folder.h"
#include "core/files/file_utils.h"
#include "core/files/temp_folder.h"
#include "core/settings/settings.h"
#include "gui/document_controller.h"
#include "gui/main_window.h"
#include "gui/settings_controller.h"
#include "support/scripted_dialogs.h"
#include "support/test_env.h"
#include "support/window_fixture.h"

#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

using namespace lectorix;
using Shown = test::ScriptedDialogs::Shown;

Q_DECLARE_METATYPE(lectorix::Dialogs::SpeechChoices)
Q_DECLARE_METATYPE(std::optional<lectorix::Dialogs::SpeechChoices>)

class TestChoosers : public QObject
{
    Q_OBJECT

    using Fixture = test::WindowFixture;

private slots:
    void choosingAPdfShowsItsText_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<int>("messages");
        QTest::addColumn<bool>("recognise");
        QTest::newRow("text") << "french_diacritics.pdf"
                              << "àÀâÂäÄçÇéÉ" << 0 << false;
        // Whether to recognise the text is asked first; a No gives the message as before.
        QTest::newRow("scan") << "c02-22.pdf"
                              << "text unreadable" << 2 << false;
        QTest::newRow("scan, recognised") << "c02-22.pdf"
                                          << "tip-toeing" << 1 << true;
    }

    void choosingAPdfShowsItsText()
    {
        QFETCH(QString, file);
        QFETCH(QString, expected);
        QFETCH(int, messages);
        QFETCH(bool, recognise);
        Fixture f;
        f.dialogs.setNextAnswer(recognise ? Dialogs::Answer::Yes : Dialogs::Answer::No);
        f.form.documents().setUseTextBox(true);
        f.form.textToReadEdit()->setPlainText("typed by the user");
        const QString pdf = test::corpusFile(file);
        f.dialogs.setNextFileName(pdf);
        f.form.documents().choosePdf();
        QVERIFY(test::waitUntilIdle(f.form));
        QCOMPARE(f.form.pdfPathEdit()->text(), pdf);
        QCOMPARE(readSetting("Text1", QString()), pdf);
        QVERIFY(!f.form.documents().useTextBox());
        QVERIFY(f.form.textToReadEdit()->toPlainText().contains(expected));
        QCOMPARE(f.form.mousePointer(), 0);
        QCOMPARE(f.dialogs.messages().size(), messages);
        const Shown dialog = f.dialogs.shown().first();
        QCOMPARE(dialog.kind, Shown::OpenFile);
        QCOMPARE(dialog.text, QStringLiteral("Select PDF File"));
        QCOMPARE(dialog.title, QStringLiteral("PDF Documents (*.pdf)|*.pdf"));
    }

    // A path typed into the PDF box opens as a chosen one does, on Enter and on leaving the
    // box after an edit; leaving it unedited, or Enter in an empty box, opens nothing, and the
    // text box keeps the document it shows.
    void typedPathOpensAsAChosenOne_data()
    {
        QTest::addColumn<bool>("type");      // type the path, else leave the box as it is
        QTest::addColumn<QString>("finish"); // "enter", "keypad enter" or "leave"
        QTest::addColumn<bool>("opened");
        QTest::newRow("Enter") << true << "enter" << true;
        QTest::newRow("keypad Enter") << true << "keypad enter" << true;
        QTest::newRow("leaving after an edit") << true << "leave" << true;
        QTest::newRow("leaving unedited") << false << "leave" << false;
        QTest::newRow("Enter in an empty box") << false << "enter" << false;
    }

    void typedPathOpensAsAChosenOne()
    {
        QFETCH(bool, type);
        QFETCH(QString, finish);
        QFETCH(bool, opened);
        Fixture f;
        f.form.show();
        QApplication::setActiveWindow(&f.form);
        QVERIFY(QTest::qWaitForWindowActive(&f.form));
        const QString oldBook = test::corpusFile("tracemonkey.pdf");
        const QString typed = test::corpusFile("french_diacritics.pdf");
        QLineEdit* box = f.form.pdfPathEdit();
        box->setText(finish == "enter" && !type ? QString() : oldBook);
        f.form.textToReadEdit()->setPlainText("the old book");
        f.form.documents().setUseTextBox(true);
        box->setFocus();
        QTRY_VERIFY(box->hasFocus());
        QSignalSpy changes(f.form.textToReadEdit(), &QPlainTextEdit::textChanged);
        if (type) {
            box->selectAll();
            QTest::keyClicks(box, typed);
        }
        if (finish == "leave")
            f.form.helpButton()->setFocus(Qt::TabFocusReason);
        else
            QTest::keyClick(box, finish == "enter" ? Qt::Key_Return : Qt::Key_Enter,
                            finish == "enter" ? Qt::NoModifier : Qt::KeypadModifier);
        QVERIFY(test::waitUntilIdle(f.form));

        const QString text = f.form.textToReadEdit()->toPlainText();
        QCOMPARE(text.startsWith("àÀâÂäÄçÇéÉ"), opened);
        QCOMPARE(text == "the old book", !opened);
        QCOMPARE(f.form.documents().useTextBox(), !opened);
        // Opened once: the box emptied and filled, not the document converted twice.
        QCOMPARE(changes.size(), opened ? 2 : 0);
        QCOMPARE(readSetting("Text1", QString()), box->text());
        QCOMPARE(f.form.mousePointer(), 0);
        QVERIFY(f.dialogs.shown().isEmpty());
    }

    void cancellingThePdfDialogChangesNothing()
    {
        Fixture f;
        f.form.documents().setUseTextBox(true);
        f.form.pdfPathEdit()->setText("/d/a.pdf");
        f.form.textToReadEdit()->setPlainText("kept");
        f.form.documents().choosePdf();
        QVERIFY(test::waitUntilIdle(f.form));
        QCOMPARE(f.form.pdfPathEdit()->text(), QStringLiteral("/d/a.pdf"));
        QCOMPARE(f.form.textToReadEdit()->toPlainText(), QStringLiteral("kept"));
        QVERIFY(f.form.documents().useTextBox());
        QCOMPARE(f.form.mousePointer(), 0);
    }

    void choosingAFolder_data()
    {
        QTest::addColumn<QString>("lastFolder");
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QString>("text3");
        QTest::newRow("root") << QString() << "/"
                              << "/";
        QTest::newRow("folder") << "/srv"
                                << "/data/Out"
                                << "/data/Out/";
        QTest::newRow("blanks and accents") << "/x"
                                            << "/home/ann/Hörbücher neu"
                                            << "/home/ann/Hörbücher neu/";
        QTest::newRow("already ends in /") << QString() << "/data/Out/"
                                           << "/data/Out/";
    }

    void choosingAFolder()
    {
        QFETCH(QString, lastFolder);
        QFETCH(QString, chosen);
        QFETCH(QString, text3);
        Fixture f;
        if (!lastFolder.isNull())
            writeSetting("LastFolder", lastFolder);
        f.dialogs.setNextFolder(chosen);
        f.form.settings().chooseOutputFolder();
        QCOMPARE(f.form.outputFolderEdit()->text(), text3);
        QCOMPARE(readSetting("Text3", QString()), text3);
        QCOMPARE(readSetting("LastFolderDot", QString()), chosen);
        QCOMPARE(readSetting("LastFolder", QString()), chosen);
        const Shown dialog = f.dialogs.shown().first();
        QCOMPARE(dialog.kind, Shown::Folder);
        QCOMPARE(dialog.text, QStringLiteral("Please select folder:"));
        QCOMPARE(dialog.title, lastFolder.isNull() ? QString() : lastFolder);
        QCOMPARE(f.dialogs.messages().size(), 0);
    }

    // The next dialog opens where the user chose last time.
    void nextFolderDialogStartsAtTheLastChoice()
    {
        Fixture f;
        f.dialogs.setNextFolder("/data/first");
        f.form.settings().chooseOutputFolder();
        f.form.settings().chooseOutputFolder();
        QCOMPARE(f.dialogs.shown().at(1).title, QStringLiteral("/data/first"));
    }

    void cancellingTheFolderDialogChangesNothing()
    {
        Fixture f;
        writeSetting("LastFolder", "/srv");
        f.form.outputFolderEdit()->setText("/kept/");
        f.form.settings().chooseOutputFolder();
        QCOMPARE(f.form.outputFolderEdit()->text(), QStringLiteral("/kept/"));
        QCOMPARE(readSetting("LastFolder", QString()), QStringLiteral("/srv"));
        QCOMPARE(readSetting("LastFolderDot", "unset"), QStringLiteral("unset"));
    }

    // "Pauses..." shows the saved pauses and the one-voice choice (defaults for what is
    // missing or unreadable, bounds for what lies beyond them) and stores what the user sets;
    // cancelling stores nothing.
    void pausesDialog_data()
    {
        using Choices = Dialogs::SpeechChoices;
        QTest::addColumn<QStringList>("saved"); // sentence, paragraph, heading, one voice
        QTest::addColumn<Choices>("shown");
        QTest::addColumn<std::optional<Choices>>("answer");
        QTest::addColumn<QStringList>("stored");
        QTest::newRow("saved choices shown, new ones stored")
            << QStringList{"250", "800", "1200", "False"} << Choices{{250, 800, 1200}, false}
            << std::optional<Choices>(Choices{{100, 600, 900}, true})
            << QStringList{"100", "600", "900", "True"};
        QTest::newRow("nothing saved: the defaults")
            << QStringList{"", "", "", ""} << Choices{{300, 700, 1000}, false}
            << std::optional<Choices>(Choices{{0, 0, 0}, false})
            << QStringList{"0", "0", "0", "False"};
        QTest::newRow("unreadable and out of bounds, then cancelled")
            << QStringList{"abc", "-5", "99999", "maybe"} << Choices{{300, 0, 10000}, false}
            << std::optional<Choices>() << QStringList{"abc", "-5", "99999", "maybe"};
    }

    void pausesDialog()
    {
        QFETCH(QStringList, saved);
        QFETCH(Dialogs::SpeechChoices, shown);
        QFETCH(std::optional<Dialogs::SpeechChoices>, answer);
        QFETCH(QStringList, stored);
        Fixture f;
        const QStringList keys{"SentencePause", "ParagraphPause", "HeadingPause", "OneVoice"};
        for (qsizetype i = 0; i < keys.size(); ++i) {
            if (!saved.at(i).isEmpty())
                writeSetting(keys.at(i), saved.at(i));
        }
        f.dialogs.setNextSpeechChoices(answer);
        QTest::mouseClick(f.form.pausesButton(), Qt::LeftButton);
        QVERIFY(f.dialogs.lastSpeechChoicesShown().has_value());
        QVERIFY(*f.dialogs.lastSpeechChoicesShown() == shown);
        QStringList now;
        for (const QString& key : keys)
            now << readSetting(key, QString());
        QCOMPARE(now, stored);
    }
};

QTEST_MAIN(TestChoosers)
#include "test_choosers.moc"
