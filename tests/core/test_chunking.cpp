// cutIntoChunkFiles and cleanLineForSpeech: chunk sizes by rate, chunk names and contents, the
// cleaning rules for every script, and what happens to the input file.
#include "core/conversion/chunking.h"
#include "core/base/error_report.h"
#include "support/error_recorder.h"
#include "support/test_env.h"

#include <QFile>
#include <QRegularExpression>
#include <QtTest>

using namespace lectorix;

namespace {

QString chunkText(const QString& temp, int number)
{
    return QString::fromUtf8(test::readFile(
        chunkFileName(temp + QStringLiteral("/output.txt"), number, QStringLiteral(".txt"))));
}

// Lines "w1 ", "w2 ", ...: each chunk's content then names exactly which lines it holds.
QByteArray numberedLines(int count, const char* lineBreak = "\n")
{
    QByteArray text;
    for (int i = 1; i <= count; ++i)
        text += "w" + QByteArray::number(i) + " " + lineBreak;
    return text;
}

QList<int> linesPerChunk(const QString& temp, int chunks)
{
    QList<int> counts;
    int expectedNext = 1;
    for (int i = 1; i <= chunks; ++i) {
        const QStringList words = chunkText(temp, i).split(
            QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
        for (const QString& word : words) {
            // Lines stay whole and in order across the chunks.
            if (word != QStringLiteral("w%1").arg(expectedNext++))
                return {-1};
        }
        counts << int(words.size());
    }
    return counts;
}

qsizetype characters(const QString& text)
{
    return text.toUcs4().size();
}

} // namespace

class TestChunking : public QObject
{
    Q_OBJECT

private slots:
    void limitsFollowTheRate_data();
    void limitsFollowTheRate();
    void chunkNames();
    void cutsByLinesAndCharacters_data();
    void cutsByLinesAndCharacters();
    void rateSetsTheChunkSize();
    void cleanKeepsEveryScript_data();
    void cleanKeepsEveryScript();
    void linesAreNormalisedAndJoined_data();
    void linesAreNormalisedAndJoined();
    void missingInputIsReportedAndEnds();
};

void TestChunking::limitsFollowTheRate_data()
{
    QTest::addColumn<int>("rate");
    QTest::addColumn<int>("lines");
    QTest::addColumn<qint64>("characters");
    QTest::newRow("start-up default -3") << -3 << 925 << qint64(373760);
    QTest::newRow("slowest -10") << -10 << 50 << qint64(51200);
    QTest::newRow("-1") << -1 << 1175 << qint64(455 * 1024);
    QTest::newRow("normal 0") << 0 << 1300 << qint64(512000);
    QTest::newRow("fastest 10 as 0") << 10 << 1300 << qint64(512000);
}

void TestChunking::limitsFollowTheRate()
{
    QFETCH(int, rate);
    QFETCH(int, lines);
    QFETCH(qint64, characters);
    const ChunkLimits limits = chunkLimits(rate);
    QCOMPARE(limits.lines, lines);
    QCOMPARE(limits.characters, characters);
}

void TestChunking::chunkNames()
{
    const QString input = QStringLiteral("/t/output.txt");
    QCOMPARE(chunkFileName(input, 1, QStringLiteral(".txt")), QStringLiteral("/t/output001.txt"));
    QCOMPARE(chunkFileName(input, 12, QStringLiteral(".wav")), QStringLiteral("/t/output012.wav"));
    QCOMPARE(chunkFileName(input, 1000, QStringLiteral(".mp3")),
             QStringLiteral("/t/output1000.mp3"));
}

void TestChunking::cutsByLinesAndCharacters_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<int>("rate");
    QTest::addColumn<QList<int>>("lines");

