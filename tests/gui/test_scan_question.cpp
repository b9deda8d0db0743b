// The window's question whether to recognise the text of a scanned PDF, the setting that
// answers it for good, and a Yes holding for the document: filling the text box, reading
// aloud and the export ask once between them.
#include "core/base/program_folder.h"
#include "core/files/file_utils.h"
#include "core/pdf/pdf_converter.h"
#include "core/reading/reading_session.h"
#include "core/settings/settings.h"
#include "core/settings/settings_keys.h"
#include "gui/dialogs.h"
#include "gui/document_controller.h"
#include "gui/main_window.h"
#include "gui/mp3_conversion.h"
#include "gui/reading_controller.h"
#include "gui/scan_recognition.h"
#include "support/drawn_pdf.h"
#include "support/fake_engine.h"
#include "support/process_info.h"
#include "support/scripted_dialogs.h"
#include "support/test_env.h"
#include "support/window_fixture.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

using namespace lectorix;

namespace {

QString unreadableMessage(const QString& pdf)
{
    return "The file " + pdf +
           " can not be read by this software - text unreadable. Please view the file yourself "
           "to see if it is really a scanned image of text and not proper PDF text.";
}

// What the scan c02-22.pdf says, as recognised.
const QString ScanWords = QStringLiteral("along a path amongst");

} // namespace

class TestScanQuestion : public QObject
{
    Q_OBJECT

private slots:
    // The box's text and the boxes shown, by how the question is answered, or not asked.
    void textBoxOfAScan_data()
    {
        QTest::addColumn<bool>("alwaysBefore");
        QTest::addColumn<bool>("yes");
        QTest::addColumn<bool>("ticked");
        QTest::addColumn<bool>("asked");
        QTest::addColumn<QString>("setting");
        QTest::newRow("no") << false << false << false << true << QString();
        // The box means "always recognise": with a No it stores nothing.
        QTest::newRow("no, box ticked") << false << false << true << true << QString();
        QTest::newRow("yes") << false << true << false << true << QString();
        QTest::newRow("yes, always") << false << true << true << true << "True";
        QTest::newRow("always chosen before") << true << true << false << false << "True";
    }

    void textBoxOfAScan()
    {
        QFETCH(bool, alwaysBefore);
        QFETCH(bool, yes);
        QFETCH(bool, ticked);
        QFETCH(bool, asked);
        QFETCH(QString, setting);
        test::WindowFixture f;
        if (alwaysBefore)
            writeSetting(keys::RecogniseScannedPages, QStringLiteral("True"));
        const QString pdf = test::corpusFile(QStringLiteral("c02-22.pdf"));
        f.dialogs.setNextAnswer(yes ? Dialogs::Answer::Yes : Dialogs::Answer::No);
        f.dialogs.setNextChecked(ticked);

        f.form.documents().loadPdfText(pdf);
        QVERIFY(test::waitUntilIdle(f.form));

        const auto shown = f.dialogs.messages();
        QStringList expected;
        if (asked)
            expected << recogniseQuestion(pdf);
        if (!yes)
            expected << unreadableMessage(pdf);
        QCOMPARE(f.dialogs.messageTexts(), expected);
        if (asked) {
            QCOMPARE(shown.first().buttons, Dialogs::Buttons::YesNo);
            QCOMPARE(shown.first().icon, Dialogs::Icon::Question);
            QCOMPARE(shown.first().checkBox, AlwaysRecogniseCheckBox);
        }
        const QString text = f.form.textToReadEdit()->toPlainText();
        if (yes)
            QVERIFY2(text.simplified().contains(ScanWords), qPrintable(text));
        else
            QCOMPARE(text, unreadableMessage(pdf));
        QCOMPARE(readSetting(keys::RecogniseScannedPages, QString()), setting);
        QCOMPARE(f.form.documents().scans().recognises(pdf), yes);
    }

