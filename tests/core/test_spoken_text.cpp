// The text as the export gives it to the voice: the cleaning rules for every script, and
// every line of the decoded text cleaned and ended with a line feed.
#include "core/conversion/spoken_text.h"
#include "core/files/text_decoding.h"

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

void TestSpokenText::cleanKeepsEveryScript_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("cleaned");
    QTest::newRow("kept punctuation")
        << QStringLiteral("a b. c, d? e! f;") << QStringLiteral("a b. c, d? e! f;");
    QTest::newRow("other punctuation") << QStringLiteral("its \"x\" - y: (z) [1] 50% a/b #&*@_~")
                                       << QStringLiteral("its  x    y   z   1  50  a b       ");
    QTest::newRow("contractions keep their apostrophe")
        << QStringLiteral("it's mine, don\u2019t, I'd")
        << QStringLiteral("it's mine, don\u2019t, I'd");
    QTest::newRow("possessives, singular and plural")
        << QStringLiteral("the boy's and the players' ball")
        << QStringLiteral("the boy's and the players' ball");
    QTest::newRow("quotes around words go") << QStringLiteral("'quoted' \u2018this\u2019 'x")
                                            << QStringLiteral(" quoted'  this\u2019  x");
    QTest::newRow("compounds keep their hyphen, other hyphens go")
        << QStringLiteral("first-class -x y- 1990-95 a - b \u00e9t\u00e9-l\u00e0")
        << QStringLiteral("first-class  x y  1990 95 a   b \u00e9t\u00e9-l\u00e0");
    QTest::newRow("acronyms keep their case")
        << QStringLiteral("the US army, NATO") << QStringLiteral("the US army, NATO");
    QTest::newRow("cyrillic compound and apostrophe")
        << QStringLiteral("\u0421\u0430\u043d\u043a\u0442-"
                          "\u041f\u0435\u0442\u0435\u0440\u0431\u0443\u0440\u0433 "
                          "\u043e\u0431'\u0454\u043a\u0442")
        << QStringLiteral("\u0421\u0430\u043d\u043a\u0442-"
                          "\u041f\u0435\u0442\u0435\u0440\u0431\u0443\u0440\u0433 "
                          "\u043e\u0431'\u0454\u043a\u0442");
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
        << QByteArray("Alpha, Beta: 12% (Gamma)\n") << QStringLiteral("Alpha, Beta  12   Gamma \n");
    QTest::newRow("entity removed")
        << QByteArray("a&#xa0;b &#xa0;&#xa0;c\n") << QStringLiteral("ab c\n");
    QTest::newRow("upper-case entity is no entity")
        << QByteArray("a&#XA0;b\n") << QStringLiteral("a  XA0;b\n");
    QTest::newRow("lines stay apart, the last one ended")
        << QByteArray("one\ntwo \n three") << QStringLiteral("one\ntwo \n three\n");
    QTest::newRow("CR LF and a lone CR each end one line")
        << QByteArray("a\r\nb\rc\r") << QStringLiteral("a\nb\nc\n");
    QTest::newRow("empty lines stay") << QByteArray("a\n\n\nb\n") << QStringLiteral("a\n\n\nb\n");
    QTest::newRow("nothing") << QByteArray() << QString();
    QTest::newRow("cyrillic kept as written")
        << QByteArray("ПРИВЕТ, Мир!\n") << QStringLiteral("ПРИВЕТ, Мир!\n");
    QTest::newRow("windows-1252 input") << QByteArray("Caf\xe9 \x93quoted\x94 it\x92s\n")
                                        << QStringLiteral("Café  quoted  it\u2019s\n");
    QTest::newRow("Windows-1252, é at the end") << QByteArray("caf\xe9") << "caf\u00e9\n";
    QTest::newRow("Windows-1252, ï» at the end") << QByteArray("x \xef\xbb") << "x \u00ef \n";
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
