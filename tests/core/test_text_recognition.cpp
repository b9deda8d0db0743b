// The recognition job with the real pdftoppm and tesseract on PDFs the test draws: pages come
// in page order with words, boxes in the page's points and confidence; a page or a document
// that cannot be read is named while the others go on; a missing tool or language names its
// package; and cancelling or destroying the job leaves no process and no file.
#include "core/ocr/recognition_job.h"
#include "support/drawn_pdf.h"
#include "support/hostile_machine.h"
#include "support/job_run.h"
#include "support/process_info.h"
#include "support/raw_pdf.h"
#include "support/test_env.h"

#include <QDir>
#include <QProcess>
#include <QSignalSpy>
#include <QtTest>

#include <unistd.h>

using namespace lectorix;

namespace {

struct Recognition
{
    RecognitionResult result;
    QList<LayoutPage> given;
    QList<JobFailure> failures;
    QList<int> progress;
};

Recognition recognise(const RecognitionRequest& request)
{
    Recognition recognition;
    RecognitionJob job(request);
    QObject::connect(&job, &RecognitionJob::pageRecognised,
                     [&](const LayoutPage& page) { recognition.given << page; });
    QObject::connect(&job, &RecognitionJob::progress,
                     [&](int done, int) { recognition.progress << done; });
    const test::JobRun<RecognitionJob> run = test::runToEnd(job);
    recognition.failures = run.failures;
    if (!run.result)
        return recognition;
    recognition.result = *run.result;
    return recognition;
}

QStringList wordsOf(const LayoutPage& page)
{
    QStringList words;
    for (const LayoutBlock& block : page.blocks)
        for (const LayoutLine& line : block.lines)
            for (const LayoutWord& word : line.words)
                words << word.text;
    return words;
}

// Whether every box of the page lies on it, and every word has a confidence.
bool placedOnPage(const LayoutPage& page)
{
    const auto inside = [&](const LayoutBox& box) {
        return box.xMin >= 0 && box.yMin >= 0 && box.xMax <= page.width + 0.5 &&
               box.yMax <= page.height + 0.5 && box.xMin < box.xMax && box.yMin < box.yMax;
    };
    for (const LayoutBlock& block : page.blocks) {
        for (const LayoutLine& line : block.lines) {
            for (const LayoutWord& word : line.words) {
                if (!inside(word.box) || word.confidence < 0 || word.confidence > 100)
                    return false;
            }
        }
    }
    return true;
}

const test::Pages ThreePages{
    {"The lighthouse keeper counted", "the ships that passed the rocks."},
    {"Autumn storms came early", "and the boats stayed home."},
    {"Winter brought silence", "over the harbour town."},
};

} // namespace

class TestTextRecognition : public QObject
{
    Q_OBJECT

private slots:
    void init() { test::freshScratch(); }

    // Pages come in page order whatever order they were asked in and whichever process
    // finished first, each with its words where the page shows them.
    void recognisesPagesInOrder_data()
    {
        QTest::addColumn<QList<int>>("asked");
        QTest::addColumn<int>("lanes");
        QTest::addColumn<int>("pagesPerRun");
        QTest::addColumn<QList<int>>("expected");
        QTest::newRow("one page") << QList<int>{2} << 2 << 4 << QList<int>{2};
        QTest::newRow("all, one process") << QList<int>{1, 2, 3} << 1 << 4 << QList<int>{1, 2, 3};
        QTest::newRow("all, two processes, runs of two")
            << QList<int>{3, 1, 2} << 2 << 2 << QList<int>{1, 2, 3};
        QTest::newRow("repeats and gaps") << QList<int>{3, 1, 3} << 2 << 1 << QList<int>{1, 3};
    }
    void recognisesPagesInOrder()
    {
        QFETCH(QList<int>, asked);
        QFETCH(int, lanes);
        QFETCH(int, pagesPerRun);
        QFETCH(QList<int>, expected);
        const QString pdf = test::writePdf(test::scratchFolder() + "/three.pdf", ThreePages);
        const Recognition recognition = recognise({pdf, {}, asked, {"eng"}, lanes, pagesPerRun});
        QCOMPARE(recognition.result.outcome, RecognitionOutcome::Done);
        QVERIFY(recognition.failures.isEmpty());
        QList<int> numbers;
        for (const LayoutPage& page : recognition.given) {
            numbers << page.number;
            const QString expectedText = ThreePages[page.number - 1].join(' ');
            QCOMPARE(wordsOf(page).join(' '), expectedText);
            QCOMPARE(qRound(page.width), 420); // A5 in points
            QCOMPARE(qRound(page.height), 595);
            QVERIFY(placedOnPage(page));
        }
        QCOMPARE(numbers, expected);
        QCOMPARE(recognition.result.pages.size(), expected.size());
        QList<int> counted;
        for (int i = 1; i <= expected.size(); ++i)
            counted << i;
        QCOMPARE(recognition.progress, counted);
        QVERIFY(QDir(qEnvironmentVariable("TEMP")).isEmpty());
    }

