// The text as the export gives it to the voice: the cleaning rules for every script, and
// every line of the decoded text cleaned and ended with a line feed.
#include "core/files/text_decoding.h"
#include "core/text/spoken_text.h"

#include <QtTest>

using namespace lectorix;

namespace {

qsizetype characters(const QString& text)
{
    return text.toUcs4().size();
}

} // namespace

class TestSpokenText : public QObject
{
    Q_OBJECT

private slots:
    void cleanKeepsEveryScript_data();
    void cleanKeepsEveryScript();
    void linesAreCleanedAndEnded_data();
    void linesAreCleanedAndEnded();
};

// What espeak-ng reads as a word or a pause stays; what it would spell out as noise becomes
// one space per character.
void TestSpokenText::cleanKeepsEveryScript_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("cleaned");
    const auto same = [](const char* name, const QString& text) {
        QTest::newRow(name) << text << text;
    };
    same("sentence marks", QStringLiteral("a b. c, d? e! f; g: h..."));
    same("percent and dashes", QStringLiteral("89 % des r\u00e9pondants, what his father was "
                                              "\u2014 have done this \u2013 1990-95 -x y- a - b"));
    same("brackets and quotes",
         QStringLiteral("its \"x\" (z) [1] {2} <3> 'quoted' \u2018this\u2019 "
                        "\u201cthat\u201d \u00abici\u00bb \u201eJa\u201c"));
    same("contractions and possessives",
         QStringLiteral("it's mine, don\u2019t, I'd, the boy's and the players' ball"));
    same("signs read as words",
         QStringLiteral("50% 5\u2030 \u00a7 4 \u2116 5 a@b.fr and/or A & B #1 \u00a9 \u00ae "
                        "\u2122 20\u00b0C \u2103"));
    same("currency", QStringLiteral("5 \u20ac, $5, \u00a35, \u00a55, 5 \u20bd, \u20b95, 3\u00a2"));
    same("mathematics", QStringLiteral("2+2=4, x \u2264 y, 5 \u00d7 3 \u00b1 1, 2*3, 3 * 4, C++"));
    same("numbers of other kinds", QStringLiteral("m\u00b2 \u00bd \u2462 \u216b"));
    same("marks of other scripts",
         QStringLiteral("\u00bfQu\u00e9? \u00a1S\u00ed! \u65e5\u672c\u8a9e\u3002\u300c\u306f"
                        "\u3044\u300d \u0645\u0627\u0630\u0627\u061f \u060c \u0964"));
    same("inside words", QStringLiteral("don\u00b4t col\u00b7lecci\u00f3 ex\u00adample "
                                        "\u0645\u06cc\u200c\u062e\u0648\u0627\u0647\u0645"));
    same("compounds and scripts",
         QStringLiteral("first-class \u00e9t\u00e9-l\u00e0 \u0421\u0430\u043d\u043a\u0442-"
                        "\u041f\u0435\u0442\u0435\u0440\u0431\u0443\u0440\u0433 "
                        "\u043e\u0431'\u0454\u043a\u0442 \u03b1\u03b2\u03b3 \u0645\u0631\u062d"
                        "\u0628\u0627 \u0661\u0662\u0663 caf\u00e9 na\u00efve \u00c6r\u00f8 "
                        "cafe\u0301"));
    same("acronyms keep their case", QStringLiteral("the US army, NATO"));
    same("letters outside the basic plane", QStringLiteral("\U0001D400x \U0001D400-\U0001D401"));
    same("ellipses", QStringLiteral("Wait... then\u2026 \u4e0d\u2026\u2026"));
    QTest::newRow("asterisk of a footnote or emphasis")
        << QStringLiteral("note* *x* a ** b") << QStringLiteral("note   x  a    b");
    QTest::newRow("dot leaders keep one pause")
        << QStringLiteral("Chapter 1 ........ 5 | Part . . . . . . . 9 | End \u2026\u2026\u2026 "
                          "12 | go.... so......")
        << QStringLiteral("Chapter 1 .        5   Part .             9   End \u2026   12   "
                          "go.... so......");
    QTest::newRow("rules") << QStringLiteral("a ----- b \u2014\u2014 c - - - d ____ e")
                           << QStringLiteral("a -     b \u2014  c -     d      e");
    QTest::newRow("runs of signs") << QStringLiteral("a *** b ===== c !@#$% d +++ e \u20ac$\u00a3")
                                   << QStringLiteral("a     b       c !     d     e    ");
    QTest::newRow("signs spelled out as noise")
        << QStringLiteral(
               "~5 a|b \u00acc \u2192d \u25a0e \u2020f \u2022g \\h \u00a8i `j ^k x\u00b7")
        << QStringLiteral(" 5 a b  c  d  e  f  g  h  i  j  k x ");
    QTest::newRow("separators") << QStringLiteral("a_b a \u00b4 b a \u00b7 b")
                                << QStringLiteral("a b a   b a   b");
    QTest::newRow("controls, tab and other spaces")
        << QStringLiteral("\fpage\tone\x01 a\u00a0b\u2009c\u0085")
        << QStringLiteral(" page one  a b c ");
    QTest::newRow("invisible characters")
        << QStringLiteral("a\u200bb\u200dc\u2060d\ufeffe\u200ff\u00ad")
        << QStringLiteral("a b\u200dc d e f ");
    QTest::newRow("private use, unassigned and lone surrogates")
        << QStringLiteral("\ue001a\U000F0001b\u0378c") + QChar(0xDC00) + QStringLiteral("d") +
               QChar(0xD800)
        << QStringLiteral(" a b c d ");
    QTest::newRow("emoji and box drawing")
        << QStringLiteral("a\U0001F600b \u2500\u2502x") << QStringLiteral("a b   x");
    QTest::newRow("empty") << QString() << QString();
}

