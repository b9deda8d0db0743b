// How "Save Audio As MP3" begins and ends in the window: with no PDF named it saves the text
// of the box under a name the user confirms, or says there is nothing to save; "Done." says
// where the MP3 is and offers its folder; the progress dialog names the document and is gone
// before the end is shown.
#include "gui/conversion_progress.h"
#include "gui/main_window.h"
#include "gui/mp3_conversion.h"
#include "gui/qt_dialogs.h"
#include "support/audio_files.h"
#include "support/scripted_dialogs.h"
#include "support/test_env.h"
#include "support/window_fixture.h"

#include <QDir>
#include <QDirIterator>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QStandardPaths>
#include <QTimer>
#include <QtTest>

using namespace lectorix;

namespace {

const QString Opening = QStringLiteral("Call me Ishmael. Some years ago, never mind how long "
                                       "precisely, having little or no money in my purse.");
const QString OpeningName = QStringLiteral("Call me Ishmael Some years ago.mp3");

// Every MP3 below folder, hidden ones included.
QStringList mp3sBelow(const QString& folder)
{
    QStringList found;
    QDirIterator it(folder, {QStringLiteral("*.mp3")}, QDir::Files | QDir::Hidden,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        found << it.next();
    return found;
}

bool toolsPresent()
{
    for (const char* tool : {"pdftotext", "lame", "mpg123"})
        if (QStandardPaths::findExecutable(QLatin1String(tool)).isEmpty())
            return false;
    return true;
}

// What the user saw of one conversion: the progress dialog's texts, and whether the dialog
// was still on screen when the end was shown.
struct Watched
{
    QStringList progressTexts;
    bool progressShownAtEnd = false;
};

// Clicks "Save Audio As MP3" and lets the conversion, if one starts, run to its end.
Watched save(test::WindowFixture& f)
{
    Watched watched;
    f.dialogs.setOnMessage([&](const Dialogs::Message&) {
        auto* progress = f.form.findChild<QProgressDialog*>(QStringLiteral("conversionProgress"));
        watched.progressShownAtEnd = progress && progress->isVisible();
    });
    f.form.saveMp3Button()->click();
    if (auto* job = f.form.findChild<ConversionJob*>()) {
        auto* progress = f.form.findChild<QProgressDialog*>(QStringLiteral("conversionProgress"));
        QObject::connect(job, &ConversionJob::progress, progress,
                         [&watched, progress] { watched.progressTexts << progress->labelText(); });
    }
    const bool idle = test::waitUntilIdle(f.form);
    f.dialogs.setOnMessage(nullptr);
    if (!idle)
        qWarning("the conversion did not end");
    return watched;
}

} // namespace

class TestMp3Export : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void withoutPdf_data();
    void withoutPdf();
    void doneSaysWhere_data();
    void doneSaysWhere();
    void realDoneBox_data();
    void realDoneBox();
};

void TestMp3Export::initTestCase()
{
    test::ignoreBrokenPipes();
    if (!toolsPresent())
        QSKIP("pdftotext, lame and mpg123 are needed");
}

void TestMp3Export::withoutPdf_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("answer"); // the file name given in the save dialog, in the home
    QTest::addColumn<bool>("asked");     // whether the save dialog was shown
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<QString>("mp3"); // the file made in the home folder; empty for none

    QTest::newRow("nothing in the box")
        << QString() << QString() << false << QStringList{NothingToSaveMessage} << QString();
    QTest::newRow("only white space in the box") << QStringLiteral(" \n\t ") << QString() << false
                                                 << QStringList{NothingToSaveMessage} << QString();
    QTest::newRow("save dialog cancelled")
        << Opening << QString() << true << QStringList() << QString();
    QTest::newRow("the proposed name taken")
        << Opening << OpeningName << true << QStringList{DoneMessage} << OpeningName;
    QTest::newRow("a name typed without extension")
        << Opening << QStringLiteral("whale") << true << QStringList{DoneMessage}
        << QStringLiteral("whale.mp3");
    QTest::newRow("a hidden name typed is made visible")
        << Opening << QStringLiteral(".mp3") << true << QStringList{DoneMessage}
        << QStringLiteral("untitled.mp3");
}

// No PDF named: never a hidden, silent MP3 reported as done.
void TestMp3Export::withoutPdf()
{
    QFETCH(QString, text);
    QFETCH(QString, answer);
    QFETCH(bool, asked);
    QFETCH(QStringList, messages);
    QFETCH(QString, mp3);
    test::WindowFixture f;
    const QString home = QDir::homePath();
    f.form.pdfPathEdit()->setText(QString());
    f.form.textToReadEdit()->setPlainText(text);
    MainWindow::setOptionValue(f.form.saveBesidePdfOption(), true);
    if (!answer.isEmpty())
        f.dialogs.setNextFileName(home + QLatin1Char('/') + answer);
    f.dialogs.clear();

    const Watched watched = save(f);

    QCOMPARE(f.dialogs.messageTexts(), messages);
    QList<test::ScriptedDialogs::Shown> saveDialogs;
    for (const auto& shown : f.dialogs.shown())
        if (shown.kind == test::ScriptedDialogs::Shown::SaveFile)
            saveDialogs << shown;
    QCOMPARE(saveDialogs.size(), asked ? 1 : 0);
    if (asked)
        QCOMPARE(saveDialogs.first().detail, home + QLatin1Char('/') + OpeningName);
    const QStringList made = mp3sBelow(QFileInfo(f.temp).absolutePath());
    QCOMPARE(made, mp3.isEmpty() ? QStringList() : QStringList{home + QLatin1Char('/') + mp3});
    if (!mp3.isEmpty()) {
        QVERIFY(test::mp3Samples(made.first()) > 0);
        QVERIFY2(watched.progressTexts.first().startsWith(mp3 + QLatin1Char('\n')),
                 qPrintable(watched.progressTexts.first()));
    }
    QVERIFY(!f.form.exporting().savingFile());
}

