// Two instances sharing {TEMP}: a window and lectorix-convert converting at once never touch
// each other's working files, and a launcher another instance still uses is never deleted.
#include "../cli/converter_run.h"

#include "core/base/program_folder.h"
#include "core/files/file_utils.h"
#include "core/files/temp_folder.h"
#include "core/process/launcher_sharing.h"
#include "gui/main_window.h"
#include "gui/mp3_conversion.h"
#include "support/scripted_dialogs.h"
#include "support/test_env.h"
#include "support/window_fixture.h"

#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QStandardPaths>
#include <QtTest>

using namespace lectorix;

namespace {

QString corpusPdf()
{
    return test::corpusFile(QStringLiteral("french_diacritics.pdf"));
}

// Another instance of the program: a process that holds {TEMP}'s launchers as the window
// does, until it is killed.
class OtherInstance
{
public:
    explicit OtherInstance(const QString& temp)
    {
        m_process.start(QStringLiteral("flock"),
                        {QStringLiteral("--shared"), QStringLiteral("--no-fork"), temp,
                         QStringLiteral("sleep"), QStringLiteral("600")});
    }
    ~OtherInstance() { end(); }
    OtherInstance(const OtherInstance&) = delete;
    OtherInstance& operator=(const OtherInstance&) = delete;

    bool started() { return m_process.waitForStarted(); }
    void end()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished();
        }
    }

private:
    QProcess m_process;
};

} // namespace

class TestTwoInstances : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { test::ignoreBrokenPipes(); }
    void launcherKeptWhileUsedElsewhere();
    void windowConversionBesideAnotherInstance();
    void windowAndConverterAtOnce();
};

void TestTwoInstances::launcherKeptWhileUsedElsewhere()
{
    if (QStandardPaths::findExecutable(QStringLiteral("flock")).isEmpty())
        QSKIP("flock (util-linux) is needed");
    const QString temp = test::freshScratch();
    const QString launcher = temp + QStringLiteral("/lame");
    shareLaunchers();
    writeFileIfMissing(customResource(103), launcher, true);
    QVERIFY(!launchersUsedElsewhere());
    {
        OtherInstance other(temp);
        QVERIFY(other.started());
        QTRY_VERIFY(launchersUsedElsewhere());
        removeLauncher(launcher);
        QVERIFY(QFile::exists(launcher));
        other.end();
        QTRY_VERIFY(!launchersUsedElsewhere());
    }
    // The checks kept this process's own hold: nobody else can lock {TEMP} for themselves.
    QVERIFY(QProcess::execute(QStringLiteral("flock"),
                              {QStringLiteral("--exclusive"), QStringLiteral("--nonblock"), temp,
                               QStringLiteral("true")}) != 0);
    removeLauncher(launcher);
    QVERIFY(!QFile::exists(launcher));
}

// The window's conversion ends while another instance still holds the launchers: the encoder
// launcher stays for it; once that instance has gone, the next conversion removes it.
void TestTwoInstances::windowConversionBesideAnotherInstance()
{
    REQUIRE_CORPUS();
    if (QStandardPaths::findExecutable(QStringLiteral("flock")).isEmpty())
        QSKIP("flock (util-linux) is needed");
    test::WindowFixture fixture;
    const QString lame = fixture.temp + QStringLiteral("/lame");
    const QString folder = test::scratchFolder() + QStringLiteral("/beside-other");
    QDir().mkpath(folder);
    const QString pdf = folder + QStringLiteral("/French.pdf");
    QVERIFY(QFile::copy(corpusPdf(), pdf));
    fixture.form.pdfPathEdit()->setText(pdf);
    MainWindow::setOptionValue(fixture.form.saveBesidePdfOption(), true);
    OtherInstance other(fixture.temp);
    QVERIFY(other.started());
    QTRY_VERIFY(launchersUsedElsewhere());

    fixture.form.saveMp3Button()->click();
    QVERIFY(test::waitUntilIdle(fixture.form));
    QCOMPARE(fixture.dialogs.messageTexts().value(0), DoneMessage);
    QVERIFY(QFile::exists(lame));

    other.end();
    QTRY_VERIFY(!launchersUsedElsewhere());
    fixture.dialogs.clear();
    fixture.form.saveMp3Button()->click();
    QVERIFY(test::waitUntilIdle(fixture.form));
    QCOMPARE(fixture.dialogs.messageTexts().value(0), DoneMessage);
    QVERIFY(!QFile::exists(lame));
}

void TestTwoInstances::windowAndConverterAtOnce()
{
    REQUIRE_CORPUS();
    if (test::converterProgram().isEmpty())
        QSKIP("the built converter is needed");
    test::WindowFixture fixture;
    const QString windowFolder = test::scratchFolder() + QStringLiteral("/window");
    const QString converterFolder = test::scratchFolder() + QStringLiteral("/converter");
    QDir().mkpath(windowFolder);
    QDir().mkpath(converterFolder);
    QVERIFY(QFile::copy(corpusPdf(), windowFolder + QStringLiteral("/French.pdf")));
    QVERIFY(QFile::copy(corpusPdf(), converterFolder + QStringLiteral("/French.pdf")));
    test::writeFile(converterFolder + QStringLiteral("/notes.txt"),
                    "Notes read at the same time.\n");

    QProcess converter;
    converter.setWorkingDirectory(converterFolder);
    converter.start(test::converterProgram(), {QStringLiteral("-q"), QStringLiteral("French.pdf"),
                                               QStringLiteral("notes.txt")});
    QVERIFY(converter.waitForStarted());
    fixture.form.pdfPathEdit()->setText(windowFolder + QStringLiteral("/French.pdf"));
    MainWindow::setOptionValue(fixture.form.saveBesidePdfOption(), true);
    fixture.form.saveMp3Button()->click();
    QVERIFY(test::waitUntilIdle(fixture.form));
    QTRY_VERIFY_WITH_TIMEOUT(converter.state() == QProcess::NotRunning, 600000);

    QCOMPARE(converter.exitCode(), 0);
    QCOMPARE(fixture.dialogs.messageTexts(), QStringList{DoneMessage});
    for (const QString& mp3 : {windowFolder + QStringLiteral("/French.mp3"),
                               converterFolder + QStringLiteral("/French.mp3"),
                               converterFolder + QStringLiteral("/notes.mp3")}) {
        const auto sound = test::decodeMp3(mp3);
        QVERIFY2(sound && sound->samples > 22050, qPrintable(mp3));
    }
    // Both took their working files with them; only the window's converter launcher stays.
    QCOMPARE(test::folderEntries(fixture.temp), QStringList{"pdftotext"});
}

QTEST_MAIN(TestTwoInstances)
#include "test_two_instances.moc"
