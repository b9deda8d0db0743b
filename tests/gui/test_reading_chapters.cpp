// Chapters while reading, in the real window with an engine held by the test: the list of a
// PDF's chapters from its outline, choosing one reads it, the keys move the reading, the
// highlight follows a PDF read from the PDF box through the text box, the line under the box
// names chapter and page, and the place kept names its chapter.

#include "core/reading/reading_places.h"
#include "gui/chapter_list.h"
#include "gui/main_window.h"
#include "gui/reading_controller.h"
#include "gui/reading_highlight.h"
#include "gui/reading_status.h"
#include "support/held_engine.h"
#include "support/test_env.h"
#include "support/window_fixture.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>
#include <QtTest>

using namespace lectorix;

namespace {

// The words of text, one space apart and in small letters, for comparing what was said with
// what the text box shows.
QString plainWords(const QString& text)
{
    return text.simplified().toLower();
}

int indexOfEntry(const QComboBox* list, const QString& title)
{
    for (int i = 0; i < list->count(); ++i)
        if (list->itemText(i).trimmed() == title)
            return i;
    return -1;
}

} // namespace

class TestReadingChapters : public QObject
{
    Q_OBJECT

private slots:
    void init() { test::freshScratch(); }

    void statusText_data()
    {
        QTest::addColumn<QString>("chapter");
        QTest::addColumn<int>("page");
        QTest::addColumn<qint64>("secondsLeft"); // -1: not known
        QTest::addColumn<QString>("shown");
        QTest::newRow("all") << "3: Catalogs" << 62 << qint64(3900)
                             << "3: Catalogs \u00B7 Page 62 \u00B7 About 1 h 05 min left";
        QTest::newRow("minutes rounded up")
            << "" << 4 << qint64(61) << "Page 4 \u00B7 About 2 min left";
        QTest::newRow("under a minute") << "" << 0 << qint64(20) << "About 1 min left";
        QTest::newRow("text box: chapter only") << "Part" << 0 << qint64(-1) << "Part";
        QTest::newRow("nothing known") << "" << 0 << qint64(-1) << "";
    }
    void statusText()
    {
        QFETCH(QString, chapter);
        QFETCH(int, page);
        QFETCH(qint64, secondsLeft);
        QFETCH(QString, shown);
        QCOMPARE(
            readingStatusText(chapter, page,
                              secondsLeft < 0 ? std::nullopt : std::optional<qint64>(secondsLeft)),
            shown);
    }