    // The export of a scan: the question comes where the message did; a Yes converts the scan
    // again, its page recognised (the progress says so), and a Yes given before asks nothing.
    void exportOfAScan_data()
    {
        QTest::addColumn<bool>("yesBefore");
        QTest::addColumn<bool>("yes");
        QTest::addColumn<bool>("asked");
        QTest::newRow("no") << false << false << true;
        QTest::newRow("yes") << false << true << true;
        QTest::newRow("yes given before") << true << true << false;
    }

    void exportOfAScan()
    {
        QFETCH(bool, yesBefore);
        QFETCH(bool, yes);
        QFETCH(bool, asked);
        test::WindowFixture f;
        const QString folder = QFileInfo(f.temp).absolutePath();
        const QString pdf = test::copyCorpusFile("c02-22.pdf", folder + "/Scan.pdf");
        const QString mp3 = folder + "/Scan.mp3";
        if (yesBefore) {
            f.dialogs.setNextAnswer(Dialogs::Answer::Yes);
            QVERIFY(f.form.documents().scans().recogniseOrAsk(pdf));
            f.dialogs.clear();
        }
        f.form.pdfPathEdit()->setText(pdf);
        MainWindow::setOptionValue(f.form.saveBesidePdfOption(), true);
        f.dialogs.setNextAnswer(yes ? Dialogs::Answer::Yes : Dialogs::Answer::No);
        // What the progress dialog says meanwhile.
        QStringList stages;
        QTimer watch;
        connect(&watch, &QTimer::timeout, &f.form, [&] {
            if (auto* progress = f.form.findChild<QProgressDialog*>("conversionProgress"))
                if (!stages.contains(progress->labelText()))
                    stages << progress->labelText();
        });
        watch.start(5);

        f.form.saveMp3Button()->click();
        QVERIFY(test::waitUntilIdle(f.form));

        QStringList expected;
        if (asked)
            expected << recogniseQuestion(pdf);
        expected << (yes ? DoneMessage : unreadableMessage(pdf));
        QCOMPARE(f.dialogs.messageTexts(), expected);
        QCOMPARE(QFile::exists(mp3), yes);
        QCOMPARE(stages.contains("Scan.pdf\nRecognising page 1 of 1"), yes);
    }

    // Reading a scan aloud asks nothing: it recognises after a Yes to the question or with the
    // setting, and otherwise ends quietly as it always did.
    void readingFollowsTheAnswer_data()
    {
        QTest::addColumn<QString>("answered");
        QTest::newRow("never asked") << "";
        QTest::newRow("no") << "no";
        QTest::newRow("yes") << "yes";
        QTest::newRow("always") << "always";
    }

    void readingFollowsTheAnswer()
    {
        QFETCH(QString, answered);
        test::WindowFixture f;
        test::FakeEngine engine;
        const QString pdf = test::corpusFile(QStringLiteral("c02-22.pdf"));
        if (answered == "always") {
            writeSetting(keys::RecogniseScannedPages, QStringLiteral("True"));
        } else if (!answered.isEmpty()) {
            f.dialogs.setNextAnswer(answered == "yes" ? Dialogs::Answer::Yes : Dialogs::Answer::No);
            f.form.documents().scans().recogniseOrAsk(pdf);
        }
        f.dialogs.clear();
        f.form.documents().setUseTextBox(false);
        f.form.pdfPathEdit()->setText(pdf);

        f.form.reading().pressReadButton();
        QVERIFY(test::waitUntilReadingEnds(f.form, 60000));

        const bool recognised = answered == "yes" || answered == "always";
        QCOMPARE(f.form.reading().session()->request().recognise, recognised);
        QVERIFY(f.dialogs.messageTexts().isEmpty());
        QCOMPARE(engine.queued().join(' ').simplified().contains(ScanWords), recognised);
    }

