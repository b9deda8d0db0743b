#include "core/base/failure.h"
#include "core/base/program_folder.h"
#include "core/settings/settings.h"
#include "gui/document_controller.h"
#include "gui/main_window.h"
#include "gui/startup.h"
#include "support/scripted_dialogs.h"
#include "support/test_env.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QRadioButton>
#include <QSlider>
#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

using namespace lectorix;

namespace {

void storeSettings(const QByteArray& lines)
{
    test::writeFile(settingsFilePath(), "[Lectorix]\n" + lines);
}

// The line numbers of the Application Error boxes shown, in order.
QList<int> reportedLines(const test::ScriptedDialogs& dialogs)
{
    QList<int> lines;
    for (const auto& shown : dialogs.messages()) {
        if (shown.title != QStringLiteral("Application Error"))
            continue;
        const qsizetype at = shown.text.indexOf(QStringLiteral(" at line "));
        lines << shown.text.mid(at + 9, 3).toInt();
    }
    return lines;
}

} // namespace

class TestStartup : public QObject
{
    Q_OBJECT

    QString m_temp;

private slots:
    void init() { m_temp = test::freshScratch(); }

    void firstStartUsesTheDefaults()
    {
        test::ScriptedDialogs dialogs;
        MainWindow form;
        QVERIFY(form.startUp());
        QVERIFY2(dialogs.shown().isEmpty(), qPrintable(dialogs.messageTexts().join('|')));
        QCOMPARE(form.volumeSlider()->value(), 50);
        QCOMPARE(form.rateSlider()->value(), -3);
        QCOMPARE(form.volumeValueLabel()->text(), QStringLiteral("Volume Level = 50"));
        QCOMPARE(form.speedValueLabel()->text(), QStringLiteral("Speech Rate = -3"));
        QCOMPARE(form.outputFolderEdit()->text(), qEnvironmentVariable("HOME") + "/");
        QCOMPARE(form.pdfPathEdit()->text(), QString());
        QCOMPARE(form.textToReadEdit()->toPlainText(), QString());
        QCOMPARE(form.passwordPromptCheck()->checkState(), Qt::Unchecked);
        QVERIFY(form.saveToFolderOption()->isChecked() &&
                !form.saveBesidePdfOption()->isChecked() && form.outputFolderFrame()->isEnabled());
        QVERIFY(!form.documents().useTextBox());
        QCOMPARE(form.windowTitle(), ProductName);
        QCOMPARE(applicationTitle(), QStringLiteral("Lectorix Read Aloud and PDF to MP3"));
        // Restored values are written straight back.
        QCOMPARE(readSetting("Option1", QString()), QStringLiteral("True"));
        QCOMPARE(readSetting("Option2", QString()), QStringLiteral("False"));
        QCOMPARE(readSetting("Text3", QString()), form.outputFolderEdit()->text());
        // The converter launcher is in {TEMP}, runnable, exactly the program's resource.
        const QString launcher = m_temp + "/pdftotext";
        QCOMPARE(test::readFile(launcher), customResource(102));
        QVERIFY(QFileInfo(launcher).permissions() & QFile::ExeOwner);
    }

    void storedValuesAreRestored()
    {
        storeSettings(
            "Volume%20Level=80\nSpeech%20Rate=-3.5\nText3=/srv/audio\nText1=/no/such.pdf\n"
            "Check1=1\nOption1=False\nOption2=1\n");
        test::ScriptedDialogs dialogs;
        MainWindow form;
        QVERIFY(form.startUp());
        QVERIFY(dialogs.shown().isEmpty());
        QCOMPARE(form.volumeSlider()->value(), 80);
        QCOMPARE(form.rateSlider()->value(), -4); // halves go to the even neighbour
        QCOMPARE(form.outputFolderEdit()->text(), QStringLiteral("/srv/audio"));
        QCOMPARE(form.pdfPathEdit()->text(), QStringLiteral("/no/such.pdf"));
        QCOMPARE(form.textToReadEdit()->toPlainText(), QString()); // missing PDF: nothing extracted
        QCOMPARE(form.passwordPromptCheck()->checkState(), Qt::Checked);
        QVERIFY(!form.saveToFolderOption()->isChecked() &&
                form.saveBesidePdfOption()->isChecked() && !form.outputFolderFrame()->isEnabled());
    }

