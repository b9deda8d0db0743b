// The page view: its pictures kept within the cache's bound, a page that cannot be rendered
// shown with the reason, and a reading of a PDF followed on its pages and steered from them.
#include "core/reading/reading_session.h"
#include "gui/page_view/page_renderer.h"
#include "gui/page_view/page_view.h"
#include "gui/page_view/page_view_panel.h"
#include "support/drawn_pdf.h"
#include "support/held_engine.h"
#include "support/test_env.h"
#include "support/window_fixture.h"

#include <QAccessible>
#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabBar>
#include <QtTest>

using namespace lectorix;

namespace {

// A PDF of two pages whose second page object is not a page: pdfinfo still counts it,
// pdftoppm fails on it.
QByteArray pdfWithBrokenPage()
{
    const QByteArray content = "0 0 1 rg 10 10 100 100 re f";
    const QList<QByteArray> objects = {
        "<< /Type /Catalog /Pages 2 0 R >>",
        "<< /Type /Pages /Kids [3 0 R 4 0 R] /Count 2 /MediaBox [0 0 200 300] >>",
        "<< /Type /Page /Parent 2 0 R /Contents 5 0 R >>", "42",
        "<< /Length " + QByteArray::number(content.size()) + " >>\nstream\n" + content +
            "\nendstream"};
    QByteArray pdf = "%PDF-1.4\n";
    QByteArray table = "xref\n0 6\n0000000000 65535 f \n";
    for (qsizetype i = 0; i < objects.size(); ++i) {
        table += QByteArray::number(pdf.size()).rightJustified(10, '0') + " 00000 n \n";
        pdf += QByteArray::number(i + 1) + " 0 obj\n" + objects[i] + "\nendobj\n";
    }
    return pdf + table + "trailer\n<< /Size 6 /Root 1 0 R >>\nstartxref\n" +
           QByteArray::number(pdf.size()) + "\n%%EOF\n";
}

test::Pages book(int count)
{
    test::Pages pages;
    for (int i = 1; i <= count; ++i)
        pages << QStringList{QStringLiteral("Page number %1 holds a sentence.").arg(i)};
    return pages;
}

} // namespace

class TestPageView : public QObject
{
    Q_OBJECT

private slots:
    void init() { test::freshScratch(); }

    // Going through the pages keeps as many pictures as the cache holds, the newest ones.
    void picturesStayWithinTheCache_data()
    {
        QTest::addColumn<double>("zoom"); // 0: fit the width
        QTest::addColumn<int>("pages");
        QTest::newRow("fit width") << 0.0 << 6;
        QTest::newRow("largest zoom") << PageView::LargestZoom << 6;
    }
    void picturesStayWithinTheCache()
    {
        QFETCH(double, zoom);
        QFETCH(int, pages);
        const QString pdf = test::writePdf(test::scratchFolder() + "/book.pdf", book(pages));
        PageView view;
        view.resize(500, 400);
        view.show();
        QSignalSpy counted(&view, &PageView::pagesChanged);
        QSignalSpy shown(&view, &PageView::pageShown);
        view.setDocument(pdf, QString());
        QTRY_COMPARE(view.pageCount(), pages);
        if (zoom > 0)
            view.setZoom(zoom);
        qint64 pictureBytes = 0;
        for (int page = 1; page <= pages; ++page) {
            view.showPage(page);
            QTRY_VERIFY_WITH_TIMEOUT(view.hasPicture(page), 30000);
            pictureBytes = std::max(pictureBytes, view.cachedBytes() / view.cachedPages());
            QVERIFY(view.cachedBytes() <= PageView::CacheBytes);
        }
        QTRY_VERIFY(!view.renderer().isRendering());
        const int fits = int(PageView::CacheBytes / pictureBytes);
        QCOMPARE(view.cachedPages(), std::min(pages, fits));
        QVERIFY(view.hasPicture(pages));
        QVERIFY(view.pageProblem(pages).isEmpty());
    }

