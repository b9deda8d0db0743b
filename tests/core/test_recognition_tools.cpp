// What text recognition decides without running a tool: the languages it asks tesseract for
// and the package that brings a missing one, the page sizes pdfinfo prints and the size a page
// is rendered at, the tools' argument lists, what tesseract's TSV output says, and which pages
// a conversion recognises and how their words join the document's.
#include "core/conversion/conversion_job.h"
#include "core/ocr/page_recognition.h"
#include "core/ocr/recognised_words.h"
#include "core/ocr/recognition_languages.h"
#include "core/ocr/recognition_tools.h"

#include <QtTest>

#include <limits>

using namespace lectorix;

namespace {

LayoutPage pageOf(int number, const QStringList& lines)
{
    LayoutPage page;
    page.number = number;
    page.width = 420;
    page.height = 595;
    LayoutBlock block;
    double y = 50;
    for (const QString& text : lines) {
        LayoutLine line;
        double x = 30;
        for (const QString& word : text.split(' ', Qt::SkipEmptyParts)) {
            line.words.append({word, {x, y, x + 8.0 * word.size(), y + 12}, 0, -1});
            x += 8.0 * word.size() + 4;
        }
        block.lines.append(line);
        y += 14;
    }
    if (!lines.isEmpty())
        page.blocks.append(block);
    return page;
}

// Each page as "number: words | words", a line per block.
QStringList describe(const QList<LayoutPage>& pages)
{
    QStringList described;
    for (const LayoutPage& page : pages) {
        QStringList blocks;
        for (const LayoutBlock& block : page.blocks) {
            QStringList lines;
            for (const LayoutLine& line : block.lines) {
                QStringList words;
                for (const LayoutWord& word : line.words)
                    words << word.text;
                lines << words.join(' ');
            }
            blocks << QString::number(block.flow) + "{" + lines.join(" | ") + "}";
        }
        described << QString("%1 (%2x%3): %4")
                         .arg(page.number)
                         .arg(page.width)
                         .arg(page.height)
                         .arg(blocks.join(' '));
    }
    return described;
}

const QByteArray TsvHeading = "level\tpage_num\tblock_num\tpar_num\tline_num\tword_"
                              "num\tleft\ttop\twidth\theight\tconf\ttext\n";

} // namespace

class TestRecognitionTools : public QObject
{
    Q_OBJECT

private slots:
    void languagesOfTheVoice_data()
    {
        QTest::addColumn<QString>("voiceLanguage");
        QTest::addColumn<QStringList>("languages");
        QTest::newRow("French") << "fr-fr" << QStringList{"fra", "eng"};
        QTest::newRow("Russian") << "ru" << QStringList{"rus", "eng"};
        QTest::newRow("German, capitals") << "DE" << QStringList{"deu", "eng"};
        QTest::newRow("Brazilian, underscore") << "pt_BR" << QStringList{"por", "eng"};
        QTest::newRow("Mandarin") << "cmn" << QStringList{"chi_sim", "eng"};
        QTest::newRow("English once") << "en-gb-x-rp" << QStringList{"eng"};
        QTest::newRow("unknown to tesseract") << "qya" << QStringList{"eng"};
        QTest::newRow("none") << "" << QStringList{"eng"};
    }
    void languagesOfTheVoice()
    {
        QFETCH(QString, voiceLanguage);
        QFETCH(QStringList, languages);
        QCOMPARE(recognitionLanguages(voiceLanguage), languages);
    }

    void languagesAskedFor_data()
    {
        QTest::addColumn<QString>("request");
        QTest::addColumn<QStringList>("languages");
        QTest::newRow("tesseract's code") << "fra" << QStringList{"fra"};
        QTest::newRow("two-letter codes, repeats once") << "fr+de+fra" << QStringList{"fra", "deu"};
        QTest::newRow("with an underscore, spaced")
            << " chi_sim + eng " << QStringList{"chi_sim", "eng"};
        QTest::newRow("capitals") << "RUS" << QStringList{"rus"};
        QTest::newRow("empty") << "" << QStringList{};
        QTest::newRow("empty part") << "fra++eng" << QStringList{};
        QTest::newRow("a path") << "../../etc/x" << QStringList{};
        QTest::newRow("too short") << "e" << QStringList{};
        QTest::newRow("an option") << "-l" << QStringList{};
    }
    void languagesAskedFor()
    {
        QFETCH(QString, request);
        QFETCH(QStringList, languages);
        QCOMPARE(requestedRecognitionLanguages(request), languages);
    }

