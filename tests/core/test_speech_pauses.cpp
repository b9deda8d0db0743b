// The pauses a listener hears in an exported sound: the voice's own short pause between the
// sentences of a paragraph, a longer one after a paragraph, the longest before and after a
// heading, each an exact count of silent samples at every rate. Rendered by the real espeak-ng
// voice through the rendering the export uses, from pieces as the preparation gives them.
#include "core/conversion/spoken_text.h"
#include "core/speech/speech_engine.h"
#include "core/speech/speech_rendering.h"
#include "core/text/speech_pauses.h"
#include "support/audio_files.h"
#include "support/test_env.h"

#include <QFile>
#include <QtTest>

#include <fcntl.h>
#include <unistd.h>

using namespace lectorix;

namespace {

// Long enough to be a stretch of their own, as the voice cuts text.
const QString FirstSentence = QStringLiteral("The first sentence is long enough to stand alone.");
const QString SecondSentence = QStringLiteral("And the second one follows it after a short pause.");
// A heading that ends as a sentence does, so it is cut from what follows alike with and
// without its pause.
const QString Heading = QStringLiteral("Chapter Two, in which the brother comes home.");

// The pieces' sound as the export renders it: bare samples, read back from the file the
// rendering wrote into.
QList<qint16> render(const QList<SpokenPiece>& pieces, int rate)
{
    const QString path = test::scratchFolder() + QStringLiteral("/sound.raw");
    const int descriptor =
        ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (descriptor < 0)
        return {};
    QObject receiver;
    std::optional<QString> done;
    {
        SpeechRendering rendering(
            &receiver, VoiceSettings{-1, 100, rate}, spokenUtterances(pieces), descriptor,
            [](int, qint64) {}, [](const RenderingFailure&) {},
            [&](const QString& failure) { done = failure; });
        if (!QTest::qWaitFor([&] { return done.has_value(); }, 60000))
            return {};
    }
    if (!done->isEmpty())
        return {};
    return test::rawSamples(test::readFile(path));
}

SpokenPiece piece(const QString& text, bool endsParagraph, bool heading = false)
{
    SpokenPiece made;
    made.text = text;
    made.sourceLength = text.size();
    made.endsParagraph = endsParagraph;
    made.heading = heading;
    return made;
}

qint64 samplesOf(int milliseconds)
{
    return qint64(milliseconds) * speech::WavSampleRate / 1000;
}

// Below this a sample counts as silence: espeak-ng's pauses are zeros, speech is far louder.
constexpr int SilenceThreshold = 64;

} // namespace

class TestSpeechPauses : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { test::ignoreBrokenPipes(); }
    void init() { test::freshScratch(); }

    // The silence between two utterances, less the voice's own pause after a sentence (heard
    // between two sentences of one paragraph at the same rate), is the added silence exactly.
    void silenceBetweenUtterances_data()
    {
        QTest::addColumn<QString>("pair");
        QTest::addColumn<int>("rate");
        QTest::addColumn<int>("addedMs");
        for (const int rate : {0, -10, 10}) {
            const QByteArray at = " at rate " + QByteArray::number(rate);
            QTest::newRow("two sentences" + at) << "sentences" << rate << 0;
            QTest::newRow("two paragraphs" + at) << "paragraphs" << rate << ParagraphPauseMs;
            QTest::newRow("before a heading" + at) << "before heading" << rate << HeadingPauseMs;
        }
        QTest::newRow("after a heading") << "after heading" << 0 << HeadingPauseMs;
    }

    void silenceBetweenUtterances()
    {
        QFETCH(QString, pair);
        QFETCH(int, rate);
        QFETCH(int, addedMs);
        QList<SpokenPiece> pieces;
        if (pair == "sentences")
            pieces = {piece(FirstSentence, false), piece(SecondSentence, true)};
        else if (pair == "paragraphs")
            pieces = {piece(FirstSentence, true), piece(SecondSentence, true)};
        else if (pair == "before heading")
            pieces = {piece(FirstSentence, false), piece(Heading, true, true)};
        else
            pieces = {piece(Heading, true, true), piece(FirstSentence, true)};
        // The same two utterances as sentences of one paragraph: the voice's own pause.
        const QList<SpokenPiece> plain{piece(pieces.first().text, false),
                                       piece(pieces.last().text, true)};
        const QList<qint16> withoutPause = render(plain, rate);
        const QList<qint16> withPause = render(pieces, rate);
        QVERIFY(!withoutPause.isEmpty() && !withPause.isEmpty());

        const qint64 own = test::longestInnerSilence(withoutPause, SilenceThreshold);
        const qint64 heard = test::longestInnerSilence(withPause, SilenceThreshold);
        // A sentence's own pause is short at the usual rate: well under a paragraph's.
        QVERIFY(own > 0);
        if (rate == 0)
            QVERIFY2(own < samplesOf(ParagraphPauseMs), qPrintable(QString::number(own)));
        // The added silence is exact; away from the voice's own speed, the time-stretcher
        // shapes the speech's own fading end a little differently at an utterance's end.
        const qint64 slack = rate == 0 ? 2 : samplesOf(10);
        QVERIFY2(qAbs(heard - own - samplesOf(addedMs)) <= slack,
                 qPrintable(QStringLiteral("%1 heard, %2 the voice's own").arg(heard).arg(own)));
    }
};

QTEST_GUILESS_MAIN(TestSpeechPauses)
#include "test_speech_pauses.moc"
