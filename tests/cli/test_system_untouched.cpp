// lectorix-convert touches only what it reads and writes: it never calls the sound server,
// leaves no folder in TMPDIR or XDG_RUNTIME_DIR, ends quietly at a pipe nobody reads any more,
// and shows a message a library repeats thousands of times once, with its count.

#include "cli/library_messages.h"
#include "converter_run.h"
#include "support/hostile_machine.h"
#include "support/test_env.h"

#include <QDir>
#include <QRegularExpression>
#include <QtTest>

using namespace lectorix;

namespace {

// A sentence some of espeak-ng's voices cannot shape every syllable of.
// Without its full stop: a clause that ends in no mark makes the Mandarin voice complain.
const QByteArray ChineseSentence = "公司董事会保证季度报告内容的真实\n";

QByteArray repeated(const QByteArray& line, int times)
{
    QByteArray text;
    for (int i = 0; i < times; ++i)
        text += line;
    return text;
}

QList<QByteArray> byteLines(const QStringList& lines)
{
    QList<QByteArray> bytes;
    for (const QString& line : lines)
        bytes << line.toUtf8();
    return bytes;
}

QStringList errorLines(const test::ConverterRun& run)
{
    return run.errors().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

} // namespace

class TestSystemUntouched : public QObject
{
    Q_OBJECT

    QString m_folder;

private slots:
    void initTestCase() { test::ignoreBrokenPipes(); }

    void init()
    {
        m_folder = QFileInfo(test::freshScratch()).path() + QStringLiteral("/work");
        QDir().mkpath(m_folder);
        if (test::converterProgram().isEmpty())
            QSKIP("LECTORIX_CONVERT does not name the built converter");
    }

    void noSoundServerAndNoFolderLeft_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("written"); // in the working folder
        QTest::newRow("list the voices") << QStringList{"--list-voices"} << QString();
        QTest::newRow("print a PDF's text") << QStringList{"--print-text", "book.pdf"} << QString();
        QTest::newRow("convert a text") << QStringList{"-q", "notes.txt"} << "notes.mp3";
        QTest::newRow("convert a PDF") << QStringList{"-q", "book.pdf"} << "book.mp3";
    }