    void missingLanguagesNamePackages_data()
    {
        QTest::addColumn<QString>("listed"); // what tesseract --list-langs printed
        QTest::addColumn<QStringList>("wanted");
        QTest::addColumn<QString>("message");
        const QString listed = "List of available languages in \"/usr/share/tesseract-ocr/5/"
                               "tessdata/\" (3):\neng\nosd\nrus\n";
        QTest::newRow("all there") << listed << QStringList{"rus", "eng"} << "";
        QTest::newRow("one missing")
            << listed << QStringList{"fra", "eng"}
            << "Text recognition lacks the language data fra (install tesseract-ocr-fra).";
        QTest::newRow("two missing, one with an underscore")
            << listed << QStringList{"chi_sim", "eng", "deu", "deu"}
            << "Text recognition lacks the language data chi_sim, deu (install "
               "tesseract-ocr-chi-sim tesseract-ocr-deu).";
        QTest::newRow("nothing listed")
            << "" << QStringList{"eng"}
            << "Text recognition lacks the language data eng (install tesseract-ocr-eng).";
    }
    void missingLanguagesNamePackages()
    {
        QFETCH(QString, listed);
        QFETCH(QStringList, wanted);
        QFETCH(QString, message);
        QCOMPARE(missingRecognitionLanguagesMessage(wanted, installedRecognitionLanguages(listed)),
                 message);
    }

    // Sizes as pdfinfo prints them, turned pages swapped, and the size each is rendered at:
    // 300 dpi up to A2, larger pages fitted into 7016 pixels, pages without area not at all.
    void pageSizes_data()
    {
        QTest::addColumn<QString>("pdfinfo");
        QTest::addColumn<QString>("sizes"); // page: width x height @ dpi (scaled to)
        QTest::newRow("A4 and a letter turned")
            << "Pages:          2\nPage    1 size: 595.276 x 841.89 pts (A4)\nPage    1 rot:  0\n"
               "Page    2 size: 612 x 792 pts (letter)\nPage    2 rot:  90\n"
            << "1: 595.276x841.89 @300 (0); 2: 792x612 @300 (0)";
        QTest::newRow("A0 is fitted")
            << "Page    1 size: 2383.94 x 3370.39 pts (A0)\nPage    1 rot:  270\n"
            << "1: 3370.39x2383.94 @149.88 (7016)";
        QTest::newRow("A2 is not") << "Page    7 size: 1190.55 x 1683.78 pts (A2)\n"
                                   << "7: 1190.55x1683.78 @300 (0)";
        QTest::newRow("no area") << "Page    1 size: 0 x 0 pts\nPage    2 size: 612 x 0 pts\n"
                                 << "1: 0x0 @0 (0); 2: 612x0 @0 (0)";
        QTest::newRow("turned the other way round, garbage between")
            << "Page 3 size: 100 x 200 pts\nPage 3 rot: -90\nPage x size: 1 x 1 pts\nrot: 90\n"
            << "3: 200x100 @300 (0)";
        QTest::newRow("nothing") << "Syntax Error: Couldn't find trailer dictionary\n"
                                 << "";
    }
    void pageSizes()
    {
        QFETCH(QString, pdfinfo);
        QFETCH(QString, sizes);
        QStringList described;
        const QMap<int, PageGeometry> pages = readPageGeometry(pdfinfo);
        for (auto it = pages.cbegin(); it != pages.cend(); ++it) {
            const RenderSize size = renderSize(*it);
            described << QString("%1: %2x%3 @%4 (%5)")
                             .arg(it.key())
                             .arg(it->width)
                             .arg(it->height)
                             .arg(qRound(size.dpi * 100) / 100.0)
                             .arg(size.scaleTo);
        }
        QCOMPARE(described.join("; "), sizes);
    }

