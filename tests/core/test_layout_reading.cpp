// The layout reading: a short novel drawn by the test, with chapter headings that also run as
// page headers, a drop capital, footnotes, two columns, a table, a table of contents and a
// rotated mark, read through the real pdftotext -bbox-layout; and small pages built in code.

#include "core/pdf/page_layout.h"
#include "core/text/layout/reading.h"
#include "core/text/spelling.h"
#include "support/drawn_pdf.h"
#include "support/test_env.h"

#include <QProcess>
#include <QtTest>

using namespace lectorix;
using test::DrawnText;

namespace {

constexpr double Body = 11;
constexpr double Pitch = 14;
constexpr double Left = 50;

// The novel's texts, page by page; a body line at row r of a page stands at y = 100 + r * Pitch.
class Novel
{
public:
    QList<DrawnText> texts;

    void line(int page, int row, const QString& text, double x = Left)
    {
        texts.append({page, x, 100 + row * Pitch, Body, text});
    }
    void lines(int page, int firstRow, const QStringList& text)
    {
        for (qsizetype i = 0; i < text.size(); ++i)
            line(page, firstRow + int(i), text.at(i));
    }
    void heading(int page, const QString& text) { texts.append({page, Left, 75, 18, text}); }
    void header(int page, const QString& text) { texts.append({page, 160, 40, 9, text}); }
    void pageNumber(int page) { texts.append({page, 205, 570, 9, QString::number(page)}); }
    void footnote(int page, int row, const QString& text)
    {
        texts.append({page, Left, 500.0 + row * 10, 8, text});
    }
    // A raised footnote mark after the word ending at x on a body row.
    void mark(int page, int row, double x, const QString& text)
    {
        texts.append({page, x, 100 + row * Pitch - 4, 7, text});
    }
};

QList<DrawnText> novelTexts()
{
    Novel novel;
    novel.heading(0, QStringLiteral("Contents"));
    const QStringList entries{"The Lighthouse", "The Storm", "Notes on Lamps"};
    for (int i = 0; i < 3; ++i) {
        novel.line(0, i, entries.at(i));
        novel.line(0, i, QStringLiteral("....................................."), 150);
        novel.line(0, i, QString::number(i * 2 + 2), 355);
    }

    novel.heading(1, QStringLiteral("Chapter One"));
    novel.texts.append({1, Left, 128, 36, QStringLiteral("I")});
    novel.line(1, 1, QStringLiteral("t was the last night of autumn when the keeper"), 70);
    novel.line(1, 2, QStringLiteral("climbed the tower. The lamp had failed twice"), 70);
    novel.lines(1, 3,
                {"that week, and the supply boat was very late.",
                 "He trimmed the wick and waited for the light-",
                 "house on the far shore to answer his signal."});
    novel.mark(1, 3, 249.5, QStringLiteral("1"));
    novel.lines(1, 6,
                {"\u201CYou will not sleep tonight,\u201D said his wife.",
                 "\u201CNo,\u201D he said, and went back up the well-",
                 "known stair to the lantern room, where the"});
    novel.footnote(1, 0, QStringLiteral("1 The boat came from the mainland each Tuesday."));
    novel.pageNumber(1);

    novel.header(2, QStringLiteral("Chapter One"));
    novel.lines(2, 0,
                {"glass was cold and the wind had found every",
                 "crack in the frame. The lighthouse on the far", "shore stayed dark."});
    novel.line(2, 3, QStringLiteral("At midnight he wrote in the log, as he did"), 65);
    novel.lines(2, 4, {"every night, all that he had known as well."});
    novel.texts.append({2, 395, 420, 7, QStringLiteral("PROOF-COPY-0042"), -90});
    novel.pageNumber(2);

    novel.header(3, QStringLiteral("Chapter One"));
    const QStringList left{"The keeper's wife kept", "a garden behind the", "tower, where nothing",
                           "grew but salt grass."};
    const QStringList right{"She sang to it all the", "same, and the gulls",
                            "came down to listen to", "her in the evenings."};
    for (int i = 0; i < 4; ++i) {
        novel.line(3, i, left.at(i));
        novel.line(3, i, right.at(i), 225);
    }
    novel.pageNumber(3);

    novel.heading(4, QStringLiteral("Chapter Two"));
    novel.lines(4, 0,
                {"The storm came on the third day. The keeper", "counted the lamps of the coast:"});
    const QStringList table{"Island",     "Keepers", "Lamps", "North Rock", "3", "12",
                            "Gull Point", "2",       "7",     "Far Shore",  "1", "4"};
    for (int row = 0; row < 4; ++row)
        for (int column = 0; column < 3; ++column)
            novel.line(4, 3 + row, table.at(row * 3 + column), Left + 10 + column * 110);
    novel.lines(4, 8, {"Only the lamp on Far Shore stayed dark."});
    novel.pageNumber(4);

    novel.header(5, QStringLiteral("Chapter Two"));
    novel.lines(5, 0,
                {"The relief boat could not depart! It lay at",
                 "the mainland quay for a week, and the keeper", "rationed the oil."});
    novel.mark(5, 0, 193, QStringLiteral("2"));
    novel.footnote(5, 0, QStringLiteral("2 Storms of this kind came once in ten years."));
    novel.pageNumber(5);
    return novel.texts;
}

// A report in three columns of 9-point type, each column's footnotes at its own foot (the first
// column's above the third's last line), numbered items whose marks stand apart, a chart's
// scale; then an action plan in a table over two pages, its cells of several lines.
QList<DrawnText> reportTexts()
{
    QList<DrawnText> texts{{0, 30, 50, 16, QStringLiteral("Proposed Rules")},
                           {0, 30, 80, 12, QStringLiteral("Background")},
                           {0, 290, 80, 12, QStringLiteral("Design Changes")}};
    auto column = [&](int page, double x, double y, const QStringList& lines, double size = 9) {
        for (const QString& line : lines) {
            texts.append({page, x, y, size, line});
            y += size + 2;
        }
    };
    column(0, 30, 95,
           {"The flightcrew on the first", "flight saw the warning and",
            "turned back to the airport.", "Nobody was hurt that day."});
    texts.append({0, 132, 115, 6, QStringLiteral("1")});
    column(0, 30, 150, {"1 The report on the flight", "came out in May."}, 7);
    column(0, 160, 95, {"The crew must now do three", "things before the next flight:"});
    const QStringList items{"check the sensor;", "replace the valve;", "test the system again."};
    for (int i = 0; i < 3; ++i) {
        texts.append({0, 160, 117.0 + 11 * i, 9, QStringLiteral("(%1)").arg(i + 1)});
        texts.append({0, 180, 117.0 + 11 * i, 9, items.at(i)});
    }
    column(0, 290, 95,
           {"The FAA proposes to change", "the design of the sensor so",
            "that one fault cannot turn", "the nose down. The change", "would apply to every plane",
            "of this type in service.", "Owners would have a year", "to make the change, and the",
            "cost would be about one", "thousand dollars a plane."});
    texts.append({0, 371, 148, 6, QStringLiteral("2")});
    column(0, 290, 215, {"2 See the notice of March 3."}, 7);
    for (int i = 0; i < 4; ++i)
        texts.append({0, 30.0 + 60 * i, 300, 9, QStringLiteral("%1%").arg(i * 10)});

    column(1, 30, 60, {"The town will act as follows:"});
    column(1, 30, 85, {"Action"});
    column(1, 200, 85, {"Responsible"});
    column(1, 320, 85, {"When"});
    const QList<QStringList> rows{
        {"Repair the harbour wall|before the winter storms", "town council", "autumn 2025"},
        {"Light the lamps on the|north pier every night", "harbour master", "from May"},
        {"Train two new keepers", "lighthouse trust|and the town", "2026"}};
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            column(1, QList<double>{30, 200, 320}.at(c), 105.0 + 35 * r,
                   rows.at(r).at(c).split(u'|'));
    column(1, 30, 220, {"The plan is read again each spring."});
    column(2, 30, 60, {"Paint the tower"});
    column(2, 200, 60, {"the keepers"});
    column(2, 320, 60, {"summer 2026"});
    return texts;
}

// A ledger over two numbered pages: a sentence, then a table of 28 islands, its names row on
// the first page and, with repeated, again at the top of the second.
QList<DrawnText> ledgerTexts(bool repeated)
{
    QList<DrawnText> texts{{0, 205, 570, 9, "1"},
                           {1, 205, 570, 9, "2"},
                           {0, Left, 80, Body, "The keepers counted the lamps:"}};
    auto row = [&](int page, double y, const QStringList& cells) {
        for (qsizetype c = 0; c < cells.size(); ++c)
            texts.append({page, Left + 10 + 120.0 * double(c), y, Body, cells.at(c)});
    };
    row(0, 110, {"Island", "Keepers", "Lamps"});
    if (repeated)
        row(1, 80, {"Island", "Keepers", "Lamps"});
    for (int i = 1; i <= 28; ++i)
        row(i > 23 ? 1 : 0, i > 23 ? 100.0 + 18 * (i - 24) : 112.0 + 18 * i,
            {QStringLiteral("Isle %1").arg(i), QString::number(i % 4 + 1), QString::number(i * 3)});
    texts.append({1, Left, 210, Body, "Every lamp was lit at dusk."});
    return texts;
}

// A chart between two paragraphs, or inside the first one's sentence: an axis of amounts up its
// side, its bars' names, a scale of shares across its foot, and its caption.
QList<DrawnText> chartTexts(const QString& caption, bool inSentence)
{
    QList<DrawnText> texts{
        {0, Left, 80, Body, QStringLiteral("The keepers kept a record of")},
        {0, Left, inSentence ? 290.0 : 94.0, Body, QStringLiteral("the lamps they lit.")}};
    for (int i = 0; i < 4; ++i) {
        texts.append({0, Left, 130.0 + 25 * i, 8, QString::number(30 - 10 * i)});
        texts.append({0, Left + 30 + 60.0 * i, 245, 8, QStringLiteral("%1%").arg(i * 10)});
        texts.append(
            {0, Left + 40 + 80.0 * i, 225, 8, QStringList{"North", "South", "East", ""}[i]});
    }
    texts.append({0, Left, 270, 10, caption});
    texts.append({0, Left, 330, Body, QStringLiteral("The north shore lit the most.")});
    return texts;
}

QByteArray boundingBoxLayout(const QString& pdf)
{
    QProcess converter;
    converter.start(QStringLiteral("pdftotext"),
                    {QStringLiteral("-bbox-layout"), pdf, QStringLiteral("-")});
    if (!converter.waitForFinished(60000) || converter.exitCode() != 0)
        return QByteArray();
    return converter.readAllStandardOutput();
}

struct Reading
{
    QString source;
    QList<SpokenPiece> pieces;
    QList<int> unreadable;
};

// Reads the pages in parts of the given sizes, as ranges of pages arrive; a last part takes
// the rest.
Reading readInParts(const QList<LayoutPage>& pages, const QList<int>& parts,
                    LayoutReadingOptions options = {})
{
    Reading reading;
    LayoutPreparation preparation(options);
    qsizetype at = 0;
    for (qsizetype i = 0; at < pages.size(); ++i) {
        QList<LayoutPage> part = pages.mid(at, i < parts.size() ? parts.at(i) : -1);
        reading.source += layoutText(part, reading.source.size());
        preparation.add(part);
        reading.pieces += preparation.takePieces();
        at += part.size();
    }
    preparation.finish();
    reading.pieces += preparation.takePieces();
    reading.unreadable = preparation.unreadablePages();
    return reading;
}

// Every letter and digit of a piece stands where its stretches say in the source.
QString mappingFault(const SpokenPiece& piece, const QString& source)
{
    for (qsizetype i = 0; i < piece.text.size(); ++i) {
        if (!piece.text[i].isLetterOrNumber())
            continue;
        const qsizetype at = piece.sourcePosition(i);
        if (at < 0 || at >= source.size() || source[at] != piece.text[i])
            return QStringLiteral("character %1 of \"%2\"").arg(i).arg(piece.text);
    }
    const qsizetype end = piece.sourceOffset + piece.sourceLength;
    if (piece.sourceLength <= 0 || end > source.size())
        return QStringLiteral("the source length of \"%1\"").arg(piece.text);
    return QString();
}

// A page built in code: each line is set at a baseline y, in a block, in type of a size, its
// letters widthShare as wide as the size; a bar parts a word where small capitals start.
struct SetLine
{
    int block;
    double x;
    double y;
    double size;
    QString text;
    double widthShare = 0.5;
};

LayoutPage setPage(int number, const QList<SetLine>& lines)
{
    LayoutPage page;
    page.number = number;
    page.width = 420;
    page.height = 595;
    for (const SetLine& set : lines) {
        while (page.blocks.size() <= set.block)
            page.blocks.append(LayoutBlock());
        LayoutLine line;
        double x = set.x;
        for (const QString& word : set.text.split(QLatin1Char(' '))) {
            double size = set.size;
            for (const QString& text : word.split(QLatin1Char('|'))) {
                const double width = text.size() * size * set.widthShare;
                if (!text.isEmpty())
                    line.words.append({text, {x, set.y - size, x + width, set.y + size * 0.25}});
                x += width;
                size = set.size * 0.75;
            }
            x += set.size * 0.25;
        }
        line.box = {set.x, set.y - set.size, x, set.y + set.size * 0.25};
        page.blocks[set.block].lines.append(line);
    }
    for (LayoutBlock& block : page.blocks) {
        block.box = block.lines.first().box;
        for (const LayoutLine& line : block.lines)
            block.box = {std::min(block.box.xMin, line.box.xMin), block.box.yMin,
                         std::max(block.box.xMax, line.box.xMax), line.box.yMax};
    }
    return page;
}

// Body lines of a page from row on, 14 points apart.
QList<SetLine> bodyLines(int block, int row, const QStringList& texts)
{
    QList<SetLine> lines;
    for (const QString& text : texts)
        lines.append({block, 50, 100.0 + 14 * row++, 11, text});
    return lines;
}

QStringList textsOf(const QList<SpokenPiece>& pieces)
{
    QStringList texts;
    for (const SpokenPiece& piece : pieces)
        texts.append(piece.text);
    return texts;
}

} // namespace

