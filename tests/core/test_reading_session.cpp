// The reading session without a window: its states, the voice it makes, what it queues and
// where each queued text lies in the source, and the quiet ends.

#include "core/reading/reading_session.h"
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

QList<int> stepsOf(const QSignalSpy& spy)
{
    QList<int> steps;
    // The reading's own steps; its extractions' are the front end's to report apart.
    for (const QList<QVariant>& arguments : spy)
        if (const auto failure = arguments.first().value<JobFailure>().as<ReadingStep>())
            steps << int(failure->step);
    return steps;
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
        ReadingSession session;
        QSignalSpy failed(&session, &ReadingSession::stepFailed);
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
        QCOMPARE(failed.size(), 0);
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

    // A failing step is announced as it fails and the reading goes on with the next: without
    // a voice each step that needs one fails (a PDF's text is then not queued at all), and a
    // failed queuing ends the queuing, so a long text gives one failure, not one a piece. A
    // converter that cannot run is the converter's step, told apart by whether a password was
    // given.
    void failingStepsAreAnnounced_data()
    {
        using S = ReadingStep;
        QTest::addColumn<QString>("setup");
        QTest::addColumn<QString>("pdf"); // a corpus file, or none for the text box
        QTest::addColumn<int>("length");  // of the typed text, 0 for a few words
        QTest::addColumn<QString>("password");
        QTest::addColumn<QList<int>>("steps");
        QTest::addColumn<QString>("firstDescription");
        const QString noVoice = QStringLiteral("Class not registered");
        const QString pdf = QStringLiteral("french_diacritics.pdf");

        QTest::newRow("no voice") << "failCreateVoice" << QString() << 0 << QString()
                                  << QList<int>{int(S::CreateVoice), int(S::ChooseVoice),
                                                int(S::SetVolume), int(S::SetRate),
                                                int(S::QueueText)}
                                  << noVoice;
        QTest::newRow("voice list outgrew the engine")
            << "fewerVoices" << QString() << 0 << QString() << QList<int>{int(S::ChooseVoice)}
            << failures::InvalidArgument;
        QTest::newRow("speaking fails, three pieces")
            << "failSpeak" << QString() << 250000 << QString() << QList<int>{int(S::QueueText)}
            << "Connection refused";
        QTest::newRow("no voice, PDF") << "failCreateVoice" << pdf << 0 << QString()
                                       << QList<int>{int(S::CreatePdfVoice), int(S::ChoosePdfVoice),
                                                     int(S::SetPdfVolume), int(S::SetPdfRate)}
                                       << noVoice;
        QTest::newRow("speaking fails, PDF")
            << "failSpeak" << pdf << 0 << QString() << QList<int>{int(S::QueuePdfText)}
            << "Connection refused";
        QTest::newRow("no converter") << "noConverter" << pdf << 0 << QString()
                                      << QList<int>{int(S::ConvertPages)} << QString();
        QTest::newRow("no converter, with a password")
            << "noConverter" << pdf << 0 << "secret" << QList<int>{int(S::ConvertPagesWithPassword)}
            << QString();
    }

    void failingStepsAreAnnounced()
    {
        QFETCH(QString, setup);
        QFETCH(QString, pdf);
        QFETCH(int, length);
        QFETCH(QString, password);
        QFETCH(QList<int>, steps);
        QFETCH(QString, firstDescription);
        if (!pdf.isEmpty() && test::corpusFolder().isEmpty())
            QSKIP("the corpus is needed");
        test::FakeEngine engine;
        engine.setVoices(setup == "fewerVoices" ? 1 : 3);
        if (setup == "failCreateVoice")
            engine.failCreateVoice = QStringLiteral("Class not registered");
        if (setup == "failSpeak")
            engine.failSpeak = QStringLiteral("Connection refused");
        ReadingSession session;
        QSignalSpy failed(&session, &ReadingSession::stepFailed);
        ReadingRequest request =
            textRequest(length > 0 ? QString(length, QLatin1Char('a')) : QStringLiteral("Words."));
        request.verbatim = length > 0;
        request.fromPdf = !pdf.isEmpty();
        if (request.fromPdf)
            request.pdfPath = test::corpusFile(pdf);
        request.password = password;
        if (setup == "noConverter")
            request.converter = QStringLiteral("lectorix-test-no-such-converter");

        session.start(request);
        QTRY_COMPARE(session.state(), ReadingState::Idle);

        QCOMPARE(stepsOf(failed), steps);
        const QString description = failed.first().first().value<JobFailure>().description;
        if (firstDescription.isEmpty())
            QVERIFY(!description.isEmpty());
        else
            QCOMPARE(description, firstDescription);
        QVERIFY(engine.queued().size() <= 1);
        QCOMPARE(engine.voicesAlive(), 0);
    }

    // Nothing to read ends the reading quietly: no voice, no report, no working folder left.
    // An encrypted PDF that the password given does not open says so, and only that one.
    void endsQuietly_data()
    {
        QTest::addColumn<bool>("fromPdf");
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("password");
        QTest::addColumn<bool>("needsPassword");
        const QString locked = QStringLiteral("password-example.pdf");
        QTest::newRow("empty text") << false << QString() << QString() << false;
        QTest::newRow("missing PDF")
            << true << QStringLiteral("/nowhere/gone.pdf") << QString() << false;
        QTest::newRow("not a PDF") << true << QStringLiteral("invalid.pdf") << QString() << false;
        QTest::newRow("encrypted, no password") << true << locked << QString() << true;
        QTest::newRow("encrypted, wrong password") << true << locked << "nope" << true;
    }

    void endsQuietly()
    {
        QFETCH(bool, fromPdf);
        QFETCH(QString, source);
        QFETCH(QString, password);
        QFETCH(bool, needsPassword);
        const QString temp = test::freshScratch();
        test::FakeEngine engine;
        ReadingSession session;
        QSignalSpy failed(&session, &ReadingSession::stepFailed);
        int passwordsAsked = 0;
        QObject::connect(&session, &Job::asked, [&](JobQuestion* question) {
            passwordsAsked += question->kind() == JobQuestion::Kind::Password ? 1 : 0;
            question->decline();
        });
        ReadingRequest request = textRequest(source);
        request.fromPdf = fromPdf;
        request.password = password;
        if (fromPdf)
            request.pdfPath =
                source.startsWith(QLatin1Char('/')) ? source : test::corpusFile(source);

        session.start(request);

        QTRY_COMPARE(session.state(), ReadingState::Idle);
        QCOMPARE(engine.log, QStringList());
        QCOMPARE(failed.size(), 0);
        QCOMPARE(passwordsAsked, needsPassword ? 1 : 0);
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