    void renderSizeOfHostilePages()
    {
        const double huge = std::numeric_limits<double>::max();
        QCOMPARE(renderSize({huge, huge}).dpi, 0.0);
        QCOMPARE(renderSize({std::numeric_limits<double>::infinity(), 10}).dpi, 0.0);
        QCOMPARE(renderSize({std::numeric_limits<double>::quiet_NaN(), 10}).dpi, 0.0);
        QCOMPARE(renderSize({-5, 10}).dpi, 0.0);
        // A strip a mile long and a point wide still fits, at a size that cannot fill memory.
        const RenderSize strip = renderSize({1, 72 * 63360});
        QCOMPARE(strip.scaleTo, MaxRenderedSide);
        QVERIFY(strip.dpi > 0 && strip.dpi < 1);
    }

    void toolArguments_data()
    {
        QTest::addColumn<QByteArrayList>("argv");
        QTest::addColumn<QByteArrayList>("expected");
        QTest::newRow("page sizes") << pageInfoArguments("", "/d/a.pdf", 2, 9)
                                    << QByteArrayList{"pdfinfo", "-f", "2", "-l", "9", "/d/a.pdf"};
        QTest::newRow("page sizes with a password, a name like an option")
            << pageInfoArguments("pä ss", "-x.pdf", 1, 1)
            << QByteArrayList{"pdfinfo", "-f",    "1",    "-l",    "1",
                              "-opw",    "pä ss", "-upw", "pä ss", "./-x.pdf"};
        QTest::newRow("render at 300 dpi")
            << renderArguments("", "/d/a.pdf", 4, {0, 300}, "/t/page-4")
            << QByteArrayList{"pdftoppm", "-r", "300", "-gray",       "-tiff",    "-f",
                              "4",        "-l", "4",   "-singlefile", "/d/a.pdf", "/t/page-4"};
        QTest::newRow("render fitted, with a password")
            << renderArguments("pw", "a.pdf", 1, {7016, 150}, "/t/page-1")
            << QByteArrayList{"pdftoppm", "-r", "300",  "-scale-to", "7016",  "-gray",
                              "-tiff",    "-f", "1",    "-l",        "1",     "-singlefile",
                              "-opw",     "pw", "-upw", "pw",        "a.pdf", "/t/page-1"};
        QTest::newRow("recognise")
            << recognitionArguments("/t/run-0.txt", "/t/run-0", {"fra", "eng"})
            << QByteArrayList{"env",       "OMP_THREAD_LIMIT=1",
                              "tesseract", "/t/run-0.txt",
                              "/t/run-0",  "-l",
                              "fra+eng",   "tsv"};
    }
    void toolArguments()
    {
        QFETCH(QByteArrayList, argv);
        QFETCH(QByteArrayList, expected);
        QCOMPARE(argv, expected);
    }

    // tesseract's rows become pages, paragraphs blocks and text lines lines; what does not
    // parse is left out without harm.
    void readsTesseractOutput_data()
    {
        QTest::addColumn<QByteArray>("tsv");
        QTest::addColumn<QStringList>("pages");
        QTest::newRow("two images, two paragraphs")
            << TsvHeading + "1\t1\t0\t0\t0\t0\t0\t0\t1000\t2000\t-1\t\n"
                            "2\t1\t1\t0\t0\t0\t10\t10\t500\t100\t-1\t\n"
                            "5\t1\t1\t1\t1\t1\t10\t10\t50\t20\t96.5\tThe\n"
                            "5\t1\t1\t1\t1\t2\t70\t10\t50\t20\t91\tfirst\n"
                            "5\t1\t1\t1\t2\t1\t10\t40\t50\t20\t90\tline.\n"
                            "5\t1\t1\t2\t1\t1\t10\t80\t50\t20\t95\tNext\n"
                            "5\t1\t2\t1\t1\t1\t10\t900\t50\t20\t95\tFoot\n"
                            "1\t2\t0\t0\t0\t0\t0\t0\t800\t600\t-1\t\n"
                            "5\t2\t1\t1\t1\t1\t10\t10\t50\t20\t95\tÉté\n"
            << QStringList{"1 (1000x2000): 1{The first | line.} 1{Next} 2{Foot}",
                           "2 (800x600): 1{Été}"};
        QTest::newRow("an image without words keeps its page")
            << TsvHeading + "1\t1\t0\t0\t0\t0\t0\t0\t100\t100\t-1\t\n"
                            "5\t1\t1\t1\t1\t1\t10\t10\t50\t20\t95\t \n"
            << QStringList{"1 (100x100): "};
        QTest::newRow("rows that do not parse")
            << TsvHeading + "1\t1\t0\t0\t0\t0\t0\t0\t100\t100\t-1\t\n"
                            "5\t1\t1\t1\t1\t1\tx\t10\t50\t20\t95\tbad\n"
                            "5\t0\t1\t1\t1\t1\t10\t10\t50\t20\t95\tnopage\n"
                            "5\t1\t1\t1\t1\t1\t10\t10\t-50\t20\t95\tnegative\n"
                            "5\t1\t1\t1\t1\t2\t10\t10\t50\t20\tnan\tkept\r\n"
                            "5\t1\t1\n"
                            "\n\t\t\t\n"
            << QStringList{"1 (100x100): 1{kept}"};
        QTest::newRow("cut off in a word")
            << TsvHeading + "1\t1\t0\t0\t0\t0\t0\t0\t100\t100\t-1\t\n"
                            "5\t1\t1\t1\t1\t1\t10\t10\t50\t20\t95\twhole\n"
                            "5\t1\t1\t1\t1\t2\t10\t10\t50\t2"
            << QStringList{"1 (100x100): 1{whole}"};
        QTest::newRow("nothing") << QByteArray() << QStringList{};
    }
    void readsTesseractOutput()
    {
        QFETCH(QByteArray, tsv);
        QFETCH(QStringList, pages);
        QCOMPARE(describe(readRecognisedWords(tsv)), pages);
    }

