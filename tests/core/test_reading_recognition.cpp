// Reading aloud a PDF with scanned pages: their text is recognised on the way and read in
// its place among the text pages; without recognition they are passed over as before. Ending
// the reading while pages are recognised leaves no process and no file.

#include "core/document/recognition_ahead.h"
#include "core/reading/reading_session.h"
#include "support/drawn_pdf.h"
#include "support/fake_engine.h"
#include "support/hostile_machine.h"
#include "support/process_info.h"
#include "support/test_env.h"

#include <QCoreApplication>
#include <QDir>
#include <QSignalSpy>
#include <QtTest>

using namespace lectorix;

namespace {

const QStringList First{"The keeper climbed the tower at dusk.", "He lit the lamp at once."};
const QStringList Second{"Nobody came that night.", "The sea was calm and clear."};
const QStringList Third{"In the morning he slept until noon.", "Then he walked home."};

// What the voice was given, as one line of words.
QString spokenText(const test::FakeEngine& engine)
{
    return engine.queued().join(QLatin1Char(' ')).simplified();
}

// Whether the sentences come in text in this order.
bool inOrder(const QString& text, const QStringList& sentences)
{
    qsizetype from = 0;
    for (const QString& sentence : sentences) {
        from = text.indexOf(sentence, from);
        if (from < 0)
            return false;
        from += sentence.size();
    }
    return true;
}

ReadingRequest pdfRequest(const QString& pdf, bool recognise)
{
    ReadingRequest request;
    request.fromPdf = true;
    request.pdfPath = pdf;
    request.recognise = recognise;
    return request;
}

} // namespace

