// Text that is language and text that is a font's unmapped glyphs, on real documents in
// several scripts and on the noise such fonts give; words made plain for the voice.
#include "core/text/spelling.h"
#include "core/text/text_language.h"

#include "support/program_run.h"
#include "support/test_env.h"

#include <QtTest>

using namespace lectorix;

class TestTextLanguage : public QObject
{
    Q_OBJECT

private slots:
    void documentsAreLanguage_data();
    void documentsAreLanguage();
    void languageOrNoise_data();
    void languageOrNoise();
    void plainForSpeech_data();
    void plainForSpeech();
    void dictionaryFor_data();
    void dictionaryFor();
};

// pdftotext's text of real documents is language as a whole and page by page, though a
// page of formulas may hold a line of glyphs its fonts do not map.
void TestTextLanguage::documentsAreLanguage_data()
{
    QTest::addColumn<QString>("pdf");
    for (const char* name : {"habibi.pdf", "Government Decree 842.pdf", "GeoTopo-komprimiert.pdf",
                             "french_diacritics.pdf", "01-A-Study-in-Scarlet.pdf", "vertical.pdf",
                             "freeculture.pdf", "tracemonkey.pdf"})
        QTest::newRow(name) << QString::fromLatin1(name);
}

void TestTextLanguage::documentsAreLanguage()
{
    QFETCH(QString, pdf);
    REQUIRE_CORPUS();
    const test::ProgramRun run = test::runProgram(QStringLiteral("pdftotext"),
                                                  {QStringLiteral("-enc"), QStringLiteral("UTF-8"),
                                                   test::corpusFile(pdf), QStringLiteral("-")});
    QVERIFY2(run.succeeded(), run.said().constData());
    const QString text = run.output();
    QVERIFY(!text.trimmed().isEmpty());
    QVERIFY(isLanguage(text));
    for (const QString& page : text.split(QLatin1Char('\f')))
        QVERIFY2(isLanguage(page), qPrintable(page));
}

void TestTextLanguage::languageOrNoise_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("language");
    const auto row = [](const char* name, const QString& text, bool language) {
        QTest::newRow(name) << text << language;
    };
    row("english", "The quick brown fox jumps over the lazy dog.", true);
    row("accented latin",
        "L'\u00e9t\u00e9 \u00e0 No\u00ebl, \u00c6r\u00f8 stra\u00dfe, "
        "p\u0159\u00ed\u0161e\u0159\u00ed \u017elu\u0165ou\u010dk\u00fd",
        true);
    row("title in capitals", "\u00c9T\u00c9", true);
    row("icelandic", "\u00de\u00f3r\u00f0ur \u00feekkti \u00feessa \u00fej\u00f3\u00f0", true);
    row("vietnamese", "Ti\u1ebfng Vi\u1ec7t c\u1ee7a ng\u01b0\u1eddi \u0110\u01af\u1edcNG", true);
    row("romanian and azerbaijani", "\u021bar\u0103 \u0219i A\u0259rbaycan", true);
    row("greek", "\u0397 \u03b3\u03bb\u03ce\u03c3\u03c3\u03b1 \u03b5\u03af\u03bd\u03b1\u03b9",
        true);
    row("japanese mixes kana and kanji", "\u65e5\u672c\u8a9e\u306e\u30c6\u30ad\u30b9\u30c8", true);
    row("chinese and thai with latin words",
        "\u6211\u7528iPhone\u62cd\u7167 \u0e09\u0e31\u0e19\u0e43\u0e0a\u0e49Android", true);
    row("hebrew", "\u05e9\u05dc\u05d5\u05dd \u05e2\u05d5\u05dc\u05dd", true);
    row("devanagari", "\u0928\u092e\u0938\u094d\u0924\u0947 \u0926\u0941\u0928\u093f\u092f\u093e",
        true);
    row("numbers and punctuation are neutral", "12.5 % (3) \u2013 4/5 = 0,8 \u20ac", true);
    row("signs of text", "\u00a9 2020, 20\u00b0C, \u2116 5", true);
    row("words among crop marks and shapes",
        "\u275a\u2758 \u2759 \u275a\u2758 \u2759 FREE CULTURE \u275a\u2758 \u2759 \u275a\u2758 "
        "\u2500\u2502\u250c \u25a0\u25b2\u25c6\u25cf \u2192 \u2605",
        true);
    row("a bullet from a symbol font", "\uf0b7 Introduction to the method", true);
    row("nothing", QString(), true);
    row("private use run", "\ue001\ue002\ue003 \ue004\ue005", false);
    row("private use of plane 15", "\U000F0001\U000F0002\U000F0003", false);
    row("private use inside words",
        "Th\ue011 qu\ue012ck br\ue013wn f\ue014x j\ue015mps \ue016ver th\ue017 l\ue018zy", false);
    row("controls", "\x01\x02\x03\x04 \x05\x06\x07", false);
    row("c1 controls and replacement", "\u0081\u0082\ufffd\ufffd\u0090", false);
    row("unassigned", "\u0378\u0379\u0380\u0381", false);
    row("scripts mixed inside words",
        "\u0422he q\u0443ick br\u043ewn f\u043ex \u0458umps \u043ever th\u0435 lazy", false);
    row("latin-1 garbage", "\u00c6\u00c7\u00c8\u00c9 \u00ca\u00cb\u00cc\u00cd \u00ce\u00cf", false);
    row("latin-1 symbols between letters",
        "\u0141\u00af\u00e6 \u00c6\u00d8\u00e6 \u00bf\u00d8\u0141 \u00b8a\u00a8b\u00b4c a\u00a8b "
        "c\u00b8d",
        false);
    row("latin extended-b and ipa",
        "\u0180\u0183\u0188 \u018c\u0192\u019e \u0250\u0265\u026e\u0271 \u02a4\u02a7", false);
    row("spacing accents and latin-1 signs", "\u00a6\u00a8\u00af \u00b8\u02c6\u02dc", false);
}

