// Text files read as lines and as blocks, the readability test of a converter's text, and
// the step at which a file that cannot be read fails.
#include "core/files/text_files.h"
#include "support/test_env.h"

#include <QtTest>

using namespace lectorix;

class TestTextFiles : public QObject
{
    Q_OBJECT

    QString fileWith(const QByteArray& bytes)
    {
        return test::writeFile(test::freshScratch() + "/text.txt", bytes);
    }

private slots:
    void noTextPDF_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("unreadable");
        QTest::newRow("form feeds only") << QByteArray("\f\f\f\f") << true;
        QTest::newRow("five letters, form feed") << QByteArray("abcde\f") << true;
        QTest::newRow("six letters, form feed") << QByteArray("abcdef\f") << false;
        QTest::newRow("form feed, six letters") << QByteArray("\fabcdef") << false;
        QTest::newRow("empty") << QByteArray() << false;
        QTest::newRow("three letters") << QByteArray("abc") << false;
        QTest::newRow("tab among letters") << QByteArray("ab\tc") << true;
        QTest::newRow("count runs across lines") << QByteArray("abc\ndef\n\f") << false;
        QTest::newRow("few across lines") << QByteArray("ab\n\ncd\n\f") << true;
        QTest::newRow("line breaks are not looked at") << QByteArray("a\r\nb\r\n") << false;
        QTest::newRow("DEL") << QByteArray("ab\x7f") << true;
        QTest::newRow("C1 control in UTF-8") << QByteArray("\xc2\x85xyz") << true;
        QTest::newRow("no-break space counts")
            << QByteArray("\xc2\xa0\xc2\xa0\xc2\xa0\xc2\xa0\xc2\xa0\xc2\xa0\f") << false;
        QTest::newRow("Western accents (1252)")
            << QByteArray("\xe9\xe8\xe0\xf9\xe2\xea\f") << false;
        QTest::newRow("1252 undefined byte") << QByteArray("\x81z") << true;
        QTest::newRow("Chinese") << QByteArray("中文日本語字\f") << false;
        QTest::newRow("two Chinese letters") << QByteArray("中文\f") << true;
        QTest::newRow("Cyrillic") << QByteArray("Привет\f") << false;
        QTest::newRow("Arabic") << QByteArray("مرحبا بك\f") << false;
        QTest::newRow("three emoji are three letters") << QByteArray("😀😀😀\f") << true;
        QTest::newRow("replacement character") << QByteArray("\xef\xbf\xbdok") << true;
    }

    void noTextPDF()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, unreadable);
        const TextFilePieces read = readTextFileLines(fileWith(bytes));
        QVERIFY(!read.failure);
        QCOMPARE(isUnreadableText(read.pieces), unreadable);
    }

    void readsLines_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("lines");
        const QStringList abc = {"a", "", "b"};
        QTest::newRow("LF") << QByteArray("a\n\nb") << abc;
        QTest::newRow("final break adds nothing") << QByteArray("a\n\nb\n") << abc;
        QTest::newRow("CR LF") << QByteArray("a\r\n\r\nb\r\n") << abc;
        QTest::newRow("lone CR") << QByteArray("a\r\rb") << abc;
        QTest::newRow("empty") << QByteArray() << QStringList{""};
        QTest::newRow("one break") << QByteArray("\n") << QStringList{""};
        QTest::newRow("two breaks") << QByteArray("\n\n") << QStringList{"", ""};
        QTest::newRow("form feed stays") << QByteArray("x\fy\n") << QStringList{"x\fy"};
        QTest::newRow("Windows-1252") << QByteArray("caf\xe9 \x80\r\n") << QStringList{"café €"};
        QTest::newRow("UTF-8") << QByteArray("café €\n中文") << QStringList{"café €", "中文"};
        QTest::newRow("byte-order mark dropped")
            << QByteArray("\xef\xbb\xbfhi") << QStringList{"hi"};
        // One invalid sequence makes the whole file Windows-1252, not a patchwork.
        QTest::newRow("mixed is 1252") << QByteArray("\xe2\x82\xac \x80") << QStringList{"â‚¬ €"};
    }

    void readsLines()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, lines);
        const TextFilePieces read = readTextFileLines(fileWith(bytes));
        QCOMPARE(read.pieces, lines);
        QVERIFY(!read.failure);
    }

    void readsBlocks_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QList<qsizetype>>("lengths");
        QString numbered;
        for (int i = 0; numbered.size() < 150000; ++i)
            numbered += QString::number(i) + (i % 7 ? QStringLiteral(" ") : QStringLiteral("\r\n"));
        numbered.truncate(150000);
        QTest::newRow("150,000 characters") << numbered << QList<qsizetype>{65536, 65536, 18928};
        QTest::newRow("empty") << QString() << QList<qsizetype>{0};
        QTest::newRow("one block") << QStringLiteral("short\ntext") << QList<qsizetype>{10};
        QTest::newRow("characters, not bytes")
            << QString(70000, QChar(0xe9)) << QList<qsizetype>{65536, 4464};
        // 65,535 letters and an emoji are 65,536 characters: the pair stays in block one.
        QTest::newRow("pair not split")
            << QString(65535, 'a') + QStringLiteral("😀b") << QList<qsizetype>{65537, 1};
    }

    void readsBlocks()
    {
        QFETCH(QString, text);
        QFETCH(QList<qsizetype>, lengths);
        const TextFilePieces read = readTextFileBlocks(fileWith(text.toUtf8()));
        QVERIFY(!read.failure);
        const QStringList blocks = read.pieces;
        QList<qsizetype> got;
        for (const QString& b : blocks)
            got << b.size();
        QCOMPARE(got, lengths);
        QCOMPARE(blocks.join(QString()), text);
    }

    // A file that cannot be read gives one empty piece and the step that failed, with the
    // file named in the description.
    void unreadableFileFailsItsStep_data()
    {
        QTest::addColumn<QString>("reader");
        QTest::addColumn<bool>("folder");
        QTest::addColumn<int>("step");
        QTest::newRow("lines, missing") << "lines" << false << int(TextFileStep::Read);
        QTest::newRow("blocks, missing") << "blocks" << false << int(TextFileStep::LookUp);
        QTest::newRow("lines, a folder") << "lines" << true << int(TextFileStep::Read);
        QTest::newRow("blocks, a folder") << "blocks" << true << int(TextFileStep::Read);
    }

    void unreadableFileFailsItsStep()
    {
        QFETCH(QString, reader);
        QFETCH(bool, folder);
        QFETCH(int, step);
        const QString scratch = test::freshScratch();
        const QString path = folder ? scratch : scratch + "/missing.txt";
        const TextFilePieces read =
            reader == QLatin1String("lines") ? readTextFileLines(path) : readTextFileBlocks(path);
        QCOMPARE(read.pieces, QStringList{""});
        QVERIFY(read.failure);
        QCOMPARE(int(read.failure->step), step);
        QVERIFY2(read.failure->description.contains(path), qPrintable(read.failure->description));
        QVERIFY(!isUnreadableText(read.pieces));
    }
};

QTEST_GUILESS_MAIN(TestTextFiles)
#include "test_text_files.moc"
