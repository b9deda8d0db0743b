// What the voice is given for figures, abbreviations, numerals and addresses, per language, as
// a reader would say them; the user's own entries first, and the highlight on what is written.

#include "core/text/normalising/language_forms.h"
#include "core/text/normalising/reader_forms.h"
#include "core/text/pronunciations.h"
#include "core/text/spoken_text.h"

#include <QtTest>

using namespace lectorix;

class TestReaderForms : public QObject
{
    Q_OBJECT

private slots:
    void saysAsAReader_data();
    void saysAsAReader();
    void userEntriesComeFirst_data();
    void userEntriesComeFirst();
    void readsAPageInItsLanguage_data();
    void readsAPageInItsLanguage();
    void quickRefusalIsSound_data();
    void quickRefusalIsSound();
};

void TestReaderForms::saysAsAReader_data()
{
    QTest::addColumn<QString>("language");
    QTest::addColumn<QString>("written");
    QTest::addColumn<QString>("spoken");

    const auto row = [](const char* name, const char* language, const char* written,
                        const char* spoken) {
        QTest::newRow(name) << QString::fromUtf8(language) << QString::fromUtf8(written)
                            << QString::fromUtf8(spoken);
    };
    // English
    row("chapter numeral", "en", "CHAPTER XIV", "CHAPTER 14");
    row("regnal names", "en", "Richard I. and Henry VIII", "Richard the 1st and Henry the 8th");
    row("pronoun stays", "en", "In this section I show it. Part I: the start",
        "In this section I show it. Part 1: the start");
    row("pages", "en", "see p. 12 and pp. 201–213", "see page 12 and pages 201 to 213");
    row("number sign", "en", "Docket No. 5 was the answer. No. Then",
        "Docket number 5 was the answer. No. Then");
    row("money", "en", "costs $85 per hour, $1.50 or £2",
        "costs 85 dollars per hour, 1 dollar and 50 cents or 2 pounds");
    row("years", "en", "In 1817 he left; in 1905, by 2015 (1666) and 1914–18",
        "In 18 17 he left; in 19 oh 5, by 20 15 (16 66) and 19 14 to 18");
    row("counts are not years", "en", "He counted 1817 sheep", "He counted 1817 sheep");
    row("phone", "en", "Call 202-493-2251.", "Call 2 oh 2, 4 9 3, 2 2 5 1.");
    row("powers and subscripts", "en", "x² + y³ = H₂O", "x squared + y cubed = H 2 O");
    row("address", "en", "See https://www.regulations.gov/docket%20one.",
        "See regulations dot gov slash docket one.");
    row("e-mail", "en", "Write to jane.doe@example.org today",
        "Write to jane dot doe at example dot org today");
    row("british date", "en-gb", "on 01/12/08", "on the 1st of December 2008");
    row("american date", "en-us", "on 01/12/08", "on January 12th, 2008");
    row("date order unknown", "en", "on 01/12/08, 03/14/2019", "on 01/12/08, March 14th, 20 19");
    row("identifiers are not dates", "en-gb", "ISBN 978-1-60558-392-1/09/06",
        "ISBN 978-1-60558-392-1/09/06");
    row("units", "en", "5 km at 30 °C and 1 kg",
        "5 kilometres at 30 degrees Celsius and 1 kilogram");
    row("abbreviation ends sentence", "en", "apples, pears, etc.", "apples, pears, et cetera.");
    row("titles", "en", "Dr. Watson met Mr. Holmes in St. Albans",
        "Doctor Watson met Mister Holmes in Saint Albans");
    row("letter-spaced", "en", "typeset in L A T E X here, U R R U",
        "typeset in LATEX here, U R R U");
    // French
    row("le premier", "fr", "Le 1er mai, la 1re fois", "Le premier mai, la première fois");
    row("siècle", "fr", "au XIXe siècle et au 2e étage",
        "au dix-neuvième siècle et au deuxième étage");
    row("words stay", "fr", "Ce Le De Vie", "Ce Le De Vie");
    row("french king", "fr", "Louis XIV et François Ier", "Louis 14 et François premier");
    row("french money", "fr", "1 234,50 € et 15 €", "1234 euros 50 et 15 euros");
    row("french titles", "fr", "M. Dupont, Mme Durand, p. 12, art. 5",
        "Monsieur Dupont, Madame Durand, page 12, article 5");
    row("french time", "fr", "à 14h30", "à 14 heures 30");
    row("french chapter", "fr", "chapitre IV", "chapitre 4");
    // German
    row("german abbreviations", "de", "z. B. S. 12 und Nr. 5 usw.",
        "zum Beispiel Seite 12 und Nummer 5 und so weiter.");
    row("german date", "de", "am 3. Oktober 1990", "am dritten Oktober 1990");
    row("german king", "de", "Heinrich VIII. war König", "Heinrich der Achte war König");
    row("german money", "de", "1.234,50 € und 5 km", "1234 Euro 50 und 5 Kilometer");
    // Spanish
    row("spanish king", "es", "Felipe II y Alfonso XIII", "Felipe segundo y Alfonso 13");
    row("spanish abbreviations", "es", "el Sr. García, pág. 4, p. ej. EE. UU.",
        "el señor García, página 4, por ejemplo Estados Unidos.");
    row("spanish date", "es", "el 01/12/2008", "el 1 de diciembre de 2008");
    // Russian
    row("russian year", "ru", "в 2003 г. и 1941–1945 гг.", "в 2003 году и 1941–1945 годы.");
    row("russian pages", "ru", "508 с., 2 с., 1 с.", "508 страниц, 2 страницы, 1 страница.");
    row("russian abbreviations", "ru", "см. т. е. под ред. и т. д.",
        "смотри то есть под редакцией и так далее.");
    row("russian century", "ru", "в XIX в. и XX век", "в девятнадцатом веке и двадцатый век");
    row("russian money", "ru", "100 руб. и 21 руб.", "100 рублей и 21 рубль.");
    row("russian tsar", "ru", "Пётр I и Екатерина II", "Пётр первый и Екатерина вторая");
    row("russian date", "ru", "01.12.2008", "первое декабря 2008 года");
    row("capitals that are words", "en", "WHO IS IT? ASK THE FBI. The US and IT",
        "Who Is It? Ask The FBI. The US and IT");
    // A language without rules of its own is left to the voice.
    row("other language", "it", "Luigi XIV, p. 12", "Luigi XIV, p. 12");
}

