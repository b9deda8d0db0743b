// The text extraction with the real converter: passwords beyond ASCII open both the older
// encryptions (Latin-1 bytes, tried second) and AES-256 (UTF-8); file names that look like
// options stay files; a text file left by an earlier run is never taken for this one's; and a
// step that fails is handed over as a value while the extraction goes on.
#include "core/pdf/document_text.h"
#include "core/pdf/pdf_converter.h"
#include "support/job_run.h"
#include "support/test_env.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QtTest>

using namespace lectorix;

namespace {

struct Extraction
{
    ExtractionResult result;
    QList<JobFailure> failures;
    QString text; // what the text file held, for Text
};

Extraction extract(const ExtractionRequest& request)
{
    Extraction extraction;
    ExtractionJob job(request);
    const test::JobRun<ExtractionJob> run = test::runToEnd(job);
    extraction.failures = run.failures;
    if (!run.result)
        return extraction;
    extraction.result = *run.result;
    if (extraction.result.outcome == ExtractionOutcome::Text) {
        extraction.text = QString::fromUtf8(test::readFile(extraction.result.textPath));
        QFile::remove(extraction.result.textPath);
    }
    return extraction;
}

const QString FrenchLetters = QStringLiteral("àÀâÂäÄçÇéÉ");

} // namespace

