// The page layout that pdftotext -bbox-layout writes and the outline that pdftohtml -xml
// writes, read back: their structure, their text and its offsets, and what damaged, cut-off
// and hostile input gives.
#include "core/pdf/document_outline.h"
#include "core/pdf/page_layout.h"
#include "support/program_run.h"
#include "support/test_env.h"

#include <QRegularExpression>
#include <QtTest>

using namespace lectorix;

namespace {

const QByteArray Head = "<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.0 Transitional//EN\" "
                        "\"http://www.w3.org/TR/xhtml1/DTD/xhtml1-transitional.dtd\">"
                        "<html xmlns=\"http://www.w3.org/1999/xhtml\">\n<head>\n<title></title>\n"
                        "<meta name=\"Title\" content=\"a &gt; b\"/>\n</head>\n<body>\n";

// An element of the layout around content, with a box of its own.
QByteArray boxed(const char* name, const QByteArray& content)
{
    return '<' + QByteArray(name) + " xMin=\"1\" yMin=\"2\" xMax=\"3\" yMax=\"4\">" + content +
           "</" + name + '>';
}

QByteArray word(const QByteArray& text)
{
    return boxed("word", text);
}
QByteArray line(const QByteArray& words)
{
    return boxed("line", words);
}
QByteArray block(const QByteArray& lines)
{
    return boxed("block", lines);
}

QByteArray page(const QByteArray& flows, const QByteArray& size = "width=\"612\" height=\"792\"")
{
    return "<page " + size + ">" + flows + "</page>";
}

QByteArray document(const QByteArray& pages)
{
    return Head + "<doc>" + pages + "</doc>\n</body>\n</html>\n";
}

// Pages as "number width x height: flow[line/line] flow[...]", words of a line joined by a
// space; a word's text in quotes when it holds a space.
QString describe(const PageLayouts& layouts)
{
    QStringList pages;
    for (const LayoutPage& page : layouts.pages) {
        QString text =
            QStringLiteral("%1 %2x%3:").arg(page.number).arg(page.width).arg(page.height);
        for (const LayoutBlock& block : page.blocks) {
            QStringList lines;
            for (const LayoutLine& line : block.lines) {
                QStringList words;
                for (const LayoutWord& word : line.words)
                    words << (word.text.contains(u' ') ? u'"' + word.text + u'"' : word.text);
                lines << words.join(u' ');
            }
            text += QStringLiteral(" %1[%2]").arg(block.flow).arg(lines.join(u'/'));
        }
        pages << text;
    }
    return pages.join(QStringLiteral(" | "));
}

QList<LayoutWord> allWords(const QList<LayoutPage>& pages)
{
    QList<LayoutWord> words;
    for (const LayoutPage& page : pages)
        for (const LayoutBlock& block : page.blocks)
            for (const LayoutLine& line : block.lines)
                words += line.words;
    return words;
}

// pdftohtml run as the program runs it, for a PDF of the corpus.
test::ProgramRun outlineRun(const QString& pdf, const QString& password)
{
    QStringList arguments;
    for (const QByteArray& argument :
         outlineArguments("pdftohtml", password, test::corpusFile(pdf), false))
        arguments << QString::fromLocal8Bit(argument);
    return test::runProgram(arguments.takeFirst(), arguments);
}

} // namespace

