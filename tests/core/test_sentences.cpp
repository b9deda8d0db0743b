// Where sentences end, in the languages the voices speak: abbreviations, initials, numbers,
// ellipses, closing quotes and brackets, and the marks of scripts without spaces.
#include "core/text/sentences.h"

#include <QtTest>

using namespace lectorix;

class TestSentences : public QObject
{
    Q_OBJECT

private slots:
    void sentencesOfParagraph_data();
    void sentencesOfParagraph();
};

// Each sentence is listed without the spaces around it; the ends themselves are checked to
// rise and to close the paragraph.
void TestSentences::sentencesOfParagraph_data()
{
    QTest::addColumn<QString>("language");
    QTest::addColumn<QString>("paragraph");
    QTest::addColumn<QStringList>("sentences");
    const auto row = [](const char* name, const char* language, const QString& paragraph,
                        const QStringList& sentences) {
        QTest::newRow(name) << QString::fromLatin1(language) << paragraph << sentences;
    };
    row("plain sentences", "en", "It rained. We stayed in! Did you? Yes.",
        {"It rained.", "We stayed in!", "Did you?", "Yes."});
    row("no final mark", "en", "One. Two without end", {"One.", "Two without end"});
    row("titles", "en", "Mr. and Mrs. Smith met Dr. Watson on St. James St. at noon.",
        {"Mr. and Mrs. Smith met Dr. Watson on St. James St. at noon."});
    row("latin abbreviations", "en", "Fruit, e.g. Apples, i.e. Food, vs. Meat. Then we ate.",
        {"Fruit, e.g. Apples, i.e. Food, vs. Meat.", "Then we ate."});
    row("etc. before a capital ends", "en", "Pens, ink, etc. The rest was paper.",
        {"Pens, ink, etc.", "The rest was paper."});
    row("etc. before a small letter does not", "en", "Pens, ink, etc. and paper.",
        {"Pens, ink, etc. and paper."});
    row("pages, numbers and figures", "en", "See p. 5 and pp. 7-9, No. 4, Fig. 2 and Vol. 3.",
        {"See p. 5 and pp. 7-9, No. 4, Fig. 2 and Vol. 3."});
    row("a month before its day", "en", "Filed JUL. 15, 2019 and Sept. 3. Dec. Then more.",
        {"Filed JUL. 15, 2019 and Sept. 3.", "Dec.", "Then more."});
    row("No. as a word", "en", "The answer was No. Then he left.",
        {"The answer was No.", "Then he left."});
    row("initials", "en", "J. R. R. Tolkien wrote it. J.R.R. Tolkien did.",
        {"J. R. R. Tolkien wrote it.", "J.R.R. Tolkien did."});
    row("dotted abbreviation, then a web address", "en",
        "The U.S. Army came. Visit example.com. Now.",
        {"The U.S. Army came.", "Visit example.com.", "Now."});
    row("decimals and years", "en", "It cost 3.5 dollars in 1990. Prices rose.",
        {"It cost 3.5 dollars in 1990.", "Prices rose."});
    row("ellipsis before a small letter", "en", "Well... maybe. Wait\u2026 No!",
        {"Well... maybe.", "Wait\u2026", "No!"});
    row("marks inside quotes before a small letter", "en", "\"Go!\" he said. \"Why?\" She asked.",
        {"\"Go!\" he said.", "\"Why?\"", "She asked."});
    row("I after a quotation goes on", "en",
        "\u201cIndeed!\u201d I murmured. \u201cNo.\u201d It was late.",
        {"\u201cIndeed!\u201d I murmured.", "\u201cNo.\u201d", "It was late."});
    row("closing quotes and brackets", "en",
        "He said \u201cYes.\u201d (It was true.) Then: \u2018Fine?!\u2019 Done.",
        {"He said \u201cYes.\u201d", "(It was true.)", "Then: \u2018Fine?!\u2019", "Done."});
    row("the pronoun I is no initial", "en", "So did I. Then we left.",
        {"So did I.", "Then we left."});
    row("a list item's number", "en", "1. Take the pen. 2. Write: 3. Sign.",
        {"1. Take the pen.", "2. Write: 3. Sign."});
    row("leaders and lone marks", "en", "\u2026 Yes. Contents . . . . 5",
        {"\u2026 Yes.", "Contents . . . .", "5"});
    row("no space after the mark", "en", "Version 2.0.1 is out.Really.",
        {"Version 2.0.1 is out.Really."});
    row("french", "fr",
        "M. Dupont et Mme. Durand, p. ex. Paris, etc. Ils partent ! \u00ab Oui ! \u00bb Fin.",
        {"M. Dupont et Mme. Durand, p. ex. Paris, etc.", "Ils partent !", "\u00ab Oui ! \u00bb",
         "Fin."});
    row("german", "de",
        "Er kam am 3. Oktober, z. B. mit Dr. M\u00fcller, d. h. Nr. 5 auf S. 7, bzw. "
        "sp\u00e4ter usw. Dann ging er. Es war 1990. Danach nicht.",
        {"Er kam am 3. Oktober, z. B. mit Dr. M\u00fcller, d. h. Nr. 5 auf S. 7, bzw. "
         "sp\u00e4ter usw.",
         "Dann ging er.", "Es war 1990.", "Danach nicht."});
    row("german quotes", "de", "Er rief \u201eKomm.\u201c Sie kam.",
        {"Er rief \u201eKomm.\u201c", "Sie kam."});
    row("spanish", "es",
        "El Sr. G\u00f3mez y la Sra. Ruiz, p\u00e1g. 4. \u00bfVienes? \u00a1S\u00ed! Bien.",
        {"El Sr. G\u00f3mez y la Sra. Ruiz, p\u00e1g. 4.", "\u00bfVienes?", "\u00a1S\u00ed!",
         "Bien."});
    row("russian", "ru",
        "Он, т. е. Иван, жил в г. Москва с 1990 г. Потом уехал, см. стр. 5 и т. д. Конец. "
        "Указ от 30 января 2002 г. № 74 (ст. 580) утвержден.",
        {"Он, т. е. Иван, жил в г. Москва с 1990 г.", "Потом уехал, см. стр. 5 и т. д.", "Конец.",
         "Указ от 30 января 2002 г. № 74 (ст. 580) утвержден."});
    row("chinese and japanese marks", "zh",
        "\u4eca\u5929\u4e0b\u96e8\u3002\u4f60\u6765\u5417\uff1f\u300c\u597d\uff01\u300d\u8d70",
        {"\u4eca\u5929\u4e0b\u96e8\u3002", "\u4f60\u6765\u5417\uff1f", "\u300c\u597d\uff01\u300d",
         "\u8d70"});
    row("arabic question mark", "ar",
        "\u0647\u0644 \u062a\u0623\u062a\u064a\u061f \u0646\u0639\u0645.",
        {"\u0647\u0644 \u062a\u0623\u062a\u064a\u061f", "\u0646\u0639\u0645."});
    row("unknown language gets the english words", "xx", "Dr. Who came. Mr. X left.",
        {"Dr. Who came.", "Mr. X left."});
    row("trailing spaces add nothing", "en", "Done.   ", {"Done."});
    row("only spaces", "en", "   ", QStringList());
    row("empty", "en", QString(), QStringList());
}

void TestSentences::sentencesOfParagraph()
{
    QFETCH(QString, language);
    QFETCH(QString, paragraph);
    QFETCH(QStringList, sentences);
    const QList<qsizetype> ends = sentenceEnds(paragraph, language);
    QStringList found;
    qsizetype start = 0;
    for (qsizetype end : ends) {
        QVERIFY2(end > start && end <= paragraph.size(), qPrintable(QString::number(end)));
        found << paragraph.sliced(start, end - start).trimmed();
        start = end;
    }
    QVERIFY(paragraph.sliced(start).trimmed().isEmpty());
    QCOMPARE(found, sentences);
}

QTEST_GUILESS_MAIN(TestSentences)
#include "test_sentences.moc"
