// Plain text read as pages without boxes: paragraphs, rejoined hyphenations, running headers
// and page numbers, the way back to the source, text arriving in parts, and what it does to
// real books.

#include "core/text/layout/plain_text.h"
#include "core/text/layout/reading.h"
#include "core/text/spoken_text.h"
#include "core/text/text_splitting.h"
#include "support/test_env.h"

#include <QHash>
#include <QProcess>
#include <QRegularExpression>
#include <QtTest>

using namespace lectorix;

namespace {

QStringList textsOf(const QList<SpokenPiece>& pieces)
{
    QStringList texts;
    for (const SpokenPiece& piece : pieces)
        texts << piece.text;
    return texts;
}

// The paragraphs the pieces make: each paragraph's sentences one blank apart.
QStringList paragraphsOf(const QList<SpokenPiece>& pieces)
{
    QStringList paragraphs;
    bool open = false;
    for (const SpokenPiece& piece : pieces) {
        if (open)
            paragraphs.last() += QLatin1Char(' ') + piece.text;
        else
            paragraphs << piece.text;
        open = !piece.endsParagraph;
    }
    return paragraphs;
}

QList<SpokenPiece> piecesOf(const QString& text)
{
    return documentPieces(text, nullptr, {});
}

// A page of a printed book as pdftotext writes it: running head and page number on top.
QString bookPage(int number, const QString& body)
{
    return QStringLiteral("THE TITLE OF THE BOOK\n\n%1\n\n").arg(number) + body +
           QStringLiteral("\n\f");
}

QString pdfText(const QString& corpusName)
{
    const QString pdf = test::corpusFile(corpusName);
    QProcess converter;
    converter.start(QStringLiteral("pdftotext"),
                    {QStringLiteral("-enc"), QStringLiteral("UTF-8"), pdf, QStringLiteral("-")});
    if (!converter.waitForFinished(60000) || converter.exitCode() != 0)
        return QString();
    return QString::fromUtf8(converter.readAllStandardOutput());
}

bool looksLikePageNumber(const QString& text)
{
    static const QRegularExpression number(
        QStringLiteral("^[-\\x{2013}\\x{2014}(\\[]?\\s*(\\d+|[ivxlcdm]+|[IVXLCDM]{2,})\\s*[-\\x{"
                       "2013}\\x{2014})\\]]?$"));
    return number.match(text.trimmed()).hasMatch();
}

QString digitsAside(QString text)
{
    static const QRegularExpression digits(QStringLiteral("\\d+"));
    return text.replace(digits, QStringLiteral("#")).simplified();
}

// Words without letter case or hyphens, so "first-class" written whole or split at a line end
// counts the same.
QString wordKey(QString word)
{
    word.remove(QLatin1Char('-')).remove(QChar(0x2010)).remove(QChar(0x00AD));
    return word.toLower();
}

struct SourceLine
{
    qsizetype offset;
    QString text;
};

QList<SourceLine> sourceLines(const QString& text)
{
    QList<SourceLine> lines;
    static const QRegularExpression breaks(QStringLiteral("[\\n\\f]"));
    qsizetype start = 0;
    while (start <= text.size()) {
        qsizetype end = text.indexOf(breaks, start);
        if (end < 0)
            end = text.size();
        const QString line = text.mid(start, end - start);
        const qsizetype lead =
            line.size() - QString(line).remove(QRegularExpression("^\\s+")).size();
        if (!line.trimmed().isEmpty())
            lines.append({start + lead, line.trimmed()});
        start = end + 1;
    }
    return lines;
}

} // namespace