void TestSpokenText::cleanKeepsEveryScript()
{
    QFETCH(QString, text);
    QFETCH(QString, cleaned);
    const QString result = cleanLineForSpeech(text);
    QCOMPARE(result, cleaned);
    QCOMPARE(characters(result), characters(text));
}

// What a text file holds, decoded by the program's one reading rule, as the voice is given it.
void TestSpokenText::linesAreCleanedAndEnded_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QString>("spoken");
    QTest::newRow("capitalised words, colon, percent, brackets")
        << QByteArray("Alpha, Beta: 12% (Gamma)\n") << QStringLiteral("Alpha, Beta: 12% (Gamma)\n");
    QTest::newRow("entity removed")
        << QByteArray("a&#xa0;b &#xa0;&#xa0;c\n") << QStringLiteral("ab c\n");
    QTest::newRow("upper-case entity is no entity")
        << QByteArray("a&#XA0;b\n") << QStringLiteral("a&#XA0;b\n");
    QTest::newRow("lines stay apart, the last one ended")
        << QByteArray("one\ntwo \n three") << QStringLiteral("one\ntwo \n three\n");
    QTest::newRow("CR LF and a lone CR each end one line")
        << QByteArray("a\r\nb\rc\r") << QStringLiteral("a\nb\nc\n");
    QTest::newRow("empty lines stay") << QByteArray("a\n\n\nb\n") << QStringLiteral("a\n\n\nb\n");
    QTest::newRow("nothing") << QByteArray() << QString();
    QTest::newRow("cyrillic kept as written")
        << QByteArray("ПРИВЕТ, Мир!\n") << QStringLiteral("ПРИВЕТ, Мир!\n");
    QTest::newRow("windows-1252 input") << QByteArray("Caf\xe9 \x93quoted\x94 it\x92s\n")
                                        << QStringLiteral("Café \u201cquoted\u201d it\u2019s\n");
    QTest::newRow("Windows-1252, é at the end") << QByteArray("caf\xe9") << "caf\u00e9\n";
    QTest::newRow("Windows-1252, ï» at the end") << QByteArray("x \xef\xbb") << "x \u00ef\u00bb\n";
    QTest::newRow("UTF-8, é at the end") << QByteArray("caf\xc3\xa9") << "caf\u00e9\n";
    QTest::newRow("byte-order mark dropped")
        << QByteArray("\xef\xbb\xbfHi\n") << QStringLiteral("Hi\n");
}

void TestSpokenText::linesAreCleanedAndEnded()
{
    QFETCH(QByteArray, input);
    QFETCH(QString, spoken);
    QCOMPARE(spokenText(decodeTextFile(input)), spoken);
}

QTEST_GUILESS_MAIN(TestSpokenText)
#include "test_spoken_text.moc"