void TestTextLanguage::languageOrNoise()
{
    QFETCH(QString, text);
    QFETCH(bool, language);
    QCOMPARE(isLanguage(text), language);
}

void TestTextLanguage::plainForSpeech_data()
{
    QTest::addColumn<QString>("word");
    QTest::addColumn<QString>("plain");
    QTest::newRow("plain word") << QStringLiteral("caf\u00e9") << QStringLiteral("caf\u00e9");
    QTest::newRow("ligatures") << QStringLiteral("\ufb01nal \ufb00ect \ufb04e \ufb06")
                               << QStringLiteral("final ffect ffle st");
    QTest::newRow("mathematical letters")
        << QStringLiteral("\U0001D400\U0001D41B\U0001D5BC \U0001D7D9") << QStringLiteral("Abc 1");
    QTest::newRow("full-width and half-width")
        << QStringLiteral("\uff21\uff22\uff23\uff11\uff12 \uff76\uff9e\uff77")
        << QStringLiteral("ABC12 \u30ac\u30ad");
    QTest::newRow("letter-like, roman and circled")
        << QStringLiteral("\u210c \u2113 \u2103 \u216b \u2461 \u338f")
        << QStringLiteral("H l \u00b0C XII 2 kg");
    QTest::newRow("superscript letters")
        << QStringLiteral("5\u1d57\u02b0 1\u1d49\u02b3") << QStringLiteral("5th 1er");
    QTest::newRow("long s and dutch ij")
        << QStringLiteral("\u017fo \u0133s") << QStringLiteral("so ijs");
    QTest::newRow("arabic presentation forms")
        << QStringLiteral("\ufedf\ufee0\ufeea") << QStringLiteral("\u0644\u0644\u0647");
    QTest::newRow("soft hyphen and zero-width characters")
        << QStringLiteral("ex\u00adam\u200bple\u200d\u2060\ufeff\u200e")
        << QStringLiteral("example");
    QTest::newRow("superscripts, fractions and signs stay")
        << QStringLiteral("m\u00b2 10\u00b3 H\u2082O \u00bd \u2116 \u2122 1\u00ba")
        << QStringLiteral("m\u00b2 10\u00b3 H\u2082O \u00bd \u2116 \u2122 1\u00ba");
    QTest::newRow("accents are not decomposed")
        << QStringLiteral("e\u0301 \u00c5") << QStringLiteral("e\u0301 \u00c5");
    QTest::newRow("lone surrogate kept as it is")
        << QString(QChar(0xD800)) << QString(QChar(0xD800));
    QTest::newRow("empty") << QString() << QString();
}

void TestTextLanguage::plainForSpeech()
{
    QFETCH(QString, word);
    QFETCH(QString, plain);
    QCOMPARE(lectorix::plainForSpeech(word), plain);
}

void TestTextLanguage::dictionaryFor_data()
{
    QTest::addColumn<QString>("language");
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QString>("chosen");
    const QStringList installed{"en_GB.dic", "en_US.dic", "fr.dic",    "fr_BE.dic",
                                "fr_FR.dic", "pt_BR.dic", "ru_RU.dic", "en_US.aff"};
    QTest::newRow("the tag's region") << "en-gb" << installed << "en_GB.dic";
    QTest::newRow("the language's own country") << "fr" << installed << "fr_FR.dic";
    QTest::newRow("the bare language before another region")
        << "fr-ca" << QStringList{"fr_BE.dic", "fr.dic"} << "fr.dic";
    QTest::newRow("any region of the language") << "pt" << installed << "pt_BR.dic";
    QTest::newRow("capitals in the tag") << "RU" << installed << "ru_RU.dic";
    QTest::newRow("no dictionary of the language") << "de-de" << installed << "";
    QTest::newRow("no language") << "" << installed << "";
}

void TestTextLanguage::dictionaryFor()
{
    QFETCH(QString, language);
    QFETCH(QStringList, files);
    QFETCH(QString, chosen);
    QCOMPARE(lectorix::dictionaryFor(language, files), chosen);
}

QTEST_GUILESS_MAIN(TestTextLanguage)
#include "test_text_language.moc"
