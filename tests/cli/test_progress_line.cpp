// What the converter writes on the terminal: the progress line and file names in messages.
//
// The converter's sources build into the program only, so the part tested here is compiled
// into this test directly.
#include "cli/terminal_progress.h"

#include <QtTest>

using namespace lectorix;
using namespace lectorix::cli;

Q_DECLARE_METATYPE(lectorix::ConversionStage)

class TestProgressLine : public QObject
{
    Q_OBJECT

private slots:
    void quotedNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("shown");
        QTest::newRow("plain") << "book.pdf"
                               << "'book.pdf'";
        QTest::newRow("shell characters stay as they are") << "$(rm -rf x) `id` *.pdf"
                                                           << "'$(rm -rf x) `id` *.pdf'";
        QTest::newRow("single quote closed and reopened") << "it's.pdf"
                                                          << "'it'\\''s.pdf'";
        QTest::newRow("line break") << "a\nb.pdf"
                                    << "'a\\nb.pdf'";
        QTest::newRow("carriage return and tab") << "a\rb\tc"
                                                 << "'a\\rb\\tc'";
        QTest::newRow("terminal escape") << "\x1b[2Jx.pdf"
                                         << "'\\u001b[2Jx.pdf'";
        QTest::newRow("bidirectional override")
            << QString::fromUtf8("a\u202Efdp.exe") << "'a\\u202efdp.exe'";
        QTest::newRow("letters of any script")
            << QString::fromUtf8("Ünïcødé 日本.pdf") << QString::fromUtf8("'Ünïcødé 日本.pdf'");
    }

    void quotedNames()
    {
        QFETCH(QString, name);
        QFETCH(QString, shown);
        QCOMPARE(quotedName(name), shown);
    }

    void durations_data()
    {
        QTest::addColumn<int>("seconds");
        QTest::addColumn<QString>("text");
        QTest::newRow("zero") << 0 << "0:00";
        QTest::newRow("seconds") << 9 << "0:09";
        QTest::newRow("minutes") << 247 << "4:07";
        QTest::newRow("an hour") << 3600 << "1:00:00";
        QTest::newRow("hours") << 3903 << "1:05:03";
        QTest::newRow("many hours") << 36000 + 600 + 5 << "10:10:05";
    }

    void durations()
    {
        QFETCH(int, seconds);
        QFETCH(QString, text);
        QCOMPARE(durationText(seconds), text);
    }

    void lines_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<ConversionStage>("stage");
        QTest::addColumn<int>("piece");
        QTest::addColumn<int>("pieces");
        QTest::addColumn<double>("fraction");
        QTest::addColumn<int>("secondsLeft"); // -1: no estimate
        QTest::addColumn<int>("width");
        QTest::addColumn<QString>("line");

        QTest::newRow("extracting, no estimate yet")
            << "book.pdf" << ConversionStage::Extracting << 0 << 0 << 0.0 << -1 << 80
            << "'book.pdf' (1 of 3): extracting text, 0%";
        QTest::newRow("speaking with an estimate")
            << "book.pdf" << ConversionStage::Speaking << 4 << 12 << 0.376 << 135 << 80
            << "'book.pdf' (1 of 3): speaking part 4 of 12, 37%, 2:15 left";
        QTest::newRow("encoding") << "book.pdf" << ConversionStage::Encoding << 12 << 12 << 0.9 << 3
                                  << 80
                                  << "'book.pdf' (1 of 3): encoding part 12 of 12, 90%, 0:03 left";
        QTest::newRow("joining") << "book.pdf" << ConversionStage::Joining << 12 << 12 << 0.98 << 1
                                 << 80 << "'book.pdf' (1 of 3): joining the parts, 98%, 0:01 left";
        QTest::newRow("recognising a page")
            << "scan.pdf" << ConversionStage::Recognising << 3 << 20 << 0.12 << -1 << 80
            << "'scan.pdf' (1 of 3): recognising page 3 of 20, 12%";
        QTest::newRow("recognising before the pages are counted")
            << "scan.pdf" << ConversionStage::Recognising << 1 << 0 << 0.05 << -1 << 80
            << "'scan.pdf' (1 of 3): recognising text, 5%";
        QTest::newRow("a fraction past the end shows 100%")
            << "b" << ConversionStage::Joining << 2 << 2 << 1.2 << -1 << 80
            << "'b' (1 of 3): joining the parts, 100%";
        QTest::newRow("a long name gives way, keeping its end")
            << "/home/user/Documents/Library/Conan Doyle - A Study in Scarlet.pdf"
            << ConversionStage::Speaking << 1 << 5 << 0.1 << 60 << 60
            << "...rlet.pdf' (1 of 3): speaking part 1 of 5, 10%, 1:00 left";
        QTest::newRow("too narrow for any name: cut at the width")
            << "book.pdf" << ConversionStage::Speaking << 1 << 5 << 0.1 << 60 << 20
            << " (1 of 3): speaking";
        QTest::newRow("a line break in the name stays inside the line")
            << "a\nb.pdf" << ConversionStage::Extracting << 0 << 0 << 0.0 << -1 << 80
            << "'a\\nb.pdf' (1 of 3): extracting text, 0%";
    }

    void lines()
    {
        QFETCH(QString, name);
        QFETCH(ConversionStage, stage);
        QFETCH(int, piece);
        QFETCH(int, pieces);
        QFETCH(double, fraction);
        QFETCH(int, secondsLeft);
        QFETCH(int, width);
        QFETCH(QString, line);
        const ConversionProgress progress{stage, piece, pieces, fraction};
        const std::optional<int> left =
            secondsLeft < 0 ? std::nullopt : std::optional<int>(secondsLeft);
        const QString shown = progressLine(quotedName(name), 1, 3, progress, left, width);
        QCOMPARE(shown, line);
        // The last column stays free: writing into it makes some terminals wrap the line,
        // and the carriage return would then no longer reach its start.
        QVERIFY(shown.size() < width);
    }
};

QTEST_GUILESS_MAIN(TestProgressLine)
#include "test_progress_line.moc"