class TestReadingRecognition : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { test::ignoreBrokenPipes(); }

    void readsScannedPages_data()
    {
        QTest::addColumn<QList<int>>("scanned"); // page indexes, from 0
        QTest::addColumn<bool>("recognise");
        QTest::addColumn<bool>("verbatim");
        QTest::addColumn<QStringList>("heard");
        QTest::addColumn<QStringList>("notHeard");
        const QStringList all = First + Second + Third;
        QTest::newRow("scanned throughout")
            << QList<int>{0, 1, 2} << true << false << all << QStringList();
        QTest::newRow("a scan between text pages")
            << QList<int>{1} << true << false << all << QStringList();
        QTest::newRow("line by line")
            << QList<int>{1} << true << true
            << QStringList{"He lit the lamp at once.", "Nobody came that night.",
                           "In the morning he slept until noon."}
            << QStringList();
        QTest::newRow("not recognised: the scan is passed over")
            << QList<int>{1} << false << false << First + Third << Second;
        QTest::newRow("text only: nothing to recognise")
            << QList<int>{} << true << false << all << QStringList();
    }

    void readsScannedPages()
    {
        QFETCH(QList<int>, scanned);
        QFETCH(bool, recognise);
        QFETCH(bool, verbatim);
        QFETCH(QStringList, heard);
        QFETCH(QStringList, notHeard);
        const QString temp = test::freshScratch();
        const QString pdf =
            test::writePdf(QDir(temp).filePath("../story.pdf"), {First, Second, Third}, scanned);
        test::FakeEngine engine;
        ReadingSession session;
        ReadingRequest request = pdfRequest(pdf, recognise);
        request.verbatim = verbatim;
        session.start(request);
        QTRY_COMPARE_WITH_TIMEOUT(session.state(), ReadingState::Idle, 60000);

        const QString spoken = spokenText(engine);
        QVERIFY2(inOrder(spoken, heard), qPrintable(spoken));
        for (const QString& sentence : notHeard)
            QVERIFY2(!spoken.contains(sentence), qPrintable(spoken));
        QVERIFY(QDir(temp).isEmpty());
    }

    // A scanned book starts speaking once its first pages are recognised, not after the pages
    // a text page would wait for, and is recognised only a few pages ahead of the voice.
    void speaksBeforeTheRestIsRecognised()
    {
        const QString temp = test::freshScratch();
        const QStringList numbers{"one", "two", "three", "four", "five", "six"};
        test::Pages pages;
        QList<int> scanned;
        for (const QString& number : numbers) {
            pages.append({QStringLiteral("This is page %1 of the book.").arg(number)});
            scanned.append(int(scanned.size()));
        }
        const QString pdf = test::writePdf(QDir(temp).filePath("../book.pdf"), pages, scanned);
        test::FakeEngine engine;
        ReadingSession session;
        QString converted;
        connect(&session, &ReadingSession::textConverted, this,
                [&](qsizetype, const QString& text) { converted += text; });
        QString convertedAtFirstWords;
        engine.onSpeak = [&](const QString&) {
            if (convertedAtFirstWords.isNull())
                convertedAtFirstWords = converted;
        };
        session.start(pdfRequest(pdf, true));
        QTRY_COMPARE_WITH_TIMEOUT(session.state(), ReadingState::Idle, 60000);

        QVERIFY2(convertedAtFirstWords.contains("page one"), qPrintable(convertedAtFirstWords));
        QVERIFY2(!convertedAtFirstWords.contains("page five"), qPrintable(convertedAtFirstWords));
        QStringList heard;
        for (const QStringList& page : std::as_const(pages))
            heard << page.first();
        QVERIFY2(inOrder(spokenText(engine), heard), qPrintable(spokenText(engine)));
        QVERIFY(QDir(temp).isEmpty());
    }

    // The corpus's scans: their words come out.
    void readsCorpusScans_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QStringList>("words");
        QTest::newRow("a book's page")
            << "c02-22.pdf" << QStringList{"along a path amongst", "garden"};
    }

    void readsCorpusScans()
    {
        REQUIRE_CORPUS();
        QFETCH(QString, file);
        QFETCH(QStringList, words);
        const QString temp = test::freshScratch();
        test::FakeEngine engine;
        ReadingSession session;
        session.start(pdfRequest(test::corpusFile(file), true));
        QTRY_COMPARE_WITH_TIMEOUT(session.state(), ReadingState::Idle, 60000);
        const QString spoken = spokenText(engine);
        for (const QString& word : words)
            QVERIFY2(spoken.contains(word), qPrintable(spoken));
        QVERIFY(QDir(temp).isEmpty());
    }

    // Without tesseract the reading says once what to install, and reads the text pages.
    void withoutTheRecogniser()
    {
        const QString temp = test::freshScratch();
        const QString pdf =
            test::writePdf(QDir(temp).filePath("../story.pdf"), {First, Second, Third}, {1});
        const test::ScopedVariable path("PATH", test::pathWithout({"tesseract"}));
        test::FakeEngine engine;
        ReadingSession session;
        QSignalSpy failed(&session, &ReadingSession::recognitionFailed);
        session.start(pdfRequest(pdf, true));
        QTRY_COMPARE_WITH_TIMEOUT(session.state(), ReadingState::Idle, 60000);

        QCOMPARE(failed.size(), 1);
        const QString message = failed.first().first().toString();
        QVERIFY2(message.contains("tesseract-ocr"), qPrintable(message));
        const QString spoken = spokenText(engine);
        QVERIFY2(inOrder(spoken, First + Third), qPrintable(spoken));
        QVERIFY(!spoken.contains(Second.first()));
        QVERIFY(QDir(temp).isEmpty());
    }

    // Stopping, or a new reading, while pages are recognised ends the recognition at once.
    void endingLeavesNothing_data()
    {
        QTest::addColumn<bool>("startAnother");
        QTest::newRow("stopped") << false;
        QTest::newRow("another reading started") << true;
    }

    void endingLeavesNothing()
    {
        QFETCH(bool, startAnother);
        const QString temp = test::freshScratch();
        test::Pages pages;
        for (int i = 0; i < 12; ++i)
            pages.append(First);
        const QString pdf = test::writePdf(QDir(temp).filePath("../long.pdf"), pages,
                                           {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11});
        test::FakeEngine engine;
        ReadingSession session;
        session.start(pdfRequest(pdf, true));
        const qint64 self = QCoreApplication::applicationPid();
        const auto recognising = [self] {
            return !test::livingChildNames(self)
                        .filter(QRegularExpression("^(tesseract|pdftoppm|pdfinfo|env)$"))
                        .isEmpty();
        };
        // Latched: a tool seen once may have ended by the time the macro looks again.
        bool seen = false;
        QTRY_VERIFY_WITH_TIMEOUT((seen = seen || recognising()), 30000);
        if (startAnother)
            session.start(
                pdfRequest(test::writePdf(QDir(temp).filePath("../short.pdf"), {Third}), true));
        else
            session.stop();
        if (!startAnother)
            QCOMPARE(session.state(), ReadingState::Idle);
        QTRY_VERIFY_WITH_TIMEOUT(!recognising(), 2000);
        QTRY_COMPARE_WITH_TIMEOUT(session.state(), ReadingState::Idle, 30000);
        QVERIFY(QDir(temp).isEmpty());
        // The reading that took over is read whole.
        QCOMPARE(spokenText(engine).contains(Third.first()), startAnother);
    }
};

int main(int argc, char** argv)
{
    TestReadingRecognition test;
    return test::runWithDrawing(&test, argc, argv);
}

#include "test_reading_recognition.moc"