void TestMp3Export::doneSaysWhere_data()
{
    QTest::addColumn<bool>("fromPdf");
    QTest::addColumn<Dialogs::Answer>("answer");
    QTest::addColumn<bool>("folderOpened");
    QTest::newRow("a PDF, OK") << true << Dialogs::Answer::Ok << false;
    QTest::newRow("a PDF, Open Folder") << true << Dialogs::Answer::Action << true;
    QTest::newRow("the box's text, Open Folder") << false << Dialogs::Answer::Action << true;
}

// "Done." names the MP3 and offers its folder; the progress dialog has gone by then, and
// while it was there it named the document and no parts.
void TestMp3Export::doneSaysWhere()
{
    QFETCH(bool, fromPdf);
    QFETCH(Dialogs::Answer, answer);
    QFETCH(bool, folderOpened);
    if (fromPdf)
        REQUIRE_CORPUS();
    test::WindowFixture f;
    const QString folder = QFileInfo(f.temp).absolutePath() + QStringLiteral("/my books");
    QString mp3 = folder + QStringLiteral("/whale.mp3");
    if (fromPdf) {
        const QString pdf = folder + QStringLiteral("/French.pdf");
        QVERIFY(!test::copyCorpusFile(QStringLiteral("french_diacritics.pdf"), pdf).isEmpty());
        f.form.pdfPathEdit()->setText(pdf);
        mp3 = folder + QStringLiteral("/French.mp3");
    } else {
        QDir().mkpath(folder);
        f.form.pdfPathEdit()->setText(QString());
        f.form.textToReadEdit()->setPlainText(Opening);
        f.dialogs.setNextFileName(mp3);
    }
    MainWindow::setOptionValue(f.form.saveBesidePdfOption(), true);
    f.dialogs.setNextAnswer(answer);
    f.dialogs.clear();

    const Watched watched = save(f);

    const auto messages = f.dialogs.messages();
    QCOMPARE(messages.size(), 1);
    QCOMPARE(messages.first().text, DoneMessage);
    QCOMPARE(messages.first().detail, mp3);
    QCOMPARE(messages.first().action, OpenFolderButton);
    QVERIFY(QFile::exists(mp3));
    QVERIFY(!watched.progressShownAtEnd);
    QStringList urls;
    for (const auto& shown : f.dialogs.shown())
        if (shown.kind == test::ScriptedDialogs::Shown::Url)
            urls << shown.text;
    QCOMPARE(urls,
             folderOpened ? QStringList{QUrl::fromLocalFile(folder).toString()} : QStringList());
    QVERIFY(!watched.progressTexts.isEmpty());
    const QString name = QFileInfo(fromPdf ? f.form.pdfPathEdit()->text() : mp3).fileName();
    for (const QString& text : watched.progressTexts) {
        QVERIFY2(text.startsWith(name + QLatin1Char('\n')), qPrintable(text));
        QVERIFY2(!text.contains(QStringLiteral("part")), qPrintable(text));
    }
}

void TestMp3Export::realDoneBox_data()
{
    QTest::addColumn<QString>("click");
    QTest::addColumn<Dialogs::Answer>("answer");
    QTest::newRow("Open Folder") << OpenFolderButton << Dialogs::Answer::Action;
    QTest::newRow("OK") << QStringLiteral("OK") << Dialogs::Answer::Ok;
}

// The real message box: the path beneath "Done." as it is (never markup), and the button
// that opens the folder telling itself apart from OK.
void TestMp3Export::realDoneBox()
{
    QFETCH(QString, click);
    QFETCH(Dialogs::Answer, answer);
    const QString path = QStringLiteral("/home/me/<b>Moby</b> & Dick.mp3");
    QString shownPath;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        for (QLabel* label : box->findChildren<QLabel*>())
            if (label->text() == path && label->textFormat() == Qt::PlainText)
                shownPath = label->text();
        for (QAbstractButton* button : box->buttons())
            if (button->text().remove(QLatin1Char('&')) == click)
                button->click();
    });
    QtDialogs real;
    Dialogs::Message done{DoneMessage, QStringLiteral("Lectorix")};
    done.detail = path;
    done.actionButton = OpenFolderButton;
    QCOMPARE(real.message(done), answer);
    QCOMPARE(shownPath, path);
}

QTEST_MAIN(TestMp3Export)
#include "test_mp3_export.moc"