    // Words keep their place: each recognised word lies where the document's own text
    // layer (pdftotext's boxes) puts it, within a point or two.
    void wordsKeepTheirPlace()
    {
        const QString pdf = test::writePdf(test::scratchFolder() + "/one.pdf", {ThreePages[0]});
        QProcess converter;
        converter.start("pdftotext", {"-bbox-layout", pdf, "-"});
        QVERIFY(converter.waitForFinished(20000));
        const PageLayouts text = readBoundingBoxLayout(converter.readAllStandardOutput(), 1);
        QCOMPARE(text.pages.size(), 1);
        const Recognition recognition = recognise({pdf, {}, {1}, {}, 1, 1});
        QCOMPARE(recognition.given.size(), 1);
        QList<LayoutWord> drawn;
        QList<LayoutWord> found;
        for (const LayoutBlock& block : text.pages.first().blocks)
            for (const LayoutLine& line : block.lines)
                drawn << line.words;
        for (const LayoutBlock& block : recognition.given.first().blocks)
            for (const LayoutLine& line : block.lines)
                found << line.words;
        QCOMPARE(found.size(), drawn.size());
        for (qsizetype i = 0; i < found.size(); ++i) {
            QCOMPARE(found[i].text, drawn[i].text);
            const auto near = [](double a, double b) { return qAbs(a - b) < 2.5; };
            QVERIFY2(near(found[i].box.xMin, drawn[i].box.xMin) &&
                         near(found[i].box.xMax, drawn[i].box.xMax),
                     qPrintable(found[i].text));
            // The text layer's box is the font's full height, the recognised one the ink's.
            QVERIFY2(found[i].box.yMin >= drawn[i].box.yMin - 1 &&
                         found[i].box.yMax <= drawn[i].box.yMax + 1,
                     qPrintable(found[i].text));
        }
    }