class TestTextExtraction : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty() ||
            test::corpusFolder().isEmpty())
            QSKIP("pdftotext and the corpus are needed");
    }

    // Older encryptions derive their key from the password's single-byte form, AES-256 from
    // its UTF-8 form; one typed password has to open both, and a wrong one neither.
    void passwordsBeyondAscii_data()
    {
        QTest::addColumn<QStringList>("qpdfOptions");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("opens");
        const QString password = QStringLiteral("Pä\"ss wörd");
        const QStringList rc4_40{"--allow-weak-crypto", "--encrypt", "@", "owner 1", "40", "--"};
        const QStringList rc4_128{"--allow-weak-crypto", "--encrypt", "@", "owner 1", "128",
                                  "--use-aes=n",         "--"};
        const QStringList aes128{"--encrypt", "@", "owner 1", "128", "--use-aes=y", "--"};
        const QStringList aes256{"--encrypt", "@", "owner 1", "256", "--"};
        QTest::newRow("RC4 40, Latin-1 retry") << rc4_40 << password << password << true;
        QTest::newRow("RC4 128, Latin-1 retry") << rc4_128 << password << password << true;
        QTest::newRow("AES 128, Latin-1 retry") << aes128 << password << password << true;
        QTest::newRow("AES 256, UTF-8") << aes256 << password << password << true;
        QTest::newRow("RC4 128, wrong password")
            << rc4_128 << password << QStringLiteral("wröng") << false;
        QTest::newRow("AES 256, wrong password")
            << aes256 << password << QStringLiteral("wrong") << false;
        // Outside Latin-1 there is no second try: the UTF-8 form does.
        QTest::newRow("AES 256, beyond Latin-1")
            << aes256 << QStringLiteral("Ωμέγα") << QStringLiteral("Ωμέγα") << true;
    }

    void passwordsBeyondAscii()
    {
        QFETCH(QStringList, qpdfOptions);
        QFETCH(QString, password);
        QFETCH(QString, typed);
        QFETCH(bool, opens);
        if (QStandardPaths::findExecutable("qpdf").isEmpty())
            QSKIP("qpdf is not installed (make test-deps)");
        const QString temp = test::freshScratch();
        const QString pdf = temp + "/locked.pdf";
        qpdfOptions.replaceInStrings(QStringLiteral("@"), password);
        QCOMPARE(QProcess::execute("qpdf",
                                   qpdfOptions +
                                       QStringList{test::corpusFile("french_diacritics.pdf"), pdf}),
                 0);
        ExtractionRequest request;
        request.pdfPath = pdf;
        request.password = typed;
        request.textPath = temp + "/out.txt";
        const Extraction extraction = extract(request);
        QCOMPARE(extraction.result.outcome,
                 opens ? ExtractionOutcome::Text : ExtractionOutcome::NeedsPassword);
        QCOMPARE(extraction.text.contains(FrenchLetters), opens);
        QVERIFY(extraction.failures.isEmpty());
        QVERIFY(!QFile::exists(temp + "/out.txt"));
    }

    // A relative name beginning with "-" reaches the converter as a file, not as its option.
    void dashNamedPdfConverts()
    {
        const QString temp = test::freshScratch();
        const QString before = QDir::currentPath();
        QVERIFY(QDir::setCurrent(temp));
        QVERIFY(QFile::copy(test::corpusFile("french_diacritics.pdf"), "-layout"));
        ExtractionRequest request;
        request.pdfPath = QStringLiteral("-layout");
        const Extraction extraction = extract(request);
        QDir::setCurrent(before);
        QCOMPARE(extraction.result.outcome, ExtractionOutcome::Text);
        QCOMPARE(extraction.result.textPath, QStringLiteral("-layout.txt"));
        QVERIFY(extraction.text.contains(FrenchLetters));
    }

    // What the converter writes, and how the extraction ends when it writes nothing.
    void endsWithoutText_data()
    {
        QTest::addColumn<QString>("converter"); // "absent", "refused" or empty for pdftotext
        QTest::addColumn<int>("outcome");
        QTest::addColumn<int>("failedStep"); // -1: none
        QTest::newRow("not a PDF, over an earlier text")
            << QString() << int(ExtractionOutcome::Protected) << -1;
        QTest::newRow("converter missing") << "absent" << int(ExtractionOutcome::Failed) << -1;
        QTest::newRow("converter others may change")
            << "refused" << int(ExtractionOutcome::Failed) << int(ExtractionStep::RunConverter);
    }

    void endsWithoutText()
    {
        QFETCH(QString, converter);
        QFETCH(int, outcome);
        QFETCH(int, failedStep);
        const QString temp = test::freshScratch();
        ExtractionRequest request;
        request.pdfPath = test::corpusFile(converter.isEmpty() ? "invalid.pdf" : "trivial.pdf");
        request.textPath = test::writeFile(temp + "/out.txt", "text of an earlier document");
        if (!converter.isEmpty())
            request.converter = temp + QLatin1Char('/') + converter;
        if (converter == QLatin1String("refused")) {
            test::writeFile(request.converter, "#!/bin/sh\nexec pdftotext \"$@\"\n");
            QFile::setPermissions(request.converter, QFileDevice::Permissions(0x7777));
        }
        const Extraction extraction = extract(request);
        QCOMPARE(int(extraction.result.outcome), outcome);
        QVERIFY(!QFile::exists(request.textPath));
        QCOMPARE(extraction.failures.size(), failedStep < 0 ? 0 : 1);
        if (failedStep >= 0) {
            QCOMPARE(int(extraction.failures.first().as<ExtractionStep>()->step), failedStep);
            QVERIFY2(extraction.failures.first().description.contains(request.converter),
                     qPrintable(extraction.failures.first().description));
        }
    }

    void outputPaths_data()
    {
        QTest::addColumn<QString>("pdf");
        QTest::addColumn<QString>("output");
        QTest::addColumn<QString>("written");
        QTest::newRow("named") << "/d/a.pdf"
                               << "/t/x.txt"
                               << "/t/x.txt";
        QTest::newRow("beside") << "/t/output.pdf"
                                << ""
                                << "/t/output.txt";
        QTest::newRow("upper case") << "/d/A.PDF"
                                    << ""
                                    << "/d/A.txt";
        QTest::newRow("other extension") << "/d/a.bin"
                                         << ""
                                         << "/d/a.bin.txt";
    }

    void outputPaths()
    {
        QFETCH(QString, pdf);
        QFETCH(QString, output);
        QFETCH(QString, written);
        QCOMPARE(converterOutputPath(pdf, output), written);
    }
};

QTEST_GUILESS_MAIN(TestTextExtraction)
#include "test_text_extraction.moc"
