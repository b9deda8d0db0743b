// Moving a running reading: on and back by sentence, paragraph and chapter from the word heard,
// what the voice says next, the chapter told as it changes, a paused reading kept paused, and
// a chapter of a PDF whose pages are not converted yet.

#include "core/reading/reading_session.h"
#include "core/text/pronunciations.h"
#include "support/drawn_pdf.h"
#include "support/held_engine.h"
#include "support/test_env.h"

#include <QSignalSpy>
#include <QtTest>

using namespace lectorix;

namespace {

// Three paragraphs of two sentences each: one utterance per sentence.
const QString Text = QStringLiteral("One first. One second.\n\n"
                                    "Two first. Two second.\n\n"
                                    "Three first. Three second.");

qsizetype at(const QString& part)
{
    return Text.indexOf(part);
}

QList<Chapter> chaptersAt(const QList<qsizetype>& starts)
{
    QList<Chapter> chapters;
    for (qsizetype start : starts)
        chapters.append({QStringLiteral("Chapter %1").arg(chapters.size() + 1), 0, 0, start});
    return chapters;
}

ReadingRequest textRequest()
{
    ReadingRequest request;
    request.text = Text;
    request.voice = {-1, 70, 2};
    return request;
}

// Lets the voice hear part of the utterance-th text it was given, inUtterance as written and
// said with list applied, and waits until the session tells it, in the written text's offsets.
void hear(ReadingSession& session, test::HeldEngine& engine, int utterance,
          const QString& inUtterance, const QString& part,
          const PronunciationList& list = PronunciationList())
{
    const qsizetype written = inUtterance.indexOf(part);
    const qsizetype said = list.applied(inUtterance.left(written), QString()).size();
    engine.word = {utterance, int(said), 3};
    QTRY_COMPARE(session.position(), at(inUtterance) + written);
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
        QTest::addColumn<QString>("sentence"); // a sentence of the second paragraph
        QTest::addColumn<QString>("heard");    // a word of it
        QTest::addColumn<QString>("move");     // "on" or "back", and the unit
        QTest::addColumn<QString>("said");     // by the new voice as written, sentences joined
        QTest::addColumn<QString>("list");     // the pronunciation list's file
        const QString rest = QStringLiteral("Three first. Three second.");
        const QString two = QStringLiteral("Two first. Two second. ") + rest;
        QTest::newRow("on a sentence inside a paragraph") << "Two first."
                                                          << "first."
                                                          << "on sentence"
                                                          << "Two second. " + rest << QString();
        QTest::newRow("on a sentence into the next paragraph")
            << "Two second."
            << "second."
            << "on sentence" << rest << QString();
        QTest::newRow("back a sentence") << "Two second."
                                         << "second."
                                         << "back sentence" << two << QString();
        QTest::newRow("back a sentence from a paragraph's first")
            << "Two first."
            << "Two"
            << "back sentence"
            << "One second. " + two << QString();
        QTest::newRow("on a paragraph") << "Two first."
                                        << "Two"
                                        << "on paragraph" << rest << QString();
        QTest::newRow("back a paragraph, past its first sentence")
            << "Two second."
            << "second."
            << "back paragraph" << two << QString();
        QTest::newRow("back a paragraph, in its first sentence")
            << "Two first."
            << "first."
            << "back paragraph"
            << "One first. One second. " + two << QString();
        QTest::newRow("on a chapter") << "Two first."
                                      << "Two"
                                      << "on chapter"
                                      << "Three second." << QString();
        QTest::newRow("back a chapter, past its first sentence")
            << "Two second."
            << "second."
            << "back chapter" << two << QString();
        QTest::newRow("back a chapter, in its first sentence")
            << "Two first."
            << "Two"
            << "back chapter"
            << "One first. One second. " + two << QString();
        // Spoken forms longer or shorter than the written words: the place heard, the moves
        // and the chapters still count in the written text.
        QTest::newRow("on a sentence inside a paragraph, longer spoken forms")
            << "Two first."
            << "first."
            << "on sentence"
            << "Two second. " + rest << "Two\tTwenty two\nfirst\tvery first\n";
        QTest::newRow("back a sentence, a shorter spoken form before")
            << "Two second."
            << "second."
            << "back sentence" << two << "Two\t2\n";
        QTest::newRow("on a chapter, heard after a longer spoken form") << "Two second."
                                                                        << "second."
                                                                        << "on chapter"
                                                                        << "Three second."
                                                                        << "Two\tTwenty two\n";
        QTest::newRow("back a paragraph, the heard word replaced")
            << "Two first."
            << "first."
            << "back paragraph"
            << "One first. One second. " + two << "first\t[[f'3:st]]\n";
    }

