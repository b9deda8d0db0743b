// Where the words of a document's text stand on its pages, and the pages' sizes pdfinfo gives.
#include "core/pdf/page_layout.h"
#include "core/pdf/page_pictures.h"
#include "core/pdf/word_boxes.h"

#include <QtTest>

using namespace lectorix;

namespace {

LayoutWord word(const char* text, double xMin, double yMin, double xMax, double yMax)
{
    return {QString::fromLatin1(text), {xMin, yMin, xMax, yMax}};
}

// Page 1: "One two" over "three"; page 2: "four five". Offsets as layoutText counts them.
QList<LayoutPage> twoPages()
{
    QList<LayoutPage> pages(2);
    pages[0].number = 1;
    pages[0].blocks = {{{},
                        1,
                        {{{}, {word("One", 10, 10, 30, 20), word("two", 35, 10, 55, 20)}},
                         {{}, {word("three", 10, 25, 40, 35)}}}}};
    pages[1].number = 2;
    pages[1].blocks = {
        {{}, 1, {{{}, {word("four", 10, 10, 35, 20), word("five", 40, 10, 60, 20)}}}}};
    layoutText(pages);
    return pages;
}

LayoutWord find(const QList<LayoutPage>& pages, const QString& text)
{
    for (const LayoutPage& page : pages)
        for (const LayoutBlock& block : page.blocks)
            for (const LayoutLine& line : block.lines)
                for (const LayoutWord& w : line.words)
                    if (w.text == text)
                        return w;
    return {};
}

QString shown(const QList<PageBox>& boxes)
{
    QStringList said;
    for (const PageBox& b : boxes)
        said << QStringLiteral("%1:%2,%3,%4,%5")
                    .arg(b.page)
                    .arg(b.box.xMin)
                    .arg(b.box.yMin)
                    .arg(b.box.xMax)
                    .arg(b.box.yMax);
    return said.join(QLatin1Char(' '));
}

} // namespace

class TestWordBoxes : public QObject
{
    Q_OBJECT

private slots:
    // A range of the text covers the boxes of the words it touches, one box per line.
    void rangeToBoxes_data()
    {
        QTest::addColumn<QString>("from");
        QTest::addColumn<int>("fromShift");
        QTest::addColumn<QString>("to");
        QTest::addColumn<int>("toShift");
        QTest::addColumn<QString>("boxes");
        QTest::newRow("a word") << "two" << 0 << "two" << 0 << "1:35,10,55,20";
        QTest::newRow("part of a word") << "two" << 1 << "two" << -1 << "1:35,10,55,20";
        QTest::newRow("a line") << "One" << 0 << "two" << 0 << "1:10,10,55,20";
        QTest::newRow("two lines") << "two" << 0 << "three" << 0 << "1:35,10,55,20 1:10,25,40,35";
        QTest::newRow("two pages") << "three" << 0 << "four" << 0 << "1:10,25,40,35 2:10,10,35,20";
        QTest::newRow("the space between") << "One" << 3 << "One" << 1 << "";
        QTest::newRow("past the end") << "five" << 5 << "five" << 9 << "";
    }
    void rangeToBoxes()
    {
        QFETCH(QString, from);
        QFETCH(int, fromShift);
        QFETCH(QString, to);
        QFETCH(int, toShift);
        QFETCH(QString, boxes);
        const QList<LayoutPage> pages = twoPages();
        WordBoxes words;
        // Page 2 first: pages may come in any order, and one given again replaces itself.
        words.addPages({pages[1]});
        words.addPages(pages);
        const LayoutWord first = find(pages, from);
        const LayoutWord last = find(pages, to);
        const qsizetype start = first.offset + fromShift;
        const qsizetype end = last.offset + last.text.size() + toShift;
        QCOMPARE(shown(words.boxesOf(start, end - start)), boxes);
    }

    // A point on a page gives the word there, or the nearest one on its line.
    void pointToWord_data()
    {
        QTest::addColumn<int>("page");
        QTest::addColumn<double>("x");
        QTest::addColumn<double>("y");
        QTest::addColumn<QString>("word");
        QTest::newRow("on a word") << 1 << 40.0 << 15.0 << "two";
        QTest::newRow("nearer the left word") << 1 << 32.0 << 15.0 << "One";
        QTest::newRow("right of a line") << 1 << 200.0 << 30.0 << "three";
        QTest::newRow("between lines") << 1 << 20.0 << 22.0 << "";
        QTest::newRow("second page") << 2 << 45.0 << 12.0 << "five";
        QTest::newRow("unknown page") << 3 << 20.0 << 15.0 << "";
    }
    void pointToWord()
    {
        QFETCH(int, page);
        QFETCH(double, x);
        QFETCH(double, y);
        QFETCH(QString, word);
        const QList<LayoutPage> pages = twoPages();
        WordBoxes words;
        words.addPages(pages);
        const std::optional<TextWord> found = words.wordAt(page, x, y);
        QCOMPARE(found.has_value(), !word.isEmpty());
        if (found) {
            QCOMPARE(found->offset, find(pages, word).offset);
            QCOMPARE(found->length, word.size());
        }
    }

    // The pages' sizes as shown: turned pages have their sides swapped, and a page without a
    // usable size takes the one before.
    void pageSizes_data()
    {
        QTest::addColumn<QString>("output");
        QTest::addColumn<QString>("sizes");
        QTest::newRow("two pages") << "Pages: 2\nPage    1 size: 612 x 792 pts (letter)\n"
                                      "Page    1 rot:  0\nPage    2 size: 420.5 x 595 pts\n"
                                   << "612x792 420.5x595";
        QTest::newRow("turned") << "Page    1 size: 612 x 792 pts\nPage    1 rot:  90\n"
                                   "Page    2 size: 612 x 792 pts\nPage    2 rot:  180\n"
                                << "792x612 612x792";
        QTest::newRow("no size") << "Page    1 size: 0 x 0 pts\nPage    2 size: 100 x 200 pts\n"
                                    "Page    3 size: 0 x 0 pts\n"
                                 << "595.276x841.89 100x200 100x200";
        QTest::newRow("no pages") << "Syntax Error: not a PDF\n"
                                  << "";
    }
    void pageSizes()
    {
        QFETCH(QString, output);
        QFETCH(QString, sizes);
        QStringList said;
        for (const QSizeF& size : parsePageSizes(output))
            said << QStringLiteral("%1x%2").arg(size.width()).arg(size.height());
        QCOMPARE(said.join(QLatin1Char(' ')), sizes);
    }
};

QTEST_GUILESS_MAIN(TestWordBoxes)
#include "test_word_boxes.moc"
