// The lanes a conversion speaks and encodes in: progress at the pace given, the last count, the
// longest part of one file first, a lane's next voice while its encoder (log: s start, e end) runs.
#include "core/conversion/encoder_lanes.h"
#include "support/fake_engine.h"
#include "support/test_env.h"

#include <QFile>
#include <QtTest>

using namespace lectorix;

class TestEncoderLanes : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { test::ignoreBrokenPipes(); }

    void progressAndOrder_data()
    {
        QTest::addColumn<int>("clockStepMs"); // how far the clock moves at each reading
        QTest::addColumn<int>("outputs");     // one file, or a file for each part
        QTest::addColumn<int>("reports");     // spoken() signals
        QTest::addColumn<QString>("order");   // the parts by their first sentence, as spoken
        QTest::newRow("frozen clock: the first count and each part's end")
            << 0 << 1 << 4 << "c b a";
        QTest::newRow("clock a whole interval on: every sentence's count and each part's end")
            << 250 << 1 << 12 + 3 << "c b a";
        QTest::newRow("chapter files in their order") << 0 << 3 << 4 << "a b c";
    }

    void progressAndOrder()
    {
        QFETCH(int, clockStepMs);
        QFETCH(int, outputs);
        QFETCH(int, reports);
        QFETCH(QString, order);
        const QString folder = test::freshScratch();
        test::FakeEngine engine;
        const QString encoder = test::writeFile(
            folder + QStringLiteral("/lame"), "#!/bin/sh\nfor f; do :; done\nprintf s>>$0.log\ncat "
                                              ">\"$f\"\nsleep 1\nprintf e>>$0.log\n");
        QFile::setPermissions(encoder, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        // Parts of 2, 4 and 6 short sentences, each with a pause after it.
        QList<EncoderLanes::Part> parts;
        qint64 characters = 0;
        for (const char* first : {"a", "b", "c"}) {
            EncoderLanes::Part part{{}, outputs == 1 ? 0 : int(parts.size())};
            for (int i = 0; i < 2 * (parts.size() + 1); ++i)
                part.utterances.append({QString::fromLatin1(first) + QString::number(i), 300, {}});
            characters += 3 * part.utterances.size();
            parts.append(part);
        }
        QStringList sounds;
        for (int i = 0; i < outputs; ++i)
            sounds << folder + QStringLiteral("/sound%1.mp3").arg(i);
        EncoderLanes lanes({{}, encoder, folder, 1, AudioFormat::Mp3}, sounds, parts);
        qint64 now = 0;
        lanes.setProgressPace(ProgressPace(250, [&] { return now += clockStepMs; }));
        QList<QPair<qint64, int>> spoken;
        connect(&lanes, &EncoderLanes::spoken, [&](qint64 count, int partsSpoken) {
            spoken.append({count, partsSpoken});
        });
        std::optional<LanesEnd> end;
        connect(&lanes, &EncoderLanes::ended, [&](LanesEnd how) { end = how; });
        QCOMPARE(int(lanes.start()), int(EncoderLanes::Start::Started));
        QTRY_VERIFY(end.has_value());

        QCOMPARE(int(*end), int(LanesEnd::Encoded));
        QCOMPARE(int(spoken.size()), reports);
        QCOMPARE(spoken.last(), qMakePair(characters, 3));
        QStringList firsts;
        for (const QString& line : engine.logOf(QStringLiteral(" speak ")))
            if (line.trimmed().endsWith(u'0'))
                firsts << line.trimmed().right(2).left(1);
        QCOMPARE(firsts.join(u' '), order);
        QVERIFY2(test::readFile(encoder + QStringLiteral(".log")).contains("ss"), "1 encoder");
    }
};

QTEST_GUILESS_MAIN(TestEncoderLanes)
#include "test_encoder_lanes.moc"
