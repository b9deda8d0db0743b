#include "core/base/error_report.h"
#include "core/files/text_files.h"
#include "support/error_recorder.h"
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
        test::ErrorRecorder errors;
        QCOMPARE(isUnreadableText(fileWith(bytes)), unreadable);
        QVERIFY(errors.reports.isEmpty());
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
        test::ErrorRecorder errors;
        QCOMPARE(readTextFileLines(fileWith(bytes)), lines);
        QVERIFY(errors.reports.isEmpty());
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
        const QStringList blocks = readTextFileBlocks(fileWith(text.toUtf8()));
        QList<qsizetype> got;
        for (const QString& b : blocks)
            got << b.size();
        QCOMPARE(got, lengths);
        QCOMPARE(blocks.join(QString()), text);
    }

    void unreadableFileIsReportedOnce_data()
    {
        QTest::addColumn<QString>("reader");
        QTest::addColumn<QString>("report");
        QTest::newRow("lines") << "lines"
                               << "in Lectorix2021/08/31.Main.ReadFileToStringFSOLine at line 102";
        QTest::newRow("blocks") << "blocks"
                                << "in Lectorix2021/08/31.Main.ReadFileToStringFSO at line 102";
        QTest::newRow("test") << "test"
                              << "in Lectorix2021/08/31.Main.ReadFileToStringFSOLine at line 102";
    }

    void unreadableFileIsReportedOnce()
    {
        QFETCH(QString, reader);
        QFETCH(QString, report);
        test::ErrorRecorder errors;
        const QString missing = test::freshScratch() + "/missing.txt";
        if (reader == QLatin1String("lines"))
            QCOMPARE(readTextFileLines(missing), QStringList{""});
        else if (reader == QLatin1String("blocks"))
            QCOMPARE(readTextFileBlocks(missing), QStringList{""});
        else
            QCOMPARE(isUnreadableText(missing), false);
        QCOMPARE(errors.reports.size(), 1);
        QVERIFY2(errors.reports.first().contains(report), qPrintable(errors.reports.first()));
    }

    void folderIsNoTextFile()
    {
        test::ErrorRecorder errors;
        const QString folder = test::freshScratch();
        QCOMPARE(readTextFileLines(folder), QStringList{""});
        QCOMPARE(readTextFileBlocks(folder), QStringList{""});
        const QStringList texts = errors.reports;
        QCOMPARE(texts.size(), 2);
        QVERIFY(texts[0].contains("Main.ReadFileToStringFSOLine at line 102"));
        QVERIFY(texts[1].contains("Main.ReadFileToStringFSO at line 104"));
    }
};

QTEST_GUILESS_MAIN(TestTextFiles)
#include "test_window_free_text_files.moc"
