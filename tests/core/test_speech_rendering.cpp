// Speech rendering into an encoder's pipe: which setup steps fail and how the rendering ends
// then, and that the pipe is closed on every path, so the encoder always sees the end.
#include "core/speech/speech_engine.h"
#include "core/speech/speech_rendering.h"
#include "support/fake_engine.h"
#include "support/test_env.h"

#include <QtTest>

#include <fcntl.h>
#include <unistd.h>

using namespace lectorix;

class TestSpeechRendering : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { test::ignoreBrokenPipes(); }
    void init() { test::freshScratch(); }

    void failingSteps_data()
    {
        using S = RenderingStep;
        QTest::addColumn<QString>("setup");
        QTest::addColumn<QList<int>>("steps");
        QTest::addColumn<QString>("description"); // of the first failed step
        QTest::addColumn<QString>("ending");      // what done() says
        QTest::addColumn<int>("spoken");          // speak calls

        QTest::newRow("all well") << "" << QList<int>{} << QString() << QString() << 1;
        QTest::newRow("no voice") << "failCreateVoice" << QList<int>{int(S::CreateVoice)}
                                  << "espeak-ng data not found"
                                  << "no voice could be made" << 0;
        QTest::newRow("chosen voice gone: the default speaks")
            << "voiceGone" << QList<int>{int(S::ChooseVoice)}
            << "Invalid procedure call or argument" << QString() << 1;
        QTest::newRow("no stream")
            << "failCreateStream" << QList<int>{int(S::CreateStream)} << "Out of memory"
            << "the encoder's input could not be opened" << 0;
        QTest::newRow("speaking fails: no step failed")
            << "failSpeak" << QList<int>{} << QString() << "Connection refused" << 1;
    }

    void failingSteps()
    {
        QFETCH(QString, setup);
        QFETCH(QList<int>, steps);
        QFETCH(QString, description);
        QFETCH(QString, ending);
        QFETCH(int, spoken);
        test::FakeEngine engine;
        if (setup == "failCreateVoice")
            engine.failCreateVoice = QStringLiteral("espeak-ng data not found");
        if (setup == "voiceGone")
            engine.setVoices(2);
        if (setup == "failCreateStream")
            engine.failCreateStream = QStringLiteral("Out of memory");
        if (setup == "failSpeak")
            engine.failSpeak = QStringLiteral("Connection refused");
        const QString text =
            test::writeFile(test::scratchFolder() + QStringLiteral("/text.txt"), "Some words.");
        int pipe[2] = {-1, -1};
        QCOMPARE(::pipe2(pipe, O_CLOEXEC), 0);
        QObject receiver;
        QList<RenderingFailure> failures;
        std::optional<QString> done;

        {
            SpeechRendering rendering(
                &receiver, VoiceSettings{2, 100, 0}, {{text}}, pipe[1], [](int, qint64) {},
                [&](const RenderingFailure& failure) { failures << failure; },
                [&](const QString& failure) { done = failure; });
            QTRY_VERIFY(done.has_value());
        }

        QList<int> failed;
        for (const RenderingFailure& failure : failures)
            failed << int(failure.step);
        QCOMPARE(failed, steps);
        if (!failures.isEmpty())
            QCOMPARE(failures.first().description, description);
        QCOMPARE(*done, ending);
        QCOMPARE(int(engine.logOf(QStringLiteral(" speak ")).size()), spoken);
        QCOMPARE(engine.voicesAlive(), 0);
        // The rendering took the pipe over: its end is closed, whatever happened.
        char byte = 0;
        QCOMPARE(::read(pipe[0], &byte, 1), ssize_t(0));
        ::close(pipe[0]);
    }
};

QTEST_GUILESS_MAIN(TestSpeechRendering)
#include "test_speech_rendering.moc"