class TestPlainText : public QObject
{
    Q_OBJECT

private slots:
    void paragraphs_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("spoken");
        QTest::newRow("lines of a paragraph are one utterance")
            << QStringLiteral("The rain in Spain stays mainly in the\nplain, and the snow in the "
                              "north stays on\nthe hills.\n")
            << QStringList{"The rain in Spain stays mainly in the plain, and the snow in the "
                           "north stays on the hills."};
        QTest::newRow("a short line ending a sentence ends the paragraph")
            << QStringLiteral("We walked all day through the long valley and\nreached the inn "
                              "at dusk, tired and hungry.\nIt was late.\nNext morning we set out "
                              "again, the sun already high\nover the ridge behind the inn.\n")
            << QStringList{"We walked all day through the long valley and reached the inn at "
                           "dusk, tired and hungry. It was late.",
                           "Next morning we set out again, the sun already high over the ridge "
                           "behind the inn."};
        QTest::newRow("a blank line ends it, unless the sentence runs on")
            << QStringLiteral("Heading\n\nFirst paragraph\n\nruns on here.\n\nSecond.\n")
            << QStringList{"Heading", "First paragraph runs on here.", "Second."};
        QTest::newRow("a page break in a sentence joins, after a sentence it ends")
            << QStringLiteral("He opened the door and\n\fsaw nothing.\n\fThen he left.\n")
            << QStringList{"He opened the door and saw nothing.", "Then he left."};
        QTest::newRow("typed text without page breaks keeps every line")
            << QStringLiteral("42\nThe answer.\n") << QStringList{"42 The answer."};
        QTest::newRow("dashes at a line end join without a blank")
            << QStringLiteral("It was cold\u2014\nbitterly cold.\n")
            << QStringList{"It was cold\u2014bitterly cold."};
        QTest::newRow("windows line ends")
            << QStringLiteral("One\r\ntwo.\r\n") << QStringList{"One two."};
        QTest::newRow("nothing to say") << QStringLiteral(" \n\f\n") << QStringList{};
        // A hyphen at a line end goes when the document writes the joined word elsewhere and
        // never the hyphenated one; a compound, or a word the document does not confirm,
        // keeps it.
        QTest::newRow("joined word found elsewhere")
            << QStringLiteral("An interesting case. It was inter-\nesting indeed.")
            << QStringList{"An interesting case. It was interesting indeed."};
        QTest::newRow("compound found elsewhere")
            << QStringLiteral("A first-class man. He is first-\nclass indeed.")
            << QStringList{"A first-class man. He is first-class indeed."};
        QTest::newRow("neither found: the hyphen stays")
            << QStringLiteral("He is well-\nknown here.") << QStringList{"He is well-known here."};
        QTest::newRow("a soft hyphen always goes")
            << QStringLiteral("A long ex\u00ad\nample.") << QStringList{"A long example."};
        QTest::newRow("a capital after the hyphen keeps it")
            << QStringLiteral("The Anglo-\nSaxon kings.") << QStringList{"The Anglo-Saxon kings."};
        // A web address broken at a line end is one address again; a sentence ending on one
        // still ends there.
        QTest::newRow("address broken after a slash")
            << QStringLiteral("See https://www.regulations.gov/\ndocket/EPA-2019 for it.")
            << QStringList{"See https://www.regulations.gov/docket/EPA-2019 for it."};
        QTest::newRow("address broken after a dot")
            << QStringLiteral("See www.regulations.\ngov/docket today.")
            << QStringList{"See www.regulations.gov/docket today."};
        QTest::newRow("address broken before a slash")
            << QStringLiteral("See http://example.org/a\n/b.html today.")
            << QStringList{"See http://example.org/a/b.html today."};
        QTest::newRow("a name after a whole address")
            << QStringLiteral("At http://prize.org/\nK. He wrote it [2] and\n[3] more.")
            << QStringList{"At http://prize.org/ K. He wrote it [2] and [3] more."};
        QTest::newRow("address ending a sentence")
            << QStringLiteral("Visit www.example.org.\nthe site is new.")
            << QStringList{"Visit www.example.org. the site is new."};
        QTest::newRow("case does not matter") << QStringLiteral("Interesting. Inter-\nesting.")
                                              << QStringList{"Interesting. Interesting."};
    }
    void paragraphs()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, spoken);
        QCOMPARE(paragraphsOf(piecesOf(text)), spoken);
    }

    // Running heads (page number aside), bare page numbers (roman too) and running feet go;
    // a chapter's own title at a page top and a lone number inside a page stay.
    void runningLinesAndPageNumbers()
    {
        QString text;
        text += QStringLiteral("Preface\n\nxii\n\f");
        text += QStringLiteral("CHAPTER ONE\n\nIt began on a Monday, as the best things\ndo.\n\n"
                               "1\n\f");
        const QStringList words{"alpha", "beta", "gamma", "delta", "epsilon", "zeta"};
        for (int page = 2; page <= 5; ++page)
            text += bookPage(page, QStringLiteral("Page %1 says %2 and runs on\ninto the %2 "
                                                  "page where\n4%1\nstands %2 alone and")
                                       .arg(page)
                                       .arg(words.at(page)));
        text += QStringLiteral("THE TITLE OF THE BOOK\n\n6\n\nit ends.\n\nDraft copy 6\n\f");
        const QStringList spoken = paragraphsOf(piecesOf(text));
        const QString all = spoken.join(QLatin1Char('|'));
        QVERIFY2(!all.contains(QStringLiteral("TITLE OF THE BOOK")), qPrintable(all));
        QVERIFY2(!all.contains(QStringLiteral("xii")), qPrintable(all));
        QVERIFY2(all.contains(QStringLiteral("CHAPTER ONE")), qPrintable(all));
        QVERIFY2(all.contains(QStringLiteral("where 42 stands gamma alone and Page 3")),
                 qPrintable(all));
        QVERIFY2(all.contains(QStringLiteral("Preface CHAPTER ONE")), qPrintable(all));
        QVERIFY2(all.endsWith(QStringLiteral("stands zeta alone and it ends.|Draft copy 6")),
                 qPrintable(all));
        for (const QString& piece : spoken)
            QVERIFY2(!looksLikePageNumber(piece), qPrintable(piece));
    }

    // Every spoken character but the blanks put between lines comes from the source at the
    // position the piece gives for it, and the piece's range holds its first and last.
    void piecesPointBackIntoTheSource()
    {
        const QString text = bookPage(1, QStringLiteral("  Indented first-\nclass words, a first-"
                                                        "class\nline.\n\nAnd an inter-\nesting "
                                                        "one, interesting.")) +
                             bookPage(2, QStringLiteral("More\r\ntext.")) + bookPage(3, "x.") +
                             bookPage(4, "y.");
        for (const SpokenPiece& piece : piecesOf(text)) {
            for (qsizetype i = 0; i < piece.text.size(); ++i) {
                const qsizetype at = piece.sourcePosition(i);
                if (piece.text[i] == QLatin1Char(' ') && text[at].isSpace())
                    continue; // the blank that joins two words
                QVERIFY2(text[at] == piece.text[i],
                         qPrintable(
                             QStringLiteral("%1 at %2 in \"%3\"").arg(i).arg(at).arg(piece.text)));
            }
            QCOMPARE(text.mid(piece.sourceOffset, 1), piece.text.left(1));
            QCOMPARE(text.mid(piece.sourceOffset + piece.sourceLength - 1, 1), piece.text.right(1));
        }
    }

    // Text given in parts, as pages are converted range by range, is read as the whole text is
    // once the parts hold enough pages.
    void partsGiveTheWholeText()
    {
        QString text;
        for (int page = 1; page <= 30; ++page)
            text += bookPage(page, QStringLiteral("Page %1 has a sentence that runs on\nover its "
                                                  "line and, at the end of the page, into")
                                       .arg(page));
        text += QStringLiteral("the end.\n");
        const QList<SpokenPiece> whole = piecesOf(text);

        LayoutPreparation parts;
        QList<SpokenPiece> inParts;
        const QStringList pages = text.split(QLatin1Char('\f'));
        qsizetype at = 0;
        for (qsizetype page = 0; page < pages.size(); ++page) {
            const QString part = pages.at(page) + (page + 1 < pages.size() ? "\f" : "");
            parts.add(plainTextPages(part, at, int(page) + 1));
            inParts += parts.takePieces();
            at += part.size();
        }
        parts.finish();
        inParts += parts.takePieces();
        QCOMPARE(textsOf(inParts), textsOf(whole));
        QCOMPARE(paragraphsOf(inParts).size(), 1);
        QCOMPARE(inParts.first().sourceOffset, whole.first().sourceOffset);
        QCOMPARE(inParts.last().sourceLength, whole.last().sourceLength);
        QVERIFY(!inParts.first().text.contains(QStringLiteral("TITLE")));
    }

    void linesForVerbatimReading()
    {
        const QList<SpokenPiece> lines = verbatimPieces(QStringLiteral("a\r\n\nbc\n"));
        QCOMPARE(textsOf(lines), (QStringList{"a", "bc"}));
        QCOMPARE(lines.at(1).sourceOffset, 4);
    }

    // Real books: no utterance is a page number or a running head, almost none ends in the
    // middle of a sentence, a hyphenation the book confirms is rejoined, and the words are
    // those of the extraction less the lines left out, each of which is a page number, a
    // printer's job line or a line repeated (digits aside) on three pages or more.
    void realDocuments_data()
    {
        QTest::addColumn<QString>("pdf");
        QTest::addColumn<bool>("prose"); // formulas start lines with small letters anywhere
        for (const char* name : {"01-A-Study-in-Scarlet.pdf", "freeculture.pdf", "tracemonkey.pdf",
                                 "multicolumn.pdf", "french_diacritics.pdf"})
            QTest::newRow(name) << QString::fromLatin1(name) << true;
        QTest::newRow("GeoTopo-komprimiert.pdf")
            << QStringLiteral("GeoTopo-komprimiert.pdf") << false;
    }
    void realDocuments()
    {
        QFETCH(QString, pdf);
        QFETCH(bool, prose);
        REQUIRE_CORPUS();
        const QString text = pdfText(pdf);
        QVERIFY(!text.isEmpty());
        const QList<SpokenPiece> pieces = piecesOf(text);
        const QStringList spoken = paragraphsOf(pieces);

        // Page numbers and running heads: lines at the edge of many pages.
        const QStringList pageTexts = text.split(QLatin1Char('\f'));
        QHash<QString, int> edgeLines;
        for (const QString& page : pageTexts) {
            QStringList lines = page.split(QLatin1Char('\n'));
            lines.removeIf([](const QString& line) { return line.trimmed().isEmpty(); });
            if (!lines.isEmpty())
                ++edgeLines[digitsAside(lines.first())];
            if (lines.size() > 1)
                ++edgeLines[digitsAside(lines.last())];
        }
        const int pages = int(pageTexts.size());
        QHash<QString, int> repeats;
        for (const QString& piece : spoken) {
            QVERIFY2(!looksLikePageNumber(piece), qPrintable(piece));
            if (edgeLines.value(digitsAside(piece)) >= qMax(5, pages / 4))
                ++repeats[digitsAside(piece)];
        }
        for (auto it = repeats.cbegin(); it != repeats.cend(); ++it)
            QVERIFY2(it.value() < qMax(5, pages / 4), qPrintable(it.key()));

        // Sentences run on into the next utterance in under 2 % of utterances.
        int runOn = 0;
        for (qsizetype i = 0; i + 1 < spoken.size(); ++i) {
            const QString next = spoken.at(i + 1);
            const qsizetype letter = next.indexOf(QRegularExpression(QStringLiteral("\\w")));
            if (letter >= 0 && next.at(letter).isLower())
                ++runOn;
        }
        qInfo("%s: %lld utterances, %d end inside a sentence", qPrintable(pdf),
              qlonglong(spoken.size()), runOn);
        if (prose)
            QVERIFY2(runOn * 50 < spoken.size() || runOn <= 1, qPrintable(QString::number(runOn)));

        // The lines kept are those a piece covers; the rest are page numbers or repeated lines.
        QList<SourceLine> lines = sourceLines(text);
        QHash<QString, int> pagesWithLine;
        {
            for (const QString& page : pageTexts) {
                QSet<QString> seen;
                for (const QString& line : page.split(QLatin1Char('\n')))
                    if (!line.trimmed().isEmpty())
                        seen.insert(digitsAside(line));
                for (const QString& line : std::as_const(seen))
                    ++pagesWithLine[line];
            }
        }
        QList<bool> read(text.size(), false);
        for (const SpokenPiece& piece : pieces)
            for (qsizetype i = 0; i < piece.text.size(); ++i)
                read[piece.sourcePosition(i)] = true;
        QList<SourceLine> kept;
        for (const SourceLine& line : std::as_const(lines)) {
            if (read.at(line.offset)) {
                kept.append(line);
                continue;
            }
            static const QRegularExpression layoutFile(QStringLiteral("\\S+\\.(qxd|indd)\\b"));
            QVERIFY2(looksLikePageNumber(line.text) ||
                         pagesWithLine.value(digitsAside(line.text)) >= 3 ||
                         line.text.size() <= 3 || line.text.contains(layoutFile),
                     qPrintable(QStringLiteral("dropped: ") + line.text));
        }

        // Words: those of the kept lines, a word split at a line end counted once.
        const QString all = spoken.join(QLatin1Char('\n'));
        QHash<QString, int> expected;
        for (const SourceLine& line : std::as_const(kept))
            for (const QString& word : wordsOf(line.text))
                ++expected[wordKey(word)];
        static const QRegularExpression endHyphen(QStringLiteral("(\\w+)[-\\x{2010}\\x{00AD}]$"));
        static const QRegularExpression startWord(QStringLiteral("^(\\w+)"));
        QHash<QString, int> sourceWords;
        for (const SourceLine& line : std::as_const(lines))
            for (const QString& word : wordsOf(line.text))
                ++sourceWords[word.toLower()];
        for (qsizetype i = 0; i + 1 < kept.size(); ++i) {
            const auto end = endHyphen.match(kept.at(i).text);
            const auto start = startWord.match(kept.at(i + 1).text);
            if (!end.hasMatch() || !start.hasMatch())
                continue;
            const QString before = end.captured(1);
            const QString after = start.captured(1);
            const bool joined = all.contains(before + after);
            if (!joined && !all.contains(before + QLatin1Char('-') + after))
                continue; // the two lines went to different utterances
            if (after.front().isLower() && sourceWords.contains((before + after).toLower()) &&
                !sourceWords.contains((before + QLatin1Char('-') + after).toLower()))
                QVERIFY2(joined, qPrintable(before + QLatin1Char('-') + after));
            if (--expected[wordKey(before)] == 0)
                expected.remove(wordKey(before));
            if (--expected[wordKey(after)] == 0)
                expected.remove(wordKey(after));
            ++expected[wordKey(before + after)];
        }
        QHash<QString, int> got;
        for (const QString& piece : spoken)
            for (const QString& word : wordsOf(piece))
                ++got[wordKey(word)];
        for (auto it = expected.cbegin(); it != expected.cend(); ++it)
            QVERIFY2(got.value(it.key()) == it.value(),
                     qPrintable(QStringLiteral("%1: %2 spoken, %3 in the text")
                                    .arg(it.key())
                                    .arg(got.value(it.key()))
                                    .arg(it.value())));
        QCOMPARE(got.size(), expected.size());
    }
};

QTEST_GUILESS_MAIN(TestPlainText)
#include "test_plain_text.moc"