    // A page that cannot be rendered shows why, and the others are shown; a file that is no
    // PDF shows why it has no pages.
    void unrenderedPagesSayWhy_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("pages");
        QTest::addColumn<QString>("said");
        QTest::newRow("damaged page") << pdfWithBrokenPage() << 2 << "wrong type";
        QTest::newRow("not a PDF") << QByteArray("plain words") << 0 << "cannot be shown";
    }
    void unrenderedPagesSayWhy()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, pages);
        QFETCH(QString, said);
        const QString pdf = test::scratchFolder() + "/odd name -f.pdf";
        test::writeFile(pdf, bytes);
        PageView view;
        view.resize(300, 900);
        view.show();
        view.setDocument(pdf, QString());
        QTRY_VERIFY(
            view.pageCount() == pages && !view.renderer().isRendering() &&
            (pages == 0 ? !view.documentProblem().isEmpty() : !view.pageProblem(pages).isEmpty()));
        if (pages == 0) {
            QVERIFY2(view.documentProblem().contains(said), qPrintable(view.documentProblem()));
            return;
        }
        QVERIFY2(view.pageProblem(2).contains(said), qPrintable(view.pageProblem(2)));
        QTRY_VERIFY(view.hasPicture(1));
        QVERIFY(view.pageProblem(1).isEmpty());
        QVERIFY(view.grab().save(test::scratchFolder() + "/shown.png"));
    }

    // Reading a PDF marks the word heard on its page and moves the mark with the voice; a
    // click on a word of the last page reads on from that word's sentence.
    void readingIsShownOnThePages()
    {
        test::HeldEngine engine; // outlives the window's voices
        test::WindowFixture fixture;
        MainWindow& form = fixture.form;
        const QString pdf =
            test::writePdf(test::scratchFolder() + "/three.pdf",
                           {{QStringLiteral("The first page opens the story.")},
                            {QStringLiteral("The second page goes on with it.")},
                            {QStringLiteral("The third page is nearly the end."),
                             QStringLiteral("Its last sentence closes the book.")}});
        form.documents().setUseTextBox(false);
        form.pdfPathEdit()->setText(pdf);
        form.textViewTabs()->setCurrentIndex(MainWindow::PagesTab);
        form.resize(1064, 700);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        PageView* view = form.pageViewPanel()->view();

        form.readButton()->click();
        QTRY_VERIFY(engine.spokenBy("voice1").size() >= 4);
        const QStringList said = engine.spokenBy("voice1");
        const auto utterance = [&](const QString& part) {
            for (qsizetype i = 0; i < said.size(); ++i)
                if (said[i].contains(part))
                    return int(i);
            return -1;
        };
        QTRY_COMPARE(view->pageCount(), 3);
        for (const auto& [part, page] : {std::pair{"first page", 1}, std::pair{"second page", 2}}) {
            const int index = utterance(QString::fromLatin1(part));
            QVERIFY(index >= 0);
            engine.word = {index, said[index].indexOf(QLatin1String("page")), 4};
            QTRY_VERIFY(!view->markedWord().isEmpty() && view->markedWord().first().page == page);
            QCOMPARE(view->markedSentence().first().page, page);
            QVERIFY(view->pageRect(page).intersects(view->viewport()->rect()));
        }
        // A screen reader reads the page shown, the word heard as its caret.
        QAccessibleTextInterface* text =
            QAccessible::queryAccessibleInterface(view)->textInterface();
        QVERIFY(text);
        QCOMPARE(text->text(0, text->characterCount()), "The second page goes on with it.");
        QCOMPARE(text->cursorPosition(), 11);
        QTRY_VERIFY(view->hasPicture(2));
        QVERIFY(form.grab().save(QStringLiteral(LECTORIX_BUILD_DIR) + "/page-view.png"));

        view->showPage(3);
        QTRY_VERIFY(!view->words().wordsOf(3).isEmpty());
        LayoutWord last;
        for (const LayoutWord& word : view->words().wordsOf(3))
            if (word.text == QLatin1String("last"))
                last = word;
        QVERIFY(!last.text.isEmpty());
        const qsizetype logged = engine.log.size();
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {},
                          view->boxRect({3, last.box}).center().toPoint());
        QTRY_VERIFY(engine.log.size() > logged &&
                    engine.log.mid(logged).join('\n').contains(" speak Its last sentence"));
        QVERIFY(!engine.log.mid(logged).join('\n').contains(" speak The third"));
        QCOMPARE(form.reading().session()->state(), ReadingState::Reading);
    }
};

QTEST_MAIN(TestPageView)
#include "test_page_view.moc"
