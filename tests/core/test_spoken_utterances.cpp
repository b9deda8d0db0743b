// What the voice is given: the silence after each utterance, the runs of utterances the
// export's lanes speak, the text a reading gives the voice, and how unreadable pages are named.
#include "core/conversion/conversion_job.h"
#include "core/text/speech_pauses.h"
#include "core/text/spoken_text.h"
#include "core/text/text_splitting.h"

#include <QtTest>

using namespace lectorix;

namespace {

// "s" a sentence that goes on in its paragraph, "p" one that ends it, "h" a heading.
QList<SpokenPiece> piecesOf(const QString& kinds)
{
    QList<SpokenPiece> pieces;
    for (const QChar kind : kinds) {
        SpokenPiece piece;
        piece.text = QStringLiteral("Words %1.").arg(pieces.size() + 1);
        piece.endsParagraph = kind != u's';
        piece.heading = kind == u'h';
        pieces << piece;
    }
    return pieces;
}

// The source's lines joined by blanks into one paragraph: each character stays at its place.
SpokenPiece paragraphOf(const QString& source)
{
    return {
        QString(source).replace(QLatin1Char('\n'), QLatin1Char(' ')), 0, source.size(), {{0, 0}}};
}

QList<Utterance> utterancesOfLengths(const QList<int>& lengths)
{
    QList<Utterance> utterances;
    for (const int length : lengths)
        utterances.append({QString(length, u'a'), int(utterances.size()), {}});
    return utterances;
}

} // namespace

class TestSpokenUtterances : public QObject
{
    Q_OBJECT

private slots:
    // Each pause is the one set for its place, with distinct lengths so none stands in for
    // another; text read line by line keeps the voice's own pauses.
    void silences_data()
    {
        QTest::addColumn<QString>("kinds");
        QTest::addColumn<QList<int>>("silences");
        const int s = 111;
        const int p = 222;
        const int h = 333;
        QTest::newRow("sentences, then the paragraph's end") << "ssp" << QList<int>{s, s, p};
        QTest::newRow("paragraphs") << "pp" << QList<int>{p, p};
        QTest::newRow("around a heading") << "php" << QList<int>{h, h, p};
        QTest::newRow("a sentence that goes on, last") << "ps" << QList<int>{p, s};
        QTest::newRow("a sentence running into a heading") << "sh" << QList<int>{h, h};
        QTest::newRow("headings in a row") << "hhp" << QList<int>{h, h, p};
        QTest::newRow("none") << "" << QList<int>{};
    }

    void silences()
    {
        QFETCH(QString, kinds);
        QFETCH(QList<int>, silences);
        const QList<SpokenPiece> pieces = piecesOf(kinds);
        UtteranceOptions options;
        options.pauses = {111, 222, 333};
        const QList<Utterance> utterances = spokenUtterances(pieces, options);
        QList<int> heard;
        for (qsizetype i = 0; i < utterances.size(); ++i) {
            QCOMPARE(utterances.at(i).text, pieces.at(i).text);
            heard << utterances.at(i).silenceAfterMs;
        }
        QCOMPARE(heard, silences);
        for (const Utterance& line : spokenLines(QStringLiteral("a line\nthat goes on")))
            QCOMPARE(line.silenceAfterMs, Utterance::VoicesOwnPause);
    }

