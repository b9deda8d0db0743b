// "Save Audio As MP3" end to end on real PDFs with the real converter, speech engine and
// encoder, driven through the window's button.
#include "core/base/program_folder.h"
#include "core/files/file_utils.h"
#include "core/files/text_decoding.h"
#include "core/settings/settings.h"
#include "core/settings/settings_keys.h"
#include "core/text/spoken_piece.h"
#include "core/text/spoken_text.h"
#include "gui/document_controller.h"
#include "gui/main_window.h"
#include "gui/mp3_conversion.h"
#include "gui/scan_recognition.h"
#include "gui/voice_setup.h"
#include "support/audio_files.h"
#include "support/layout_speech.h"
#include "support/scripted_dialogs.h"
#include "support/test_env.h"
#include "support/window_fixture.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QStandardPaths>
#include <QtEndian>
#include <QtTest>

#include <csignal>

#include <sys/stat.h>

using namespace lectorix;

namespace {

// Names that would run commands if a shell ever saw them unquoted. The folder name holds
// slashes, so it is a path of several folders; file names cannot.
QString hostileFolder()
{
    return QStringLiteral("it's \"$(touch /tmp/pwned-mp3-%1)\" `touch pwned`; Ünïcødé")
        .arg(QCoreApplication::applicationPid());
}
const QString HostileFile =
    QStringLiteral("a'b \"$(touch pwned)\" `touch pwned`; touch pwned & $HOME Привет");

// True when one of the hostile names ran its command.
bool commandRan(const QStringList& folders)
{
    if (QFile::exists(QStringLiteral("/tmp/pwned-mp3-%1").arg(QCoreApplication::applicationPid())))
        return true;
    for (const QString& folder : folders + QStringList{QDir::currentPath()})
        if (QFile::exists(folder + QStringLiteral("/pwned")))
            return true;
    return false;
}

void writeTool(const QString& path, const QByteArray& bytes)
{
    test::writeFile(path, bytes);
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

// The state start-up leaves: the converter launcher in {TEMP}.
QString startUp()
{
    const QString temp = test::freshScratch();
    writeTool(temp + QStringLiteral("/pdftotext"), customResource(101));
    return temp;
}

// A copy of a corpus PDF at path (folders created).
QString placePdf(const QString& corpusName, const QString& path)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile::remove(path);
    QFile::copy(test::corpusFile(corpusName), path);
    return path;
}

// The samples of speech the conversion must give for pdf: its text extracted and prepared as
// the conversion does, rendered with the window's voice outside the conversion's own folder.
qint64 expectedSamples(MainWindow& form, const QString& pdf)
{
    const bool verbatim = readsVerbatim(); // before a fresh scratch folder forgets the settings
    const QString folder = QFileInfo(test::freshScratch()).absolutePath() + "/expected";
    QDir(folder).removeRecursively();
    QDir().mkpath(folder);
    const QList<Utterance> utterances = verbatim ? spokenLines(test::pdfLayoutText(pdf))
                                                 : spokenUtterances(test::pdfSpokenPieces(pdf));
    const QString wav = folder + "/output.wav";
    test::renderWav(chosenVoice(form), utterances, wav);
    const qint64 samples = test::wavSamples(wav);
    QDir(folder).removeRecursively();
    return samples;
}

// What must not stay in {TEMP} after a conversion.
QStringList leftovers(const QString& temp)
{
    return QDir(temp).entryList({QStringLiteral("*.wav"), QStringLiteral("output[0-9]*.mp3"),
                                 QStringLiteral("JoinMP3.sh"), QStringLiteral("lame"),
                                 QStringLiteral("conversion-*")},
                                QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot);
}

QStringList hiddenFiles(const QString& folder)
{
    return QDir(folder).entryList({QStringLiteral(".*")}, QDir::Files | QDir::Hidden);
}

bool toolsPresent()
{
    for (const char* tool : {"pdftotext", "lame", "mpg123"})
        if (QStandardPaths::findExecutable(QLatin1String(tool)).isEmpty())
            return false;
    return true;
}

} // namespace