    // What cannot be done is said, with what to install where that is the fix; pages that
    // fail are named and come without words while the others are recognised.
    void failuresAreNamed_data()
    {
        QTest::addColumn<QString>("document"); // "drawn", "missing", "damaged"
        QTest::addColumn<QList<int>>("pages");
        QTest::addColumn<QStringList>("languages");
        QTest::addColumn<QStringList>("hiddenTools");
        QTest::addColumn<RecognitionOutcome>("outcome");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QList<int>>("failedPages");
        QTest::addColumn<QStringList>("failures");
        const QStringList eng{"eng"};
        QTest::newRow("page beyond the end")
            << "drawn" << QList<int>{1, 9} << eng << QStringList() << RecognitionOutcome::Done << ""
            << QList<int>{9} << QStringList{"There is no page 9"};
        QTest::newRow("language not installed")
            << "drawn" << QList<int>{1} << QStringList{"fra", "xyz_old", "eng"} << QStringList()
            << RecognitionOutcome::MachineFault
            << "Text recognition lacks the language data xyz_old (install "
               "tesseract-ocr-xyz-old)."
            << QList<int>() << QStringList();
        QTest::newRow("tesseract missing")
            << "drawn" << QList<int>{1} << eng << QStringList{"tesseract"}
            << RecognitionOutcome::MachineFault
            << "tesseract is not installed (Debian package tesseract-ocr)." << QList<int>()
            << QStringList();
        QTest::newRow("pdftoppm missing")
            << "drawn" << QList<int>{1} << eng << QStringList{"pdftoppm"}
            << RecognitionOutcome::MachineFault
            << "pdftoppm is not installed (Debian package poppler-utils)." << QList<int>()
            << QStringList();
        QTest::newRow("no such document")
            << "missing" << QList<int>{1} << eng << QStringList() << RecognitionOutcome::Failed
            << "@ does not exist." << QList<int>() << QStringList();
        QTest::newRow("not a PDF")
            << "damaged" << QList<int>{1} << eng << QStringList() << RecognitionOutcome::Failed
            << "The pages of @ could not be read." << QList<int>() << QStringList();
    }
    void failuresAreNamed()
    {
        QFETCH(QString, document);
        QFETCH(QList<int>, pages);
        QFETCH(QStringList, languages);
        QFETCH(QStringList, hiddenTools);
        QFETCH(RecognitionOutcome, outcome);
        QFETCH(QString, message);
        QFETCH(QList<int>, failedPages);
        QFETCH(QStringList, failures);
        QString pdf = test::scratchFolder() + "/" + document + ".pdf";
        if (document == "drawn")
            test::writePdf(pdf, ThreePages.mid(0, 1));
        else if (document == "damaged")
            test::writeFile(pdf, "%PDF-1.4\nnothing here\n");
        std::optional<test::ScopedVariable> path;
        if (!hiddenTools.isEmpty()) {
            QStringList tools{"env", "pdfinfo", "pdftoppm", "tesseract"};
            for (const QString& hidden : hiddenTools)
                tools.removeAll(hidden);
            path.emplace("PATH", test::pathWithOnly(tools));
        }
        const Recognition recognition = recognise({pdf, {}, pages, languages, 2, 4});
        QCOMPARE(recognition.result.outcome, outcome);
        QCOMPARE(recognition.result.message, QString(message).replace('@', pdf));
        QCOMPARE(recognition.result.failedPages, failedPages);
        QStringList described;
        for (const JobFailure& failure : recognition.failures)
            described << failure.description;
        for (QString& failure : failures)
            failure.replace('@', pdf);
        QCOMPARE(described, failures);
        if (outcome == RecognitionOutcome::Done) {
            for (const LayoutPage& page : recognition.result.pages)
                QCOMPARE(page.blocks.isEmpty(), failedPages.contains(page.number));
        }
        QVERIFY(QDir(qEnvironmentVariable("TEMP")).isEmpty());
    }

