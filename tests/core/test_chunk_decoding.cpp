// Chunking reads its file block by block; it must decide UTF-8 or Windows-1252 as reading the
// whole file does, also when the file ends inside what would be a UTF-8 letter.
#include "core/conversion/chunking.h"
#include "core/files/text_decoding.h"
#include "support/test_env.h"

#include <QtTest>

using namespace lectorix;

class TestChunkDecoding : public QObject
{
    Q_OBJECT

private slots:
    void lastLetterKept_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("Windows-1252, é at the end") << QByteArray("caf\xe9") << "caf\u00e9";
        QTest::newRow("Windows-1252, ï» at the end") << QByteArray("x \xef\xbb") << "x \u00ef ";
        QTest::newRow("UTF-8, é at the end") << QByteArray("caf\xc3\xa9") << "caf\u00e9";
    }

    void lastLetterKept()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        const QString input = test::freshScratch() + QStringLiteral("/output.txt");
        test::writeFile(input, bytes);
        QCOMPARE(cutIntoChunkFiles(0, input), 1);
        QCOMPARE(readTextFile(chunkFileName(input, 1, QStringLiteral(".txt"))),
                 text + QLatin1Char('\n'));
    }
};

QTEST_GUILESS_MAIN(TestChunkDecoding)
#include "test_chunk_decoding.moc"