class TestPageLayout : public QObject
{
    Q_OBJECT

private slots:
    void readLayout_data()
    {
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<bool>("complete");
        const QByteArray hello = "<flow>" + block(line(word("Hello") + word("you"))) + "</flow>";
        QTest::newRow("pages from the first number, flows counted again on each page")
            << document(page("<flow>" + block(line(word("a")) + line(word("b"))) + "</flow><flow>" +
                             block(line(word("c"))) + block(line(word("d"))) + "</flow>") +
                        page(hello, "width=\"595.5\" height=\"842\""))
            << "5 612x792: 1[a/b] 2[c] 2[d] | 6 595.5x842: 1[Hello you]" << true;
        // A word keeps no line breaks, control characters or spaces at its ends.
        QTest::newRow("references, CDATA, line breaks, control bytes, bytes not UTF-8")
            << document(
                   page("<flow>" +
                        block(line(word("&lt;a&amp;b&gt;") + word("&quot;&apos;") +
                                   word("caf&#233;&#x1F600;") + word("<![CDATA[<x>]]>") +
                                   word(" a&#10;b&#9; ") + word("&#13;") + word("c\x01z\xff"))) +
                        "</flow>"))
            << "5 612x792: 1[<a&b> \"' café😀 <x> \"a b\" \"c z\uFFFD\"]" << true;
        QTest::newRow("an unknown entity stays as written")
            << document(page("<flow>" + block(line(word("a&nbsp;b") + word("&#0;"))) + "</flow>"))
            << "5 612x792: 1[a&nbsp;b &#0;]" << false;
        QTest::newRow("empty input") << QByteArray() << "" << false;
        QTest::newRow("a page with no flows")
            << document(page({}) + page(" ")) << "5 612x792: | 6 612x792:" << true;
        QTest::newRow("self-closing elements")
            << document(page(
                   "<flow/><flow>" +
                   block("<line xMin=\"1\" yMin=\"2\" xMax=\"3\" "
                         "yMax=\"4\"/>" +
                         line(word("a") + "<word xMin=\"1\" yMin=\"2\" xMax=\"3\" yMax=\"4\"/>")) +
                   "</flow>"))
            << "5 612x792: 2[/a]" << true;
        QTest::newRow("cut off inside a word: the words before it stay")
            << (Head + "<doc><page width=\"1\" height=\"2\"><flow>" +
                block(line(word("Hello") + word("you")))
                    .chopped(qstrlen("u</word></line></block>")))
            << "5 1x2: 1[Hello]" << false;
        QTest::newRow("cut off inside a tag, in a quote that never ends")
            << (Head + "<doc>" + page(hello) + "<page width=\"6>>>") << "5 612x792: 1[Hello you]"
            << false;
        QTest::newRow("cut off after the pages' end, which nothing after is read")
            << (Head + "<doc>" + page(hello) + "</doc><doc><page><<<\"</bo")
            << "5 612x792: 1[Hello you]" << true;
        QTest::newRow("words outside lines, lines outside blocks, pages inside pages")
            << document(page("<flow>" + word("w") + line(word("x")) +
                             block(line(word("a")) + word("y")) + page(hello) + "</flow>" + hello))
            << "5 612x792: 1[a] 2[Hello you]" << false;
        QTest::newRow("pdftotext -bbox, without flows, blocks and lines")
            << document(page(word("a") + word("b"))) << "5 612x792:" << false;
        QTest::newRow("an end tag closing open elements")
            << document(page("<flow>" +
                             block("<line xMin=\"1\" yMin=\"2\" xMax=\"3\" yMax=\"4\">" +
                                   word("a") + "</block>" + word("b")) +
                             "</flow>"))
            << "5 612x792: 1[a]" << false;
        QTest::newRow("an element inside a word ends it")
            << document(page("<flow>" + block(line(word("a<b>c</b>d") + word("e"))) + "</flow>"))
            << "5 612x792: 1[a e]" << false;
        QTest::newRow("missing page size")
            << document(page(hello, "width=\"x\"")) << "5 0x0: 1[Hello you]" << false;
        QTest::newRow("comments, a doctype with an internal subset, a processing instruction")
            << ("<?xml version=\"1.0\"?><!DOCTYPE html [<!ENTITY a \">\">]><!-- <doc> -->" +
                document(
                    page("<flow><!-- <word>x</word> -->" + block(line(word("a"))) + "</flow>")))
            << "5 612x792: 1[a]" << true;
    }