    // Closing the window, or choosing another document, while the text box's scan is being
    // recognised ends the recognition at once, leaving no process and no file.
    void recognitionEndsWithTheBox_data()
    {
        QTest::addColumn<bool>("close");
        QTest::newRow("window closed") << true;
        QTest::newRow("another document chosen") << false;
    }

    void recognitionEndsWithTheBox()
    {
        QFETCH(bool, close);
        const QString temp = test::freshScratch();
        writeFileIfMissing(customResource(101), converterPath(), true);
        test::ScriptedDialogs dialogs;
        auto form = std::make_unique<MainWindow>();
        // A scan long enough to be still recognised when the box goes: six drawn pages.
        const test::Pages pages(6, {QStringLiteral("The keeper climbed the tower at dusk.")});
        const QString scan =
            test::writePdf(QFileInfo(temp).absolutePath() + "/scan.pdf", pages, {0, 1, 2, 3, 4, 5});
        QVERIFY(!scan.isEmpty());
        dialogs.setNextAnswer(Dialogs::Answer::Yes);
        form->documents().loadPdfText(scan);
        const qint64 self = QCoreApplication::applicationPid();
        const auto recognising = [self] {
            return !test::livingChildNames(self)
                        .filter(QRegularExpression("^(tesseract|pdftoppm|pdfinfo|env)$"))
                        .isEmpty();
        };
        bool seen = false; // latched: a tool seen once may have ended when the macro looks again
        QTRY_VERIFY_WITH_TIMEOUT((seen = seen || recognising()), 30000);

        if (close)
            form.reset();
        else
            form->documents().loadPdfText(test::corpusFile("french_diacritics.pdf"));
        QTRY_VERIFY_WITH_TIMEOUT(!recognising(), 2000);
        if (!close) {
            QVERIFY(test::waitUntilIdle(*form));
            QVERIFY(form->textToReadEdit()->toPlainText().contains("àÀâÂäÄçÇéÉ"));
        }
        // Nothing is left in {TEMP} but the converter's launcher, which a closing window removes,
        // once the chapter list has read the new document's outline.
        const auto left = [&] {
            return QDir(temp).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
        };
        QTRY_COMPARE_WITH_TIMEOUT(left(), close ? QStringList() : QStringList{"pdftotext"}, 10000);
    }

    // A Yes holds for its document only, named any way, for the rest of the session; a No asks
    // again next time.
    void answerHoldsForTheDocument_data()
    {
        QTest::addColumn<bool>("yes");
        QTest::addColumn<QString>("again");
        QTest::addColumn<bool>("askedAgain");
        const QString scan = test::corpusFile(QStringLiteral("c02-22.pdf"));
        const QString relative = QDir::current().relativeFilePath(scan);
        QTest::newRow("yes, same path") << true << scan << false;
        QTest::newRow("yes, named relatively") << true << relative << false;
        QTest::newRow("yes, another scan")
            << true << test::corpusFile(QStringLiteral("linn.pdf")) << true;
        QTest::newRow("no, same path") << false << scan << true;
    }

    void answerHoldsForTheDocument()
    {
        QFETCH(bool, yes);
        QFETCH(QString, again);
        QFETCH(bool, askedAgain);
        test::WindowFixture f;
        const QString scan = test::corpusFile(QStringLiteral("c02-22.pdf"));
        ScanRecognition scans;
        f.dialogs.setNextAnswer(yes ? Dialogs::Answer::Yes : Dialogs::Answer::No);
        QCOMPARE(scans.recogniseOrAsk(scan), yes);
        f.dialogs.clear();

        f.dialogs.setNextAnswer(Dialogs::Answer::No);
        const bool recognised = scans.recogniseOrAsk(again);
        QCOMPARE(f.dialogs.messageTexts().size(), askedAgain ? 1 : 0);
        QCOMPARE(recognised, !askedAgain);
        QCOMPARE(readSetting(keys::RecogniseScannedPages, QString()), QString());
    }
};

QTEST_MAIN(TestScanQuestion)
#include "test_scan_question.moc"
