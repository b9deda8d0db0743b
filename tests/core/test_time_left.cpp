// The time a conversion has left, fed with made-up progress whose future is known: hidden
// until it can be trusted, then close to the truth and without jumps upward.
#include "core/conversion/time_left.h"

#include <QPointF>
#include <QtTest>

#include <cmath>

using namespace lectorix;

namespace {

// A made-up conversion: extraction for extractionMs, then speech whose pace (characters a
// second, y) holds until a share of the text (x) is spoken; progress comes every reportMs,
// counting only whole blocks of speech.
struct Pace
{
    qint64 length = 0;
    QList<QPointF> phases;
    qint64 extractionMs = 0;
    qint64 reportMs = 0;
    qint64 block = 1;

    double rateAt(double done) const
    {
        for (const QPointF& phase : phases)
            if (done < phase.x() * double(length))
                return phase.y();
        return phases.last().y();
    }
    // The seconds the rest of the text takes from done on: the truth an estimate aims at.
    double secondsFrom(double done) const
    {
        double seconds = 0;
        for (double step = 100; done < double(length); done += step)
            seconds += std::min(step, double(length) - done) / rateAt(done);
        return seconds;
    }
};

struct Sample
{
    bool speaking;
    double share;                   // of the text spoken
    double trueSeconds;             // the time truly left
    std::optional<qint64> estimate; // what the estimate said
};

QList<Sample> run(const Pace& pace)
{
    TimeLeftEstimate estimate;
    QList<Sample> samples;
    qint64 now = 0;
    for (; now < pace.extractionMs; now += pace.reportMs) {
        estimate.update({ConversionStage::Extracting, 0, 0,
                         0.05 * double(now) / double(pace.extractionMs), 0, 0},
                        now);
        samples.append({false, 0.0, 0.0, estimate.secondsLeft()});
    }
    estimate.update({ConversionStage::Speaking, 1, 2, 0.05, 0, pace.length}, now);
    double done = 0;
    while (done < double(pace.length)) {
        for (qint64 ms = 0; ms < pace.reportMs; ms += 10)
            done = std::min(double(pace.length), done + pace.rateAt(done) / 100.0);
        now += pace.reportMs;
        const qint64 reported = qint64(done) / pace.block * pace.block;
        estimate.update({ConversionStage::Speaking, 1, 2, 0.5, reported, pace.length}, now);
        samples.append({true, double(reported) / double(pace.length), pace.secondsFrom(done),
                        estimate.secondsLeft()});
    }
    estimate.update({ConversionStage::Joining, 2, 2, 0.98, pace.length, pace.length}, now);
    samples.append({false, 1.0, 0.0, estimate.secondsLeft()});
    return samples;
}

} // namespace

Q_DECLARE_METATYPE(Pace)

class TestTimeLeft : public QObject
{
    Q_OBJECT

private slots:
    void followsTheSpeech_data();
    void followsTheSpeech();
};

void TestTimeLeft::followsTheSpeech_data()
{
    QTest::addColumn<Pace>("pace");
    // How far the estimate may be from the truth once half the text is spoken, as a share.
    QTest::addColumn<double>("tolerance");
    // The most it may rise from one report to the next, in seconds.
    QTest::addColumn<int>("largestRise");

    const qint64 book = 100000;
    QTest::newRow("steady speech") << Pace{book, {{1.0, 300}}, 0, 500, 1} << 0.02 << 1;
    QTest::newRow("a long extraction first")
        << Pace{book, {{1.0, 300}}, 30000, 500, 1} << 0.02 << 1;
    QTest::newRow("speech arriving in blocks of two seconds")
        << Pace{book, {{1.0, 300}}, 1000, 250, 600} << 0.05 << 2;
    QTest::newRow("a voice slow to start")
        << Pace{book, {{0.01, 100}, {1.0, 300}}, 1000, 500, 1} << 0.10 << 1;
    QTest::newRow("one lane of two ends first")
        << Pace{book, {{0.8, 600}, {1.0, 300}}, 1000, 500, 200} << 0.35 << 2;
    QTest::newRow("a short text") << Pace{2000, {{1.0, 300}}, 200, 100, 1} << 0.10 << 1;
}

void TestTimeLeft::followsTheSpeech()
{
    QFETCH(Pace, pace);
    QFETCH(double, tolerance);
    QFETCH(int, largestRise);
    const QList<Sample> samples = run(pace);

    std::optional<qint64> previous;
    bool checkedHalf = false;
    for (const Sample& sample : samples) {
        const QString where = QStringLiteral("at %1% of the text").arg(sample.share * 100.0);
        const bool shown = sample.estimate.has_value();
        QVERIFY2(shown == (sample.speaking && sample.share >= TimeLeftEstimate::SteadyShare),
                 qPrintable(where));
        if (!shown)
            continue;
        if (previous)
            QVERIFY2(*sample.estimate - *previous <= largestRise,
                     qPrintable(
                         where +
                         QStringLiteral(": %1 s after %2 s").arg(*sample.estimate).arg(*previous)));
        previous = sample.estimate;
        if (!checkedHalf && sample.share >= 0.5) {
            checkedHalf = true;
            QVERIFY2(std::abs(double(*sample.estimate) - sample.trueSeconds) <=
                         tolerance * sample.trueSeconds + 1.0,
                     qPrintable(where + QStringLiteral(": %1 s, truly %2 s")
                                            .arg(*sample.estimate)
                                            .arg(sample.trueSeconds)));
        }
    }
    QVERIFY(checkedHalf);
}

QTEST_GUILESS_MAIN(TestTimeLeft)
#include "test_time_left.moc"