    void readLayout()
    {
        QFETCH(QByteArray, input);
        QFETCH(QString, expected);
        QFETCH(bool, complete);
        const PageLayouts read = readBoundingBoxLayout(input, 5);
        QCOMPARE(describe(read), expected);
        QCOMPARE(read.complete, complete);
    }

    // A word's box from its attributes as written; a coordinate that cannot be read is 0 and
    // marks the layout as damaged.
    void wordBoxes_data()
    {
        QTest::addColumn<QByteArray>("attributes");
        QTest::addColumn<QList<double>>("box");
        QTest::addColumn<bool>("complete");
        QTest::newRow("as pdftotext writes them")
            << QByteArray("xMin=\"80.515900\" yMin=\"78.955768\" xMax=\"173.820258\" "
                          "yMax=\"95.077355\"")
            << QList<double>{80.5159, 78.955768, 173.820258, 95.077355} << true;
        QTest::newRow("any order, single quotes, spaces around the sign")
            << QByteArray("yMax = '4' other=\"x>y\" xMax='3' yMin=\"-2\" xMin=\"1e1\"")
            << QList<double>{10, -2, 3, 4} << true;
        QTest::newRow("beyond any page") << QByteArray("xMin=\"-1e300\" yMin=\"0\" xMax=\"1e300\" "
                                                       "yMax=\"1000000000000000000000000.0\"")
                                         << QList<double>{-1e9, 0, 1e9, 1e9} << true;
        QTest::newRow("not a number, infinite, with a unit, missing")
            << QByteArray("xMin=\"nan\" yMin=\"-inf\" xMax=\"3pt\"") << QList<double>{0, 0, 0, 0}
            << false;
        QTest::newRow("malformed attributes")
            << QByteArray("xMin=1 yMin=\"2\" xMax=\"3\" yMax=\"4\"") << QList<double>{0, 0, 0, 0}
            << false;
    }

    void wordBoxes()
    {
        QFETCH(QByteArray, attributes);
        QFETCH(QList<double>, box);
        QFETCH(bool, complete);
        const PageLayouts read = readBoundingBoxLayout(
            document(page("<flow>" + block(line("<word " + attributes + ">w</word>")) + "</flow>")),
            1);
        QCOMPARE(describe(read), QStringLiteral("1 612x792: 1[w]"));
        const LayoutBox found = read.pages[0].blocks[0].lines[0].words[0].box;
        QCOMPARE((QList<double>{found.xMin, found.yMin, found.xMax, found.yMax}), box);
        QCOMPARE(read.complete, complete);
    }

    void recognisesLayout_data()
    {
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<bool>("layout");
        QTest::newRow("pdftotext's layout") << document(page({})) << true;
        QTest::newRow("after a byte order mark and blank lines")
            << ("\xEF\xBB\xBF\n \r\n" + document({})) << true;
        QTest::newRow("plain text") << QByteArray("Chapter 1\n\nIt was\f") << false;
        QTest::newRow("the plain text of a printed web page")
            << QByteArray("<!DOCTYPE html>\n<html>\n<body>\f<doc>\f") << false;
        QTest::newRow("cut off before its pages") << Head.left(200) << false;
    }

    void recognisesLayout()
    {
        QFETCH(QByteArray, data);
        QFETCH(bool, layout);
        QCOMPARE(isBoundingBoxLayout(data), layout);
    }

