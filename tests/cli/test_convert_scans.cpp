// lectorix-convert on scanned PDFs: the corpus's scan is read by default and refused with
// --ocr=never, a language tesseract lacks is named with its package, and a page whose image is
// damaged is said to be so while the rest is converted; --print-text shows the recognised text. No
// working file stays behind.
#include "converter_run.h"

#include "support/raw_pdf.h"

#include <QtTest>

using namespace lectorix;
using namespace lectorix::test;

class TestConvertScans : public ConverterTestCase
{
    Q_OBJECT

private slots:
    void init() { QVERIFY(makeFolders()); }
    void cleanup() { QCOMPARE(leftInTemp(), QStringList()); }

    void scans_data()
    {
        QTest::addColumn<QString>("document"); // a corpus file, or "damaged" for a drawn one
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("message"); // on standard error, after the input's name
        QTest::newRow("scan, recognised by default") << "c02-22.pdf" << QStringList() << 0 << "";
        QTest::newRow("scan, every page recognised in the language named")
            << "c02-22.pdf" << QStringList{"--ocr=always", "--ocr-language=en"} << 0 << "";
        QTest::newRow("scan, not recognised when never asked")
            << "c02-22.pdf" << QStringList{"--ocr=never"} << 1
            << "no text layer (a scanned document?)";
        QTest::newRow("scan, a language that is not installed")
            << "c02-22.pdf" << QStringList{"--ocr=auto", "--ocr-language=ita+eng"} << 1
            << "the conversion failed: Text recognition lacks the language data ita (install "
               "tesseract-ocr-ita).";
        QTest::newRow("damaged image, the rest recognised")
            << "damaged" << QStringList{"--ocr=always"} << 0
            << "Page 1 is damaged, part of it may be missing: Syntax Error";
    }
    void scans()
    {
        REQUIRE_CONVERTER_AND_CORPUS();
        QFETCH(QString, document);
        QFETCH(QStringList, options);
        QFETCH(int, exitCode);
        QFETCH(QString, message);
        if (document == "damaged") {
            document = "damaged.pdf";
            const QByteArray image = pdfStream(
                "/Type /XObject /Subtype /Image /ColorSpace /DeviceGray /BitsPerComponent 8 "
                "/Width 400 /Height 400 /Filter /FlateDecode",
                "x\x9c" + QByteArray(4000, '\x55'));
            writeFile(m_folder + '/' + document,
                      onePagePdf("0 0 612 792",
                                 "BT /F1 24 Tf 40 700 Td (The harbour meeting is on Thursday.) "
                                 "Tj ET q 300 0 0 300 100 100 cm /Im1 Do Q",
                                 image));
        } else {
            QVERIFY(!copyCorpusFile(document, m_folder + '/' + document).isEmpty());
        }
        const ConverterRun run = runConverter(options << document, m_folder);
        QCOMPARE(run.exitCode, exitCode);
        const QString errors = run.errors().trimmed();
        if (message.isEmpty())
            QCOMPARE(errors, QString());
        else
            QVERIFY2(errors.startsWith("lectorix-convert: '" + document + "': " + message),
                     qPrintable(errors));
        const QString mp3 = m_folder + '/' + QFileInfo(document).completeBaseName() + ".mp3";
        if (exitCode == 0)
            QCOMPARE(mp3Fault(mp3), QString());
        else
            QVERIFY(!QFileInfo::exists(mp3));
    }

    // --print-text shows what a conversion with --ocr speaks: the scan's sentences, read
    // into paragraphs.
    void printsRecognisedText_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("printed"); // a line of standard output
        QTest::newRow("recognised")
            << QStringList{"--ocr=auto"} << 0
            << "Miss Watson’s big nigger, named Jim, was setting in the kitchen door; we could "
               "see him pretty clear, because there was a light behind him.";
        QTest::newRow("recognised, line by line") << QStringList{"--ocr=always", "--verbatim"} << 0
                                                  << "we could see him pretty clear, because";
        QTest::newRow("not recognised") << QStringList{"--ocr=never"} << 1 << "";
    }
    void printsRecognisedText()
    {
        REQUIRE_CONVERTER_AND_CORPUS();
        QFETCH(QStringList, options);
        QFETCH(int, exitCode);
        QFETCH(QString, printed);
        QVERIFY(!copyCorpusFile("c02-22.pdf", m_folder + "/scan.pdf").isEmpty());
        const ConverterRun run = runConverter(options << "--print-text"
                                                      << "scan.pdf",
                                              m_folder);
        QCOMPARE(run.exitCode, exitCode);
        if (printed.isEmpty())
            QCOMPARE(run.output(), QString());
        else
            QVERIFY2(run.output().split('\n').contains(printed), qPrintable(run.output()));
    }
};

QTEST_GUILESS_MAIN(TestConvertScans)

#include "test_convert_scans.moc"
