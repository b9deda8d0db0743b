// Moving a running reading: on and back by sentence, paragraph and chapter from the word heard,
// what the voice says next, the chapter told as it changes, a paused reading kept paused, and
// a chapter of a PDF whose pages are not converted yet.

#include "core/reading/reading_session.h"
#include "support/drawn_pdf.h"
#include "support/held_engine.h"
#include "support/test_env.h"

#include <QSignalSpy>
#include <QtTest>

using namespace lectorix;

namespace {

// Three paragraphs, the text box's kind of pieces: one utterance per paragraph.
const QString Text = QStringLiteral("One first. One second.\n\n"
                                    "Two first. Two second.\n\n"
                                    "Three first. Three second.");

qsizetype at(const QString& part)
{
    return Text.indexOf(part);
}

ReadingRequest textRequest()
{
    ReadingRequest request;
    request.text = Text;
    request.voice = {-1, 70, 2};
    return request;
}

// Lets the voice hear part of the utterance-th text it was given, inUtterance, and waits until
// the session tells it.
void hear(ReadingSession& session, test::HeldEngine& engine, int utterance,
          const QString& inUtterance, const QString& part)
{
    engine.word = {utterance, inUtterance.indexOf(part), 3};
    QTRY_COMPARE(session.position(), at(inUtterance) + inUtterance.indexOf(part));
}

// A name for each page that no other page shares, digits aside: lines alike but for a number
// would be taken for running headers.
QString partName(int page)
{
    return QString(QChar(u'A' + page / 26)) + QChar(u'a' + page % 26);
}

} // namespace

class TestReadingMoves : public QObject
{
    Q_OBJECT

private slots:
    void init() { test::freshScratch(); }

    void movesFromTheWordHeard_data()
    {
        QTest::addColumn<QString>("heard");    // a word of the second paragraph
        QTest::addColumn<QString>("move");     // "on" or "back", and the unit
        QTest::addColumn<QStringList>("said"); // by the new voice
        const QString two = QStringLiteral("Two first. Two second.");
        QTest::newRow("on a sentence inside a paragraph")
            << "first. Two"
            << "on sentence" << QStringList{"Two second.", "Three first. Three second."};
        QTest::newRow("on a sentence into the next paragraph")
            << "second."
            << "on sentence" << QStringList{"Three first. Three second."};
        QTest::newRow("back a sentence")
            << "second."
            << "back sentence" << QStringList{two, "Three first. Three second."};
        QTest::newRow("back a sentence from a paragraph's first")
            << "Two first"
            << "back sentence" << QStringList{"One second.", two, "Three first. Three second."};
        QTest::newRow("on a paragraph")
            << "Two first"
            << "on paragraph" << QStringList{"Three first. Three second."};
        QTest::newRow("back a paragraph, past its first sentence")
            << "second."
            << "back paragraph" << QStringList{two, "Three first. Three second."};
        QTest::newRow("back a paragraph, in its first sentence")
            << "first. Two"
            << "back paragraph"
            << QStringList{"One first. One second.", two, "Three first. Three second."};
        QTest::newRow("on a chapter") << "Two first"
                                      << "on chapter" << QStringList{"Three second."};
        QTest::newRow("back a chapter, past its first sentence")
            << "second."
            << "back chapter" << QStringList{two, "Three first. Three second."};
        QTest::newRow("back a chapter, in its first sentence")
            << "Two first"
            << "back chapter"
            << QStringList{"One first. One second.", two, "Three first. Three second."};
    }
    void movesFromTheWordHeard()
    {
        QFETCH(QString, heard);
        QFETCH(QString, move);
        QFETCH(QStringList, said);
        test::HeldEngine engine;
        ReadingSession session;
        ReadingRequest request = textRequest();
        // Chapters at the start, at the second paragraph and at the third's second sentence.
        request.chapterStarts = {0, at("Two first"), at("Three second")};
        QSignalSpy chapters(&session, &ReadingSession::chapterChanged);
        session.start(request);
        QCOMPARE(engine.spokenBy("voice1").size(), 3);
        const QString two = QStringLiteral("Two first. Two second.");
        hear(session, engine, 1, two, heard);
        QCOMPARE(session.chapter(), 1);

        const QStringList parts = move.split(' ');
        const ReadingUnit unit = parts[1] == "sentence"    ? ReadingUnit::Sentence
                                 : parts[1] == "paragraph" ? ReadingUnit::Paragraph
                                                           : ReadingUnit::Chapter;
        engine.word = {};
        QVERIFY(parts[0] == "on" ? session.moveOn(unit) : session.moveBack(unit));
        QCOMPARE(engine.spokenBy("voice2"), said);
        QVERIFY(engine.log.indexOf("voice1 destroyed") < engine.log.indexOf("voice2 created"));
        QCOMPARE(session.state(), ReadingState::Reading);
        // The new voice has the reading's volume and rate.
        QCOMPARE(session.voice()->volume(), 70);
        QCOMPARE(session.voice()->rate(), 2);
        // Where it went is the place until a word of it is heard; the chapter follows.
        QCOMPARE(session.position(), at(said.first()));
        QCOMPARE(chapters.last().first().toInt(),
                 chapterAt(request.chapterStarts, at(said.first())));
        QCOMPARE(session.chapter(), chapters.last().first().toInt());
        // Words heard are told in the text's offsets again, counted in the new utterances.
        engine.word = {0, 0, 3};
        QTRY_COMPARE(session.position(), at(said.first()));
    }

