// Where a reading lands when the listener skips: on and back by sentence and paragraph through
// pieces of each kind a reading has (sentences of a PDF's layout, whole paragraphs, headings),
// chapters by their starts, and a piece spoken from inside it.

#include "core/reading/reading_navigation.h"

#include <QtTest>

using namespace lectorix;

namespace {

SpokenPiece piece(const QString& text, qsizetype offset, bool endsParagraph = true,
                  bool heading = false)
{
    SpokenPiece p{text, offset, text.size(), {{0, offset}}};
    p.endsParagraph = endsParagraph;
    p.heading = heading;
    return p;
}

// A heading, a paragraph of three sentence pieces, a paragraph in one piece of two sentences,
// and a last one-sentence paragraph: the shapes the layout reading and the plain preparation
// give, in one list.
QList<SpokenPiece> mixedPieces()
{
    return {
        piece("Chapter One", 0, true, true),              // 0
        piece("First one.", 12, false),                   // 1
        piece("Mr. Smith came. ", 23, false),             // 2
        piece("Third one.", 39),                          // 3
        piece("Two sentences here. And the second.", 50), // 4  (second sentence at 20)
        piece("Last paragraph.", 86),                     // 5
    };
}

} // namespace

Q_DECLARE_METATYPE(lectorix::ReadingUnit)
Q_DECLARE_METATYPE(lectorix::PiecePlace)

class TestReadingNavigation : public QObject
{
    Q_OBJECT

private slots:
    void movesOnAndBack_data()
    {
        QTest::addColumn<ReadingUnit>("unit");
        QTest::addColumn<PiecePlace>("from");
        QTest::addColumn<PiecePlace>("on"); // {-1, -1}: nowhere
        QTest::addColumn<PiecePlace>("back");
        const auto S = ReadingUnit::Sentence;
        const auto P = ReadingUnit::Paragraph;
        const PiecePlace none{-1, -1};
        QTest::newRow("sentence: in the heading")
            << S << PiecePlace{0, 3} << PiecePlace{1, 0} << PiecePlace{0, 0};
        QTest::newRow("sentence: a sentence piece, the abbreviation does not end it")
            << S << PiecePlace{2, 6} << PiecePlace{3, 0} << PiecePlace{1, 0};
        QTest::newRow("sentence: into a paragraph piece's second sentence")
            << S << PiecePlace{4, 5} << PiecePlace{4, 20} << PiecePlace{3, 0};
        QTest::newRow("sentence: back from the second sentence of a paragraph piece")
            << S << PiecePlace{4, 24} << PiecePlace{5, 0} << PiecePlace{4, 0};
        QTest::newRow("sentence: the last has none after it")
            << S << PiecePlace{5, 2} << none << PiecePlace{4, 20};
        QTest::newRow("paragraph: the heading stands alone")
            << P << PiecePlace{0, 0} << PiecePlace{1, 0} << PiecePlace{0, 0};
        QTest::newRow("paragraph: first sentence heard, back to the one before")
            << P << PiecePlace{1, 4} << PiecePlace{4, 0} << PiecePlace{0, 0};
        QTest::newRow("paragraph: past its first sentence, back to its start")
            << P << PiecePlace{3, 2} << PiecePlace{4, 0} << PiecePlace{1, 0};
        QTest::newRow("paragraph: a paragraph piece past its first sentence")
            << P << PiecePlace{4, 21} << PiecePlace{5, 0} << PiecePlace{4, 0};
        QTest::newRow("paragraph: a paragraph piece in its first sentence")
            << P << PiecePlace{4, 3} << PiecePlace{5, 0} << PiecePlace{1, 0};
        QTest::newRow("paragraph: the last") << P << PiecePlace{5, 0} << none << PiecePlace{4, 0};
    }
    void movesOnAndBack()
    {
        QFETCH(ReadingUnit, unit);
        QFETCH(PiecePlace, from);
        QFETCH(PiecePlace, on);
        QFETCH(PiecePlace, back);
        const QList<SpokenPiece> pieces = mixedPieces();
        const ReadingNavigator navigator(pieces, QStringLiteral("en"));
        const std::optional<PiecePlace> next = navigator.next(unit, from);
        QCOMPARE(next.value_or(PiecePlace{-1, -1}), on);
        QCOMPARE(navigator.previous(unit, from), back);
    }

