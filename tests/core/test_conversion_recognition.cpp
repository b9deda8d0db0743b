// The conversion of PDFs with scanned pages: which pages it recognises by mode, what it says
// about them and about a language it lacks, and that cancelling while it recognises leaves no
// process, no file and no MP3.
#include "core/conversion/conversion_job.h"
#include "support/drawn_pdf.h"
#include "support/job_run.h"
#include "support/process_info.h"
#include "support/test_env.h"

#include <QDir>
#include <QFileInfo>
#include <QtTest>

#include <unistd.h>

using namespace lectorix;

namespace {

struct Conversion
{
    ConversionResult result;
    QList<ConversionProgress> progress;
    QStringList recognitionFailures;
    // The pages recognised, as the progress counted them: "i/n".
    QStringList recognising;
};

Conversion convert(ConversionRequest request)
{
    Conversion conversion;
    ConversionJob job(std::move(request));
    QObject::connect(&job, &ConversionJob::progress, [&](const ConversionProgress& p) {
        conversion.progress << p;
        if (p.stage == ConversionStage::Recognising)
            conversion.recognising << QString("%1/%2").arg(p.piece).arg(p.pieces);
    });
    const test::JobRun<ConversionJob> run = test::runToEnd(job);
    conversion.recognitionFailures = run.failuresOf<RecognitionStep>();
    if (run.result)
        conversion.result = *run.result;
    else
        conversion.result.message = QStringLiteral("the job never ended");
    return conversion;
}

const test::Pages Letter{
    {"Dear neighbours, the harbour meeting", "is moved to Thursday evening."},
    {"Please bring the lanterns and the", "signed list of boat owners."},
    {"With kind regards from the", "harbour master."},
};

qint64 spokenLength(const Conversion& conversion)
{
    return conversion.progress.isEmpty() ? 0 : conversion.progress.last().textLength;
}

} // namespace

class TestConversionRecognition : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { test::ignoreBrokenPipes(); }

    // A letter whose middle page is a scan, and one scanned throughout: Never leaves the
    // scanned pages out (the fully scanned one has no text at all), Auto recognises them and
    // only them, Always every page.
    void recognisesByMode_data()
    {
        QTest::addColumn<QList<int>>("scanned");
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("outcome");
        QTest::addColumn<QStringList>("recognising");
        QTest::addColumn<bool>("wholeLetter"); // every page's text spoken
        const QList<int> middle{1};
        const QList<int> all{0, 1, 2};
        const int done = int(ConversionOutcome::Done);
        QTest::newRow("middle page scanned, never")
            << middle << int(RecognitionMode::Never) << done << QStringList() << false;
        QTest::newRow("middle page scanned, auto")
            << middle << int(RecognitionMode::Auto) << done << QStringList{"1/1"} << true;
        QTest::newRow("middle page scanned, always")
            << middle << int(RecognitionMode::Always) << done << QStringList{"1/3", "2/3", "3/3"}
            << true;
        QTest::newRow("all scanned, never")
            << all << int(RecognitionMode::Never) << int(ConversionOutcome::Unreadable)
            << QStringList() << false;
        QTest::newRow("all scanned, auto") << all << int(RecognitionMode::Auto) << done
                                           << QStringList{"1/3", "2/3", "3/3"} << true;
    }
    void recognisesByMode()
    {
        QFETCH(QList<int>, scanned);
        QFETCH(int, mode);
        QFETCH(int, outcome);
        QFETCH(QStringList, recognising);
        QFETCH(bool, wholeLetter);
        const QString temp = test::freshScratch();
        ConversionRequest request;
        request.sourcePdf = test::writePdf(temp + "/../letter.pdf", Letter, scanned);
        request.outputPath = temp + "/../letter.mp3";
        request.recognition = RecognitionMode(mode);
        request.recognitionLanguages = {"eng"};
        const Conversion conversion = convert(request);
        QCOMPARE(int(conversion.result.outcome), outcome);
        QCOMPARE(conversion.result.unreadablePages, QList<int>());
        QCOMPARE(conversion.recognising, recognising);
        QCOMPARE(conversion.recognitionFailures, QStringList());
        QCOMPARE(QFileInfo::exists(request.outputPath), outcome == int(ConversionOutcome::Done));
        if (outcome == int(ConversionOutcome::Done)) {
            // The letter's text, spoken as sentences, is about as long as it is written.
            qint64 written = 0;
            for (int page = 0; page < Letter.size(); ++page) {
                if (wholeLetter || !scanned.contains(page))
                    written += Letter[page].join(' ').size();
            }
            QVERIFY2(qAbs(spokenLength(conversion) - written) < 12,
                     qPrintable(QString("%1 of %2").arg(spokenLength(conversion)).arg(written)));
        }
        QCOMPARE(QDir(temp).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());
    }

    // The voice's language decides tesseract's; a language tesseract lacks is named with its
    // package, and nothing is made.
    void missingLanguageIsNamed()
    {
        const QString temp = test::freshScratch();
        ConversionRequest request;
        request.sourcePdf = test::writePdf(temp + "/../scan.pdf", Letter, {0, 1, 2});
        request.outputPath = temp + "/../scan.mp3";
        request.recognition = RecognitionMode::Auto;
        request.language = "cy"; // Welsh: not installed by the set-up
        const Conversion conversion = convert(request);
        QCOMPARE(int(conversion.result.outcome), int(ConversionOutcome::Failed));
        QCOMPARE(conversion.result.message,
                 QString("Text recognition lacks the language data cym (install "
                         "tesseract-ocr-cym)."));
        QVERIFY(!QFileInfo::exists(request.outputPath));
        QCOMPARE(QDir(temp).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());
    }

    // Cancelling while pages are recognised ends the tools at once and leaves nothing.
    void cancelWhileRecognising()
    {
        const QString temp = test::freshScratch();
        ConversionRequest request;
        test::Pages pages;
        for (int i = 0; i < 8; ++i)
            pages << Letter[i % Letter.size()];
        request.sourcePdf =
            test::writePdf(temp + "/../long-scan.pdf", pages, {0, 1, 2, 3, 4, 5, 6, 7});
        request.outputPath = temp + "/../long-scan.mp3";
        request.recognition = RecognitionMode::Auto;
        request.recognitionLanguages = {"eng"};
        ConversionJob job(request);
        ConversionResult result;
        bool ended = false;
        QObject::connect(&job, &ConversionJob::finished, [&](const ConversionResult& r) {
            result = r;
            ended = true;
        });
        int recognised = 0;
        QObject::connect(&job, &ConversionJob::progress, [&](const ConversionProgress& p) {
            if (p.stage == ConversionStage::Recognising)
                recognised = p.piece;
        });
        job.start();
        QVERIFY(QTest::qWaitFor([&] { return recognised >= 2 || ended; }, 60000));
        QVERIFY(!ended);
        QVERIFY(!test::livingChildNames(::getpid()).isEmpty());
        job.cancel();
        QCOMPARE(int(result.outcome), int(ConversionOutcome::Cancelled));
        QCOMPARE(test::livingChildNames(::getpid()), QStringList());
        QCOMPARE(QDir(temp).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());
        QVERIFY(!QFileInfo::exists(request.outputPath));
    }
};

int main(int argc, char** argv)
{
    TestConversionRecognition test;
    return lectorix::test::runWithDrawing(&test, argc, argv);
}

#include "test_conversion_recognition.moc"
