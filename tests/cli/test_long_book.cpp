// A whole book through lectorix-convert: every part of it is spoken, encoded and joined into
// one playable MP3. At the fastest rate it still takes about a minute.
#include "converter_run.h"

#include <QRegularExpression>
#include <QtTest>

using namespace lectorix;
using namespace lectorix::test;

namespace {

const QString LongBook = QStringLiteral("01-A-Study-in-Scarlet.pdf");
constexpr int SampleWords = 4000;

double decodedSeconds(const QString& mp3)
{
    return double(decodeMp3(mp3).value_or(DecodedSound()).samples) / 22050.0;
}

QStringList bookWords(const QString& pdf)
{
    QProcess extractor;
    extractor.start(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
    extractor.waitForFinished(120000);
    return QString::fromUtf8(extractor.readAllStandardOutput())
        .split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
}

} // namespace

class TestLongBook : public QObject
{
    Q_OBJECT

private slots:
    // The book's MP3 lasts as long as its words take to say, judged by how long a sample of
    // them takes: a part left out or cut short would make it shorter by a fifth or more.
    void wholeBook()
    {
        REQUIRE_CONVERTER_AND_CORPUS();
        if (mpg123Program().isEmpty())
            QSKIP("mpg123 is needed to measure the MP3 files");
        const QString temp = freshScratch();
        const QString folder = QFileInfo(temp).path() + "/books";
        QVERIFY(!copyCorpusFile(LongBook, folder + "/book.pdf").isEmpty());

        const ConverterRun run = runConverter({"--rate=10", "book.pdf"}, folder);

        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.standardError, QByteArray());
        QCOMPARE(folderEntries(folder), QStringList({"book.mp3", "book.pdf"}));
        QCOMPARE(folderEntries(temp), QStringList());
        QCOMPARE(mp3Fault(folder + "/book.mp3"), QString());

        const QStringList words = bookWords(folder + "/book.pdf");
        QVERIFY(words.size() > 10 * SampleWords);
        writeFile(folder + "/sample.txt", words.mid(0, SampleWords).join(' ').toUtf8());
        QCOMPARE(runConverter({"--rate=10", "sample.txt"}, folder).exitCode, 0);
        const double secondsPerWord = decodedSeconds(folder + "/sample.mp3") / SampleWords;
        const double expected = secondsPerWord * double(words.size());
        const double actual = decodedSeconds(folder + "/book.mp3");
        QVERIFY2(actual > 0.9 * expected && actual < 1.1 * expected,
                 qPrintable(QString("%1 s of audio, %2 s expected").arg(actual).arg(expected)));
    }
};

QTEST_GUILESS_MAIN(TestLongBook)
#include "test_long_book.moc"
