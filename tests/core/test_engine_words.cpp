// The espeak-ng voice tells which word is being heard: in order, at the right place in the
// queued text (UTF-16 offsets, characters outside the BMP included), timed by the sound played
// rather than by synthesis, still while paused, and forgotten on stop.

#include "core/speech/speech_engine.h"
#include "support/sink_recorder.h"

#include <QElapsedTimer>
#include <QThread>
#include <QtTest>

using namespace lectorix;

namespace {

struct Heard
{
    speech::WordPosition word;
    qint64 atMs;
};

// Polls the voice's word every 5 ms until everything queued has been heard.
QList<Heard> listen(speech::Voice& voice, int timeoutMs = 30000)
{
    QList<Heard> heard;
    QElapsedTimer clock;
    clock.start();
    while (!voice.isDone() && clock.elapsed() < timeoutMs) {
        const speech::WordPosition word = voice.currentWord();
        if (word.text >= 0 && (heard.isEmpty() || heard.last().word != word))
            heard.append({word, clock.elapsed()});
        QThread::msleep(5);
    }
    return heard;
}

QStringList wordsOf(const QList<Heard>& heard, const QStringList& texts)
{
    QStringList words;
    for (const Heard& h : heard)
        words << texts.at(h.word.text).mid(h.word.start, h.word.length);
    return words;
}

} // namespace

class TestEngineWords : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { test::warmUpEngine(); }

    void wordsInOrderAtTheirPlace_data()
    {
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<QStringList>("words");
        QTest::newRow("two texts")
            << QStringList{QStringLiteral("One two three."), QStringLiteral("Four, five six.")}
            << QStringList{"One", "two", "three", "Four", "five", "six"};
        QTest::newRow("accents and a character outside the BMP")
            << QStringList{QStringLiteral("Ça va très bien, merci \U0001F600 beaucoup.")}
            << QStringList{"Ça", "va", "très", "bien", "merci", "beaucoup"};
    }
    void wordsInOrderAtTheirPlace()
    {
        QFETCH(QStringList, texts);
        QFETCH(QStringList, words);
        NEED_SINK(rec);
        const auto voice = speech::engine().createVoice();
        QCOMPARE(voice->currentWord().text, -1);
        for (const QString& text : texts)
            voice->speakAsync(text);
        const QList<Heard> heard = listen(*voice);
        QStringList spoken = wordsOf(heard, texts);
        // espeak-ng may name the emoji itself as a word; every word found is where it stands.
        spoken.removeIf([&](const QString& w) { return !words.contains(w); });
        QCOMPARE(spoken, words);
        for (qsizetype i = 1; i < heard.size(); ++i)
            QVERIFY(heard[i].word.text > heard[i - 1].word.text ||
                    heard[i].word.start > heard[i - 1].word.start);
        // After the end the last word stays.
        QCOMPARE(voice->currentWord(), heard.last().word);
    }

    // Synthesis of a short text is done in a moment; the words follow the sound over the
    // whole time it plays.
    void timedByTheSoundPlayed()
    {
        NEED_SINK(rec);
        const QString text =
            QStringLiteral("This sentence takes a few seconds to say, word after word, slowly.");
        const auto voice = speech::engine().createVoice();
        voice->setRate(-5);
        QElapsedTimer clock;
        clock.start();
        voice->speakAsync(text);
        const QList<Heard> heard = listen(*voice);
        const qint64 total = clock.elapsed();
        QVERIFY(heard.size() >= 10);
        const qint64 span = heard.last().atMs - heard.first().atMs;
        qInfo("words heard over %lld of %lld ms", span, total);
        QVERIFY2(span > total / 2, "the words ran ahead of the sound");
    }

    void pausedWordStaysAndStopForgets()
    {
        NEED_SINK(rec);
        const auto voice = speech::engine().createVoice();
        voice->speakAsync(QStringLiteral("One two three four five six seven eight nine ten "
                                         "eleven twelve thirteen fourteen fifteen sixteen."));
        QElapsedTimer clock;
        clock.start();
        while (voice->currentWord().start < 8 && clock.elapsed() < 20000)
            QThread::msleep(5);
        voice->pause();
        const speech::WordPosition paused = voice->currentWord();
        QThread::msleep(600);
        QCOMPARE(voice->currentWord(), paused);
        QVERIFY(paused.text == 0 && paused.start >= 8);
        voice->resume();
        QThread::msleep(600);
        QVERIFY(voice->currentWord().start > paused.start);
        voice->stop();
        QCOMPARE(voice->currentWord().text, -1);
    }
};

QTEST_GUILESS_MAIN(TestEngineWords)
#include "test_engine_words.moc"
