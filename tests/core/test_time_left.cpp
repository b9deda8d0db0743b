// The time a conversion has left, fed with made-up progress whose future is known: hidden
// until steady, then close to the truth and without jumps upward. The time a reading aloud
// has left, from the pace of the listening.
#include "core/conversion/time_left.h"
#include "core/reading/reading_time_left.h"

#include <QPointF>
#include <QtTest>

using namespace lectorix;

// Extraction for extractionMs, then speech at y characters a second until the share x of the
// text; a report every reportMs counting whole blocks of speech only.
struct Pace
{
    qint64 length;
    QList<QPointF> phases;
    qint64 extractionMs, reportMs, block;

    double rateAt(double done) const
    {
        for (const QPointF& phase : phases)
            if (done < phase.x() * double(length))
                return phase.y();
        return phases.last().y();
    }
    double secondsFrom(double done) const
    {
        double seconds = 0;
        for (; done < double(length); done += 100)
            seconds += std::min(100.0, double(length) - done) / rateAt(done);
        return seconds;
    }
};
Q_DECLARE_METATYPE(Pace)

class TestTimeLeft : public QObject
{
    Q_OBJECT

private slots:
    void followsTheSpeech_data()
    {
        QTest::addColumn<Pace>("pace");
        QTest::addColumn<double>("tolerance"); // from the truth at half the text, as a share
        QTest::addColumn<int>("largestRise");  // from one report to the next, in seconds
        QTest::newRow("steady") << Pace{100000, {{1, 300}}, 0, 500, 1} << 0.02 << 1;
        QTest::newRow("a long extraction first")
            << Pace{100000, {{1, 300}}, 30000, 500, 1} << 0.02 << 1;
        QTest::newRow("speech in blocks of two seconds")
            << Pace{100000, {{1, 300}}, 1000, 250, 600} << 0.05 << 2;
        QTest::newRow("a voice slow to start")
            << Pace{100000, {{0.01, 100}, {1, 300}}, 1000, 500, 1} << 0.10 << 1;
        QTest::newRow("a short text") << Pace{2000, {{1, 300}}, 200, 100, 1} << 0.10 << 1;
    }

    void followsTheSpeech()
    {
        QFETCH(Pace, pace);
        QFETCH(double, tolerance);
        QFETCH(int, largestRise);
        TimeLeftEstimate estimate;
        qint64 now = 0;
        for (; now < pace.extractionMs; now += pace.reportMs) {
            estimate.update({ConversionStage::Extracting, 0, 0, 0.01, 0, 0}, now);
            QVERIFY(!estimate.secondsLeft());
        }
        estimate.update({ConversionStage::Speaking, 1, 2, 0.05, 0, pace.length}, now);
        std::optional<qint64> previous;
        bool checkedHalf = false;
        for (double done = 0; done < double(pace.length);) {
            for (qint64 ms = 0; ms < pace.reportMs; ms += 10)
                done = std::min(double(pace.length), done + pace.rateAt(done) / 100.0);
            now += pace.reportMs;
            const qint64 reported = qint64(done) / pace.block * pace.block;
            estimate.update({ConversionStage::Speaking, 1, 2, 0.5, reported, pace.length}, now);
            const std::optional<qint64> left = estimate.secondsLeft();
            const double share = double(reported) / double(pace.length);
            const QByteArray where = QByteArray::number(share * 100) +
                                     "%: " + QByteArray::number(left.value_or(-1)) + " s after " +
                                     QByteArray::number(previous.value_or(-1)) + " s";
            QVERIFY2(left.has_value() == (share >= TimeLeftEstimate::SteadyShare), where);
            QVERIFY2(!left || !previous || *left - *previous <= largestRise, where);
            if (left && share >= 0.5 && !checkedHalf) {
                checkedHalf = true;
                const double truth = pace.secondsFrom(done);
                QVERIFY2(std::abs(double(*left) - truth) <= tolerance * truth + 1, where);
            }
            previous = left;
        }
        QVERIFY(checkedHalf);
        estimate.update({ConversionStage::Joining, 2, 2, 0.98, pace.length, pace.length}, now);
        QVERIFY(!estimate.secondsLeft());
    }

    // A listener at 15 characters a second: told once steady, from the pace since the start
    // or the last move; a move back starts the pace afresh; no end known, no time.
    void readingTimeLeft_data()
    {
        QTest::addColumn<QList<qint64>>("steps"); // position, end (-1 unknown), ms; repeated
        QTest::addColumn<qint64>("left");         // -1: none told
        QTest::newRow("steady") << QList<qint64>{0, 9000, 0, 300, 9000, 20000} << qint64(580);
        QTest::newRow("too soon") << QList<qint64>{0, 9000, 0, 210, 9000, 14000} << qint64(-1);
        QTest::newRow("too little heard")
            << QList<qint64>{0, 9000, 0, 150, 9000, 60000} << qint64(-1);
        QTest::newRow("end not known yet") << QList<qint64>{0, -1, 0, 300, -1, 20000} << qint64(-1);
        QTest::newRow("moved back: afresh from there")
            << QList<qint64>{5000, 9000, 0, 5300, 9000, 20000, 1000, 9000, 21000} << qint64(-1);
        QTest::newRow("moved back, then steady again")
            << QList<qint64>{5000, 9000, 0, 1000, 9000, 21000, 1600, 9000, 41000} << qint64(247);
    }
    void readingTimeLeft()
    {
        QFETCH(QList<qint64>, steps);
        QFETCH(qint64, left);
        ReadingTimeLeft time;
        time.restart(steps[0], steps[2]);
        for (qsizetype i = 3; i + 2 < steps.size(); i += 3)
            time.update(steps[i],
                        steps[i + 1] < 0 ? std::nullopt : std::optional<qsizetype>(steps[i + 1]),
                        steps[i + 2]);
        QCOMPARE(time.secondsLeft().value_or(-1), left);
    }
};

QTEST_GUILESS_MAIN(TestTimeLeft)
#include "test_time_left.moc"
