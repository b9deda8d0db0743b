// What a reading takes as its source and how far it goes: Ctrl+R chooses the source as a click
// on the reading button does, a reading of a PDF's first pages in the text box goes on to the
// document's end while the box holds them unedited, and a PDF reading stopped early is offered
// again by its page and the first words of its sentence.

#include "core/reading/reading_places.h"
#include "gui/document_controller.h"
#include "gui/main_window.h"
#include "gui/reading_controller.h"
#include "gui/reading_highlight.h"
#include "support/drawn_pdf.h"
#include "support/fake_engine.h"
#include "support/held_engine.h"
#include "support/window_fixture.h"

#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTextCursor>
#include <QtTest>

using namespace lectorix;

namespace {

constexpr int BookPages = 103;

// A word of its own for each page, so no page's line looks like a running header.
QString pageWord(int page)
{
    return QString(QChar(u'a' + (page / 26) % 26)) + QChar(u'a' + page % 26);
}

QString sentence(int page)
{
    return QStringLiteral("Sentence %1 names %2.").arg(page).arg(pageWord(page));
}

QStringList sentences(int first, int last)
{
    QStringList list;
    for (int page = first; page <= last; ++page)
        list << sentence(page);
    return list;
}

QString writeBook(const QString& path)
{
    test::Pages pages;
    for (int page = 1; page <= BookPages; ++page)
        pages.append({sentence(page)});
    return test::writePdf(path, pages);
}

void putCursor(QPlainTextEdit* box, qsizetype position, qsizetype anchor = -1)
{
    QTextCursor cursor = box->textCursor();
    cursor.setPosition(int(anchor < 0 ? position : anchor));
    cursor.setPosition(int(position), QTextCursor::KeepAnchor);
    box->setTextCursor(cursor);
}

// A window showing itself, active, with the book's first pages in its text box.
struct BookWindow : test::WindowFixture
{
    QString book = writeBook(temp + QStringLiteral("/../docs/book.pdf"));

    bool open()
    {
        form.show();
        QApplication::setActiveWindow(&form);
        if (!QTest::qWaitForWindowActive(&form))
            return false;
        form.documents().openPdf(book);
        return test::waitUntilIdle(form) &&
               form.textToReadEdit()->toPlainText().contains(sentence(100));
    }
};

} // namespace