class TestMp3Conversion : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { test::ignoreBrokenPipes(); }
    void init();
    void shortDocument_data();
    void shortDocument();
    void longDocumentInParts();
    void passwordProtectedDocument_data();
    void passwordProtectedDocument();
    void scannedDocument();
    void missingFolderTouchesNothing();
    void missingPdfNeverConvertsTheEarlierOne();
};

void TestMp3Conversion::init()
{
    REQUIRE_CORPUS();
    if (!toolsPresent())
        QSKIP("pdftotext, lame and mpg123 are needed");
}

void TestMp3Conversion::shortDocument_data()
{
    QTest::addColumn<QString>("pdfFolder");
    QTest::addColumn<QString>("pdfName");
    QTest::addColumn<int>("option"); // 0 neither, 1 saveToFolderOption, 2 saveBesidePdfOption
    QTest::addColumn<QString>("outputFolder");
    QTest::newRow("beside the PDF")
        << QStringLiteral("docs") << QStringLiteral("French.pdf") << 2 << QString();
    QTest::newRow("hostile names beside the PDF")
        << hostileFolder() << HostileFile + QStringLiteral(".pdf") << 2 << QString();
    QTest::newRow("hostile names into a hostile folder")
        << QStringLiteral("docs") << HostileFile + QStringLiteral(".pdf") << 1 << hostileFolder();
    QTest::newRow("neither option") << QStringLiteral("my docs") << QStringLiteral("Fr.Acc.pdf")
                                    << 0 << QStringLiteral("unused");
}

// A short text is one part: the encoder writes the MP3 directly, no join.
void TestMp3Conversion::shortDocument()
{
    QFETCH(QString, pdfFolder);
    QFETCH(QString, pdfName);
    QFETCH(int, option);
    QFETCH(QString, outputFolder);
    const QString temp = startUp();
    const QString root = QFileInfo(temp).absolutePath();
    const QString pdf =
        placePdf(QStringLiteral("french_diacritics.pdf"), root + '/' + pdfFolder + '/' + pdfName);
    const QString outFolder = root + '/' + outputFolder;
    QDir().mkpath(outFolder);

    test::ScriptedDialogs dialogs;
    MainWindow form;
    form.volumeSlider()->setValue(100);
    form.rateSlider()->setValue(0);
    form.pdfPathEdit()->setText(pdf);
    form.outputFolderEdit()->setText(outFolder);
    MainWindow::setOptionValue(form.saveToFolderOption(), option == 1);
    MainWindow::setOptionValue(form.saveBesidePdfOption(), option == 2);
    dialogs.clear();

    form.saveMp3Button()->click();

    QVERIFY(test::waitUntilIdle(form));

    QCOMPARE(dialogs.messageTexts(), QStringList{DoneMessage});
    const QString mp3 = (option == 1 ? outFolder : QFileInfo(pdf).absolutePath()) + '/' +
                        stripExtension(fileNameOf(pdf)) + QStringLiteral(".mp3");
    QVERIFY2(QFile::exists(mp3), qPrintable(mp3));
    const qint64 spoken = expectedSamples(form, pdf);
    QVERIFY(spoken > 22050 / 2);
    const qint64 decoded = test::mp3Samples(mp3);
    QVERIFY2(qAbs(decoded - spoken) < spoken * 3 / 100 + 2 * 1152,
             qPrintable(QStringLiteral("%1 decoded, %2 spoken").arg(decoded).arg(spoken)));
    QCOMPARE(leftovers(temp), QStringList());
    QCOMPARE(hiddenFiles(QFileInfo(mp3).absolutePath()), QStringList());
    QVERIFY2(!commandRan({QFileInfo(pdf).absolutePath(), outFolder, temp}),
             "a file name ran a command");
    QVERIFY(!form.exporting().savingFile());
    QCOMPARE(form.mousePointer(), int(MainWindow::PointerDefault));
}

