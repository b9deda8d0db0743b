// The chapters of a scanned book: its recognised pages give the chapters its headings give as
// text, to a reading (their titles, pages and starts, and a reading started at one of them) and
// to a conversion (the chapter marks of the one MP3, the files of one MP3 per chapter).

#include "core/conversion/audio_outputs.h"
#include "core/conversion/conversion_job.h"
#include "core/reading/reading_session.h"
#include "support/audio_files.h"
#include "support/audio_probe.h"
#include "support/drawn_pdf.h"
#include "support/fake_engine.h"
#include "support/job_run.h"
#include "support/test_env.h"

#include <QDir>
#include <QSignalSpy>
#include <QtTest>

using namespace lectorix;

namespace {

// The chapter book drawn as text, or scanned: every page an image, no text layer.
QString chapterBook(const QString& folder, bool scanned)
{
    const QString text = folder + QStringLiteral("/book.pdf");
    if (!test::drawChapterBook(text))
        return QString();
    return scanned ? test::scannedCopy(text, 1, 3, folder + QStringLiteral("/scan.pdf")) : text;
}

ReadingRequest bookReading(const QString& pdf)
{
    ReadingRequest request;
    request.fromPdf = true;
    request.pdfPath = pdf;
    request.recognise = true;
    return request;
}

// A session's chapters as "page title", their pages found from their starts. Levels are left
// out: a recognised heading's height follows its letters' ink, so a scan may rank two
// headings of one size apart.
QStringList describe(const ReadingSession& session)
{
    QStringList chapters;
    for (const Chapter& chapter : session.chapters())
        chapters << QStringLiteral("%1 %2")
                        .arg(chapter.offset >= 0 ? session.pageAt(chapter.offset) : -1)
                        .arg(chapter.title);
    return chapters;
}

QStringList bookChapters()
{
    QStringList chapters;
    for (const QString& chapter : test::chapterBookChapters())
        chapters << chapter.section(u' ', 1);
    return chapters;
}

// The MP3's chapter marks, or with one file per chapter the files in its folder.
QStringList chaptersMade(const QString& mp3, bool perChapter)
{
    if (perChapter)
        return QDir(chapterFolder(mp3))
            .entryList({QStringLiteral("*.mp3")}, QDir::Files, QDir::Name);
    QStringList titles;
    if (const auto probed = test::probeAudio(mp3))
        for (const test::ProbedChapter& chapter : probed->chapters)
            titles << chapter.title;
    return titles;
}

} // namespace

class TestScannedChapters : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { test::ignoreBrokenPipes(); }

    // Read whole, then again from its last chapter: the chapters found on recognised pages
    // are the book's, each starting on its page, and the reading started at one begins with
    // its heading.
    void readingFindsTheChapters_data()
    {
        QTest::addColumn<bool>("scanned");
        QTest::newRow("text") << false;
        QTest::newRow("scanned") << true;
    }
    void readingFindsTheChapters()
    {
        QFETCH(bool, scanned);
        const QString temp = test::freshScratch();
        const QString pdf = chapterBook(temp + QStringLiteral("/.."), scanned);
        QVERIFY(!pdf.isEmpty());
        QList<Chapter> found;
        {
            test::FakeEngine engine;
            ReadingSession session;
            session.start(bookReading(pdf));
            QTRY_COMPARE_WITH_TIMEOUT(session.state(), ReadingState::Idle, 120000);
            QCOMPARE(describe(session), bookChapters());
            found = session.chapters();
        }
        test::FakeEngine engine;
        ReadingSession session;
        ReadingRequest request = bookReading(pdf);
        request.chapters = found;
        request.startChapter = found.size() - 1;
        session.start(request);
        QTRY_COMPARE_WITH_TIMEOUT(session.state(), ReadingState::Idle, 120000);
        QVERIFY(!engine.queued().isEmpty());
        QVERIFY2(engine.queued().first().startsWith(QStringLiteral("Notes on Lamps")),
                 qPrintable(engine.queued().first()));
        QVERIFY(!engine.queued().join(u' ').contains(QStringLiteral("storm")));
        QVERIFY(QDir(temp).isEmpty());
    }

    // A scanned book exported with --ocr has the chapters of the same book as text.
    void conversionMakesTheChapters_data()
    {
        QTest::addColumn<bool>("perChapter");
        QTest::newRow("chapter marks in one MP3") << false;
        QTest::newRow("one MP3 per chapter") << true;
    }
    void conversionMakesTheChapters()
    {
        QFETCH(bool, perChapter);
        const QString temp = test::freshScratch();
        QStringList made[2];
        for (const bool scanned : {false, true}) {
            const QString folder =
                temp + (scanned ? QStringLiteral("/../scan") : QStringLiteral("/../text"));
            const QString pdf = chapterBook(folder, scanned);
            QVERIFY(!pdf.isEmpty());
            ConversionRequest request;
            request.sourcePdf = pdf;
            request.outputPath = folder + QStringLiteral("/book.mp3");
            request.splitChapters = perChapter;
            request.recognition = RecognitionMode::Auto;
            request.recognitionLanguages = {QStringLiteral("eng")};
            ConversionJob job(request);
            const auto result = test::runToEnd(job, 300000).result;
            QVERIFY(result);
            QCOMPARE(int(result->outcome), int(ConversionOutcome::Done));
            made[scanned] = chaptersMade(request.outputPath, perChapter);
        }
        QVERIFY(made[0].size() >= 3);
        QCOMPARE(made[1], made[0]);
        QVERIFY(QDir(temp).isEmpty());
    }
};

int main(int argc, char** argv)
{
    TestScannedChapters test;
    return test::runWithDrawing(&test, argc, argv);
}

#include "test_scanned_chapters.moc"
