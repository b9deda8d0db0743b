// The bash completion of lectorix-convert, as the build writes it from the converter's table
// of options, run by a real bash as it runs when Tab is pressed.

#include "cli/converter_run.h"
#include "packaging_support.h"

#include <QRegularExpression>
#include <QSet>
#include <QtTest>

using namespace lectorix;

namespace {

QString completionScript()
{
    return test::buildFolder() + QStringLiteral("/completion/lectorix-convert");
}

// What Tab offers after words (the last one is the word being completed), in folder. The
// program is named by the path of the built converter, as a user may type it.
QSet<QString> complete(const QStringList& words, const QString& folder)
{
    QProcessEnvironment environment;
    environment.insert(QStringLiteral("COMPLETION_SCRIPT"), completionScript());
    const QString script = QStringLiteral(
        "source \"$COMPLETION_SCRIPT\" || exit 3\n"
        "COMP_WORDS=(\"$@\"); COMP_CWORD=$(($# - 1)); COMP_LINE=\"$*\"; COMP_POINT=${#COMP_LINE}\n"
        "_lectorix_convert || exit 4\n"
        "printf '%s\\n' \"${COMPREPLY[@]}\"\n");
    const test::ProgramRun bash =
        test::runProgram(QStringLiteral("bash"),
                         QStringList{QStringLiteral("-c"), script, QStringLiteral("bash"),
                                     test::converterProgram()} +
                             words,
                         {.folder = folder, .environment = environment});
    if (!bash.succeeded())
        return {QStringLiteral("bash failed: ") + bash.errors()};
    QSet<QString> offered;
    for (const QString& line : bash.output().split(QLatin1Char('\n'), Qt::SkipEmptyParts))
        offered.insert(line);
    return offered;
}

QSet<QString> setOf(const QStringList& items)
{
    return QSet<QString>(items.begin(), items.end());
}

QString runConverter(const QStringList& arguments)
{
    return test::runProgram(test::converterProgram(), arguments).output();
}

} // namespace

class TestShellCompletion : public QObject
{
    Q_OBJECT

    QString m_folder;

private slots:
    void initTestCase()
    {
        if (test::converterProgram().isEmpty())
            QSKIP("LECTORIX_CONVERT does not name the built converter");
        m_folder = test::freshScratch() + QStringLiteral("/../documents");
        for (const char* name : {"book.pdf", "SCAN.PDF", "notes.txt", "with blank.pdf",
                                 "picture.png", "archive.tar", "Audio/old.mp3"})
            test::writeFile(m_folder + QLatin1Char('/') + QLatin1String(name), "x");
        QDir().mkpath(m_folder + QStringLiteral("/Empty folder"));
    }

    void offersWhatFits_data()
    {
        QTest::addColumn<QStringList>("words");
        QTest::addColumn<QStringList>("offered");
        QTest::newRow("inputs: documents and folders")
            << QStringList{""} << QStringList{"book.pdf",       "SCAN.PDF", "notes.txt",
                                              "with blank.pdf", "Audio",    "Empty folder"};
        QTest::newRow("inputs by their start") << QStringList{"-q", "b"} << QStringList{"book.pdf"};
        QTest::newRow("-d: folders")
            << QStringList{"-d", ""} << QStringList{"Audio", "Empty folder"};
        QTest::newRow("--directory: folders")
            << QStringList{"--directory", "E"} << QStringList{"Empty folder"};
        QTest::newRow("-o: any file")
            << QStringList{"book.pdf", "-o", "a"} << QStringList{"archive.tar"};
        QTest::newRow("--password-file=: any file")
            << QStringList{"--password-file", "=", "p"} << QStringList{"picture.png"};
        QTest::newRow("--pronunciations=: any file")
            << QStringList{"--pronunciations", "=", "p"} << QStringList{"picture.png"};
        QTest::newRow("--rate=") << QStringList{"--rate", "=", "-1"} << QStringList{"-1", "-10"};
        QTest::newRow("--rate= without '=' as a word break")
            << QStringList{"--rate=1"} << QStringList{"--rate=1", "--rate=10"};
        QTest::newRow("options by their start")
            << QStringList{"--vo"} << QStringList{"--voice=", "--volume="};
        QTest::newRow("a flag") << QStringList{"--qu"} << QStringList{"--quiet"};
        QTest::newRow("--ocr=: when to recognise")
            << QStringList{"--ocr", "=", "a"} << QStringList{"auto", "always"};
        QTest::newRow("--ocr-language=: the installed languages")
            << QStringList{"--ocr-language", "=", "fr"} << QStringList{"fra"};
        QTest::newRow("--volume=: each tenth")
            << QStringList{"--volume", "=", "1"} << QStringList{"10", "100"};
        QTest::newRow("--format=: the formats")
            << QStringList{"--format", "=", ""} << QStringList{"mp3", "m4b", "opus"};
        QTest::newRow("--format=m without '=' as a word break")
            << QStringList{"--format=m"} << QStringList{"--format=mp3", "--format=m4b"};
        QTest::newRow("--title=: free text, no file names")
            << QStringList{"--title", "=", "b"} << QStringList{};
        QTest::newRow("--heading-pause=: a number, no file names")
            << QStringList{"--heading-pause", "=", ""} << QStringList{};
    }

    void offersWhatFits()
    {
        QFETCH(QStringList, words);
        QFETCH(QStringList, offered);
        QCOMPARE(complete(words, m_folder), setOf(offered));
    }

    // The options offered are exactly the long and short options --help lists, with - for
    // standard input.
    void offersEveryOptionOfTheHelp()
    {
        static const QRegularExpression option(QStringLiteral("(?:^|[\\s,])(--?[a-z][a-z-]*)"));
        QSet<QString> documented{QStringLiteral("-")};
        for (auto it = option.globalMatch(runConverter({QStringLiteral("--help")})); it.hasNext();)
            documented.insert(it.next().captured(1));
        QSet<QString> offered;
        for (const QString& word : complete({QStringLiteral("-")}, m_folder))
            offered.insert(word.endsWith(QLatin1Char('=')) ? word.chopped(1) : word);
        QCOMPARE(offered, documented);
    }

    // --voice offers the identifiers of the installed voices, as --list-voices prints them.
    void offersTheInstalledVoices()
    {
        QSet<QString> identifiers;
        for (const QString& line : runConverter({QStringLiteral("--list-voices")})
                                       .split(QLatin1Char('\n'), Qt::SkipEmptyParts))
            identifiers.insert(line.section(QLatin1Char('\t'), 0, 0));
        QVERIFY(!identifiers.isEmpty());
        QCOMPARE(complete({QStringLiteral("--voice"), QStringLiteral("="), QString()}, m_folder),
                 identifiers);
        QSet<QString> english;
        for (const QString& identifier : identifiers)
            if (identifier.startsWith(QLatin1String("gmw/en")))
                english.insert(identifier);
        QVERIFY(!english.isEmpty());
        QCOMPARE(complete({QStringLiteral("--voice"), QStringLiteral("gmw/en")}, m_folder),
                 english);
    }
};

QTEST_MAIN(TestShellCompletion)
#include "test_shell_completion.moc"