    QTest::newRow("3000 lines at rate 0")
        << numberedLines(3000) << 0 << QList<int>{1299, 1299, 402};
    QTest::newRow("49 lines a chunk at -10")
        << numberedLines(200) << -10 << QList<int>{49, 49, 49, 49, 4};
    QTest::newRow("exactly filled last chunk leaves an empty one")
        << numberedLines(98) << -10 << QList<int>{49, 49, 0};
    QTest::newRow("empty input gives one empty chunk") << QByteArray() << 0 << QList<int>{0};
    QTest::newRow("CR LF line breaks") << numberedLines(60, "\r\n") << -10 << QList<int>{49, 11};
    QTest::newRow("lone CR line breaks") << numberedLines(60, "\r") << -10 << QList<int>{49, 11};
    QTest::newRow("no break after the last line")
        << numberedLines(50).chopped(1) << -10 << QList<int>{49, 1};
}

void TestChunking::cutsByLinesAndCharacters()
{
    QFETCH(QByteArray, input);
    QFETCH(int, rate);
    QFETCH(QList<int>, lines);
    const QString temp = test::freshScratch();
    const QString path = test::writeFile(temp + QStringLiteral("/output.txt"), input);

    const int chunks = cutIntoChunkFiles(rate, path);

    QCOMPARE(chunks, int(lines.size()));
    QCOMPARE(linesPerChunk(temp, chunks), lines);
    QVERIFY(!QFile::exists(chunkFileName(path, chunks + 1, QStringLiteral(".txt"))));
    QVERIFY2(!QFile::exists(path), "the input is deleted once it is cut");
}

void TestChunking::rateSetsTheChunkSize()
{
    const QString temp = test::freshScratch();
    test::ErrorRecorder errors;
    // 1000 characters a line: at rate 0 the 512,000-character budget closes the first chunk
    // after the line that reaches it; at -10 the 49-line limit comes first.
    QByteArray text;
    for (int i = 1; i <= 600; ++i)
        text += QByteArray(1000, 'a') + "\n";
    const QString path = test::writeFile(temp + QStringLiteral("/output.txt"), text);
    QCOMPARE(cutIntoChunkFiles(-10, path), 13);

    test::writeFile(path, text);
    QCOMPARE(cutIntoChunkFiles(0, path), 2);
    QCOMPARE(chunkText(temp, 1).size(), 512 * 1001);
    QCOMPARE(chunkText(temp, 2).size(), 88 * 1001);
    QCOMPARE(errors.reports, QStringList());
}

void TestChunking::cleanKeepsEveryScript_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("cleaned");
    QTest::newRow("kept punctuation")
        << QStringLiteral("a b. c, d? e! f;") << QStringLiteral("a b. c, d? e! f;");
    QTest::newRow("other punctuation") << QStringLiteral("its \"x\" - y: (z) [1] 50% a/b #&*@_~")
                                       << QStringLiteral("its  x    y   z   1  50  a b       ");
    QTest::newRow("contractions keep their apostrophe")
        << QStringLiteral("it's mine, don\u2019t, I'd") << QStringLiteral("it's mine, don\u2019t, I'd");
    QTest::newRow("possessives, singular and plural")
        << QStringLiteral("the boy's and the players' ball") << QStringLiteral("the boy's and the players' ball");
    QTest::newRow("quotes around words go")
        << QStringLiteral("'quoted' \u2018this\u2019 'x") << QStringLiteral(" quoted'  this\u2019  x");
    QTest::newRow("compounds keep their hyphen, other hyphens go")
        << QStringLiteral("first-class -x y- 1990-95 a - b \u00e9t\u00e9-l\u00e0")
        << QStringLiteral("first-class  x y  1990 95 a   b \u00e9t\u00e9-l\u00e0");
    QTest::newRow("acronyms keep their case") << QStringLiteral("the US army, NATO") << QStringLiteral("the US army, NATO");
    QTest::newRow("cyrillic compound and apostrophe")
        << QStringLiteral("\u0421\u0430\u043d\u043a\u0442-\u041f\u0435\u0442\u0435\u0440\u0431\u0443\u0440\u0433 \u043e\u0431'\u0454\u043a\u0442")
        << QStringLiteral("\u0421\u0430\u043d\u043a\u0442-\u041f\u0435\u0442\u0435\u0440\u0431\u0443\u0440\u0433 \u043e\u0431'\u0454\u043a\u0442");
    QTest::newRow("hyphen beside a letter outside the basic plane")
        << QStringLiteral("\U0001D400-\U0001D401") << QStringLiteral("\U0001D400-\U0001D401");
    QTest::newRow("controls and tab")
        << QStringLiteral("\fpage\tone\x01") << QStringLiteral(" page one ");
    QTest::newRow("accented latin")
        << QStringLiteral("café naïve Ærø straße") << QStringLiteral("café naïve Ærø straße");
    QTest::newRow("combining accent")
        << QStringLiteral("cafe\u0301") << QStringLiteral("cafe\u0301");
    QTest::newRow("cyrillic") << QStringLiteral("Привет, мир!") << QStringLiteral("Привет, мир!");
    QTest::newRow("greek and cjk")
        << QStringLiteral("αβγ 日本語。") << QStringLiteral("αβγ 日本語 ");
    QTest::newRow("arabic letters and digits")
        << QStringLiteral("مرحبا ١٢٣") << QStringLiteral("مرحبا ١٢٣");
    QTest::newRow("no-break space and dashes")
        << QStringLiteral("a\u00a0b\u2014c\u2013d") << QStringLiteral("a b c d");
    QTest::newRow("letter outside the basic plane")
        << QStringLiteral("\U0001D400x") << QStringLiteral("\U0001D400x");
    QTest::newRow("emoji becomes one space")
        << QStringLiteral("a\U0001F600b") << QStringLiteral("a b");
    QTest::newRow("empty") << QString() << QString();
}