    // Pixels become points of the page as shown, and words keep their confidence.
    void placesWordsOnThePage()
    {
        QList<LayoutPage> pages =
            readRecognisedWords(TsvHeading + "1\t1\t0\t0\t0\t0\t0\t0\t2480\t3508\t-1\t\n"
                                             "5\t1\t1\t1\t1\t1\t300\t600\t1200\t140\t87.5\tgoing\n"
                                             "5\t1\t1\t1\t1\t2\t1600\t600\t300\t140\t40\tWord\n");
        QCOMPARE(pages.size(), 1);
        placeOnPage(pages[0], 7, 595.2, 841.92); // A4 at 300 dpi: 72/300 points a pixel
        const LayoutPage& page = pages[0];
        QCOMPARE(page.number, 7);
        const LayoutLine& line = page.blocks.at(0).lines.at(0);
        const LayoutWord& word = line.words.at(0);
        QCOMPARE(word.box.xMin, 72.0);
        QCOMPARE(word.box.yMin, 144.0);
        QCOMPARE(word.box.xMax, 360.0);
        QCOMPARE(word.box.yMax, 177.6);
        QCOMPARE(word.confidence, 87.5);
        QCOMPARE(line.words.at(1).confidence, 40.0);
        QCOMPARE(line.box.xMax, 456.0);
        QCOMPARE(page.blocks.at(0).box.yMax, 177.6);
    }