    void textAndOffsets_data()
    {
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<qsizetype>("start");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QList<qsizetype>>("offsets");
        QTest::newRow("words, lines, blocks and pages")
            << document(page("<flow>" + block(line(word("ab") + word("c")) + line(word("d"))) +
                             "</flow><flow>" + block(line(word("e"))) + "</flow>") +
                        page("<flow>" + block(line(word("f"))) + "</flow>"))
            << qsizetype(0) << "ab c\nd\n\ne\n\n\ff\n\n\f" << QList<qsizetype>{0, 3, 5, 8, 12};
        QTest::newRow("counted from the start offset")
            << document(page("<flow>" + block(line(word("ab") + word("c"))) + "</flow>"))
            << qsizetype(1000) << "ab c\n\n\f" << QList<qsizetype>{1000, 1003};
        QTest::newRow("empty pages and lines keep their breaks")
            << document(page({}) + page("<flow>" + block(line({}) + line(word("x"))) + "</flow>"))
            << qsizetype(0) << "\f\nx\n\n\f" << QList<qsizetype>{2};
        QTest::newRow("characters beyond the basic plane count as two")
            << document(
                   page("<flow>" + block(line(word("&#x1F600;&#x1F600;") + word("é"))) + "</flow>"))
            << qsizetype(0) << "😀😀 é\n\n\f" << QList<qsizetype>{0, 5};
    }

    void textAndOffsets()
    {
        QFETCH(QByteArray, input);
        QFETCH(qsizetype, start);
        QFETCH(QString, text);
        QFETCH(QList<qsizetype>, offsets);
        PageLayouts read = readBoundingBoxLayout(input, 1);
        QCOMPARE(layoutText(read.pages, start), text);
        QList<qsizetype> found;
        for (const LayoutWord& word : allWords(read.pages))
            found << word.offset;
        QCOMPARE(found, offsets);
    }

    // The real pdftotext on real PDFs: every page, and not a letter lost or doubled against
    // its plain text, which joins hyphenated words and nothing else.
    void realLayout_data()
    {
        QTest::addColumn<QString>("pdf");
        QTest::addColumn<int>("pages");
        QTest::newRow("paper, two columns") << "tracemonkey.pdf" << 14;
        QTest::newRow("columns of different widths") << "multicolumn.pdf" << 3;
        QTest::newRow("diacritics") << "french_diacritics.pdf" << 1;
    }

    void realLayout()
    {
        QFETCH(QString, pdf);
        QFETCH(int, pages);
        REQUIRE_CORPUS();
        const QString path = test::corpusFile(pdf);
        const test::ProgramRun layout = test::runProgram(
            QStringLiteral("pdftotext"), {"-bbox-layout", "-enc", "UTF-8", path, "-"});
        const test::ProgramRun plain =
            test::runProgram(QStringLiteral("pdftotext"), {"-enc", "UTF-8", path, "-"});
        QVERIFY2(layout.succeeded() && plain.succeeded(), layout.said() + plain.said());
        QVERIFY(isBoundingBoxLayout(layout.standardOutput));
        PageLayouts read = readBoundingBoxLayout(layout.standardOutput, 1);
        QVERIFY(read.complete);
        QCOMPARE(read.pages.size(), pages);
        QCOMPARE(read.pages.last().number, pages);
        const QString text = layoutText(read.pages);
        for (const LayoutWord& word : allWords(read.pages))
            QCOMPARE(text.mid(word.offset, word.text.size()), word.text);
        const QRegularExpression spacesAndHyphens(QStringLiteral("[\\s-]"));
        QCOMPARE(QString(text).remove(spacesAndHyphens), plain.output().remove(spacesAndHyphens));
    }