    // Choosing "3: Catalogs" in the list of freeculture.pdf reads from that chapter's first
    // words; the list and the line under the box follow; the highlight moves through the
    // chapter in the text box; Alt+Page Down goes on to the next chapter and Alt+Right a
    // sentence; stopped, the place kept names its chapter when offered again.
    void chosenChapterIsRead()
    {
        REQUIRE_CORPUS();
        test::WindowFixture w;
        MainWindow& form = w.form;
        test::HeldEngine engine;
        engine.beginAtOnce = false; // the place is what the test lets the voice hear
        const QString pdf = w.temp + QStringLiteral("/../docs/freeculture.pdf");
        test::writeFile(pdf, test::readFile(test::corpusFile(QStringLiteral("freeculture.pdf"))));
        form.show();
        QApplication::setActiveWindow(&form);
        QVERIFY(QTest::qWaitForWindowActive(&form));
        form.documents().openPdf(pdf);
        QVERIFY(test::waitUntilIdle(form));
        QComboBox* list = form.chapterCombo();
        QTRY_VERIFY_WITH_TIMEOUT(list->count() > 50, 30000);
        QVERIFY(list->isEnabled());
        QCOMPARE(list->currentIndex(), -1);
        QCOMPARE(list->itemText(indexOfEntry(list, "Film")), QStringLiteral("        Film"));
        const int third = indexOfEntry(list, QStringLiteral("3: Catalogs"));
        QVERIFY(third > 0);
        const QString box = form.textToReadEdit()->toPlainText();

        emit list->activated(third);
        QTRY_VERIFY_WITH_TIMEOUT(!engine.spokenBy("voice1").isEmpty(), 60000);
        ReadingSession& session = *form.reading().session();
        const QString first = engine.spokenBy("voice1").first();
        QVERIFY2(first.contains(QStringLiteral("Catalogs")), qPrintable(first));
        QCOMPARE(list->currentIndex(), third);
        QCOMPARE(session.chapter(), third);
        // A chapter chosen from the list is read with the reader's forms, as any reading is.
        QVERIFY(session.request().pronunciations.readerForms());
        // It is the text box's text at the chapter's start (the box holds the first 100 pages).
        const qsizetype start = session.chapters().at(third).offset;
        QCOMPARE(session.position(), start);
        QVERIFY2(plainWords(box.mid(start, first.size() + 40)).startsWith(plainWords(first)),
                 qPrintable(box.mid(start, first.size() + 40)));
        QTRY_VERIFY(form.readingStatusLabel()->text().startsWith(
            QStringLiteral("3: Catalogs \u00B7 Page 62")));

        // The highlight follows the words heard through the box.
        const ReadingHighlight& highlight = *form.reading().highlight();
        engine.word = {0, 0, 3};
        QTRY_COMPARE(highlight.word().start, start);
        engine.word = {2, 0, 3};
        QTRY_VERIFY(highlight.word().start > start);
        const qsizetype later = highlight.word().start;
        QCOMPARE(session.position(), later);
        QVERIFY(highlight.sentence().start <= later && highlight.sentence().end() > later);

        // Alt+Right: the next sentence; Alt+Page Down: the next chapter. A new voice has said
        // no word yet.
        engine.word = {};
        const qsizetype sentenceEnd = highlight.sentence().end();
        QTest::keyClick(&form, Qt::Key_Right, Qt::AltModifier);
        QTRY_VERIFY(!engine.spokenBy("voice2").isEmpty());
        QCOMPARE(session.position(), sentenceEnd + 1);
        QCOMPARE(highlight.sentence().start, session.position());
        QTest::keyClick(&form, Qt::Key_PageDown, Qt::AltModifier);
        QTRY_VERIFY(!engine.spokenBy("voice3").isEmpty());
        const QString next = engine.spokenBy("voice3").first();
        QVERIFY2(next.contains(QStringLiteral("Pirates")), qPrintable(next));
        QCOMPARE(list->currentText().trimmed(), QStringLiteral("4: \"Pirates\""));
        QCOMPARE(session.position(), session.chapters().at(third + 1).offset);
        // The box shows where the reading went before a word of it is heard.
        QVERIFY(highlight.sentence().start <= session.position() &&
                highlight.sentence().end() > session.position());
        QTRY_VERIFY(form.readingStatusLabel()->text().startsWith(
            QStringLiteral("4: \"Pirates\" \u00B7 Page 67")));

        // Stopped, the place is offered again by its chapter.
        engine.word = {0, 0, 3};
        QTRY_COMPARE(highlight.word().start, session.chapters().at(third + 1).offset);
        QTest::keyClick(&form, Qt::Key_Escape);
        QCOMPARE(form.readingStatusLabel()->text(), QString());
        QVERIFY(!form.findChild<QShortcut*>("nextChapterShortcut")->isEnabled());
        w.dialogs.setNextAnswer(Dialogs::Answer::Cancel);
        form.readButton()->click();
        QCOMPARE(w.dialogs.messageTexts().size(), 1);
        QVERIFY2(w.dialogs.messageTexts()[0].startsWith(
                     QStringLiteral("Continue in 4: \"Pirates\"?\n\nPage 67: ")),
                 qPrintable(w.dialogs.messageTexts()[0]));
    }
};

QTEST_MAIN(TestReadingChapters)
#include "test_reading_chapters.moc"