class TestLayoutReading : public QObject
{
    Q_OBJECT

    Reading m_novel;
    QList<LayoutPage> m_report;

private slots:
    void initTestCase()
    {
        const QString pdf = test::freshScratch() + QStringLiteral("/novel.pdf");
        QVERIFY(test::drawPdf(pdf, novelTexts()));
        const QByteArray layout = boundingBoxLayout(pdf);
        QVERIFY2(isBoundingBoxLayout(layout), "pdftotext -bbox-layout gave no layout");
        const PageLayouts layouts = readBoundingBoxLayout(layout, 1);
        QCOMPARE(layouts.pages.size(), 6);
        // The first part ends inside the paragraph running from page 2 to page 3.
        m_novel = readInParts(layouts.pages, {2});
        const QString report = test::freshScratch() + QStringLiteral("/report.pdf");
        QVERIFY(test::drawPdf(report, reportTexts()));
        m_report = readBoundingBoxLayout(boundingBoxLayout(report), 1).pages;
        if (qEnvironmentVariableIsSet("LECTORIX_SHOW_UTTERANCES"))
            for (const SpokenPiece& piece : std::as_const(m_novel.pieces))
                qInfo().noquote() << (piece.heading ? "# " : "") + piece.text
                                  << (piece.endsParagraph ? "" : "|");
    }

