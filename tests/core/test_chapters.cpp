// A document's chapters: the outline pdftohtml reads, the chapters it gives on the pages read,
// the chapters the headings give, and which chapter holds a place in the text.
#include "core/pdf/outline_job.h"
#include "core/text/chapters.h"
#include "core/text/layout/reading.h"
#include "core/text/spoken_text.h"
#include "core/text/text_splitting.h"
#include "support/drawn_pdf.h"
#include "support/layout_speech.h"
#include "support/test_env.h"

#include <QSignalSpy>
#include <QtTest>

using namespace lectorix;

namespace {

// The outline the job reads for pdf, waited for through the event loop.
OutlineResult readOutline(const QString& pdf, const QString& program, const QString& password)
{
    OutlineJob job({pdf, password, program});
    QSignalSpy finished(&job, &OutlineJob::finished);
    job.start();
    if (!finished.wait(60000) || finished.size() != 1)
        return {{}, true};
    return finished.at(0).at(0).value<OutlineResult>();
}

QString describe(const QList<Chapter>& chapters)
{
    QStringList lines;
    for (const Chapter& chapter : chapters)
        lines << QStringLiteral("%1 %2 %3").arg(chapter.level).arg(chapter.page).arg(chapter.title);
    return lines.join(u'\n');
}

// The drawn book, its pages, their text and what is read of them.
struct Book
{
    QList<LayoutPage> pages;
    QString text;
    QList<SpokenPiece> pieces;
};

Book drawnBook()
{
    const QString pdf = test::freshScratch() + QStringLiteral("/book.pdf");
    Book book;
    if (!test::drawChapterBook(pdf))
        return book;
    book.pages = test::pdfLayoutPages(pdf);
    book.text = layoutText(book.pages);
    LayoutPreparation preparation;
    preparation.add(book.pages);
    preparation.finish();
    book.pieces = preparation.takePieces();
    return book;
}

// A thesis drawn without outline: a title page (title, author), a contents page, then sections
// of one line each, the third's title over two lines, one to a page near the end.
Book drawnThesis()
{
    QList<test::DrawnText> texts{{0, 60, 200, 22, QStringLiteral("Lamps of the Coast")},
                                 {0, 60, 240, 16, QStringLiteral("Ann Keeper")},
                                 {1, 50, 80, 18, QStringLiteral("Contents")}};
    const QStringList entries{"1 Light", "2 Oil", "3 Wicks"};
    for (int i = 0; i < 3; ++i)
        texts.append({1, 50, 110.0 + 16 * i, 11, entries.at(i) + QStringLiteral(" .......... 3")});
    double y = 80;
    auto section = [&](int page, const QStringList& title, const QString& line) {
        for (const QString& part : title)
            texts.append({page, 50, y += 20, 14, part});
        texts.append({page, 50, y += 18, 11, line});
    };
    section(2, {"1 Light"}, "Light comes from the lamp.");
    section(2, {"2 Oil"}, "Oil feeds the flame.");
    section(2, {"3 Wicks that Burn Long and", "Clean in Winter"}, "A wick must be trimmed.");
    y = 80;
    section(3, {"4 Glass"}, "The glass is cleaned at dawn.");
    const QString pdf = test::freshScratch() + QStringLiteral("/thesis.pdf");
    Book book;
    if (!test::drawPdf(pdf, texts))
        return book;
    book.pages = test::pdfLayoutPages(pdf);
    book.text = layoutText(book.pages);
    LayoutPreparation preparation;
    preparation.add(book.pages);
    preparation.finish();
    book.pieces = preparation.takePieces();
    return book;
}

} // namespace