void TestReaderForms::saysAsAReader()
{
    QFETCH(QString, language);
    QFETCH(QString, written);
    QFETCH(QString, spoken);
    QCOMPARE(readerForm(written, language), spoken);
}

void TestReaderForms::userEntriesComeFirst_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("spoken");
    QTest::addColumn<QString>("wordHeard");
    QTest::addColumn<QString>("writtenUnder");

    // The entry's own words are said where it matches, the reader's forms elsewhere; a word
    // said for a written stretch lights the whole stretch.
    QTest::newRow("no entry") << QString() << QStringLiteral("See page 12 in 18 17.")
                              << QStringLiteral("18") << QStringLiteral("1817");
    QTest::newRow("entry wins") << QStringLiteral("p.\tpea\t\tpart")
                                << QStringLiteral("See pea 12 in 18 17.") << QStringLiteral("pea")
                                << QStringLiteral("p.");
    QTest::newRow("entry inside a form")
        << QStringLiteral("1817\tthe year") << QStringLiteral("See page 12 in the year.")
        << QStringLiteral("page") << QStringLiteral("p.");
}

void TestReaderForms::userEntriesComeFirst()
{
    QFETCH(QString, entry);
    QFETCH(QString, spoken);
    QFETCH(QString, wordHeard);
    QFETCH(QString, writtenUnder);

    const QString written = QStringLiteral("See p. 12 in 1817.");
    PronunciationList list(parsePronunciations(entry).entries);
    list.setReaderForms(true);
    const SpokenPiece said =
        list.applied(SpokenPiece{written, 100, written.size(), {}}, QStringLiteral("en"));
    QCOMPARE(said.text, spoken);
    const auto [start, length] = said.sourceRange(said.text.indexOf(wordHeard), wordHeard.size());
    QCOMPARE(written.mid(start - 100, length), writtenUnder);
}