// A long document spoken in two parts, joined into one MP3 in a hostile output folder, with a
// umask that lets the group write.
void TestMp3Conversion::longDocumentInParts()
{
    const mode_t umaskBefore = ::umask(002);
    const auto restoreUmask = qScopeGuard([&] { ::umask(umaskBefore); });
    const QString temp = startUp();
    // Line by line, as it stands: long enough for two parts.
    writeSetting(keys::ReadVerbatim, QStringLiteral("True"));
    const QString root = QFileInfo(temp).absolutePath();
    const QString pdf =
        placePdf(QStringLiteral("issue-982-example.pdf"),
                 root + QStringLiteral("/in/") + HostileFile + QStringLiteral(".pdf"));
    const QString outFolder = root + QStringLiteral("/out ") + hostileFolder();
    QDir().mkpath(outFolder);
    const QString mp3 = outFolder + '/' + HostileFile + QStringLiteral(".mp3");
    test::writeFile(mp3, "an earlier MP3, replaced without asking");

    test::ScriptedDialogs dialogs;
    MainWindow form;
    form.volumeSlider()->setValue(100);
    form.rateSlider()->setValue(10);
    form.pdfPathEdit()->setText(pdf);
    form.outputFolderEdit()->setText(outFolder);
    MainWindow::setOptionValue(form.saveToFolderOption(), true);
    dialogs.clear();

    form.saveMp3Button()->click();

    QVERIFY(test::waitUntilIdle(form));

    QCOMPARE(dialogs.messageTexts(), QStringList{DoneMessage});
    const qint64 spoken = expectedSamples(form, pdf);
    const qint64 decoded = test::mp3Samples(mp3);
    QVERIFY2(qAbs(decoded - spoken) < spoken * 3 / 100,
             qPrintable(QStringLiteral("%1 decoded, %2 spoken").arg(decoded).arg(spoken)));
    QCOMPARE(leftovers(temp), QStringList());
    QCOMPARE(hiddenFiles(outFolder), QStringList());
    QVERIFY2(!commandRan({QFileInfo(pdf).absolutePath(), outFolder, temp}),
             "a file name ran a command");
}

void TestMp3Conversion::passwordProtectedDocument_data()
{
    QTest::addColumn<QString>("password");
    QTest::addColumn<bool>("converted");
    QTest::newRow("right password") << QStringLiteral("openpassword") << true;
    QTest::newRow("left blank") << QString() << false;
}

// The prompt names the working copy; the typed password opens the document.
void TestMp3Conversion::passwordProtectedDocument()
{
    QFETCH(QString, password);
    QFETCH(bool, converted);
    const QString temp = startUp();
    const QString pdf = placePdf(QStringLiteral("libreoffice-writer-password.pdf"),
                                 QFileInfo(temp).absolutePath() + QStringLiteral("/Locked.pdf"));
    test::ScriptedDialogs dialogs;
    MainWindow form;
    form.volumeSlider()->setValue(100);
    form.pdfPathEdit()->setText(pdf);
    form.passwordPromptCheck()->setCheckState(Qt::Checked);
    MainWindow::setOptionValue(form.saveBesidePdfOption(), true);
    dialogs.clear();
    dialogs.setNextInput(password);

    form.saveMp3Button()->click();

    QVERIFY(test::waitUntilIdle(form));

    QCOMPARE(dialogs.shown().size(), 2);
    QCOMPARE(dialogs.shown().first().kind, test::ScriptedDialogs::Shown::Input);
    // The prompt names the document the user chose, not a working copy.
    QVERIFY(
        dialogs.shown().first().text.contains(QStringLiteral("(") + pdf + QStringLiteral("): ")));
    // Left blank, the document is asked for again; that prompt is cancelled, and no message
    // follows.
    QCOMPARE(dialogs.messageTexts(), converted ? QStringList{DoneMessage} : QStringList{});
    QCOMPARE(QFile::exists(QFileInfo(temp).absolutePath() + QStringLiteral("/Locked.mp3")),
             converted);
}