void TestChunking::cleanKeepsEveryScript()
{
    QFETCH(QString, text);
    QFETCH(QString, cleaned);
    const QString result = cleanLineForSpeech(text);
    QCOMPARE(result, cleaned);
    QCOMPARE(characters(result), characters(text));
}

void TestChunking::linesAreNormalisedAndJoined_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QString>("chunk");
    QTest::newRow("capitalised words, colon, percent, brackets")
        << QByteArray("Alpha, Beta: 12% (Gamma)\n") << QStringLiteral("Alpha, Beta  12   Gamma \n");
    QTest::newRow("entity removed")
        << QByteArray("a&#xa0;b &#xa0;&#xa0;c\n") << QStringLiteral("ab c\n");
    QTest::newRow("upper-case entity is no entity")
        << QByteArray("a&#XA0;b\n") << QStringLiteral("a  XA0;b\n");
    QTest::newRow("lines stay apart")
        << QByteArray("one\ntwo \n three") << QStringLiteral("one\ntwo \n three\n");
    QTest::newRow("cyrillic kept as written")
        << QByteArray("ПРИВЕТ, Мир!\n") << QStringLiteral("ПРИВЕТ, Мир!\n");
    QTest::newRow("windows-1252 input")
        << QByteArray("Caf\xe9 \x93quoted\x94 it\x92s\n") << QStringLiteral("Café  quoted  it\u2019s\n");
    QTest::newRow("byte-order mark dropped")
        << QByteArray("\xef\xbb\xbfHi\n") << QStringLiteral("Hi\n");
}

void TestChunking::linesAreNormalisedAndJoined()
{
    QFETCH(QByteArray, input);
    QFETCH(QString, chunk);
    const QString temp = test::freshScratch();
    const QString path = test::writeFile(temp + QStringLiteral("/output.txt"), input);
    QCOMPARE(cutIntoChunkFiles(0, path), 1);
    QCOMPARE(chunkText(temp, 1), chunk);
}

void TestChunking::missingInputIsReportedAndEnds()
{
    const QString temp = test::freshScratch();
    test::ErrorRecorder errors;
    const QString path = temp + QStringLiteral("/output.txt");
    QCOMPARE(cutIntoChunkFiles(0, path), 1);
    const QStringList shown = errors.reports;
    QCOMPARE(shown.size(), 1);
    QCOMPARE(shown.first(), applicationErrorText(sourceTag("Speak", "CutTextFileFSO"), 120,
                                                 QStringLiteral("File not found: ") + path));
    QVERIFY(QFile::exists(temp + QStringLiteral("/output001.txt")));
}

QTEST_GUILESS_MAIN(TestChunking)
#include "test_chunking.moc"
