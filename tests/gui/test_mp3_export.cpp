// How "Save Audio As MP3" begins and ends in the window: with no PDF named it saves the text
// of the box under a name the user confirms, or says there is nothing to save; "Done." says
// where the MP3 is and offers its folder; the progress dialog names the document, not the
// parts, and is gone before the end is shown.
#include "core/conversion/conversion_job.h"
#include "core/settings/settings.h"
#include "core/settings/settings_keys.h"
#include "gui/main_window.h"
#include "gui/mp3_conversion.h"
#include "support/audio_files.h"
#include "support/drawn_pdf.h"
#include "support/test_env.h"
#include "support/window_fixture.h"

#include <QCheckBox>
#include <QDirIterator>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

using namespace lectorix;
using Shown = test::ScriptedDialogs::Shown;

namespace {

const QString Opening = QStringLiteral("Call me Ishmael. Some years ago, never mind how long "
                                       "precisely, having little or no money in my purse.");

QStringList shownOf(const test::ScriptedDialogs& dialogs, Shown::Kind kind, bool detail)
{
    QStringList texts;
    for (const Shown& shown : dialogs.shown())
        if (shown.kind == kind)
            texts << (detail ? shown.detail : shown.text);
    return texts;
}

// What the user saw of the progress dialog: its texts, and whether it was still on screen
// when the end was shown.
struct Watched
{
    QStringList progressTexts;
    bool progressShownAtEnd = false;
};

// Clicks "Save Audio As MP3" and lets what it starts run to its end.
Watched clickSave(test::WindowFixture& f)
{
    Watched watched;
    f.dialogs.setOnMessage([&](const Dialogs::Message&) {
        auto* progress = f.form.findChild<QProgressDialog*>();
        watched.progressShownAtEnd = progress && progress->isVisible();
    });
    f.form.saveMp3Button()->click();
    if (auto* job = f.form.findChild<ConversionJob*>()) {
        auto* progress = f.form.findChild<QProgressDialog*>();
        QObject::connect(job, &ConversionJob::progress, progress,
                         [&, progress] { watched.progressTexts << progress->labelText(); });
    }
    if (!test::waitUntilIdle(f.form))
        qWarning("the conversion did not end");
    f.dialogs.setOnMessage(nullptr);
    return watched;
}

} // namespace

class TestMp3Export : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { test::ignoreBrokenPipes(); }
    void save_data();
    void save();
    void oneMp3PerChapter();
};

void TestMp3Export::save_data()
{
    QTest::addColumn<QString>("pdf");  // a corpus PDF named in the window, or none
    QTest::addColumn<QString>("text"); // in the box
    QTest::addColumn<QString>("name"); // given in the save dialog; empty to cancel it
    QTest::addColumn<bool>("openFolder");
    QTest::addColumn<QStringList>("asked"); // the files the save dialogs proposed
    QTest::addColumn<QString>("mp3");       // the MP3 made; empty for none
    const QString proposed = QStringLiteral("Call me Ishmael Some years ago.mp3");
    const QStringList none;
    QTest::newRow("neither a PDF nor text")
        << QString() << QString() << QString() << false << none << QString();
    QTest::newRow("only white space")
        << QString() << " \n\t " << QString() << false << none << QString();
    QTest::newRow("save dialog cancelled")
        << QString() << Opening << QString() << false << QStringList{proposed} << QString();
    QTest::newRow("the proposed name, Open Folder")
        << QString() << Opening << proposed << true << QStringList{proposed} << proposed;
    QTest::newRow("a hidden name typed")
        << QString() << Opening << ".mp3" << false << QStringList{proposed} << "untitled.mp3";
    QTest::newRow("a PDF, whatever the box holds, Open Folder")
        << "french_diacritics.pdf" << Opening << QString() << true << none
        << "french_diacritics.mp3";
}

