// Full and read-only disks: {TEMP} full during an export, the output folder full or read-only,
// "Save Text To Text File" onto a full disk. Each gives a clear message; the working files
// go; an MP3 or text file already at the path stays byte for byte as it was.
#include "../cli/converter_run.h"
#include "small_disk.h"

#include "gui/main_window.h"
#include "support/scripted_dialogs.h"
#include "support/test_env.h"
#include "support/window_fixture.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

using namespace lectorix;

namespace {

const QByteArray EarlierMp3 = "an MP3 from an earlier conversion";
const QString NoRoom = QStringLiteral("There is no room left in %1: the disk is full.");

// Enough words for minutes of speech, so the MP3 outgrows a small disk.
QByteArray longText(int sentences)
{
    QByteArray text;
    for (int i = 0; i < sentences; ++i)
        text += "Sentence number " + QByteArray::number(i) +
                " goes on for a while, so that the recording grows long.\n";
    return text;
}

QString scarlet()
{
    return test::corpusFile(QStringLiteral("01-A-Study-in-Scarlet.pdf"));
}

} // namespace

class TestFullDisk : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void tempFullDuringExport_data();
    void tempFullDuringExport();
    void outputFolderFull();
    void outputFolderReadOnly();
    void saveTextOntoFullDisk();
};

void TestFullDisk::init()
{
    if (test::converterProgram().isEmpty())
        QSKIP("the built converter is needed");
}

void TestFullDisk::tempFullDuringExport_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<qint64>("tempBytes");
    QTest::newRow("text, no room for it") << "notes.txt" << qint64(64 * 1024);
    QTest::newRow("PDF, no room for its copy") << "book.pdf" << qint64(64 * 1024);
    // The copy fits, its text does not: pdftotext then ends with success and the text cut short.
    QTest::newRow("PDF, no room for its text") << "book.pdf" << qint64(1024 * 1024);
}

void TestFullDisk::tempFullDuringExport()
{
    QFETCH(QString, input);
    QFETCH(qint64, tempBytes);
    if (input.endsWith(QLatin1String(".pdf")))
        REQUIRE_CORPUS();
    test::freshScratch();
    const QString folder = test::scratchFolder() + QStringLiteral("/docs");
    QDir().mkpath(folder);
    const QString source = folder + QLatin1Char('/') + input;
    QFile::remove(source);
    if (input.endsWith(QLatin1String(".pdf")))
        QVERIFY(QFile::copy(scarlet(), source));
    else
        test::writeFile(source, longText(2000));
    const QString mp3 =
        folder + QLatin1Char('/') + QFileInfo(input).completeBaseName() + QStringLiteral(".mp3");
    test::writeFile(mp3, EarlierMp3);
    const QStringList before = test::folderEntries(folder);

    test::SmallDisk temp(test::scratchFolder() + QStringLiteral("/small-temp"), tempBytes);
    temp.fill();
    QProcessEnvironment environment;
    environment.insert(QStringLiteral("TEMP"), temp.folder());
    const test::ConverterRun run =
        test::runConverter({QStringLiteral("-q"), input}, folder, QByteArray(), environment);
    temp.lift();

    const QString said = QString::fromUtf8(run.standardError);
    QVERIFY2(!run.crashed, qPrintable(said));
    QCOMPARE(run.exitCode, 1);
    QVERIFY2(said.contains(input), qPrintable(said));
    if (temp.kind() == test::SmallDisk::Kind::Mounted)
        QVERIFY2(said.contains(NoRoom.arg(temp.folder())), qPrintable(said));
    QCOMPARE(test::readFile(mp3), EarlierMp3);
    QCOMPARE(test::folderEntries(folder), before);
    QCOMPARE(test::folderEntries(temp.folder()), QStringList());
}

void TestFullDisk::outputFolderFull()
{
    test::freshScratch();
    const QString input =
        test::writeFile(test::scratchFolder() + QStringLiteral("/long.txt"), longText(400));
    test::SmallDisk output(test::scratchFolder() + QStringLiteral("/small-output"), 64 * 1024);
    const QString mp3 = output.folder() + QStringLiteral("/long.mp3");
    test::writeFile(mp3, EarlierMp3);
    output.fill();
    const test::ConverterRun run = test::runConverter(
        {QStringLiteral("-q"), QStringLiteral("-o"), mp3, input}, test::scratchFolder());
    output.lift();

    const QString said = QString::fromUtf8(run.standardError);
    QVERIFY2(!run.crashed, qPrintable(said));
    QCOMPARE(run.exitCode, 1);
    QVERIFY2(said.contains(QStringLiteral("The MP3 file %1 could not be made").arg(mp3)),
             qPrintable(said));
    if (output.kind() == test::SmallDisk::Kind::Mounted)
        QVERIFY2(said.contains(NoRoom.arg(output.folder())), qPrintable(said));
    QCOMPARE(test::readFile(mp3), EarlierMp3);
    QCOMPARE(test::folderEntries(output.folder()), QStringList{"long.mp3"});
    QCOMPARE(test::folderEntries(qEnvironmentVariable("TEMP")), QStringList());
}

void TestFullDisk::outputFolderReadOnly()
{
    test::freshScratch();
    const QString input =
        test::writeFile(test::scratchFolder() + QStringLiteral("/short.txt"), longText(2));
    test::SmallDisk output(test::scratchFolder() + QStringLiteral("/read-only-output"),
                           1024 * 1024);
    const QString mp3 = output.folder() + QStringLiteral("/short.mp3");
    test::writeFile(mp3, EarlierMp3);
    if (!output.makeReadOnly())
        QSKIP("no read-only folder here: not mounted, and the folder's mode does not stop root");
    const test::ConverterRun run = test::runConverter(
        {QStringLiteral("-q"), QStringLiteral("-o"), mp3, input}, test::scratchFolder());

    const QString said = QString::fromUtf8(run.standardError);
    QVERIFY2(!run.crashed, qPrintable(said));
    QCOMPARE(run.exitCode, 1);
    QVERIFY2(said.contains(QStringLiteral("cannot write the output")), qPrintable(said));
    QCOMPARE(test::readFile(mp3), EarlierMp3);
    QCOMPARE(test::folderEntries(output.folder()), QStringList{"short.mp3"});
    QCOMPARE(test::folderEntries(qEnvironmentVariable("TEMP")), QStringList());
}

void TestFullDisk::saveTextOntoFullDisk()
{
    test::WindowFixture fixture;
    test::SmallDisk disk(test::scratchFolder() + QStringLiteral("/small-text"), 64 * 1024);
    const QString target = disk.folder() + QStringLiteral("/notes.txt");
    const QByteArray earlier = "Notes saved before.\n";
    test::writeFile(target, earlier);
    disk.fill();
    fixture.form.textToReadEdit()->setPlainText(QString::fromUtf8(longText(3000)));
    fixture.dialogs.clear();
    fixture.dialogs.setNextFileName(target);

    fixture.form.saveTextButton()->click();
    disk.lift();

    const QStringList shown = fixture.dialogs.messageTexts();
    QCOMPARE(shown.size(), 1);
    QVERIFY2(shown.first().contains(QStringLiteral("The file %1 could not be written").arg(target)),
             qPrintable(shown.first()));
    QCOMPARE(test::readFile(target), earlier);
    QCOMPARE(test::folderEntries(disk.folder()), QStringList{"notes.txt"});
    QCOMPARE(fixture.form.textToReadEdit()->toPlainText().size(), longText(3000).size());
}

QTEST_MAIN(TestFullDisk)
#include "test_full_disk.moc"