class TestChapters : public QObject
{
    Q_OBJECT

private slots:
    void outlineOfPdf_data()
    {
        QTest::addColumn<QString>("pdf");
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("password");
        QTest::addColumn<int>("entries");
        QTest::addColumn<QString>("firstTitles");
        const QString tool = QStringLiteral("pdftohtml");
        QTest::newRow("a book's nested outline")
            << "freeculture.pdf" << tool << "" << 58 << "COVER|CONTENTS|PREFACE";
        QTest::newRow("a paper's outline") << "issue-982-example.pdf" << tool << "" << 20
                                           << "I Introduction|II Basics of Machine Learning";
        QTest::newRow("a document without outline") << "tracemonkey.pdf" << tool << "" << 0 << "";
        QTest::newRow("not a PDF") << "invalid.pdf" << tool << "" << 0 << "";
        QTest::newRow("a password it needs and lacks")
            << "password-example.pdf" << tool << "" << 0 << "";
        QTest::newRow("pdftohtml missing") << "freeculture.pdf"
                                           << "no-such-pdftohtml"
                                           << "" << 0 << "";
        QTest::newRow("pdftohtml failing") << "freeculture.pdf"
                                           << "false"
                                           << "" << 0 << "";
    }
    void outlineOfPdf()
    {
        REQUIRE_CORPUS();
        QFETCH(QString, pdf);
        QFETCH(QString, program);
        QFETCH(QString, password);
        QFETCH(int, entries);
        QFETCH(QString, firstTitles);
        test::freshScratch();
        const OutlineResult result = readOutline(test::corpusFile(pdf), program, password);
        QVERIFY(!result.cancelled);
        QCOMPARE(result.entries.size(), entries);
        QStringList titles;
        for (const OutlineEntry& entry :
             result.entries.first(qMin(result.entries.size(), firstTitles.count(u'|') + 1)))
            titles << entry.title;
        if (entries > 0)
            QCOMPARE(titles.join(u'|'), firstTitles);
        // The working folder goes with the job.
        QCOMPARE(
            QDir(qEnvironmentVariable("TEMP")).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
            QStringList());
    }

    void cancelledOutline()
    {
        REQUIRE_CORPUS();
        test::freshScratch();
        OutlineJob job({test::corpusFile(QStringLiteral("freeculture.pdf")), QString(),
                        QStringLiteral("pdftohtml")});
        QSignalSpy finished(&job, &OutlineJob::finished);
        job.start();
        job.cancel();
        QCOMPARE(finished.size(), 1);
        QVERIFY(finished.at(0).at(0).value<OutlineResult>().cancelled);
        QVERIFY(!job.isRunning());
        QTest::qWait(200);
        QCOMPARE(finished.size(), 1);
    }

    void headingChaptersOfDrawnBook()
    {
        const Book book = drawnBook();
        QVERIFY(!book.pages.isEmpty());
        const QList<Chapter> chapters = headingChapters(book.pieces, book.pages);
        QCOMPARE(describe(chapters), test::chapterBookChapters().join(u'\n'));
        const QList<qsizetype> first = chapterFirstPieces(chapters, book.pieces);
        for (qsizetype i = 0; i < chapters.size(); ++i) {
            QCOMPARE(book.text.mid(chapters.at(i).offset, chapters.at(i).title.size()),
                     chapters.at(i).title);
            QCOMPARE(book.pieces.at(first.at(i)).text, chapters.at(i).title);
        }
        // A text without headings, as a text box gives it, has none.
        QVERIFY(headingChapters(
                    documentPieces(QStringLiteral("One line.\n\nTwo lines.\n"), nullptr, {}), {})
                    .isEmpty());
    }

    // A title page's lines are no chapters, a contents page no part of the first chapter;
    // every outline entry, however long its title and short its text, starts a chapter of its
    // own where its title is read, and one whose title is not on its page at its page's start.
    void thesisChapters_data()
    {
        QTest::addColumn<QList<OutlineEntry>>("outline");
        QTest::addColumn<QStringList>("chapters");
        QTest::addColumn<QStringList>("firstPieces");
        QTest::newRow("headings") << QList<OutlineEntry>()
                                  << QStringList{"0 2 Contents", "1 3 1 Light", "1 3 2 Oil",
                                                 "1 3 3 Wicks that Burn Long and Clean in Winter",
                                                 "1 4 4 Glass"}
                                  << QStringList{"Contents", "1 Light", "2 Oil",
                                                 "3 Wicks that Burn Long and Clean in Winter",
                                                 "4 Glass"};
        const QList<OutlineEntry> outline{{"1 Light", 3, 0},
                                          {"2 Oil", 3, 0},
                                          {"3 Wicks that Burn Long and Clean in Winter", 3, 0},
                                          {"Cleaning", 4, 1},
                                          {"4 Glass", 4, 0}};
        QTest::newRow("outline") << outline
                                 << QStringList{"0 3 1 Light", "0 3 2 Oil",
                                                "0 3 3 Wicks that Burn Long and Clean in Winter",
                                                "1 4 Cleaning", "0 4 4 Glass"}
                                 << QStringList{"1 Light", "2 Oil",
                                                "3 Wicks that Burn Long and Clean in Winter",
                                                "4 Glass", "4 Glass"};
    }
    void thesisChapters()
    {
        QFETCH(QList<OutlineEntry>, outline);
        QFETCH(QStringList, chapters);
        QFETCH(QStringList, firstPieces);
        const Book book = drawnThesis();
        QVERIFY(!book.pages.isEmpty());
        const QList<Chapter> found = documentChapters(outline, book.pages, book.pieces);
        QCOMPARE(describe(found), chapters.join(u'\n'));
        QStringList first;
        for (const qsizetype piece : chapterFirstPieces(found, book.pieces))
            first << (piece < book.pieces.size() ? book.pieces.at(piece).text : QString());
        QCOMPARE(first, firstPieces);
    }