// Never a hidden or silent MP3 reported as done: each end the user can see.
void TestMp3Export::save()
{
    QFETCH(QString, pdf);
    QFETCH(QString, text);
    QFETCH(QString, name);
    QFETCH(bool, openFolder);
    QFETCH(QStringList, asked);
    QFETCH(QString, mp3);
    test::WindowFixture f;
    const QString home = QDir::homePath() + QLatin1Char('/');
    if (!pdf.isEmpty()) {
        REQUIRE_CORPUS();
        QVERIFY(!test::copyCorpusFile(pdf, home + pdf).isEmpty());
        f.form.pdfPathEdit()->setText(home + pdf);
    }
    f.form.textToReadEdit()->setPlainText(text);
    MainWindow::setOptionValue(f.form.saveBesidePdfOption(), true);
    if (!name.isEmpty())
        f.dialogs.setNextFileName(home + name);
    f.dialogs.setNextAnswer(openFolder ? Dialogs::Answer::Action : Dialogs::Answer::Ok);
    const Watched watched = clickSave(f);

    for (QString& path : asked)
        path.prepend(home);
    QCOMPARE(shownOf(f.dialogs, Shown::SaveFile, true), asked);
    QStringList made;
    for (QDirIterator it(home, {"*.mp3"}, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
         it.hasNext();)
        made << it.next();
    QCOMPARE(made, mp3.isEmpty() ? QStringList() : QStringList{home + mp3});
    if (mp3.isEmpty()) {
        QCOMPARE(shownOf(f.dialogs, Shown::Message, false),
                 text.trimmed().isEmpty() ? QStringList{NothingToSaveMessage} : QStringList());
        return;
    }
    QVERIFY(test::mp3Samples(home + mp3) > 0);
    QCOMPARE(shownOf(f.dialogs, Shown::Message, false), QStringList{DoneMessage});
    QCOMPARE(shownOf(f.dialogs, Shown::Message, true), QStringList{home + mp3});
    QCOMPARE(f.dialogs.messages().first().action, OpenFolderButton);
    QCOMPARE(shownOf(f.dialogs, Shown::Url, false),
             openFolder ? QStringList{QUrl::fromLocalFile(QDir::homePath()).toString()}
                        : QStringList());
    QVERIFY(!watched.progressShownAtEnd);
    QVERIFY(!watched.progressTexts.isEmpty());
    for (const QString& shown : watched.progressTexts) {
        QVERIFY2(shown.startsWith((pdf.isEmpty() ? mp3 : pdf) + '\n'), qPrintable(shown));
        QVERIFY2(!shown.contains("part"), qPrintable(shown));
    }
}

// "Save one MP3 per chapter": the chapters' files in a folder named after the PDF, which
// "Done." names and opens; the choice is kept for the next start.
void TestMp3Export::oneMp3PerChapter()
{
    test::WindowFixture f;
    const QString home = QDir::homePath() + QLatin1Char('/');
    QVERIFY(test::drawChapterBook(home + "book.pdf"));
    f.form.pdfPathEdit()->setText(home + "book.pdf");
    MainWindow::setOptionValue(f.form.saveBesidePdfOption(), true);
    f.form.chapterFilesCheck()->click();
    QCOMPARE(readSetting(keys::SaveChapterFiles, QString()), QStringLiteral("True"));
    f.dialogs.setNextAnswer(Dialogs::Answer::Action);
    clickSave(f);

    QStringList expected;
    const QStringList chapters = test::chapterBookChapters();
    for (qsizetype i = 0; i < chapters.size(); ++i)
        expected << QStringLiteral("%1 %2.mp3")
                        .arg(i + 1, 2, 10, QLatin1Char('0'))
                        .arg(chapters.at(i).section(u' ', 2));
    QCOMPARE(QDir(home + "book").entryList(QDir::Files | QDir::Hidden, QDir::Name), expected);
    for (const QString& file : expected)
        QVERIFY(test::mp3Samples(home + "book/" + file) > 0);
    QVERIFY(!QFileInfo::exists(home + "book.mp3"));
    QCOMPARE(shownOf(f.dialogs, Shown::Message, true), QStringList{home + "book/"});
    QCOMPARE(shownOf(f.dialogs, Shown::Url, false),
             QStringList{QUrl::fromLocalFile(home + "book").toString()});
}

QTEST_MAIN(TestMp3Export)
#include "test_mp3_export.moc"