    // Pages no scanner makes: a poster (A0, rendered smaller to fit), an image without
    // pixels, image streams that do not decode. Each page's text still comes back, what is
    // damaged is said, nothing crashes and nothing is left behind.
    void hostilePages_data()
    {
        QTest::addColumn<QByteArray>("mediaBox");
        QTest::addColumn<QByteArray>("image");
        QTest::addColumn<QString>("words");
        QTest::addColumn<QStringList>("failures");
        const QByteArray letter = "0 0 612 792";
        const QByteArray gray = "/Type /XObject /Subtype /Image /ColorSpace /DeviceGray "
                                "/BitsPerComponent 8 ";
        const QByteArray pixels = "/Width 400 /Height 400 ";
        QByteArray noise;
        for (int i = 0; i < 40 * 256; ++i)
            noise += char(i * 7919 % 256);
        const QByteArray intact = test::pdfStream(gray + pixels, QByteArray(400 * 400, '\xf0'));
        const QStringList damaged{"Page 1 is damaged, part of it may be missing"};
        QTest::newRow("A0 poster")
            << QByteArray("0 0 2384 3370") << intact << "Scanned pages read aloud" << QStringList();
        QTest::newRow("image without pixels")
            << letter << test::pdfStream(gray + "/Width 0 /Height 0", QByteArray())
            << "Scanned pages read aloud" << damaged;
        QTest::newRow("image stream that does not inflate")
            << letter << test::pdfStream(gray + pixels + "/Filter /FlateDecode", "x\x9c" + noise)
            << "Scanned pages read aloud" << damaged;
        QTest::newRow("JPEG image stream of noise")
            << letter
            << test::pdfStream(gray + pixels + "/Filter /DCTDecode", "\xff\xd8\xff" + noise)
            << "Scanned pages read aloud" << QStringList();
        QTest::newRow("image stream cut short")
            << letter << test::pdfStream(gray + pixels, QByteArray(100, '\x10'))
            << "Scanned pages read aloud" << QStringList();
    }
    void hostilePages()
    {
        QFETCH(QByteArray, mediaBox);
        QFETCH(QByteArray, image);
        QFETCH(QString, words);
        QFETCH(QStringList, failures);
        // The text sits near the top left corner in the page's own size.
        const double height = mediaBox.split(' ').last().toDouble();
        const double size = height / 30;
        const QByteArray content = QString("BT /F1 %1 Tf %2 %3 Td (Scanned pages read aloud) Tj ET"
                                           " q 300 0 0 300 100 100 cm /Im1 Do Q")
                                       .arg(size)
                                       .arg(size)
                                       .arg(height - 3 * size)
                                       .toLatin1();
        const QString pdf = test::writeFile(test::scratchFolder() + "/hostile.pdf",
                                            test::onePagePdf(mediaBox, content, image));
        const Recognition recognition = recognise({pdf, {}, {1}, {"eng"}, 1, 1});
        QCOMPARE(recognition.result.outcome, RecognitionOutcome::Done);
        QCOMPARE(recognition.result.failedPages, QList<int>());
        QStringList described;
        for (const JobFailure& failure : recognition.failures)
            described << failure.description;
        QCOMPARE(described, failures);
        QCOMPARE(recognition.given.size(), 1);
        // The words in any case: the text is drawn in an embedded font, but which capitals
        // tesseract sees is what another font or tesseract's version changes first.
        QCOMPARE(wordsOf(recognition.given.first()).join(' ').toLower(), words.toLower());
        QVERIFY(placedOnPage(recognition.given.first()));
        QVERIFY(QDir(qEnvironmentVariable("TEMP")).isEmpty());
    }

    // Cancelling, or destroying the job, ends its tools at once and removes its files, at
    // whatever point it is stopped.
    void stoppingLeavesNothing_data()
    {
        QTest::addColumn<int>("afterProcesses"); // stop once this many tools have started
        QTest::addColumn<bool>("destroy");
        QTest::newRow("cancel at once") << 0 << false;
        QTest::newRow("cancel while rendering") << 3 << false;
        QTest::newRow("cancel while recognising") << 5 << false;
        QTest::newRow("destroy while recognising") << 5 << true;
    }
    void stoppingLeavesNothing()
    {
        QFETCH(int, afterProcesses);
        QFETCH(bool, destroy);
        const QString pdf = test::writePdf(test::scratchFolder() + "/three.pdf", ThreePages);
        auto job =
            std::make_unique<RecognitionJob>(RecognitionRequest{pdf, {}, {1, 2, 3}, {"eng"}, 2, 4});
        QSignalSpy finished(job.get(), &RecognitionJob::finished);
        QSignalSpy given(job.get(), &RecognitionJob::pageRecognised);
        job->start();
        // Tools started so far: the language list, pdfinfo, then per process a render and a
        // recognition; their children show in /proc while they run.
        int seen = 0;
        QSet<qint64> pids;
        QDeadlineTimer deadline(20000);
        while (seen < afterProcesses && finished.isEmpty() && !deadline.hasExpired()) {
            for (const test::ProcessInfo& child : test::childrenOf(getpid())) {
                if (!pids.contains(child.pid)) {
                    pids.insert(child.pid);
                    ++seen;
                }
            }
            QTest::qWait(1);
        }
        if (destroy) {
            job.reset();
        } else {
            job->cancel();
            QCOMPARE(finished.size(), 1);
            QCOMPARE(finished.first().first().value<RecognitionResult>().outcome,
                     RecognitionOutcome::Cancelled);
        }
        QCOMPARE(test::livingChildNames(getpid()), QStringList());
        QVERIFY(QDir(qEnvironmentVariable("TEMP")).isEmpty());
        QTest::qWait(50);
        if (job)
            QCOMPARE(finished.size(), 1);
    }
};

int main(int argc, char** argv)
{
    TestTextRecognition test;
    return lectorix::test::runWithDrawing(&test, argc, argv);
}

#include "test_text_recognition.moc"