    void novel_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("heading");
        QTest::addColumn<bool>("endsParagraph");
        const QList<std::tuple<const char*, QString, bool, bool>> rows{
            {"contents heading", "Contents", true, true},
            {"entry without leader and number", "The Lighthouse", false, true},
            {"second entry", "The Storm", false, true},
            {"third entry", "Notes on Lamps", false, true},
            {"chapter heading kept though it runs as a header", "Chapter One", true, true},
            {"drop capital joined, marker left out",
             "It was the last night of autumn when the keeper climbed the tower.", false, false},
            {"second sentence",
             "The lamp had failed twice that week, and the supply boat was very late.", false,
             false},
            {"hyphenation undone",
             "He trimmed the wick and waited for the lighthouse on the far shore to answer his "
             "signal.",
             false, true},
            {"footnote after the paragraph citing it",
             "The boat came from the mainland each Tuesday.", false, true},
            {"dialogue starts a paragraph",
             "\u201CYou will not sleep tonight,\u201D said his wife.", false, true},
            {"compound kept, paragraph across pages and parts",
             "\u201CNo,\u201D he said, and went back up the well-known stair to the lantern room, "
             "where the glass was cold and the wind had found every crack in the frame.",
             false, false},
            {"paragraph end", "The lighthouse on the far shore stayed dark.", false, true},
            {"indented paragraph, margin mark left out",
             "At midnight he wrote in the log, as he did every night, all that he had known as "
             "well.",
             false, true},
            {"left column first",
             "The keeper's wife kept a garden behind the tower, where nothing grew but salt grass.",
             false, true},
            {"then the right column",
             "She sang to it all the same, and the gulls came down to listen to her in the "
             "evenings.",
             false, true},
            {"second chapter heading", "Chapter Two", true, true},
            {"text before the table", "The storm came on the third day.", false, false},
            {"sentence before the table", "The keeper counted the lamps of the coast:", false,
             true},
            {"table header row", "Island, Keepers, Lamps", false, true},
            {"table row, values after their column's name", "North Rock, Keepers: 3, Lamps: 12",
             false, true},
            {"table row", "Gull Point, Keepers: 2, Lamps: 7", false, true},
            {"last table row", "Far Shore, Keepers: 1, Lamps: 4", false, true},
            {"text after the table", "Only the lamp on Far Shore stayed dark.", false, true},
            {"raised mark after an exclamation left out", "The relief boat could not depart!",
             false, false},
            {"last sentence",
             "It lay at the mainland quay for a week, and the keeper rationed the oil.", false,
             true},
            {"second footnote", "Storms of this kind came once in ten years.", false, true},
        };
        int index = 0;
        for (const auto& [name, text, heading, ends] : rows)
            QTest::addRow("%d %s", index++, name) << text << heading << ends;
    }

    void novel()
    {
        QFETCH(QString, text);
        QFETCH(bool, heading);
        QFETCH(bool, endsParagraph);
        const int index = QString::fromLatin1(QTest::currentDataTag()).section(' ', 0, 0).toInt();
        QCOMPARE_LT(index, m_novel.pieces.size());
        const SpokenPiece& piece = m_novel.pieces.at(index);
        QCOMPARE(piece.text, text);
        QCOMPARE(piece.heading, heading);
        QCOMPARE(piece.endsParagraph, endsParagraph);
        const QString fault = mappingFault(piece, m_novel.source);
        QVERIFY2(fault.isEmpty(), qPrintable(fault));
    }

    void novelHasNothingMore()
    {
        QCOMPARE(m_novel.pieces.size(), 26);
        QVERIFY(m_novel.unreadable.isEmpty());
    }

    void report_data()
    {
        QTest::addColumn<bool>("readFootnotes");
        QTest::addColumn<QStringList>("spoken");
        const QStringList first{"Proposed Rules", "Background",
                                "The flightcrew on the first flight saw the warning and turned "
                                "back to the airport.",
                                "Nobody was hurt that day."};
        const QStringList rest{
            "The crew must now do three things before the next flight: (1) check the sensor; "
            "(2) replace the valve; (3) test the system again.",
            "Design Changes",
            "The FAA proposes to change the design of the sensor so that one fault cannot turn "
            "the nose down.",
            "The change would apply to every plane of this type in service.",
            "Owners would have a year to make the change, and the cost would be about one "
            "thousand dollars a plane.",
            "The town will act as follows:",
            "Action, Responsible, When",
            "Repair the harbour wall before the winter storms, Responsible: town council, "
            "When: autumn 2025",
            "Light the lamps on the north pier every night, Responsible: harbour master, "
            "When: from May",
            "Train two new keepers, Responsible: lighthouse trust and the town, When: 2026",
            "The plan is read again each spring.",
            "Paint the tower, the keepers, summer 2026"};
        QTest::newRow("columns with their own notes, headings first, lists in order, "
                      "a table row by row with its column names")
            << true
            << first + QStringList{"The report on the flight came out in May."} + rest.first(5) +
                   QStringList{"See the notice of March 3."} + rest.sliced(5);
        QTest::newRow("notes left out, nothing else") << false << first + rest;
    }

    void report()
    {
        QFETCH(bool, readFootnotes);
        QFETCH(QStringList, spoken);
        QCOMPARE(m_report.size(), 3);
        LayoutReadingOptions options;
        options.readFootnotes = readFootnotes;
        const Reading reading = readInParts(m_report, {}, options);
        QCOMPARE(textsOf(reading.pieces), spoken);
    }

    // A table running onto the next page keeps its rows in order and each value its column's
    // name there, whether the names row is repeated or not.
    void tableAcrossPages_data()
    {
        QTest::addColumn<bool>("repeated");
        QTest::newRow("names row repeated") << true;
        QTest::newRow("names row on the first page only") << false;
    }
    void tableAcrossPages()
    {
        QFETCH(bool, repeated);
        const QString pdf = test::freshScratch() + QStringLiteral("/ledger.pdf");
        QVERIFY(test::drawPdf(pdf, ledgerTexts(repeated)));
        const QList<LayoutPage> pages = readBoundingBoxLayout(boundingBoxLayout(pdf), 1).pages;
        QStringList spoken{"The keepers counted the lamps:", "Island, Keepers, Lamps"};
        for (int i = 1; i <= 28; ++i)
            spoken << QStringLiteral("Isle %1, Keepers: %2, Lamps: %3")
                          .arg(QString::number(i), QString::number(i % 4 + 1),
                               QString::number(i * 3));
        QCOMPARE(textsOf(readInParts(pages, {1}).pieces),
                 spoken << QStringLiteral("Every lamp was lit at dusk."));
    }

    // A chart's labels are left out, never read into a sentence; its caption is one line.
    void figures_data()
    {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<bool>("inSentence");
        QTest::addColumn<QString>("spoken");
        QTest::newRow("caption numbered with a full stop")
            << "Figure 2. Lamps lit on the coast" << false << "Figure 2: Lamps lit on the coast";
        QTest::newRow("caption in another language, numbered with a colon")
            << "Abb. 4.1: Die Lampen" << false << "Abb. 4.1: Die Lampen";
        QTest::newRow("chart inside a sentence: read after it")
            << "Figure 2. Lamps lit on the coast" << true << "Figure 2: Lamps lit on the coast";
    }
    void figures()
    {
        QFETCH(QString, caption);
        QFETCH(bool, inSentence);
        QFETCH(QString, spoken);
        const QString pdf = test::freshScratch() + QStringLiteral("/chart.pdf");
        QVERIFY(test::drawPdf(pdf, chartTexts(caption, inSentence)));
        const QList<LayoutPage> pages = readBoundingBoxLayout(boundingBoxLayout(pdf), 1).pages;
        QCOMPARE(textsOf(readInParts(pages, {}).pieces),
                 (QStringList{"The keepers kept a record of the lamps they lit.", spoken,
                              "The north shore lit the most."}));
    }

    void smallPages_data()
    {
        QTest::addColumn<QList<LayoutPage>>("pages");
        QTest::addColumn<bool>("readFootnotes");
        QTest::addColumn<QStringList>("spoken");
        QTest::addColumn<QList<int>>("unreadable");
        QTest::addColumn<QString>("language");

        const QStringList storm{"The boat stayed in port all week; it could",
                                "not depart!1 The sea was high and the wind",
                                "did not drop until the Sunday after."};
        QList<SetLine> stormPage = bodyLines(0, 0, storm);
        stormPage.append({1, 50, 520, 8, QStringLiteral("1 A storm of the century.")});
        const QStringList stormSpoken{
            "The boat stayed in port all week; it could not depart!",
            "The sea was high and the wind did not drop until the Sunday after."};
        QTest::newRow("glued note number left out, note read after")
            << QList<LayoutPage>{setPage(1, stormPage)} << true
            << stormSpoken + QStringList{"A storm of the century."} << QList<int>() << QString();
        QTest::newRow("notes left out on request")
            << QList<LayoutPage>{setPage(1, stormPage)} << false << stormSpoken << QList<int>()
            << QString();

        QList<LayoutPage> steps;
        for (int number = 1; number <= 3; ++number) {
            QList<SetLine> lines{{0, 180, 40, 9, QStringLiteral("NOTICE %1").arg(number)}};
            lines +=
                bodyLines(1, 0,
                          {"Close the valve before you start.",
                           QStringLiteral("Then open tap number %1 and wait for the").arg(number),
                           "water to run clear before you drink it."});
            lines.append({2, 200, 570, 9, QString::number(number)});
            steps.append(setPage(number, lines));
        }
        QStringList stepsSpoken;
        for (int number = 1; number <= 3; ++number)
            stepsSpoken << QStringLiteral("Close the valve before you start.")
                        << QStringLiteral("Then open tap number %1 and wait for the water to run "
                                          "clear before you drink it.")
                               .arg(number);
        QTest::newRow("repeated body line kept, running header and page numbers left out")
            << steps << true << stepsSpoken << QList<int>() << QString();

        // Lines numbered in the margin, in a column of their own that a word of the text
        // strayed into; a column of amounts in a table stays.
        QList<SetLine> numbered = bodyLines(1, 0, {"Then the court ruled,", "and the case ended."});
        for (int row = 0; row < 6; ++row)
            numbered.append({0, 20, 100.0 + 14 * row, 11,
                             row == 2 ? QStringLiteral("In") : QString::number(row + 1)});
        QList<SetLine> amounts = bodyLines(0, 0, {"Sales by year:"});
        for (int row = 1; row <= 5; ++row)
            amounts.append({1, 50, 100.0 + 14 * row, 11, QString::number(2000 + row)});
        QTest::newRow("line numbers in the margin left out, a table's numbers read")
            << QList<LayoutPage>{setPage(1, numbered), setPage(2, amounts)} << true
            << QStringList{"Then the court ruled, and the case ended.", "In",
                           "Sales by year:", "2001 2002 2003 2004 2005"}
            << QList<int>() << QString();

        QList<LayoutPage> noise{
            setPage(1, bodyLines(0, 0, {"A page that reads well.", "And a second line."}))};
        noise.append(
            setPage(2, bodyLines(0, 0, {QString(20, QChar(0xE012)), QString(18, QChar(0xE0A3))})));
        QTest::newRow("page without language not read")
            << noise << true << QStringList{"A page that reads well.", "And a second line."}
            << QList<int>{2} << QString();

        const QList<SetLine> narrow{
            {0, 50, 100, 11, "Yes, it is ill to say it, and fit to keep si-", 0.2},
            {0, 50, 114, 11, "lence. Ask it.", 0.2}};
        QTest::newRow("short words in narrow type kept")
            << QList<LayoutPage>{setPage(1, narrow)} << true
            << QStringList{"Yes, it is ill to say it, and fit to keep silence.", "Ask it."}
            << QList<int>() << QString();

        QList<LayoutPage> report;
        QList<LayoutPage> notice;
        const QStringList numbers{"iv", "v", "vi"};
        QStringList reportSpoken;
        QStringList noticeSpoken;
        for (int number = 0; number < 3; ++number) {
            QList<SetLine> lines{{0, 120, 40, 14, QStringLiteral("HARBOUR REPORT")}};
            lines += bodyLines(1, 0, {"The wall held.", "The pier did too."});
            report.append(setPage(number + 1, lines));
            reportSpoken << QStringLiteral("The wall held.") << QStringLiteral("The pier did too.");
            noticeSpoken << QStringLiteral("Keep off the pier.")
                         << QStringLiteral("Mind the gulls.");
            notice.append(
                setPage(number + 1, {{0, 50, 100, 11, QStringLiteral("Keep off the pier.")},
                                     {1, 50, 114, 11, QStringLiteral("Mind the gulls.")},
                                     {2, 200, 570, 9, numbers.at(number)}}));
        }
        QTest::newRow("running header set large left out")
            << report << true << reportSpoken << QList<int>() << QString();
        QList<LayoutPage> opinion;
        for (int n = 1; n <= 4; ++n)
            opinion.append(
                setPage(n, bodyLines(1, 0, {"The wall held.", "The pier did too."})
                               << SetLine{0, 120, 40, 14, QString("%1 HARBOUR").arg(n)}));
        QTest::newRow("running header set large with its page's number left out")
            << opinion << true << reportSpoken + reportSpoken.first(2) << QList<int>() << QString();
        QTest::newRow("page numbers of a page of one-line blocks left out")
            << notice << true << noticeSpoken << QList<int>() << QString();

        QList<SetLine> headed{{0, 50, 60, 16, "1.2"},
                              {1, 80, 60, 16, "Estimated costs of the"},
                              {2, 80, 80, 16, "new harbour wall"},
                              {3, 50, 125, 20, "E|STIMATED C|OSTS"},
                              {4, 50, 150, 13, "an italic line in the body", 0.38}};
        headed += bodyLines(4, 5,
                            {"of the report, and the rest of it was",
                             "read by all of us in the hall of the", "harbour board."});
        QTest::newRow("headings whole, small capitals joined, italics read as text")
            << QList<LayoutPage>{setPage(1, headed)} << true
            << QStringList{"1.2 Estimated costs of the new harbour wall", "ESTIMATED COSTS",
                           "an italic line in the body of the report, and the rest of it was read "
                           "by all of us in the hall of the harbour board."}
            << QList<int>() << QString();

        QList<SetLine> hyphens = bodyLines(
            0, 0,
            {"Success came fully and well: the plan was a success-", "fully known and well-",
             "known work of библиографичес\u00AD", "кого and popular-"});
        hyphens.append({0, 50, 100 + 14 * 5, 11, "ity."});
        QTest::newRow("hyphens by the language's words, soft hyphens and across a gap joined")
            << QList<LayoutPage>{setPage(1, hyphens)} << true
            << QStringList{"Success came fully and well: the plan was a successfully known and "
                           "well-known work of библиографического and popularity."}
            << QList<int>() << QStringLiteral("en-us");

        QList<SetLine> contents{{0, 50, 75, 18, "Contents"},
                                {1, 50, 100, 11, "1 Harbour works"},
                                {1, 60, 114, 11, "1.1 The old wall . . . . . . . ."},
                                {1, 60, 128, 11, "1.2 The new wall . . . . . . . ."}};
        for (int row = 0; row < 3; ++row)
            contents.append({2, 330, 100.0 + 14 * row, 11, QString::number(row * 4 + 2)});
        QList<SetLine> listed{{0, 50, 75, 18, "Contents"},
                              {0, 50, 100, 11, "Preface                              xi"},
                              {0, 50, 114, 11, "Chapter 1: Walls                     3"},
                              {0, 50, 128, 11, "Chapter 2: The long pier"},
                              {1, 200, 128, 11, "14"},
                              {0, 50, 142, 11, "Chapter 3: Gulls                     27"}};
        QTest::newRow("contents entries without leaders, each without its number")
            << QList<LayoutPage>{setPage(1, listed)} << true
            << QStringList{"Contents", "Preface", "Chapter 1: Walls", "Chapter 2: The long pier",
                           "Chapter 3: Gulls"}
            << QList<int>() << QString();

        const QList<SetLine> opening{{0, 50, 114, 36, "I"},
                                     {0, 78, 100, 11, "is a truth universally acknowledged,"},
                                     {0, 78, 114, 11, "that a single man"},
                                     {0, 50, 128, 11, "must be in want of a wife."},
                                     {0, 71, 100, 8, "T"}};
        QTest::newRow("drop capital and its small capital joined to the word")
            << QList<LayoutPage>{setPage(1, opening)} << true
            << QStringList{"IT is a truth universally acknowledged, that a single man must be in "
                           "want of a wife."}
            << QList<int>() << QString();

        // "Draft copy 2" set down the page, word under word, below the text.
        LayoutPage turned = setPage(1, bodyLines(0, 0,
                                                 {"The gulls came back in the spring,",
                                                  "and the keeper counted them all."}));
        LayoutLine draft{{200, 150, 211, 235}, {}};
        for (int w = 0; w < 3; ++w)
            draft.words.append({QStringList{"Draft", "copy", "2"}.at(w),
                                {200, 150.0 + 30 * w, 211, 175.0 + 30 * w}});
        turned.blocks.append({draft.box, 0, {draft}});
        QTest::newRow("a line turned on its side left out")
            << QList<LayoutPage>{turned} << true
            << QStringList{"The gulls came back in the spring, and the keeper counted them all."}
            << QList<int>() << QString();

        QTest::newRow("contents entries without their leaders and numbers")
            << QList<LayoutPage>{setPage(1, contents)} << true
            << QStringList{"Contents", "1 Harbour works", "1.1 The old wall", "1.2 The new wall"}
            << QList<int>() << QString();
    }

    void smallPages()
    {
        QFETCH(QList<LayoutPage>, pages);
        QFETCH(bool, readFootnotes);
        QFETCH(QStringList, spoken);
        QFETCH(QList<int>, unreadable);
        QFETCH(QString, language);
        if (!language.isEmpty() &&
            spellingOf(QStringLiteral("popularity"), language) == Spelling::Unknown)
            QSKIP("No hunspell dictionary of the language is installed");
        LayoutReadingOptions options;
        options.readFootnotes = readFootnotes;
        options.language = language;
        const Reading reading = readInParts(pages, {1}, options);
        QCOMPARE(textsOf(reading.pieces), spoken);
        QCOMPARE(reading.unreadable, unreadable);
        for (const SpokenPiece& piece : reading.pieces) {
            const QString fault = mappingFault(piece, reading.source);
            QVERIFY2(fault.isEmpty(), qPrintable(fault));
        }
    }

    void longSentenceCutAtClauses()
    {
        QStringList lines;
        for (int i = 0; i < 30; ++i)
            lines << QStringLiteral("and the keeper walked along the shore, counting gulls");
        lines.last() += QLatin1Char('.');
        const Reading reading = readInParts({setPage(1, bodyLines(0, 0, lines))}, {});
        QCOMPARE_GT(reading.pieces.size(), 1);
        QStringList texts;
        for (const SpokenPiece& piece : reading.pieces) {
            QCOMPARE_LT(piece.text.size(), 600);
            QVERIFY2(piece.text.endsWith(QLatin1Char(',')) || piece.text.endsWith(QLatin1Char('.')),
                     qPrintable(piece.text));
            texts << piece.text;
        }
        QCOMPARE(texts.join(QLatin1Char(' ')), lines.join(QLatin1Char(' ')));
    }
};

int main(int argc, char** argv)
{
    TestLayoutReading test;
    return lectorix::test::runWithDrawing(&test, argc, argv);
}

#include "test_layout_reading.moc"