class TestReadingSource : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
            QFAIL("pdftotext is needed");
    }

    // A note typed into the text box is read whether the button is clicked or Ctrl+R pressed;
    // with the cursor in the PDF box both read the PDF named there.
    void keyAndButtonChooseTheSameSource_data()
    {
        QTest::addColumn<QString>("press");
        QTest::addColumn<bool>("cursorInTextBox");
        QTest::newRow("click, cursor in the text box") << "click" << true;
        QTest::newRow("Ctrl+R, cursor in the text box") << "ctrl+r" << true;
        QTest::newRow("click, cursor in the PDF box") << "click" << false;
        QTest::newRow("Ctrl+R, cursor in the PDF box") << "ctrl+r" << false;
    }
    void keyAndButtonChooseTheSameSource()
    {
        QFETCH(QString, press);
        QFETCH(bool, cursorInTextBox);
        BookWindow w;
        QVERIFY(w.open());
        MainWindow& form = w.form;
        test::FakeEngine engine;
        QWidget* typedIn = form.textToReadEdit();
        if (cursorInTextBox) {
            form.textToReadEdit()->clear();
            form.textToReadEdit()->setFocus();
            QTRY_VERIFY(form.textToReadEdit()->hasFocus());
            QTest::keyClicks(form.textToReadEdit(), QStringLiteral("A note just typed."));
        } else {
            typedIn = form.pdfPathEdit();
            typedIn->setFocus(Qt::OtherFocusReason);
            QTRY_VERIFY(typedIn->hasFocus());
        }
        // As at start-up: the PDF named in the PDF box is the source.
        form.documents().setUseTextBox(false);
        if (press == QLatin1String("click"))
            QTest::mouseClick(form.readButton(), Qt::LeftButton);
        else
            QTest::keyClick(typedIn, Qt::Key_R, Qt::ControlModifier);
        QVERIFY(test::waitUntilReadingEnds(form));
        const QStringList expected =
            cursorInTextBox ? QStringList{"A note just typed."} : sentences(1, BookPages);
        QCOMPARE(engine.queued(), expected);
        QCOMPARE(form.documents().useTextBox(), cursorInTextBox);
        QVERIFY(w.dialogs.shown().isEmpty());
    }

    // The text box holds the PDF's first 100 pages. Read from the cursor, unedited, it goes on
    // to the document's last page; a selection is read alone, and once the text is edited (or
    // the PDF changed on disk) the box is read as it stands.
    void theTextBoxGoesOnPastItsEnd_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<int>("cursorPage");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("unedited, cursor on page 99") << "" << 99 << sentences(99, BookPages);
        QTest::newRow("unedited, cursor at the start") << "" << 0 << sentences(1, BookPages);
        QTest::newRow("unedited, a selection") << "select" << 100 << sentences(100, 100);
        QTest::newRow("edited on page 1") << "edit" << 99 << sentences(99, 100);
        QTest::newRow("the PDF replaced since") << "replace" << 99 << sentences(99, 100);
    }
    void theTextBoxGoesOnPastItsEnd()
    {
        QFETCH(QString, change);
        QFETCH(int, cursorPage);
        QFETCH(QStringList, expected);
        BookWindow w;
        QVERIFY(w.open());
        MainWindow& form = w.form;
        QPlainTextEdit* box = form.textToReadEdit();
        test::FakeEngine engine;
        if (change == QLatin1String("edit")) {
            putCursor(box, box->toPlainText().indexOf(sentence(1)) + 8);
            box->insertPlainText(QStringLiteral(" "));
        } else if (change == QLatin1String("replace")) {
            QTest::qWait(1100); // a modification time of its own
            writeBook(w.book);
        }
        const QString text = box->toPlainText();
        const qsizetype at = cursorPage > 0 ? text.indexOf(sentence(cursorPage)) + 3 : 0;
        QVERIFY(at >= 0);
        if (change == QLatin1String("select"))
            putCursor(box, text.indexOf(sentence(cursorPage)) + sentence(cursorPage).size(),
                      text.indexOf(sentence(cursorPage)));
        else
            putCursor(box, at);
        form.documents().setUseTextBox(true); // the box has had the focus
        form.readButton()->click();
        QVERIFY(test::waitUntilReadingEnds(form));
        QCOMPARE(engine.queued(), expected);
        QVERIFY(w.dialogs.shown().isEmpty());
        QCOMPARE(box->toPlainText(), text);
    }

    // While the reading goes on from the text box, the word heard is shown in the box as long
    // as the box holds it; past the box's last page nothing is marked.
    void theHighlightFollowsWhileTheBoxHoldsTheText()
    {
        BookWindow w;
        QVERIFY(w.open());
        MainWindow& form = w.form;
        QPlainTextEdit* box = form.textToReadEdit();
        const QString text = box->toPlainText();
        test::HeldEngine engine;
        putCursor(box, text.indexOf(sentence(99)));
        form.documents().setUseTextBox(true);
        form.readButton()->click();
        QTRY_VERIFY_WITH_TIMEOUT(engine.spokenBy(QStringLiteral("voice1")).size() >= 3, 60000);
        const ReadingHighlight* highlight = form.reading().highlight();
        engine.word = {1, 13, 5}; // "names" in the sentence of page 100
        const qsizetype onPage100 = text.indexOf(sentence(100));
        QTRY_COMPARE(highlight->word(), (TextRange{onPage100 + 13, 5}));
        QCOMPARE(highlight->sentence(), (TextRange{onPage100, sentence(100).size()}));
        engine.word = {2, 13, 5}; // page 101: beyond the box
        QTest::qWait(300);
        QCOMPARE(highlight->word(), (TextRange{onPage100 + 13, 5}));
        form.reading().stop();
        QCOMPARE(box->toPlainText(), text);
    }

    // Stopped early, a PDF reading is offered again with its page and the first words of the
    // sentence where it stopped, past the text box's last page too; a place kept before
    // places were named is offered with the question alone.
    void theOfferNamesThePlace_data()
    {
        QTest::addColumn<int>("startPage");
        QTest::addColumn<int>("heardPage");
        QTest::addColumn<QString>("offer");
        const QString question = QStringLiteral("Continue where you stopped?");
        QTest::newRow("page 2") << 1 << 2
                                << question + "\n\nPage 2: \u201C" + sentence(2) + "\u201D";
        QTest::newRow("past the text box's pages")
            << 101 << 102 << question + "\n\nPage 102: \u201C" + sentence(102) + "\u201D";
        QTest::newRow("a place kept without its name") << 0 << 0 << question;
    }
    void theOfferNamesThePlace()
    {
        QFETCH(int, startPage);
        QFETCH(int, heardPage);
        QFETCH(QString, offer);
        BookWindow w;
        QVERIFY(w.open());
        MainWindow& form = w.form;
        const QString text = form.textToReadEdit()->toPlainText();
        test::HeldEngine engine;
        form.documents().setUseTextBox(false);
        putCursor(form.textToReadEdit(), 0);
        if (startPage == 0) {
            rememberReadingPlace(w.book, text.indexOf(sentence(7)));
        } else {
            if (startPage > 1) {
                // The reading starts from a place kept before on the page after the text
                // box's last: the box's text is the start of the document's.
                rememberReadingPlace(w.book, text.size() + 2);
                w.dialogs.setNextAnswer(Dialogs::Answer::Yes);
            }
            QSignalSpy words(form.reading().session(), &ReadingSession::spokenWord);
            form.readButton()->click();
            QTRY_VERIFY_WITH_TIMEOUT(
                engine.spokenBy(QStringLiteral("voice1")).size() > heardPage - startPage, 60000);
            QCOMPARE(engine.spokenBy(QStringLiteral("voice1")).at(heardPage - startPage),
                     sentence(heardPage));
            engine.word = {heardPage - startPage, 9, 5};
            QTRY_COMPARE(words.size(), 1);
            QTest::keyClick(form.textToReadEdit(), Qt::Key_Escape);
            QVERIFY(test::waitUntilReadingEnds(form));
        }
        w.dialogs.clear();
        form.readButton()->click();
        QCOMPARE(w.dialogs.messageTexts(), QStringList{offer});
        form.reading().stop();
    }
};

QTEST_MAIN(TestReadingSource)
#include "test_reading_source.moc"