    void readOutline_data()
    {
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QString>("expected");
        const QByteArray head =
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE pdf2xml "
            "SYSTEM \"pdf2xml.dtd\">\n\n<pdf2xml producer=\"poppler\">\n<page "
            "number=\"1\">\n<text top=\"1\"><b>&lt;item&gt;</b></text>\n</page>\n";
        QTest::newRow("levels, and entries leading out of the document")
            << (head + "<outline>\n<item page=\"1\">COVER</item>\n<outline>\n<item page=\"35\">"
                       "Chapter 1</item>\n<outline>\n<item page=\"67\">Film</item>\n</outline>\n"
                       "</outline>\n<item>*free-culture.cc</item>\n</outline>\n</pdf2xml>\n")
            << "0:1:COVER|1:35:Chapter 1|2:67:Film|0:0:*free-culture.cc";
        QTest::newRow("references and blanks in titles")
            << (head + "<outline><item page=\"2\">&#34;A &lt;b&gt; &amp; &#233;&#10;c&#34; "
                       "</item><item page=\"3\"></item></outline>")
            << "0:2:\"A <b> & é c\"|0:3:";
        QTest::newRow("no outline") << (head + "</pdf2xml>\n") << "";
        QTest::newRow("unreadable page numbers")
            << QByteArray("<outline><item page=\"x\">a</item><item page=\"-4\">b</item><item "
                          "page=\"99999999999\">c</item><item page=\"7\"/></outline>")
            << "0:0:a|0:0:b|0:0:c";
        QTest::newRow("cut off inside an entry")
            << QByteArray("<outline><item page=\"1\">a</item><item page=\"2\">Chap") << "0:1:a";
        QTest::newRow("entries outside an outline, an entry inside an entry")
            << QByteArray("<item page=\"1\">a</item><outline><item page=\"2\">b<item page=\"3\">"
                          "c</item></outline></outline></outline><item page=\"4\">d</item>")
            << "0:3:c";
    }

    void readOutline()
    {
        QFETCH(QByteArray, input);
        QFETCH(QString, expected);
        QStringList entries;
        for (const OutlineEntry& entry : readPdfOutline(input))
            entries << QStringLiteral("%1:%2:%3").arg(entry.level).arg(entry.page).arg(entry.title);
        QCOMPARE(entries.join(u'|'), expected);
    }

    void outlineArgumentLists_data()
    {
        QTest::addColumn<QByteArrayList>("built");
        QTest::addColumn<QByteArrayList>("expected");
        const QByteArrayList options{"pdftohtml", "-xml", "-stdout", "-q", "-i",
                                     "-nodrm",    "-f",   "1",       "-l", "1"};
        QTest::newRow("no password")
            << lectorix::outlineArguments("pdftohtml", {}, "/d/a b.pdf", false)
            << options + QByteArrayList{"/d/a b.pdf"};
        QTest::newRow("password as owner and user password, UTF-8")
            << lectorix::outlineArguments("pdftohtml", QStringLiteral("Pä"), "-a.pdf", false)
            << options + QByteArrayList{"-opw", "P\xc3\xa4", "-upw", "P\xc3\xa4", "./-a.pdf"};
        QTest::newRow("password as Latin-1")
            << lectorix::outlineArguments("pdftohtml", QStringLiteral("Pä"), "/a.pdf", true)
            << options + QByteArrayList{"-opw", "P\xe4", "-upw", "P\xe4", "/a.pdf"};
    }

    void outlineArgumentLists()
    {
        QFETCH(QByteArrayList, built);
        QFETCH(QByteArrayList, expected);
        QCOMPARE(built, expected);
    }

    // The real pdftohtml: a book's whole outline, and one behind a password whose document
    // forbids copying its text.
    void realOutline()
    {
        REQUIRE_CORPUS();
        const test::ProgramRun run = outlineRun(QStringLiteral("freeculture.pdf"), {});
        QVERIFY2(run.succeeded(), run.said());
        const QList<OutlineEntry> entries = readPdfOutline(run.standardOutput);
        QCOMPARE(entries.size(), 58);
        QCOMPARE(entries.first().title, QStringLiteral("COVER"));
        QCOMPARE(entries.at(8).title, QStringLiteral("4: \"Pirates\""));
        QCOMPARE((QList<int>{entries.at(9).level, entries.at(9).page}), (QList<int>{2, 67}));
        QCOMPARE((QList<int>{entries.last().level, entries.last().page}), (QList<int>{0, 0}));

        const test::ProgramRun locked =
            outlineRun(QStringLiteral("enc-R2,V1,U=view,O=master.pdf"), QStringLiteral("view"));
        QVERIFY2(locked.succeeded() && locked.standardOutput.contains("<pdf2xml"), locked.said());
    }
};

QTEST_GUILESS_MAIN(TestPageLayout)
#include "test_page_layout.moc"
