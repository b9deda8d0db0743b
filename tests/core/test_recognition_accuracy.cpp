// Recognition against the text it recognises: pages of text PDFs rendered at 300 dpi and
// wrapped as image-only PDFs, as a scanner makes them, come back with at least 97% of the
// original's words, in order (word-level edit distance), in English, French with its accents
// and Russian.
#include "core/ocr/recognition_job.h"
#include "support/drawn_pdf.h"
#include "support/job_run.h"
#include "support/test_env.h"
#include "support/word_accuracy.h"

#include <QProcess>
#include <QSignalSpy>
#include <QtTest>

using namespace lectorix;

namespace {

// The French corpus document holds one run of accented letters; prose with the accents of
// everyday French is drawn here instead, in the same font size as a book's.
const test::Pages FrenchPages{{
    "L'été dernier, nous sommes allés à la mer avec",
    "nos grands-parents. Le matin, ma sœur préférait",
    "lire près de la fenêtre, tandis que mon frère",
    "réparait son vélo dans la cour. À midi, grand-mère",
    "préparait une tarte aux pêches et nous déjeunions",
    "sous le grand chêne. L'après-midi, nous marchions",
    "jusqu'au phare où un vieux marin nous racontait",
    "ses voyages : la Grèce, l'Égypte, le Canada.",
    "Il parlait d'une île où les fenêtres étaient bleues",
    "et où l'on mangeait du maïs grillé. Ce n'était",
    "peut-être pas tout à fait vrai, mais nous étions",
    "heureux de l'écouter jusqu'à la tombée de la nuit.",
}};

QString plainText(const QString& pdf, int first, int last)
{
    QProcess converter;
    converter.start(QStringLiteral("pdftotext"),
                    {QStringLiteral("-f"), QString::number(first), QStringLiteral("-l"),
                     QString::number(last), pdf, QStringLiteral("-")});
    converter.waitForFinished(30000);
    return QString::fromUtf8(converter.readAllStandardOutput());
}

} // namespace

class TestRecognitionAccuracy : public QObject
{
    Q_OBJECT

private slots:
    void init() { test::freshScratch(); }

    void wordsComeBack_data()
    {
        QTest::addColumn<QString>("document"); // a corpus file, or "" for the drawn French
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("last");
        QTest::addColumn<QStringList>("languages");
        QTest::newRow("English, a novel's page")
            << "01-A-Study-in-Scarlet.pdf" << 20 << 20 << QStringList{"eng"};
        QTest::newRow("French, accents") << "" << 1 << 1 << QStringList{"fra", "eng"};
        QTest::newRow("Russian, a decree's page")
            << "Government Decree 842.pdf" << 4 << 4 << QStringList{"rus", "eng"};
    }
    void wordsComeBack()
    {
        QFETCH(QString, document);
        QFETCH(int, first);
        QFETCH(int, last);
        QFETCH(QStringList, languages);
        QString source;
        if (document.isEmpty()) {
            source = test::writePdf(test::scratchFolder() + "/french.pdf", FrenchPages);
        } else {
            REQUIRE_CORPUS();
            source = test::corpusFile(document);
        }
        const QString scan =
            test::scannedCopy(source, first, last, test::scratchFolder() + "/scan.pdf");
        QVERIFY(!scan.isEmpty());
        QCOMPARE(plainText(scan, 1, last - first + 1).trimmed(), QString()); // no text layer

        QList<int> pages;
        for (int page = 1; page <= last - first + 1; ++page)
            pages << page;
        RecognitionJob job({scan, {}, pages, languages});
        auto ended = test::runToEnd(job, 60000).result;
        QVERIFY(ended);
        RecognitionResult& result = *ended;
        QCOMPARE(result.outcome, RecognitionOutcome::Done);
        QCOMPARE(result.failedPages, QList<int>());

        const QStringList original = test::comparableWords(plainText(source, first, last));
        const QStringList recognised = test::comparableWords(layoutText(result.pages));
        const double accuracy = test::wordAccuracy(original, recognised);
        qInfo("%s: %lld words, %.2f%% back in order", QTest::currentDataTag(),
              qint64(original.size()), accuracy * 100);
        QVERIFY(original.size() > 90);
        QVERIFY2(accuracy >= 0.97, qPrintable(QString::number(accuracy)));
    }

    // The measure itself: what it counts as the same word, and what as a fault.
    void measure_data()
    {
        QTest::addColumn<QString>("original");
        QTest::addColumn<QString>("recognised");
        QTest::addColumn<double>("accuracy");
        QTest::newRow("same") << "one two three four"
                              << "one  two\nthree four" << 1.0;
        QTest::newRow("one changed") << "one two three four"
                                     << "one tvvo three four" << 0.75;
        QTest::newRow("one missing, one extra") << "one two three four"
                                                << "one three four x" << 0.5;
        QTest::newRow("order counts") << "one two three four"
                                      << "four three two one" << 0.0;
        QTest::newRow("accent counts") << "été"
                                       << "ete" << 0.0;
        QTest::newRow("composed or not") << "été" << QString::fromUtf16(u"e\u0301te\u0301") << 1.0;
        QTest::newRow("typographic quotes and a broken word")
            << "\"Watson,\" he said, halfway"
            << QString::fromUtf16(u"\u201CWatson,\u201D he said, half-\nway") << 1.0;
        QTest::newRow("a word broken at the line") << "научнотехнической"
                                                   << "научно-\nтехнической" << 1.0;
        QTest::newRow("nothing came back") << "one two"
                                           << "" << 0.0;
    }
    void measure()
    {
        QFETCH(QString, original);
        QFETCH(QString, recognised);
        QFETCH(double, accuracy);
        QCOMPARE(
            test::wordAccuracy(test::comparableWords(original), test::comparableWords(recognised)),
            accuracy);
    }
};

int main(int argc, char** argv)
{
    TestRecognitionAccuracy test;
    return lectorix::test::runWithDrawing(&test, argc, argv);
}

#include "test_recognition_accuracy.moc"