    // A word's height stands for its type size, not its ink: the words of a line share the
    // height from its ascenders' tops to its descenders' bottoms, and the lines of a paragraph
    // share theirs; a note mark, a drop cap and a heading keep their own.
    void evensHeightsOut_data()
    {
        QTest::addColumn<QByteArray>("words"); // block par line top height text, a line each
        QTest::addColumn<QString>("heights");  // each word's top+height, a line per line
        QTest::newRow("ink differs, type does not")
            << QByteArray("1 1 1 100 30 we\n1 1 1 90 40 had\n1 1 1 100 40 pigs\n")
            << "we 90+50 had 90+50 pigs 90+50";
        QTest::newRow("no descender in the line: a quarter below the baseline")
            << QByteArray("1 1 1 100 30 we\n1 1 1 90 40 had\n1 1 1 100 30 one\n")
            << "we 90+50 had 90+50 one 90+50";
        QTest::newRow("a raised note mark keeps its box")
            << QByteArray("1 1 1 90 40 had\n1 1 1 100 40 pigs\n1 1 1 85 15 12\n")
            << "had 90+50 pigs 90+50 12 85+15";
        QTest::newRow("a drop cap keeps its box")
            << QByteArray("1 1 1 90 150 W\n1 1 1 90 40 had\n1 1 1 100 40 pigs\n")
            << "W 90+150 had 90+50 pigs 90+50";
        QTest::newRow("a paragraph's lines share their height")
            << QByteArray("1 1 1 90 40 had\n1 1 1 100 40 pigs\n"
                          "1 1 2 190 40 hat\n1 1 2 200 30 was\n"
                          "1 1 3 290 40 big\n1 1 3 300 40 dog\n")
            << "had 90+50 pigs 90+50 | hat 190+50 was 190+50 | big 295+50 dog 295+50";
        QTest::newRow("a heading keeps its larger type")
            << QByteArray("1 1 1 10 80 Title\n1 2 1 190 40 hat\n1 2 1 200 40 pig\n")
            << "Title 10+100 | hat 190+50 pig 190+50";
    }
    void evensHeightsOut()
    {
        QFETCH(QByteArray, words);
        QFETCH(QString, heights);
        QByteArray tsv = TsvHeading + "1\t1\t0\t0\t0\t0\t0\t0\t2000\t2000\t-1\t\n";
        int left = 0;
        for (const QByteArray& row : words.split('\n')) {
            const QList<QByteArray> field = row.split(' ');
            if (field.size() < 6)
                continue;
            left += 100;
            tsv += "5\t1\t" + field[0] + '\t' + field[1] + '\t' + field[2] + "\t1\t" +
                   QByteArray::number(left) + '\t' + field[3] + "\t80\t" + field[4] + "\t90\t" +
                   field[5] + '\n';
        }
        const QList<LayoutPage> pages = readRecognisedWords(tsv);
        QCOMPARE(pages.size(), 1);
        QStringList lines;
        for (const LayoutBlock& block : pages[0].blocks) {
            for (const LayoutLine& line : block.lines) {
                QStringList described;
                for (const LayoutWord& word : line.words)
                    described << QString("%1 %2+%3")
                                     .arg(word.text)
                                     .arg(word.box.yMin)
                                     .arg(word.box.height());
                lines << described.join(' ');
            }
        }
        QCOMPARE(lines.join(" | "), heights);
    }

    // Auto recognises the pages without usable text: no words, or words that are no language.
    void pagesToRecognise_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QList<int>>("expected");
        QTest::newRow("never") << int(RecognitionMode::Never) << QList<int>{};
        QTest::newRow("auto") << int(RecognitionMode::Auto) << QList<int>{2, 3, 4};
        QTest::newRow("always") << int(RecognitionMode::Always) << QList<int>{1, 2, 3, 4};
    }
    void pagesToRecognise()
    {
        QFETCH(int, mode);
        QFETCH(QList<int>, expected);
        const QList<LayoutPage> pages{
            pageOf(1, {"The harbour was quiet that morning, and the boats", "lay at anchor."}),
            pageOf(2, {}),
            // Glyphs without characters, as a font without a Unicode map gives them.
            pageOf(3, {QString::fromUtf16(u"\uE001\uE002\uE003 \uE004\uE005 \uE006\uE007\uE008"
                                          u"\uE009\uE00A \uE00B\uE00C\uE00D\uE00E")}),
            pageOf(4, {"ÆÇÈÉÊËÌÍÎ ÏÐÑÒÓÔÕÖ ÆÇÈÉÊËÌÍÎ ÏÐÑÒÓÔÕÖ"}),
        };
        QCOMPARE(lectorix::pagesToRecognise(RecognitionMode(mode), pages), expected);
    }

    void mergesRecognisedPages()
    {
        QList<LayoutPage> pages{pageOf(1, {"first page"}), pageOf(3, {"noise"})};
        const QList<LayoutPage> recognised{pageOf(3, {"third page"}), pageOf(2, {"second"})};
        const QString text = mergeRecognisedPages(pages, recognised);
        QCOMPARE(text, QString("first page\n\n\fsecond\n\n\fthird page\n\n\f"));
        QCOMPARE(describe(pages),
                 (QStringList{"1 (420x595): 0{first page}", "2 (420x595): 0{second}",
                              "3 (420x595): 0{third page}"}));
        const LayoutWord& third = pages[2].blocks[0].lines[0].words[0];
        QCOMPARE(text.mid(third.offset, 5), QString("third"));
    }
};

QTEST_GUILESS_MAIN(TestRecognitionTools)

#include "test_recognition_tools.moc"