    // Whatever it does, it has no sound to play: the sound server never hears of it, and its
    // working files go with it.
    void noSoundServerAndNoFolderLeft()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, written);
        REQUIRE_CORPUS();
        test::copyCorpusFile(QStringLiteral("french_diacritics.pdf"),
                             m_folder + QStringLiteral("/book.pdf"));
        test::writeFile(m_folder + QStringLiteral("/notes.txt"), "A note read into a file.\n");
        const QString root = test::scratchFolder() + QStringLiteral("/machine-") +
                             QString::fromLatin1(QTest::currentDataTag()).replace(' ', '-');
        const QString tmp = root + QStringLiteral("/tmp");
        const QString runtime = root + QStringLiteral("/runtime");
        const QString home = root + QStringLiteral("/home");
        for (const QString& folder : {tmp, runtime, home})
            QDir().mkpath(folder);
        test::ListeningSoundServer server(root + QStringLiteral("/pulse"));
        QVERIFY(server.isListening());
        QProcessEnvironment environment;
        environment.insert(QStringLiteral("PULSE_SERVER"), server.address());
        environment.insert(QStringLiteral("TMPDIR"), tmp);
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
        environment.insert(QStringLiteral("HOME"), home);

        const test::ConverterRun run = test::runProgram(
            test::converterProgram(), arguments,
            {.folder = m_folder, .environment = environment, .unset = {QStringLiteral("TEMP")}});

        QVERIFY2(run.succeeded(), run.said());
        QVERIFY(!server.connected());
        QCOMPARE(test::folderEntries(tmp), QStringList());
        QCOMPARE(test::folderEntries(runtime), QStringList());
        QVERIFY(!QFileInfo::exists(home + QStringLiteral("/.config/pulse")));
        QStringList inFolder{"book.pdf", "notes.txt"};
        if (!written.isEmpty())
            inFolder << written;
        inFolder.sort();
        QCOMPARE(test::folderEntries(m_folder), inFolder);
    }

    void closedPipeEndsQuietly_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("standard input") << QStringList{"--print-text", "--verbatim", "-"};
        // The second input is never reached: it would say that it is missing.
        QTest::newRow("a text file, then another")
            << QStringList{"--print-text", "--verbatim", "long.txt", "missing.txt"};
    }

    // `lectorix-convert --print-text BOOK | head`: once head has gone, the converter ends as a
    // GNU tool ends, by SIGPIPE (status 141 to the shell), saying nothing.
    void closedPipeEndsQuietly()
    {
        QFETCH(QStringList, arguments);
        QByteArray text;
        for (int line = 1; line <= 100000; ++line)
            text += "Line number " + QByteArray::number(line) + " of a long text.\n";
        test::writeFile(m_folder + QStringLiteral("/long.txt"), text);
        const QString pipeline =
            QStringLiteral("\"$0\" \"$@\" | head -n 2 > head.txt; echo \"${PIPESTATUS[0]}\"");

        const test::ConverterRun run = test::runProgram(
            QStringLiteral("bash"),
            QStringList{QStringLiteral("-c"), pipeline, test::converterProgram()} + arguments,
            {.folder = m_folder, .input = text});

        QCOMPARE(run.errors(), QString());
        QCOMPARE(run.output(), QStringLiteral("141\n"));
        QCOMPARE(test::readFile(m_folder + QStringLiteral("/head.txt")),
                 QByteArray("Line number 1 of a long text.\nLine number 2 of a long text.\n"));
    }

    void repeatedLinesShowOnce_data()
    {
        QTest::addColumn<QStringList>("pieces");
        QTest::addColumn<QStringList>("shownAtOnce");
        QTest::addColumn<QStringList>("shownAtTheEnd");
        QTest::newRow("each once")
            << QStringList{"a\nb\n"} << QStringList{"a", "b"} << QStringList();
        QTest::newRow("in a row") << QStringList{"espeak: No envelope\n", "espeak: No envelope\n",
                                                 "espeak: No envelope\n"}
                                  << QStringList{"espeak: No envelope"}
                                  << QStringList{"espeak: No envelope (3 times)"};
        QTest::newRow("apart, counted in the order they first came")
            << QStringList{"a\nb\na\nb\nb\nc\n"} << QStringList{"a", "b", "c"}
            << QStringList{"a (2 times)", "b (3 times)"};
        QTest::newRow("a line in pieces")
            << QStringList{"esp", "eak: x\nespeak", ": x\n"} << QStringList{"espeak: x"}
            << QStringList{"espeak: x (2 times)"};
        QTest::newRow("an unfinished last line")
            << QStringList{"a\nlast words"} << QStringList{"a"} << QStringList{"last words"};
        QTest::newRow("empty lines are no repeats")
            << QStringList{"\n\n"} << QStringList{"", ""} << QStringList();
    }

    void repeatedLinesShowOnce()
    {
        QFETCH(QStringList, pieces);
        QFETCH(QStringList, shownAtOnce);
        QFETCH(QStringList, shownAtTheEnd);
        cli::RepeatedLines lines;
        QList<QByteArray> shown;
        for (const QString& piece : pieces)
            shown += lines.feed(piece.toUtf8());
        QCOMPARE(shown, byteLines(shownAtOnce));
        QCOMPARE(lines.finish(), byteLines(shownAtTheEnd));
    }

    // espeak-ng's Mandarin voice says "No envelope" for many a syllable, from inside the
    // library: the converter shows it once, and once more with its count when it ends.
    void repeatedLibraryMessageShowsOnce()
    {
        const test::ConverterRun run = test::runConverter(
            {QStringLiteral("-q"), QStringLiteral("--voice=sit/cmn"), QStringLiteral("-o"),
             QStringLiteral("chinese.mp3"), QStringLiteral("-")},
            m_folder, repeated(ChineseSentence, 20));

        QVERIFY2(run.succeeded(), run.said());
        const QStringList lines = errorLines(run);
        QCOMPARE(lines.size(), 2);
        QCOMPARE(lines.first(), QStringLiteral("espeak: No envelope"));
        static const QRegularExpression counted(
            QStringLiteral("^espeak: No envelope \\((\\d+) times\\)$"));
        const QRegularExpressionMatch match = counted.match(lines.last());
        QVERIFY2(match.hasMatch(), qPrintable(lines.last()));
        QVERIFY(match.captured(1).toInt() > 1);
        QVERIFY(test::decodeMp3(m_folder + QStringLiteral("/chinese.mp3")).has_value());
    }
};

QTEST_MAIN(TestSystemUntouched)
#include "test_system_untouched.moc"