    void outlineChaptersOnPages_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<int>("page");
        QTest::addColumn<QString>("startsWith");
        QTest::newRow("title in a heading") << "The Storm" << 2 << "The Storm";
        QTest::newRow("case and marks aside") << "the STORM!" << 2 << "The Storm";
        QTest::newRow("a section's heading") << "At sea" << 2 << "At Sea";
        QTest::newRow("numbered title, the number not on the page") << "2. At Sea" << 2 << "At Sea";
        QTest::newRow("title in the body text") << "a small boat" << 2 << "a small boat";
        QTest::newRow("title not on its page: the page's first word")
            << "Weather Notes" << 3 << "Notes on Lamps";
        QTest::newRow("title on another page only") << "The Lighthouse" << 2 << "The Storm";
        QTest::newRow("title without words, after another entry on its page: its next sentence")
            << "* * *" << 1 << "The keeper climbed";
        QTest::newRow("heading giving the title's first words only")
            << "The Storm Comes Ashore" << 2 << "The Storm";
        QTest::newRow("a page not read yet") << "Index" << 9 << "";
        QTest::newRow("leading nowhere") << "www.example.org" << 0 << "";
    }
    void outlineChaptersOnPages()
    {
        QFETCH(QString, title);
        QFETCH(int, page);
        QFETCH(QString, startsWith);
        const Book book = drawnBook();
        QVERIFY(!book.pages.isEmpty());
        const QList<Chapter> chapters = outlineChapters(
            {{QStringLiteral("Cover"), 1, 0}, {title, page, 1}}, book.pages, book.pieces);
        QCOMPARE(chapters.size(), 2);
        QCOMPARE(chapters.at(0).offset, 0);
        const Chapter& chapter = chapters.at(1);
        QCOMPARE(chapter.title, title);
        QCOMPARE(chapter.level, 1);
        QCOMPARE(chapter.page, page);
        if (startsWith.isEmpty())
            QCOMPARE(chapter.offset, -1);
        else
            QCOMPARE(book.text.mid(chapter.offset, startsWith.size()), startsWith);
    }

    // A chapter's first piece is the one reading its start, though the reading order puts a
    // piece read from later in the text before it: text 0-9, 10-19, 50-59 (a caption), 20-29.
    void chapterFirstPiece_data()
    {
        QTest::addColumn<QList<qsizetype>>("starts");
        QTest::addColumn<QList<qsizetype>>("first");
        QTest::newRow("starts of pieces, or inside one")
            << QList<qsizetype>{0, 10, 55} << QList<qsizetype>{0, 1, 2};
        QTest::newRow("read after a piece from later in the text")
            << QList<qsizetype>{20, 25} << QList<qsizetype>{3, 3};
        QTest::newRow("between pieces: the next in the text; unknown; past the end")
            << QList<qsizetype>{35, -1, 900} << QList<qsizetype>{2, 4, 4};
    }
    void chapterFirstPiece()
    {
        QFETCH(QList<qsizetype>, starts);
        QFETCH(QList<qsizetype>, first);
        QList<SpokenPiece> pieces;
        for (const qsizetype start : {0, 10, 50, 20})
            pieces.append({QStringLiteral("0123456789"), start, 10, {}});
        QList<Chapter> chapters;
        for (const qsizetype start : starts)
            chapters.append({QStringLiteral("c"), 0, 1, start});
        QCOMPARE(chapterFirstPieces(chapters, pieces), first);
    }

    void chapterHoldingAPlace_data()
    {
        QTest::addColumn<QList<qsizetype>>("starts");
        QTest::addColumn<qsizetype>("offset");
        QTest::addColumn<qsizetype>("holder");
        const QList<qsizetype> book{0, 100, 100, 250, -1, 400};
        QTest::newRow("at the start") << book << qsizetype(0) << qsizetype(0);
        QTest::newRow("inside the first") << book << qsizetype(99) << qsizetype(0);
        QTest::newRow("two at one place: the later") << book << qsizetype(100) << qsizetype(2);
        QTest::newRow("past an unknown start") << book << qsizetype(399) << qsizetype(3);
        QTest::newRow("the last") << book << qsizetype(100000) << qsizetype(5);
        QTest::newRow("before the first")
            << QList<qsizetype>{50, 60} << qsizetype(10) << qsizetype(-1);
        QTest::newRow("out of order")
            << QList<qsizetype>{0, 300, 200} << qsizetype(250) << qsizetype(2);
        QTest::newRow("none known") << QList<qsizetype>{-1, -1} << qsizetype(10) << qsizetype(-1);
        QTest::newRow("no chapters") << QList<qsizetype>{} << qsizetype(10) << qsizetype(-1);
    }
    void chapterHoldingAPlace()
    {
        QFETCH(QList<qsizetype>, starts);
        QFETCH(qsizetype, offset);
        QFETCH(qsizetype, holder);
        QList<Chapter> chapters;
        for (const qsizetype start : starts)
            chapters.append({QStringLiteral("c"), 0, 0, start});
        QCOMPARE(chapterAt(chapters, offset), holder);
    }

    // A real book's outline on its real pages: every entry that leads into the document
    // starts where its title is read, in the document's order.
    void realOutlineChapters()
    {
        REQUIRE_CORPUS();
        test::freshScratch();
        const QString pdf = test::corpusFile(QStringLiteral("freeculture.pdf"));
        const OutlineResult outline = readOutline(pdf, QStringLiteral("pdftohtml"), QString());
        QList<LayoutPage> pages = test::pdfLayoutPages(pdf);
        const QString text = layoutText(pages);
        LayoutPreparation preparation;
        preparation.add(pages);
        preparation.finish();
        const QList<SpokenPiece> pieces = preparation.takePieces();
        const QList<Chapter> chapters = documentChapters(outline.entries, pages, pieces);
        QCOMPARE(chapters.size(), 58);
        QStringList untitled;
        for (qsizetype i = 0; i < chapters.size(); ++i) {
            const Chapter& chapter = chapters.at(i);
            if (chapter.page == 0)
                continue;
            QVERIFY2(chapter.offset >= 0, qPrintable(chapter.title));
            if (i > 0 && chapters.at(i - 1).offset >= 0)
                QVERIFY2(chapter.offset >= chapters.at(i - 1).offset, qPrintable(chapter.title));
            // Its title's last word stands at its start ("3: Catalogs" at "CHAPTER THREE:
            // Catalogs"), unless the title names no text of its page.
            if (!text.mid(chapter.offset, 50)
                     .contains(wordsOf(chapter.title).last(), Qt::CaseInsensitive))
                untitled << chapter.title;
            // A section's title on a line of its own, not its first mention in the text.
            if (chapter.title == QLatin1String("Film"))
                QCOMPARE(text.mid(chapter.offset, 5), QStringLiteral("Film\n"));
        }
        // The cover's page has no word "cover": it starts at the page's first word.
        QCOMPARE(untitled.join(u"|"), QStringLiteral("COVER"));
        QVERIFY(text.mid(chapters.front().offset).startsWith(QStringLiteral("This PDF version")));
    }
};

int main(int argc, char** argv)
{
    TestChapters test;
    return lectorix::test::runWithDrawing(&test, argc, argv);
}

#include "test_chapters.moc"