    // Where there is nowhere to go, nothing changes: the last sentence on, a chapter on past
    // the last, a chapter back before the first or without chapters, and no reading at all.
    void nowhereToGo()
    {
        test::HeldEngine engine;
        ReadingSession session;
        QVERIFY(!session.moveOn(ReadingUnit::Sentence));
        QVERIFY(!session.skipForward());
        ReadingRequest request = textRequest();
        request.chapterStarts = {at("Two first")};
        session.start(request);
        hear(session, engine, 2, "Three first. Three second.", "second.");
        QVERIFY(!session.moveOn(ReadingUnit::Sentence));
        QVERIFY(!session.moveOn(ReadingUnit::Paragraph));
        QVERIFY(!session.moveOn(ReadingUnit::Chapter));
        QVERIFY(!session.skipForward());
        QVERIFY(!engine.log.contains("voice2 created"));
        session.start(textRequest());
        hear(session, engine, 0, "One first. One second.", "One second");
        QVERIFY(!session.moveBack(ReadingUnit::Chapter));
        // Without chapters the media keys move by paragraph.
        QVERIFY(session.skipForward());
        QCOMPARE(engine.spokenBy("voice3").first(), QStringLiteral("Two first. Two second."));
    }

    // A paused reading moved stays paused at its new place; resuming speaks from there.
    void pausedStaysPaused()
    {
        test::HeldEngine engine;
        ReadingSession session;
        session.start(textRequest());
        session.pause();
        QVERIFY(session.moveOn(ReadingUnit::Paragraph));
        QCOMPARE(session.state(), ReadingState::Paused);
        QVERIFY(engine.log.indexOf("voice2 pause") > engine.log.indexOf("voice2 created"));
        QVERIFY(engine.log.indexOf("voice2 pause") <
                engine.log.indexOf("voice2 speak Two first. Two second."));
        session.resume();
        QVERIFY(engine.log.contains("voice2 resume"));
        QCOMPARE(session.state(), ReadingState::Reading);
    }

    // A chapter whose pages are not converted yet is gone to once they are: what comes before
    // it is passed over, and the reading goes on from its first words. Its page is told.
    void goesToAChapterNotConvertedYet()
    {
        test::HeldEngine engine;
        test::Pages pages;
        for (int i = 1; i <= 40; ++i)
            pages << QStringList{
                QStringLiteral("Here begins the part named %1, a plain sentence.").arg(partName(i)),
                QStringLiteral("It goes on for a while and then it stops."),
                QStringLiteral("The part named %1 ends here.").arg(partName(i))};
        const QString part35 =
            QStringLiteral("Here begins the part named %1, a plain sentence.").arg(partName(35));
        const QString pdf =
            test::writePdf(test::scratchFolder() + QStringLiteral("/forty.pdf"), pages);
        ReadingRequest request = textRequest();
        request.fromPdf = true;
        request.pdfPath = pdf;
        request.text.clear();

        // A first reading to the end learns where page 35's first sentence stands.
        ReadingSession whole;
        QSignalSpy ranges(&whole, &ReadingSession::spokenRange);
        engine.finished = true;
        whole.start(request);
        QTRY_COMPARE_WITH_TIMEOUT(whole.state(), ReadingState::Idle, 20000);
        const QStringList said = engine.spokenBy("voice1");
        const qsizetype index = said.indexOf(part35);
        QVERIFY2(index > 0, qPrintable(said.join('|')));
        const qsizetype offset = ranges.at(index).first().value<qsizetype>();
        QCOMPARE(whole.pageAt(offset), 35);
        QCOMPARE(whole.pageAt(0), 1);

        engine.finished = false;
        ReadingSession session;
        request.chapterStarts = {0, offset};
        session.start(request);
        QTRY_VERIFY(!engine.spokenBy("voice2").isEmpty());
        QVERIFY(session.skipForward());
        QCOMPARE(session.chapter(), 1);
        QTRY_VERIFY_WITH_TIMEOUT(!engine.spokenBy("voice3").isEmpty(), 20000);
        QCOMPARE(engine.spokenBy("voice3").first(), part35);
        QCOMPARE(session.pageAt(offset), 35);
        QVERIFY(session.state() == ReadingState::Reading);
    }
};

int main(int argc, char** argv)
{
    TestReadingMoves test;
    return lectorix::test::runWithDrawing(&test, argc, argv);
}
#include "test_reading_moves.moc"
