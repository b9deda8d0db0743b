// The pauses a listener hears in an exported MP3: after a sentence, after a paragraph and
// around a heading, each the length set, at every rate. The real espeak-ng voice speaks, the
// real lame encodes, mpg123 decodes what was written.
#include "core/conversion/conversion_job.h"
#include "core/speech/speech_engine.h"
#include "support/audio_files.h"
#include "support/job_run.h"
#include "support/test_env.h"

#include <QStandardPaths>
#include <QtTest>

using namespace lectorix;

namespace {

// Three sentences in two paragraphs, short enough that the voice makes no pause of its own
// inside them even at its slowest, and with a sharp sound (a "ch", a "t") at either side of a
// pause.
const QString TwoParagraphs = QStringLiteral("The first sentence stands alone. Each word of "
                                             "the second one follows it.\n"
                                             "\n"
                                             "Then a new paragraph begins here.\n");
const QString NextParagraph = QStringLiteral("It is short.\n"
                                             "\n"
                                             "Chapter two starts.\n");

// Below this a sample counts as silence (-42 dBFS): the pauses are zeros, speech is far
// louder, and the ringing the encoder spreads before a sharp sound (up to one granule, 26 ms)
// stays under it.
constexpr int SilenceThreshold = 256;
// Silences shorter than this are the voice's own, inside a sentence.
constexpr int ShortestPauseMs = 180;
constexpr int ToleranceMs = 20;

qint64 samplesOf(int milliseconds)
{
    return qint64(milliseconds) * speech::WavSampleRate / 1000;
}

// The silences between the sentences of text, spoken at rate with pauses, in milliseconds.
QList<int> heardPauses(const QString& text, int rate, const SpeechPauses& pauses)
{
    const QString mp3 = test::freshScratch() + QStringLiteral("/../pauses.mp3");
    ConversionRequest request;
    request.sourceText = text;
    request.outputPath = mp3;
    request.voice.rate = rate;
    request.pauses = pauses;
    ConversionJob job(request);
    const auto result = test::runToEnd(job).result;
    if (!result || result->outcome != ConversionOutcome::Done)
        return {};
    QList<int> heard;
    const QList<qint16> sound = test::decodedSamples(mp3);
    for (const qint64 silence :
         test::innerSilences(sound, SilenceThreshold, samplesOf(ShortestPauseMs)))
        heard << int(silence * 1000 / speech::WavSampleRate);
    return heard;
}

} // namespace

Q_DECLARE_METATYPE(lectorix::SpeechPauses)

class TestSpeechPauses : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        test::ignoreBrokenPipes();
        if (QStandardPaths::findExecutable(QStringLiteral("lame")).isEmpty() ||
            test::mpg123Program().isEmpty())
            QFAIL("lame and mpg123 are needed");
    }

    void pausesAsSet_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("rate");
        QTest::addColumn<SpeechPauses>("pauses");
        QTest::addColumn<QList<int>>("expected");
        for (const int rate : {-10, 0, 10}) {
            const QByteArray at = " at rate " + QByteArray::number(rate);
            QTest::newRow("sentence, then paragraph" + at)
                << TwoParagraphs << rate << SpeechPauses{450, 900, 1500} << QList<int>{450, 900};
            QTest::newRow("short sentence pause, long paragraph pause" + at)
                << TwoParagraphs << rate << SpeechPauses{250, 1300, 700} << QList<int>{250, 1300};
        }
        QTest::newRow("none after a sentence")
            << TwoParagraphs << 0 << SpeechPauses{0, 600, 900} << QList<int>{600};
        QTest::newRow("before a sharp sound")
            << NextParagraph << 0 << SpeechPauses{300, 500, 900} << QList<int>{500};
    }

    void pausesAsSet()
    {
        QFETCH(QString, text);
        QFETCH(int, rate);
        QFETCH(SpeechPauses, pauses);
        QFETCH(QList<int>, expected);
        const QList<int> heard = heardPauses(text, rate, pauses);
        QCOMPARE(heard.size(), expected.size());
        for (qsizetype i = 0; i < heard.size(); ++i)
            QVERIFY2(qAbs(heard.at(i) - expected.at(i)) <= ToleranceMs,
                     qPrintable(QStringLiteral("pause %1: %2 ms heard, %3 ms set")
                                    .arg(i + 1)
                                    .arg(heard.at(i))
                                    .arg(expected.at(i))));
    }
};

QTEST_GUILESS_MAIN(TestSpeechPauses)
#include "test_speech_pauses.moc"
