// The pronunciation list: its file read line by line with damaged lines named and skipped,
// entries applied as written (whole words, letter case, language, patterns), the highlight
// kept on the written word, and what espeak-ng makes of the result.

#include "core/reading/reading_session.h"
#include "core/text/pronunciations.h"
#include "core/text/spoken_text.h"
#include "support/test_env.h"

#include <QProcess>
#include <QSignalSpy>
#include <QtTest>

using namespace lectorix;

namespace {

PronunciationList listOf(const QString& file)
{
    return PronunciationList(parsePronunciations(file).entries);
}

// What espeak-ng's phoneme output is for text, as the program gives text to it: phonemes in
// double brackets read as phonemes.
QString phonemesOf(const QString& text, const QString& voice)
{
    QProcess espeak;
    espeak.start(QStringLiteral("espeak-ng"),
                 {QStringLiteral("-q"), QStringLiteral("-x"), QStringLiteral("-v"), voice, text});
    espeak.waitForFinished(30000);
    return QString::fromUtf8(espeak.readAllStandardOutput()).simplified();
}

} // namespace

class TestPronunciations : public QObject
{
    Q_OBJECT

private slots:
    void init() { test::freshScratch(); }

    void fileLines_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("entries");
        QTest::addColumn<QList<int>>("damagedLines");
        QTest::newRow("plain") << "Quendrel\tKwen drel\n" << 1 << QList<int>{};
        QTest::newRow("comments and blanks") << "# x\n\n  \nA\tB\tde\tcase part\n"
                                             << 1 << QList<int>{};
        // Saved, such an entry would read back as a comment.
        QTest::newRow("comment after blanks") << " \r#x\ty\nA\tB\n" << 1 << QList<int>{};
        QTest::newRow("no tab") << "Quendrel Kwen drel\nNASA\tNassa\n" << 1 << QList<int>{1};
        QTest::newRow("empty spoken") << "A\t\nB\tbee\n" << 1 << QList<int>{1};
        QTest::newRow("unknown option") << "A\tay\t\tshout\n" << 0 << QList<int>{1};
        QTest::newRow("bad language") << "A\tay\tenglish!\n" << 0 << QList<int>{1};
        QTest::newRow("broken regex") << "ok\tfine\n(a\tb\t\tregex\n" << 1 << QList<int>{2};
        QTest::newRow("empty match") << "a*\tb\t\tregex\n" << 0 << QList<int>{1};
        QTest::newRow("open phonemes") << "A\t[[ey\nB\t[[bi:]]\n" << 1 << QList<int>{1};
        QTest::newRow("five fields") << "A\tb\ten\tcase\textra\n" << 0 << QList<int>{1};
        QTest::newRow("CR LF and BOM") << "\xEF\xBB\xBFx\ty\r\nbad\r\n" << 1 << QList<int>{2};
    }
    void fileLines()
    {
        QFETCH(QString, file);
        QFETCH(int, entries);
        QFETCH(QList<int>, damagedLines);
        const ParsedPronunciations parsed = parsePronunciations(file);
        QCOMPARE(parsed.entries.size(), entries);
        QList<int> lines;
        for (const PronunciationFileProblem& problem : parsed.problems) {
            QVERIFY(!problem.reason.isEmpty());
            lines << problem.line;
        }
        QCOMPARE(lines, damagedLines);
        // Written out and read again, the entries stay the same.
        QCOMPARE(parsePronunciations(formatPronunciations(parsed.entries)).entries, parsed.entries);
    }

    void applied_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("spoken");
        QTest::newRow("whole word, any case") << "quendrel\tKwen drel\n"
                                              << "en"
                                              << "QUENDREL saw Quendrels."
                                              << "Kwen drel saw Quendrels.";
        QTest::newRow("part of words") << "ph\tf\t\tpart\n"
                                       << "en"
                                       << "phone graph"
                                       << "fone graf";
        QTest::newRow("case must match") << "US\tU S\t\tcase\n"
                                         << "en"
                                         << "us and US"
                                         << "us and U S";
        QTest::newRow("language applies to its variants") << "NASA\tNassa\ten\n"
                                                          << "en-gb"
                                                          << "NASA"
                                                          << "Nassa";
        QTest::newRow("other language untouched") << "NASA\tNassa\tde\n"
                                                  << "en"
                                                  << "NASA"
                                                  << "NASA";
        QTest::newRow("pattern with group") << "Fig\\. (\\d+)\tFigure \\1\t\tregex\n"
                                            << "en"
                                            << "see Fig. 3 and fig. 12"
                                            << "see Figure 3 and Figure 12";
        QTest::newRow("longest match wins") << "New\tnoo\nNew York\tNoo Yawk\n"
                                            << "en"
                                            << "New York"
                                            << "Noo Yawk";
        QTest::newRow("phonemes kept") << "Quendrel\t[[kw'End@l]]\n"
                                       << "en"
                                       << "a Quendrel"
                                       << "a [[kw'End@l]]";
        QTest::newRow("no second pass") << "a\tb\nb\tc\n"
                                        << "en"
                                        << "a b"
                                        << "b c";
    }
    void applied()
    {
        QFETCH(QString, file);
        QFETCH(QString, language);
        QFETCH(QString, text);
        QFETCH(QString, spoken);
        QCOMPARE(listOf(file).applied(text, language), spoken);
    }

    // Each spoken word maps back to the written text: a replaced word to the whole written
    // word, the words around it to themselves.
    void highlight_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("spokenWord");
        QTest::addColumn<QString>("writtenWord");
        QTest::newRow("first part of a replacement") << "Quendrel\tKwen drel\n"
                                                     << "Kwen"
                                                     << "Quendrel";
        QTest::newRow("second part of a replacement") << "Quendrel\tKwen drel\n"
                                                      << "drel"
                                                      << "Quendrel";
        QTest::newRow("after a longer replacement") << "Quendrel\tKwen drel\n"
                                                    << "now"
                                                    << "now";
        QTest::newRow("after a shorter one") << "Quendrel\tQ\n"
                                             << "now"
                                             << "now";
        QTest::newRow("phonemes") << "Quendrel\t[[kw'End@l]]\n"
                                  << "[[kw'End@l]]"
                                  << "Quendrel";
    }
    void highlight()
    {
        QFETCH(QString, file);
        QFETCH(QString, spokenWord);
        QFETCH(QString, writtenWord);
        const QString source = QStringLiteral("Line one.\nSay Quendrel now.");
        // A piece of the second line, as the preparation makes it: its own stretch.
        SpokenPiece piece{QStringLiteral("Say Quendrel now."), 10, 17, {{0, 10, -1}}};
        const SpokenPiece spoken = listOf(file).applied(piece, QStringLiteral("en"));
        const qsizetype at = spoken.text.indexOf(spokenWord);
        QVERIFY(at >= 0);
        const auto [start, length] = spoken.sourceRange(at, spokenWord.size());
        QCOMPARE(source.mid(start, length), writtenWord);
    }

    // The voice hears the spoken form: espeak-ng's phonemes for the applied text are those of
    // the spoken form, and differ from those of the written text.
    void heardByTheVoice_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("voice");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("heardAs");
        QTest::newRow("plain") << "Quendrel\tKwen drel\n"
                               << "en"
                               << "Quendrel is here."
                               << "Kwen drel is here.";
        QTest::newRow("phonemes") << "Quendrel\t[[h@l'oU]]\n"
                                  << "en"
                                  << "Quendrel is here."
                                  << "hello is here.";
        QTest::newRow("pattern") << "Fig\\. (\\d+)\tFigure \\1\t\tregex\n"
                                 << "en"
                                 << "See Fig. 3."
                                 << "See Figure 3.";
        QTest::newRow("language entry, its voice") << "Quendrel\tKwen drel\tde\n"
                                                   << "de"
                                                   << "Quendrel"
                                                   << "Kwen drel";
        QTest::newRow("language entry, another voice") << "Quendrel\tKwen drel\tde\n"
                                                       << "en"
                                                       << "Quendrel"
                                                       << "Quendrel";
    }
    void heardByTheVoice()
    {
        QFETCH(QString, file);
        QFETCH(QString, voice);
        QFETCH(QString, text);
        QFETCH(QString, heardAs);
        const QString given = listOf(file).applied(speechLine(text), voice);
        const QString heard = phonemesOf(given, voice);
        QVERIFY(!heard.isEmpty());
        QCOMPARE(heard, phonemesOf(heardAs, voice));
        QCOMPARE(heard == phonemesOf(text, voice), heardAs == text);
    }

    // Read aloud by the real voice, the words heard are highlighted on the written text: the
    // replaced word whole, whichever part of its spoken form is heard.
    void highlightWhileReading_data()
    {
        QTest::addColumn<QString>("file");
        QTest::newRow("plain") << "Quendrel\tKwen drel\n";
        QTest::newRow("phonemes") << "Quendrel\t[[kw'End@l]]\n";
    }
    void highlightWhileReading()
    {
        QFETCH(QString, file);
        const QString text = QStringLiteral("Say Quendrel now, Quendrel.");
        ReadingSession session;
        ReadingRequest request;
        request.text = text;
        request.voice = {-1, 100, 10};
        request.pronunciations = listOf(file);
        QSignalSpy words(&session, &ReadingSession::spokenWord);
        session.start(request);
        QTRY_VERIFY_WITH_TIMEOUT(session.state() == ReadingState::Idle, 30000);
        QStringList heard;
        for (const QList<QVariant>& word : words)
            heard << text.mid(word.at(0).toLongLong(), word.at(1).toLongLong());
        QVERIFY2(heard.contains(QStringLiteral("Quendrel")), qPrintable(heard.join(u'|')));
        for (const QString& word : heard)
            QVERIFY2(QStringList({QStringLiteral("Say"), QStringLiteral("Quendrel"),
                                  QStringLiteral("now"), QStringLiteral("now,"),
                                  QStringLiteral("Quendrel.")})
                         .contains(word),
                     qPrintable(heard.join(u'|')));
    }

    // A document's own double bracket is no phoneme input.
    void documentBracketsAreText()
    {
        QCOMPARE(speechLine(QStringLiteral("a [[b]] c")), QStringLiteral("a [ b]] c"));
    }

    void damagedFileLineSkipped()
    {
        const QString path = QDir::temp().filePath(QStringLiteral("list.tsv"));
        PronunciationEntry entry;
        entry.written = QStringLiteral("A");
        entry.spoken = QStringLiteral("ay");
        savePronunciations({entry}, path);
        QFile file(path);
        QVERIFY(file.open(QIODevice::Append));
        file.write("broken\nB\tbee\n");
        file.close();
        const LoadedPronunciations loaded = loadPronunciations(path);
        QCOMPARE(loaded.entries.size(), 2);
        QCOMPARE(loaded.problems.size(), 1);
        QCOMPARE(loaded.problems.first().line, 3);
        QVERIFY(loadPronunciations(path + QStringLiteral(".missing")).entries.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestPronunciations)
#include "test_pronunciations.moc"
