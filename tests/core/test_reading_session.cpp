// The reading session without a window: its states, the voice it makes, what it queues and
// where each queued text lies in the source, and the quiet ends.

#include "core/reading/reading_session.h"
#include "support/error_recorder.h"
#include "support/fake_engine.h"
#include "support/test_env.h"

#include <QDir>
#include <QSignalSpy>
#include <QtTest>

using namespace lectorix;

namespace {

QList<ReadingState> statesOf(const QSignalSpy& spy)
{
    QList<ReadingState> states;
    for (const QList<QVariant>& arguments : spy)
        states << arguments.first().value<ReadingState>();
    return states;
}

ReadingRequest textRequest(const QString& text)
{
    ReadingRequest request;
    request.text = text;
    request.voice = {1, 80, -4};
    return request;
}

} // namespace

class TestReadingSession : public QObject
{
    Q_OBJECT

private slots:
    void init() { test::freshScratch(); }

    // Read verbatim, a text is queued in pieces of 100,000 characters with the chosen voice,
    // each piece announced at its place in the text, and the session is idle once all was
    // heard.
    void readsVerbatimTextInPieces()
    {
        test::FakeEngine engine;
        test::ErrorRecorder errors;
        ReadingSession session;
        QSignalSpy states(&session, &ReadingSession::stateChanged);
        QSignalSpy ranges(&session, &ReadingSession::spokenRange);
        const QString text(150001, QLatin1Char('a'));
        ReadingRequest request = textRequest(text);
        request.verbatim = true;

        session.start(request);

        QCOMPARE(session.state(), ReadingState::Reading);
        QCOMPARE(engine.log.mid(0, 4), (QStringList{"voice1 created", "voice1 setVoice v2",
                                                    "voice1 volume 80", "voice1 rate -4"}));
        QCOMPARE(engine.queued().size(), 3);
        QTRY_COMPARE(session.state(), ReadingState::Idle);
        QCOMPARE(statesOf(states),
                 (QList<ReadingState>{ReadingState::Reading, ReadingState::Idle}));
        QCOMPARE(ranges.size(), 3);
        const QList<QPair<qsizetype, qsizetype>> expected = {
            {0, 100000}, {100000, 50001}, {150001, 0}};
        for (int i = 0; i < 3; ++i)
            QCOMPARE((QPair<qsizetype, qsizetype>(ranges[i][0].value<qsizetype>(),
                                                  ranges[i][1].value<qsizetype>())),
                     expected[i]);
        QVERIFY(!session.voice());
        QCOMPARE(engine.voicesAlive(), 0);
        QCOMPARE(errors.reports, QStringList());
    }

    // Pause, resume and stop act on the running voice at once; stop drops the voice.
    void pauseResumeStop()
    {
        test::FakeEngine engine;
        ReadingSession session;
        QSignalSpy states(&session, &ReadingSession::stateChanged);
        session.start(textRequest(QStringLiteral("Words to read.")));
        session.pause();
        session.pause(); // a second pause changes nothing
        QCOMPARE(session.state(), ReadingState::Paused);
        session.setVolume(30);
        session.resume();
        session.stop();
        QCOMPARE(statesOf(states),
                 (QList<ReadingState>{ReadingState::Reading, ReadingState::Paused,
                                      ReadingState::Reading, ReadingState::Idle}));
        QCOMPARE(
            engine.log.filter(QRegularExpression(QStringLiteral("pause|resume|volume 30|"
                                                                "destroyed"))),
            (QStringList{"voice1 pause", "voice1 volume 30", "voice1 resume", "voice1 destroyed"}));
        session.resume(); // nothing to resume once stopped
        QCOMPARE(session.state(), ReadingState::Idle);
    }

    // Nothing to read ends the reading quietly: no voice, no report, no working folder left.
    void endsQuietly_data()
    {
        QTest::addColumn<bool>("fromPdf");
        QTest::addColumn<QString>("source");
        QTest::newRow("empty text") << false << QString();
        QTest::newRow("missing PDF") << true << QStringLiteral("/nowhere/gone.pdf");
        QTest::newRow("not a PDF") << true << QStringLiteral("invalid.pdf");
    }

    void endsQuietly()
    {
        QFETCH(bool, fromPdf);
        QFETCH(QString, source);
        const QString temp = test::freshScratch();
        test::FakeEngine engine;
        test::ErrorRecorder errors;
        ReadingSession session;
        ReadingRequest request = textRequest(source);
        request.fromPdf = fromPdf;
        if (fromPdf)
            request.pdfPath =
                source.startsWith(QLatin1Char('/')) ? source : test::corpusFile(source);

        session.start(request);

        QTRY_COMPARE(session.state(), ReadingState::Idle);
        QCOMPARE(engine.log, QStringList());
        QCOMPARE(errors.reports, QStringList());
        QCOMPARE(QDir(temp).entryList({QStringLiteral("reading-*")}, QDir::Dirs), QStringList());
    }

    // Read verbatim, a PDF is read line by line from its whole text, and each line is
    // announced at its place in that text.
    void readsThePdfLineByLine()
    {
        REQUIRE_CORPUS();
        test::FakeEngine engine;
        ReadingSession session;
        QSignalSpy ranges(&session, &ReadingSession::spokenRange);
        ReadingRequest request = textRequest(QString());
        request.fromPdf = true;
        request.pdfPath = test::corpusFile(QStringLiteral("french_diacritics.pdf"));
        request.verbatim = true;
        session.start(request);
        QTRY_VERIFY(!engine.queued().isEmpty());
        QTRY_COMPARE(session.state(), ReadingState::Idle);
        const QStringList lines = engine.queued();
        QCOMPARE(ranges.size(), lines.size());
        for (qsizetype i = 0; i < lines.size(); ++i)
            QCOMPARE(ranges[i][1].value<qsizetype>(), lines[i].size());
        QVERIFY(ranges.last()[0].value<qsizetype>() > ranges.first()[0].value<qsizetype>());
    }
};

QTEST_GUILESS_MAIN(TestReadingSession)
#include "test_reading_session.moc"