    // Bad stored values are reported with their line and start-up goes on.
    void garbageIsReportedAndStartUpGoesOn()
    {
        storeSettings(
            "Volume%20Level=abc\nSpeech%20Rate=99\nCheck1=abc\nOption1=maybe\nOption2=no\n");
        test::ScriptedDialogs dialogs;
        MainWindow form;
        QVERIFY(form.startUp());
        QCOMPARE(reportedLines(dialogs), (QList<int>{134, 166, 170, 172}));
        QVERIFY(dialogs.messageTexts()[0].startsWith(QStringLiteral("Invalid property value\r\n")));
        QVERIFY(dialogs.messageTexts()[1].startsWith(QStringLiteral("Type mismatch\r\n")));
        QCOMPARE(form.volumeSlider()->value(), 0); // letters read as 0
        QCOMPARE(form.rateSlider()->value(), 0);   // out of range: keeps its previous value
        QCOMPARE(form.speedValueLabel()->text(), QStringLiteral("Speech Rate = 0"));
        QCOMPARE(form.passwordPromptCheck()->checkState(), Qt::Unchecked);
        QVERIFY(!form.saveToFolderOption()->isChecked() &&
                !form.saveBesidePdfOption()->isChecked());
        QVERIFY(!form.outputFolderFrame()->isEnabled());
        // The window now shows a valid state; a click stores it, mending the garbage.
        form.passwordPromptCheck()->click();
        QCOMPARE(readSetting("Check1", QString()), QStringLiteral("1"));
    }

    void programFolderExtras()
    {
        {
            test::ScriptedDialogs dialogs;
            MainWindow form;
            QVERIFY(form.startUp());
            QVERIFY(form.hasCustomPointer()); // the shipped HAND-M.CUR
            QVERIFY(form.styleSheet().isEmpty());
        }
        // A program folder with a skin and a damaged cursor file.
        const QString folder = m_temp + "/program";
        test::writeFile(folder + "/HAND-M.CUR", "not a cursor");
        test::writeFile(folder + "/x/o.cjs", "QPushButton { color: navy; }");
        qputenv("LECTORIX_PROGRAM_FOLDER", QFile::encodeName(folder));
        test::ScriptedDialogs dialogs;
        MainWindow form;
        QVERIFY(form.startUp());
        QCOMPARE(reportedLines(dialogs), QList<int>{106});
        QVERIFY(!form.hasCustomPointer());
        QCOMPARE(form.styleSheet(), QStringLiteral("QPushButton { color: navy; }"));
        QCOMPARE(form.palette().color(QPalette::Window), form.palette().color(QPalette::Button));
    }

    void existingLauncherIsKept()
    {
        test::writeFile(m_temp + "/pdftotext", "someone else's tool");
        test::ScriptedDialogs dialogs;
        MainWindow form;
        QVERIFY(form.startUp());
        QCOMPARE(test::readFile(m_temp + "/pdftotext"), QByteArray("someone else's tool"));
    }

