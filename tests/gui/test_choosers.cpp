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

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QtTest>

using namespace lectorix;
using Shown = test::ScriptedDialogs::Shown;

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
        QTest::newRow("text") << "french_diacritics.pdf"
                              << "àÀâÂäÄçÇéÉ" << 0;
        QTest::newRow("scan") << "c02-22.pdf"
                              << "text unreadable" << 1;
    }

    void choosingAPdfShowsItsText()
    {
        QFETCH(QString, file);
        QFETCH(QString, expected);
        QFETCH(int, messages);
        Fixture f;
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
};

QTEST_MAIN(TestChoosers)
#include "test_choosers.moc"