void TestMp3Conversion::scannedDocument()
{
    const QString temp = startUp();
    const QString pdf = placePdf(QStringLiteral("c02-22.pdf"),
                                 QFileInfo(temp).absolutePath() + QStringLiteral("/Scan.pdf"));
    test::ScriptedDialogs dialogs;
    MainWindow form;
    form.pdfPathEdit()->setText(pdf);
    MainWindow::setOptionValue(form.saveBesidePdfOption(), true);
    dialogs.clear();

    form.saveMp3Button()->click();

    QVERIFY(test::waitUntilIdle(form));

    // Whether to recognise the text is asked first; the unscripted answer is No.
    QCOMPARE(dialogs.messageTexts(),
             (QStringList{recogniseQuestion(pdf), unreadableTextMessage(pdf)}));
    QVERIFY(!QFile::exists(temp + QStringLiteral("/lame")));
    QVERIFY(!QFile::exists(QFileInfo(temp).absolutePath() + QStringLiteral("/Scan.mp3")));
    QVERIFY(!form.exporting().savingFile());
}

void TestMp3Conversion::missingFolderTouchesNothing()
{
    const QString temp = startUp();
    const QString root = QFileInfo(temp).absolutePath();
    const QString pdf = placePdf(QStringLiteral("french_diacritics.pdf"), root + "/A.pdf");
    test::writeFile(temp + QStringLiteral("/output.pdf"), "earlier copy");
    test::writeFile(temp + QStringLiteral("/output001.txt"), "earlier chunk");
    const QStringList before = QDir(temp).entryList(QDir::Files);

    test::ScriptedDialogs dialogs;
    MainWindow form;
    form.pdfPathEdit()->setText(pdf);
    form.outputFolderEdit()->setText(root + QStringLiteral("/no such folder"));
    MainWindow::setOptionValue(form.saveToFolderOption(), true);
    dialogs.clear();

    form.saveMp3Button()->click();

    QVERIFY(test::waitUntilIdle(form));

    QCOMPARE(dialogs.messageTexts(), QStringList{FolderMissingMessage});
    QCOMPARE(QDir(temp).entryList(QDir::Files), before);
    QCOMPARE(test::readFile(temp + QStringLiteral("/output.pdf")), QByteArray("earlier copy"));
    QVERIFY(!QFile::exists(root + QStringLiteral("/A.mp3")));
    QVERIFY(!form.exporting().savingFile());
    QCOMPARE(form.mousePointer(), int(MainWindow::PointerDefault));
}

// Files an earlier run left in {TEMP} must not be converted in place of a missing PDF; they
// are not this conversion's to touch.
void TestMp3Conversion::missingPdfNeverConvertsTheEarlierOne()
{
    const QString temp = startUp();
    const QString root = QFileInfo(temp).absolutePath();
    placePdf(QStringLiteral("french_diacritics.pdf"), temp + QStringLiteral("/output.pdf"));
    test::writeFile(temp + QStringLiteral("/output.txt"), "the earlier document's text\n");
    test::writeFile(temp + QStringLiteral("/output002.txt"), "an earlier chunk");
    const QString pdf = root + QStringLiteral("/gone.pdf");

    test::ScriptedDialogs dialogs;
    MainWindow form;
    form.pdfPathEdit()->setText(pdf);
    MainWindow::setOptionValue(form.saveBesidePdfOption(), true);
    dialogs.clear();

    form.saveMp3Button()->click();

    QVERIFY(test::waitUntilIdle(form));

    QCOMPARE(dialogs.messageTexts(),
             QStringList{"The file " + pdf + " can not be read by this software - missing."});
    QVERIFY(!QFile::exists(root + QStringLiteral("/gone.mp3")));
    QCOMPARE(test::readFile(temp + QStringLiteral("/output002.txt")),
             QByteArray("an earlier chunk"));
    QCOMPARE(leftovers(temp), QStringList());
}

QTEST_MAIN(TestMp3Conversion)
#include "test_mp3_conversion.moc"