    // A paragraph is spoken sentence by sentence, so a pause follows each; every part still
    // points at its own words in the source, through line breaks the preparation joined.
    void sentencesOfAParagraph_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QStringList>("sentences");
        QTest::addColumn<QStringList>("sourceTexts"); // what each part's range covers
        QTest::newRow("one sentence stays whole")
            << "Only one here." << QStringList{"Only one here."} << QStringList{"Only one here."};
        QTest::newRow("two sentences")
            << "It rained. We stayed in." << QStringList{"It rained. ", "We stayed in."}
            << QStringList{"It rained.", "We stayed in."};
        QTest::newRow("across a joined line")
            << "It rained all\nday. Then it\nstopped."
            << QStringList{"It rained all day. ", "Then it stopped."}
            << QStringList{"It rained all\nday.", "Then it\nstopped."};
        QTest::newRow("an abbreviation ends none")
            << "Mr. Smith came. He sat." << QStringList{"Mr. Smith came. ", "He sat."}
            << QStringList{"Mr. Smith came.", "He sat."};
    }

    void sentencesOfAParagraph()
    {
        QFETCH(QString, source);
        QFETCH(QStringList, sentences);
        QFETCH(QStringList, sourceTexts);
        const QList<SpokenPiece> parts =
            sentencePieces({paragraphOf(source)}, QStringLiteral("en"));
        QStringList spoken;
        QStringList covered;
        for (const SpokenPiece& part : parts) {
            spoken << part.text;
            covered << source.mid(part.sourceOffset, part.sourceLength);
            // The last word of the part is found where the source has it.
            const qsizetype lastLetter = part.text.trimmed().size() - 2;
            QCOMPARE(source.at(part.sourcePosition(lastLetter)), part.text.at(lastLetter));
        }
        QCOMPARE(spoken, sentences);
        QCOMPARE(covered, sourceTexts);
        for (qsizetype i = 0; i < parts.size(); ++i)
            QCOMPARE(parts.at(i).endsParagraph, i + 1 == parts.size());
    }

    // The chapters of a document are found among its pieces and cut its utterances by the
    // same index, so a document's pieces are its sentences, one for each utterance.
    void documentPiecesMatchUtterances_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("spoken");
        QTest::newRow("paragraphs of several sentences")
            << "It rained. We stayed in.\n\nNext day. The sun came out."
            << QStringList{"It rained.", "We stayed in.", "Next day.", "The sun came out."};
        QTest::newRow("one sentence") << "Only one here." << QStringList{"Only one here."};
        QTest::newRow("nothing") << "" << QStringList{};
    }

    void documentPiecesMatchUtterances()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, spoken);
        const UtteranceOptions options{{}, QStringLiteral("en"), false};
        const SpokenDocument document = spokenDocument(text, nullptr, {{}, options});
        QCOMPARE(document.pieces.size(), document.utterances.size());
        QStringList heard;
        for (qsizetype i = 0; i < document.pieces.size(); ++i) {
            const SpokenPiece& piece = document.pieces.at(i);
            heard << text.mid(piece.sourceOffset, piece.sourceLength);
            QCOMPARE(document.utterances.at(i).text.trimmed(), speechLine(piece.text).trimmed());
        }
        QCOMPARE(heard, spoken);
    }

    // Lanes get whole utterances in order, about equal in length; short texts fewer lanes.
    void lanes_data()
    {
        QTest::addColumn<QList<int>>("lengths");
        QTest::addColumn<int>("parts");
        QTest::addColumn<QList<int>>("runSizes"); // utterances in each run
        QTest::newRow("even halves") << QList<int>{99, 99, 99, 99} << 2 << QList<int>{2, 2};
        QTest::newRow("too short for two") << QList<int>{50, 40} << 2 << QList<int>{2};
        QTest::newRow("one long utterance stays whole")
            << QList<int>{500, 10, 10} << 2 << QList<int>{1, 2};
        QTest::newRow("one part") << QList<int>{99, 99} << 1 << QList<int>{2};
        QTest::newRow("nothing") << QList<int>{} << 2 << QList<int>{};
    }

    void lanes()
    {
        QFETCH(QList<int>, lengths);
        QFETCH(int, parts);
        QFETCH(QList<int>, runSizes);
        const QList<Utterance> utterances = utterancesOfLengths(lengths);
        const QList<QList<Utterance>> runs = splitUtterances(utterances, parts, 100);
        QList<int> sizes;
        QList<Utterance> joined;
        for (const QList<Utterance>& run : runs) {
            sizes << int(run.size());
            joined += run;
        }
        QCOMPARE(sizes, runSizes);
        QCOMPARE(joined.size(), utterances.size());
        for (qsizetype i = 0; i < joined.size(); ++i) {
            QCOMPARE(joined.at(i).text, utterances.at(i).text);
            QCOMPARE(joined.at(i).silenceAfterMs, utterances.at(i).silenceAfterMs);
        }
    }

    // A reading's text is cleaned line by line: its line breaks and its length stay, so the
    // voice's word positions still point into the source.
    void readingText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("voiceText");
        QTest::newRow("line breaks kept") << "One\ntwo\r\nthree"
                                          << "One\ntwo\r\nthree";
        QTest::newRow("noise between words becomes blanks") << "a\ue000b\nc"
                                                            << "a b\nc";
        QTest::newRow("empty lines") << "\n\nx\n"
                                     << "\n\nx\n";
        QTest::newRow("empty") << ""
                               << "";
    }

    void readingText()
    {
        QFETCH(QString, text);
        QFETCH(QString, voiceText);
        const QString cleaned = cleanTextForSpeech(text);
        QCOMPARE(cleaned, voiceText);
        QCOMPARE(cleaned.size(), text.size());
    }

    void unreadablePages_data()
    {
        QTest::addColumn<QList<int>>("pages");
        QTest::addColumn<QString>("reason");
        QTest::newRow("none") << QList<int>{} << "";
        QTest::newRow("one") << QList<int>{4} << "page 4 could not be read (no usable text)";
        QTest::newRow("a run and a single page")
            << QList<int>{3, 4, 5, 9} << "pages 3-5, 9 could not be read (no usable text)";
        QTest::newRow("two apart") << QList<int>{1, 3}
                                   << "pages 1, 3 could not be read (no "
                                      "usable text)";
    }

    void unreadablePages()
    {
        QFETCH(QList<int>, pages);
        QFETCH(QString, reason);
        QCOMPARE(unreadablePagesReason(pages), reason);
    }
};

QTEST_GUILESS_MAIN(TestSpokenUtterances)
#include "test_spoken_utterances.moc"