    // Text read verbatim and other text without sentence marks: each line or block is a
    // paragraph, and a move back from the first goes to its own start.
    void linesWithoutMarks()
    {
        const QList<SpokenPiece> pieces = {piece("a line", 0), piece("another line", 7)};
        const ReadingNavigator navigator(pieces, QString());
        QCOMPARE(navigator.next(ReadingUnit::Sentence, {0, 3}), PiecePlace(1, 0));
        QCOMPARE(navigator.previous(ReadingUnit::Paragraph, {0, 3}), PiecePlace(0, 0));
        QCOMPARE(navigator.previous(ReadingUnit::Sentence, {1, 3}), PiecePlace(0, 0));
    }

    void chaptersByTheirStarts_data()
    {
        QTest::addColumn<QList<qsizetype>>("starts");
        QTest::addColumn<qsizetype>("position");
        QTest::addColumn<qsizetype>("after");
        const QList<qsizetype> book = {0, 100, 100, 250, -1};
        QTest::newRow("in the first") << book << qsizetype(40) << qsizetype(1);
        QTest::newRow("a section at its chapter's start: the chapter follows")
            << book << qsizetype(99) << qsizetype(1);
        QTest::newRow("at a section's start") << book << qsizetype(100) << qsizetype(3);
        QTest::newRow("in the last known; one not known is never reached")
            << book << qsizetype(900) << qsizetype(-1);
        QTest::newRow("before the first")
            << QList<qsizetype>{50, 70} << qsizetype(10) << qsizetype(0);
        QTest::newRow("out of order in the list")
            << QList<qsizetype>{300, 0, 200} << qsizetype(100) << qsizetype(2);
        QTest::newRow("no chapters") << QList<qsizetype>{} << qsizetype(5) << qsizetype(-1);
    }
    void chaptersByTheirStarts()
    {
        QFETCH(QList<qsizetype>, starts);
        QFETCH(qsizetype, position);
        QFETCH(qsizetype, after);
        QList<Chapter> chapters;
        for (qsizetype start : starts)
            chapters.append({QStringLiteral("Chapter"), 0, 0, start});
        QCOMPARE(chapterAfter(chapters, position), after);
    }

    // A piece whose source has a line joined ("inter-" "esting") and one left out: positions
    // map both ways, and the piece spoken from inside keeps the source of each character.
    void pieceFromInside_data()
    {
        QTest::addColumn<qsizetype>("source");
        QTest::addColumn<qsizetype>("spoken");
        QTest::addColumn<QString>("rest");
        QTest::newRow("first stretch") << qsizetype(105) << qsizetype(5) << "is interesting. Yes.";
        QTest::newRow("second stretch") << qsizetype(120) << qsizetype(13) << "esting. Yes.";
        QTest::newRow("third stretch") << qsizetype(150) << qsizetype(21) << "Yes.";
        QTest::newRow("before the piece")
            << qsizetype(10) << qsizetype(0) << "This is interesting. Yes.";
    }
    void pieceFromInside()
    {
        QFETCH(qsizetype, source);
        QFETCH(qsizetype, spoken);
        QFETCH(QString, rest);
        // "This is inter" at 100, "esting." at 120 (the next line), "Yes." at 150.
        SpokenPiece whole{
            QStringLiteral("This is interesting. Yes."), 100, 54, {{0, 100}, {13, 120}, {21, 150}}};
        QCOMPARE(spokenPositionOf(whole, source), spoken);
        const SpokenPiece from = pieceFrom(whole, spoken);
        QCOMPARE(from.text, rest);
        for (qsizetype i = 0; i < from.text.size(); ++i)
            QCOMPARE(from.sourcePosition(i), whole.sourcePosition(spoken + i));
        QCOMPARE(from.sourceOffset + from.sourceLength, whole.sourceOffset + whole.sourceLength);
    }

    void placeOfAnOffset()
    {
        const QList<SpokenPiece> pieces = mixedPieces();
        const ReadingNavigator navigator(pieces, QString());
        QCOMPARE(navigator.placeOf(70), PiecePlace(4, 20));
        QCOMPARE(navigator.placeOf(11), PiecePlace(1, 0)); // between two pieces
        QCOMPARE(navigator.placeOf(200), std::nullopt);
    }
};

QTEST_MAIN(TestReadingNavigation)
#include "test_reading_navigation.moc"