    void movesFromTheWordHeard()
    {
        QFETCH(QString, sentence);
        QFETCH(QString, heard);
        QFETCH(QString, move);
        QFETCH(QString, said);
        QFETCH(QString, list);
        test::HeldEngine engine;
        ReadingSession session;
        ReadingRequest request = textRequest();
        request.pronunciations = PronunciationList(parsePronunciations(list).entries);
        // Chapters at the start, at the second paragraph and at the third's second sentence.
        request.chapters = chaptersAt({0, at("Two first"), at("Three second")});
        QSignalSpy chapters(&session, &ReadingSession::chapterChanged);
        session.start(request);
        QCOMPARE(engine.spokenBy("voice1").size(), 6);
        hear(session, engine, sentence == "Two first." ? 2 : 3, sentence, heard,
             request.pronunciations);
        QCOMPARE(session.chapter(), 1);

        const QStringList parts = move.split(' ');
        const ReadingUnit unit = parts[1] == "sentence"    ? ReadingUnit::Sentence
                                 : parts[1] == "paragraph" ? ReadingUnit::Paragraph
                                                           : ReadingUnit::Chapter;
        engine.word = {};
        QVERIFY(parts[0] == "on" ? session.moveOn(unit) : session.moveBack(unit));
        QCOMPARE(engine.spokenBy("voice2").join(u' ').simplified(),
                 request.pronunciations.applied(said, QString()));
        QVERIFY(engine.log.indexOf("voice1 destroyed") < engine.log.indexOf("voice2 created"));
        QCOMPARE(session.state(), ReadingState::Reading);
        // The new voice has the reading's volume and rate.
        QCOMPARE(session.voice()->volume(), 70);
        QCOMPARE(session.voice()->rate(), 2);
        // Where it went is the place until a word of it is heard; the chapter follows.
        const QString first = said.left(said.indexOf(u'.') + 1);
        QCOMPARE(session.position(), at(first));
        QCOMPARE(chapters.last().first().value<qsizetype>(),
                 chapterAt(request.chapters, at(first)));
        QCOMPARE(session.chapter(), chapters.last().first().value<qsizetype>());
        // Words heard are told in the text's offsets again, counted in the new utterances.
        engine.word = {0, 0, 3};
        QTRY_COMPARE(session.position(), at(first));
        // Its last word too, past any spoken form said in place of a written one.
        const qsizetype last = first.lastIndexOf(' ') + 1;
        hear(session, engine, 0, first, first.mid(last), request.pronunciations);
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
        request.chapters = chaptersAt({at("Two first")});
        session.start(request);
        hear(session, engine, 5, "Three second.", "second.");
        QVERIFY(!session.moveOn(ReadingUnit::Sentence));
        QVERIFY(!session.moveOn(ReadingUnit::Paragraph));
        QVERIFY(!session.moveOn(ReadingUnit::Chapter));
        QVERIFY(!session.skipForward());
        QVERIFY(!engine.log.contains("voice2 created"));
        session.start(textRequest());
        hear(session, engine, 1, "One second.", "One");
        QVERIFY(!session.moveBack(ReadingUnit::Chapter));
        // Without chapters the media keys move by paragraph.
        QVERIFY(session.skipForward());
        QCOMPARE(engine.spokenBy("voice3").first().trimmed(), QStringLiteral("Two first."));
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
        const QStringList said = engine.spokenBy("voice2");
        QVERIFY(!said.isEmpty());
        QCOMPARE(said.first().trimmed(), QStringLiteral("Two first."));
        QVERIFY(engine.log.indexOf("voice2 pause") <
                engine.log.indexOf("voice2 speak " + said.first()));
        session.resume();
        QVERIFY(engine.log.contains("voice2 resume"));
        QCOMPARE(session.state(), ReadingState::Reading);
    }

    // A PDF's chapters come from the headings of its layout as its pages are converted. A
    // reading started at one whose pages are not converted yet says nothing until they are,
    // and begins with its heading; back and on by chapter from there.
    void startsAtAChapterNotConvertedYet()
    {
        test::HeldEngine engine;
        QList<test::DrawnText> texts;
        auto heading = [](int page) {
            return QStringLiteral("The Part Named %1").arg(partName(page));
        };
        for (int page = 0; page < 40; ++page) {
            if (page % 5 == 0)
                texts.append({page, 50, 70, 20, heading(page)});
            texts.append({page, 50, 110, 11,
                          QStringLiteral("Here begins the part named %1, a plain sentence.")
                              .arg(partName(page))});
            texts.append({page, 50, 125, 11, QStringLiteral("It goes on and then it stops.")});
        }
        const QString pdf = test::scratchFolder() + QStringLiteral("/parts.pdf");
        QVERIFY(test::drawPdf(pdf, texts));
        ReadingRequest request = textRequest();
        request.text.clear();
        request.fromPdf = true;
        request.pdfPath = pdf;
        request.startChapter = 6; // the seventh heading, on page 31

        engine.beginAtOnce = false; // the place stays where the reading went
        ReadingSession session;
        QSignalSpy found(&session, &ReadingSession::chaptersChanged);
        session.start(request);
        QTRY_VERIFY_WITH_TIMEOUT(!engine.spokenBy("voice1").isEmpty(), 20000);
        QCOMPARE(engine.spokenBy("voice1").first(), heading(30));
        QVERIFY(found.size() > 1); // the first pages' chapters came before the rest
        QTRY_COMPARE(session.chapters().size(), 8);
        const Chapter seventh = session.chapters().at(6);
        QCOMPARE(seventh.title, heading(30));
        QCOMPARE(session.pageAt(seventh.offset), 31);
        QCOMPARE(session.chapter(), 6);

        QVERIFY(session.moveBack(ReadingUnit::Chapter)); // its first sentence: the one before
        QCOMPARE(engine.spokenBy("voice2").first(), heading(25));
        QCOMPARE(session.chapter(), 5);
        QVERIFY(session.skipForward());
        QCOMPARE(engine.spokenBy("voice3").first(), heading(30));
        QCOMPARE(session.chapter(), 6);
    }
};

int main(int argc, char** argv)
{
    TestReadingMoves test;
    return lectorix::test::runWithDrawing(&test, argc, argv);
}
#include "test_reading_moves.moc"