    // Without TEMP the program uses a private folder, and refuses one that others could use.
    void privateTempFolder_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("fresh") << "fresh";
        QTest::newRow("symbolic link") << "link";
        QTest::newRow("not a folder") << "file";
        QTest::newRow("open to others") << "open";
        QTest::newRow("another user's") << "foreign";
    }
    void privateTempFolder()
    {
        QFETCH(QString, kind);
        const QString runtime = m_temp + "/runtime";
        const QString elsewhere = m_temp + "/elsewhere";
        QDir().mkpath(runtime);
        QDir().mkpath(elsewhere);
        const QString folder = runtime + "/lectorix";
        if (kind == "link")
            QFile::link(elsewhere, folder);
        else if (kind == "file")
            test::writeFile(folder, "");
        else if (kind == "open" || kind == "foreign") {
            QDir().mkpath(folder);
            ::chmod(QFile::encodeName(folder).constData(), kind == "open" ? 0777 : 0700);
            if (kind == "foreign" &&
                (::geteuid() != 0 ||
                 ::chown(QFile::encodeName(folder).constData(), 65534, 65534) != 0))
                QSKIP("needs root to make a folder of another user");
        }
        qunsetenv("TEMP");
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime));
        test::ScriptedDialogs dialogs;
        MainWindow form;
        QVERIFY(form.startUp()); // the window still opens
        if (kind == "fresh") {
            QVERIFY(dialogs.shown().isEmpty());
            QVERIFY(QFile::exists(folder + "/pdftotext"));
            struct stat info
            {
            };
            QCOMPARE(::stat(QFile::encodeName(folder).constData(), &info), 0);
            QCOMPARE(info.st_mode & 0777, 0700u);
        } else {
            QVERIFY(!dialogs.shown().isEmpty());
            QVERIFY2(dialogs.messageTexts().first().contains(QStringLiteral("is refused because")),
                     qPrintable(dialogs.messageTexts().first()));
            QVERIFY(QDir(elsewhere).isEmpty());
            QVERIFY(!QFile::exists(folder + "/pdftotext"));
        }
    }

    void closingRemovesTheLauncherAndEnds()
    {
        test::ScriptedDialogs dialogs;
        {
            MainWindow form;
            QVERIFY(form.startUp());
            QVERIFY(QFile::exists(m_temp + "/pdftotext"));
            form.show();
            QVERIFY(form.close());
            QVERIFY(!QFile::exists(m_temp + "/pdftotext"));
            QVERIFY(form.isClosing());
        }
        // A window that goes without being closed removes it too, and leaves the rest of the
        // program running.
        {
            MainWindow form;
            QVERIFY(form.startUp());
            QVERIFY(QFile::exists(m_temp + "/pdftotext"));
        }
        QVERIFY(!QFile::exists(m_temp + "/pdftotext"));
    }

    // The real program: asked to end (as at logout), it closes its window and exits cleanly.
    void programEndsWithExitCodeZero()
    {
        const QString program = qEnvironmentVariable("LECTORIX_PROGRAM");
        if (program.isEmpty())
            QSKIP("LECTORIX_PROGRAM is not set");
        QProcess lectorix;
        lectorix.setProgram(program);
        lectorix.start();
        QVERIFY(lectorix.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(m_temp + "/pdftotext"), 15000);
        QTest::qWait(300);
        lectorix.terminate();
        QVERIFY(lectorix.waitForFinished(10000));
        QCOMPARE(lectorix.exitStatus(), QProcess::NormalExit);
        QCOMPARE(lectorix.exitCode(), 0);
        QVERIFY(!QFile::exists(m_temp + "/pdftotext"));
    }

    void startupProcedures()
    {
        setApplicationTitle(QStringLiteral("before"));
        QVERIFY_THROWS_EXCEPTION(Failure,
                                 setAppTitle(QStringLiteral("Lectorix"))); // nothing to cut
        QCOMPARE(applicationTitle(), QStringLiteral("before"));
        QCOMPARE(setAppTitle(QStringLiteral("Lectorix Reader")), QStringLiteral("Lectorix"));
        QCOMPARE(
            setAppTitle(QStringLiteral("Lectorix reads every PDF aloud and also makes MP3 files")),
            QStringLiteral("Lectorix reads every PDF aloud and also"));
        QCOMPARE(applicationTitle(), QStringLiteral("Lectorix reads every PDF aloud and also"));

        const QString arch = QSysInfo::currentCpuArchitecture();
        QCOMPARE(addressWidth(),
                 arch == "x86_64" || arch == "arm64" ? QStringLiteral("64") : addressWidth());

        test::ScriptedDialogs dialogs;
        for (int draw : {1, 6, 8, 100})
            visitHomePage(draw);
        QVERIFY(dialogs.shown().isEmpty());
        visitHomePage(7);
        QCOMPARE(dialogs.shown().size(), 1);
        QCOMPARE(dialogs.shown().first().kind, test::ScriptedDialogs::Shown::Url);
        QVERIFY(dialogs.shown().first().text.endsWith(QStringLiteral("/about.html")));
    }
};

QTEST_MAIN(TestStartup)
#include "test_startup.moc"