// A page mixing numbers, dates, money, units, abbreviations and numerals, in a document that
// declares its language, as the voice of that language is given it, sentence by sentence.
void TestReaderForms::readsAPageInItsLanguage_data()
{
    QTest::addColumn<QString>("language");
    QTest::addColumn<QString>("page");
    QTest::addColumn<QString>("spoken");

    const auto row = [](const char* language, const char* page, const char* spoken) {
        QTest::newRow(language) << QString::fromUtf8(language) << QString::fromUtf8(page)
                                << QString::fromUtf8(spoken);
    };
    row("en",
        "CHAPTER XII\n\nOn 03/14/2019 Dr. Smith paid $1,250.50 for 3 kg of tea, see p. 45 and "
        "pp. 201–213. Henry VIII died in 1547. Call 202-493-2251 or write to info@example.org. "
        "It was 30 °C.",
        "CHAPTER 12\n"
        "On March 14th, 20 19 Doctor Smith paid 1,250 dollars and 50 cents for 3 kilograms of tea, "
        "see page 45 and pages 201 to 213.\n"
        "Henry the 8th died in 15 47.\n"
        "Call 2 oh 2, 4 9 3, 2 2 5 1 or write to info at example dot org.\n"
        "It was 30 degrees Celsius.");
    row("fr",
        "CHAPITRE IV\n\nLe 1er mai 2008, M. Dupont a payé 1 234,50 € pour 5 km de route (p. 12). "
        "Louis XIV régnait au XVIIe siècle ; à 14h30, Mme Durand est arrivée.",
        "CHAPITRE 4\n"
        "Le premier mai 2008, Monsieur Dupont a payé 1234 euros 50 pour 5 kilomètres de route "
        "(page 12).\n"
        "Louis 14 régnait au dix-septième siècle ; à 14 heures 30, Madame Durand est arrivée.");
    row("de",
        "Kapitel IV\n\nAm 3. Oktober 1990 kostete es 1.234,50 € für 5 km, z. B. S. 12 und Nr. 5 "
        "usw. Heinrich VIII. war König.",
        "Kapitel 4\n"
        "Am dritten Oktober 1990 kostete es 1234 Euro 50 für 5 Kilometer, zum Beispiel Seite 12 "
        "und Nummer 5 und so weiter.\n"
        "Heinrich der Achte war König.");
    row("es",
        "CAPÍTULO IV\n\nEl 01/12/2008 el Sr. García pagó 15 € por 5 km, pág. 4. Felipe II reinó "
        "en el siglo XVI.",
        "CAPÍTULO 4\n"
        "El 1 de diciembre de 2008 el señor García pagó 15 euros por 5 kilómetros, página 4.\n"
        "Felipe segundo reinó en el siglo 16.");
    row("ru",
        "ГЛАВА IV\n\nВ 2003 г. город заплатил 100 руб. за 5 км дороги, см. с. 12. Пётр I "
        "основал его в 1703 г. Это было 01.12.2008, а не в XIX в.",
        "ГЛАВА 4\n"
        "В 2003 году город заплатил 100 рублей за 5 километров дороги, смотри страницу 12.\n"
        "Пётр первый основал его в 1703 году.\n"
        "Это было первое декабря 2008 года, а не в девятнадцатом веке.");
}

void TestReaderForms::readsAPageInItsLanguage()
{
    QFETCH(QString, language);
    QFETCH(QString, page);
    QFETCH(QString, spoken);

    SpeechChoices choices;
    choices.utterance.voiceLanguage = language;
    choices.pronunciations.setReaderForms(true);
    choices.pronunciationLanguage = language;
    choices.declaredLanguage = language;
    QStringList said;
    for (const Utterance& utterance : spokenDocument(page, nullptr, choices).utterances)
        said << utterance.text.trimmed();
    QCOMPARE(said.join(QLatin1Char('\n')), spoken);
}

// A rule skips the search on a text lacking what every match contains; it must never skip a
// text the expression matches, whatever the pattern's quantifiers, groups and alternatives.
void TestReaderForms::quickRefusalIsSound_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<bool>("ignoreCase");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("matches");

    const auto row = [](const char* pattern, bool ignoreCase, const char* text, bool matches) {
        QTest::addRow("%s in %s", pattern, text)
            << QString::fromUtf8(pattern) << ignoreCase << QString::fromUtf8(text) << matches;
    };
    row("\\bp\\.(?=\\s?\\d)", false, "see p. 12", true);
    row("\\bp\\.(?=\\s?\\d)", false, "see p 12.", false);
    row("ab+c", false, "xabbbc", true);
    row("ab{0,2}c", false, "ac", true);
    row("a(?:bc)?d|xyz", false, "xyz", true);
    row("(?:ab|cd)e", false, "cde", true);
    row("[]a.]+b", false, "]]b", true);
    row("\\p{Lu}\\.\\s?ST\\.", false, "A.ST.", true);
    row("(?<=no )\\d+(?!x)", false, "no 5", true);
    row("(?<said>\\d{1,2})(?:st|nd)", false, "21st", true);
    row("(?<said>\\d{1,2})(?:st|nd)", false, "first", false);
    row("\\bvol\\.", true, "VOL. 3", true);
    row("\\bvol\\.", true, "volume 3", false);
    row("(?i)vol\\.", false, "VOL. 3", true);
    row("[⁰¹²³]+", false, "x²", true);
    row("§§", false, "§§ 5", true);
    row("\\d", false, "٣", true); // any script's digit
}

void TestReaderForms::quickRefusalIsSound()
{
    QFETCH(QString, pattern);
    QFETCH(bool, ignoreCase);
    QFETCH(QString, text);
    QFETCH(bool, matches);

    const ReaderRule rule = fixedRule(pattern, QStringLiteral("said"), ignoreCase);
    QCOMPARE(rule.expression.match(text).hasMatch(), matches);
    QCOMPARE(rule.mayMatch(text, TextCharacters(text)), matches);
}

QTEST_GUILESS_MAIN(TestReaderForms)
#include "test_reader_forms.moc"
