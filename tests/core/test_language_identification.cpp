// The language of a paragraph, told from its words or declared by its document: which
// language a text is in, which language each paragraph of a document takes, and the language
// a PDF's catalog declares, whatever its bytes hold.
#include "core/pdf/document_info.h"
#include "core/text/language_identification.h"

#include "support/test_env.h"

#include <QtTest>

using namespace lectorix;

class TestLanguageIdentification : public QObject
{
    Q_OBJECT

private slots:
    void identification_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("likely");
        QTest::addColumn<QString>("language");
        QTest::newRow("English") << "The committee has not yet decided whether the new bridge "
                                    "should be built before the winter."
                                 << ""
                                 << "en";
        QTest::newRow("French") << "Le comité n'a pas encore décidé si le nouveau pont doit être "
                                   "construit avant l'hiver."
                                << ""
                                << "fr";
        QTest::newRow("German") << "Der Ausschuss hat noch nicht entschieden, ob die neue Brücke "
                                   "vor dem Winter gebaut werden soll."
                                << ""
                                << "de";
        QTest::newRow("Spanish") << "El comité todavía no ha decidido si el nuevo puente debe "
                                    "construirse antes del invierno."
                                 << ""
                                 << "es";
        QTest::newRow("Italian") << "Il comitato non ha ancora deciso se il nuovo ponte debba "
                                    "essere costruito prima dell'inverno."
                                 << ""
                                 << "it";
        QTest::newRow("Portuguese") << "O comitê ainda não decidiu se a nova ponte deve ser "
                                       "construída antes do inverno."
                                    << ""
                                    << "pt";
        QTest::newRow("Dutch") << "Het comité heeft nog niet besloten of de nieuwe brug voor de "
                                  "winter moet worden gebouwd."
                               << ""
                               << "nl";
        QTest::newRow("Russian") << "Комитет ещё не решил, нужно ли строить новый мост до зимы."
                                 << ""
                                 << "ru";
        QTest::newRow("Ukrainian") << "Комітет ще не вирішив, чи потрібно будувати новий міст."
                                   << ""
                                   << "uk";
        QTest::newRow("Greek, by its script") << "Η επιτροπή δεν έχει αποφασίσει ακόμη."
                                              << ""
                                              << "el";
        QTest::newRow("an English quotation in a French document")
            << "This is the best of all possible worlds, and we should all be glad of it."
            << "FR-CA"
            << "en";
        QTest::newRow("French with English terms stays French")
            << "Le workflow du nouveau software est dans le cloud."
            << "fr"
            << "fr";
        QTest::newRow("heading, too short to tell") << "Synthèse du résultat"
                                                    << ""
                                                    << "";
        QTest::newRow("heading takes the likely language") << "Summary"
                                                           << "fr_FR"
                                                           << "fr";
        QTest::newRow("table cell of figures") << "12 345 678 90 12"
                                               << "de"
                                               << "de";
        QTest::newRow("names only, nothing stands out")
            << "Anna Berg, Carlo Rossi, Jan Smit, Luis Vega"
            << ""
            << "";
    }
    void identification()
    {
        QFETCH(QString, text);
        QFETCH(QString, likely);
        QFETCH(QString, language);
        QCOMPARE(identifiedLanguage(text, likely), language);
    }

    // Pieces written "text" for a sentence that goes on, "text|" for a paragraph's last.
    void paragraphs_data()
    {
        QTest::addColumn<QStringList>("pieces");
        QTest::addColumn<QString>("declared");
        QTest::addColumn<QStringList>("languages");
        const QString french = "Le rapport présente les résultats de l'étude menée sur les "
                               "ménages de la région.|";
        const QString english = "The report shows the results of the study of the households "
                                "in the region.|";
        QTest::newRow("a heading takes the paragraph after it")
            << QStringList{"Résumé|", french} << "" << QStringList{"fr", "fr"};
        QTest::newRow("a short paragraph takes the one before it")
            << QStringList{english, "Table 3|", french, "Tableau|"} << "fr"
            << QStringList{"en", "en", "fr", "fr"};
        QTest::newRow("a heading after a paragraph in another language")
            << QStringList{english, "#Résumé|", french} << "" << QStringList{"en", "fr", "fr"};
        QTest::newRow("a paragraph's sentences share its language")
            << QStringList{"Le rapport.", "Il présente les résultats de l'étude de la région.|"}
            << "" << QStringList{"fr", "fr"};
        QTest::newRow("nothing to tell: the declared language")
            << QStringList{"Synthèse|", "1 234|"} << "FR-CA" << QStringList{"fr", "fr"};
        QTest::newRow("nothing to tell, nothing declared")
            << QStringList{"Synthèse|"} << "" << QStringList{""};
    }
    void paragraphs()
    {
        QFETCH(QStringList, pieces);
        QFETCH(QString, declared);
        QFETCH(QStringList, languages);
        QList<SpokenPiece> document;
        for (QString text : pieces) {
            SpokenPiece piece;
            piece.heading = text.startsWith('#');
            piece.endsParagraph = text.endsWith('|');
            if (piece.endsParagraph)
                text.chop(1);
            piece.text = text;
            document << piece;
        }
        ParagraphLanguages(declared).assign(document);
        QStringList assigned;
        for (const SpokenPiece& piece : std::as_const(document))
            assigned << piece.language;
        QCOMPARE(assigned, languages);
    }

    // The bytes of a PDF, or of what claims to be one, and the language its catalog declares.
    void declared_data()
    {
        QTest::addColumn<QByteArray>("pdf");
        QTest::addColumn<QString>("language");
        const QByteArray page = "3 0 obj << /Type /Page /Lang (de) >> endobj\n";
        QTest::newRow("literal string") << "%PDF-1.7\n1 0 obj\n<< /Type /Catalog /Pages 2 0 R "
                                           "/Lang (FR-CA) >>\nendobj\n" +
                                               page
                                        << "FR-CA";
        QTest::newRow("UTF-16 with its mark, key first")
            << QByteArray("1 0 obj<</Lang(\xfe\xff\0e\0n\0-\0G\0B)/Type/Catalog>>endobj", 48)
            << "en-GB";
        QTest::newRow("hex string, nested dictionary before")
            << QByteArray("1 0 obj << /ViewerPreferences << /Lang (xx) >> /Type /Catalog "
                          "/Lang <65 73> >> endobj")
            << "es";
        QTest::newRow("the later catalog of an update")
            << QByteArray("1 0 obj <</Type/Catalog/Lang(en)>> endobj\n"
                          "1 0 obj <</Type/Catalog/Lang(nl)>> endobj\n")
            << "nl";
        QTest::newRow("only a page's language") << page << "";
        QTest::newRow("not a language tag")
            << QByteArray("<</Type/Catalog/Lang(\x8f\x01 ; rm -rf)>>") << "";
        QTest::newRow("an indirect language is not followed")
            << QByteArray("<</Type/Catalog/Lang 7 0 R>> 7 0 obj (fr) endobj") << "";
        QTest::newRow("string never closed") << QByteArray("<</Type/Catalog/Lang(fr") << "";
        QTest::newRow("dictionary never closed")
            << QByteArray("<</Type/Catalog") + QByteArray(100000, '[') << "";
        QTest::newRow("not a catalog") << QByteArray("<</Type/Catalogue/Lang(fr)>>") << "";
        const QByteArray objects = "1 0 <</Type/Catalog/Lang(pt-BR)>>";
        QTest::newRow("in a compressed object stream")
            << "%PDF-1.5\n5 0 obj <</Type/ObjStm/N 1/First 4/Filter/FlateDecode>>\nstream\n" +
                   qCompress(objects).mid(4) + "\nendstream endobj"
            << "pt-BR";
        QTest::newRow("an object stream that does not inflate")
            << QByteArray("5 0 obj <</Type/ObjStm/Filter/FlateDecode>>\nstream\nxx\nendstream")
            << "";
        QTest::newRow("empty") << QByteArray() << "";
    }
    void declared()
    {
        QFETCH(QByteArray, pdf);
        QFETCH(QString, language);
        QCOMPARE(declaredLanguageOf(pdf), language);
    }
};

QTEST_GUILESS_MAIN(TestLanguageIdentification)
#include "test_language_identification.moc"
