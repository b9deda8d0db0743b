#include "core/base/failure.h"
#include "core/settings/settings.h"
#include "support/test_env.h"

#include <QFile>
#include <QtTest>

#include <sys/stat.h>

using namespace lectorix;

class TestSettings : public QObject
{
    Q_OBJECT

private slots:
    void init() { test::freshScratch(); }

    void storeIsOneIniFileUnderTheConfigFolder()
    {
        QCOMPARE(readSetting(QStringLiteral("Volume Level"), 50), QStringLiteral("50"));
        QCOMPARE(readSetting(QStringLiteral("Text1"), QString()), QString());
        writeSetting(QStringLiteral("Volume Level"), QStringLiteral("80"));
        writeSetting(QStringLiteral("Text3"), QStringLiteral("/srv/audio, books/no slash"));
        QCOMPARE(readSetting(QStringLiteral("Volume Level"), 50), QStringLiteral("80"));
        QCOMPARE(readSetting(QStringLiteral("Text3"), QString()),
                 QStringLiteral("/srv/audio, books/no slash"));
        const QString path =
            qEnvironmentVariable("XDG_CONFIG_HOME") + QStringLiteral("/Quendrel.conf");
        QCOMPARE(settingsFilePath(), path);
        QVERIFY(test::readFile(path).startsWith("[Lectorix]\n"));
    }

    void handEditedValuesReadBackAsText()
    {
        test::writeFile(settingsFilePath(), "[Lectorix]\nText1=/a, b.pdf\nCombo1=2 voices\n");
        QCOMPARE(readSetting(QStringLiteral("Text1"), QString()), QStringLiteral("/a, b.pdf"));
        QCOMPARE(readSetting(QStringLiteral("Combo1"), 0), QStringLiteral("2 voices"));
    }

    void unwritableStoreFails()
    {
        if (::geteuid() == 0)
            QSKIP("root writes through file permissions");
        writeSetting(QStringLiteral("Text1"), QString());
        QFile::setPermissions(settingsFilePath(), QFile::ReadOwner);
        QVERIFY_THROWS_EXCEPTION(Failure,
                                 writeSetting(QStringLiteral("Text1"), QStringLiteral("x")));
    }

    void leadingNumber_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("value");
        QTest::newRow("plain") << "50" << 50.0;
        QTest::newRow("negative") << "-3" << -3.0;
        QTest::newRow("letters only") << "abc" << 0.0;
        QTest::newRow("empty") << "" << 0.0;
        QTest::newRow("number then text") << "12abc" << 12.0;
        QTest::newRow("blanks inside") << " 1 2 3" << 123.0;
        QTest::newRow("fraction") << "2.5kg" << 2.5;
        QTest::newRow("exponent") << "1e2" << 100.0;
        QTest::newRow("dangling exponent") << "7e" << 7.0;
        QTest::newRow("hex") << "&H1F" << 31.0;
        QTest::newRow("octal") << "&O17" << 15.0;
        QTest::newRow("lone sign") << "-" << 0.0;
    }
    void leadingNumber()
    {
        QFETCH(QString, text);
        QFETCH(double, value);
        QCOMPARE(convert::leadingNumber(text), value);
    }

    void roundHalfEven_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("rounded");
        QTest::newRow("0.5") << 0.5 << 0;
        QTest::newRow("1.5") << 1.5 << 2;
        QTest::newRow("2.5") << 2.5 << 2;
        QTest::newRow("-2.5") << -2.5 << -2;
        QTest::newRow("-3.5") << -3.5 << -4;
        QTest::newRow("2.6") << 2.6 << 3;
    }
    void roundHalfEven()
    {
        QFETCH(double, value);
        QFETCH(int, rounded);
        QCOMPARE(convert::roundHalfEven(value), rounded);
    }

    void strictAndTruthConversions()
    {
        QCOMPARE(convert::strictWholeNumber(QStringLiteral(" 1 ")), 1);
        QCOMPARE(convert::strictWholeNumber(QStringLiteral("0.5")), 0);
        QCOMPARE(convert::strictWholeNumber(QStringLiteral("-1.5")), -2);
        for (const char* bad : {"", "abc", "1x", "- 1"})
            QVERIFY_THROWS_EXCEPTION(Failure, convert::strictWholeNumber(QLatin1String(bad)));
        QVERIFY_THROWS_EXCEPTION(Failure, convert::roundHalfEven(1e12));

        QVERIFY(convert::truthValue(QStringLiteral("tRUE")));
        QVERIFY(!convert::truthValue(QStringLiteral("False")));
        QVERIFY(convert::truthValue(QStringLiteral("1")));
        QVERIFY(convert::truthValue(QStringLiteral("-1")));
        QVERIFY(!convert::truthValue(QStringLiteral("0")));
        for (const char* bad : {"", "yes", "Truely"})
            QVERIFY_THROWS_EXCEPTION(Failure, convert::truthValue(QLatin1String(bad)));
        QCOMPARE(convert::fromBool(true), QStringLiteral("True"));
        QCOMPARE(convert::fromInt(-1), QStringLiteral("-1"));
    }

    // The "always recognise" choice is off unless the file says yes in a form it can read.
    void recognisingScannedPages_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<bool>("recognises");
        QTest::newRow("never chosen") << QByteArray() << false;
        QTest::newRow("chosen") << QByteArray("RecogniseScannedPages=True\n") << true;
        QTest::newRow("turned off") << QByteArray("RecogniseScannedPages=False\n") << false;
        QTest::newRow("as a number") << QByteArray("RecogniseScannedPages=1\n") << true;
        QTest::newRow("unreadable") << QByteArray("RecogniseScannedPages=always\n") << false;
        QTest::newRow("another key") << QByteArray("RecogniseScanned=True\n") << false;
    }

    void recognisingScannedPages()
    {
        QFETCH(QByteArray, file);
        QFETCH(bool, recognises);
        test::writeFile(settingsFilePath(), "[Lectorix]\n" + file);
        QCOMPARE(recognisesScannedPages(), recognises);
    }
};

QTEST_GUILESS_MAIN(TestSettings)
#include "test_settings.moc"
