// Without espeak-ng's voice data the engine can not make a voice, and says why. A process of
// its own: the library loads its data once per process.
#include "core/base/failure.h"
#include "core/speech/speech_engine.h"
#include "support/hostile_machine.h"
#include "support/test_env.h"

#include <QDir>
#include <QtTest>

using namespace lectorix;

class TestEngineNoData : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        test::freshScratch();
        qputenv("ESPEAK_DATA_PATH", QFile::encodeName(test::emptyVoiceData()));
    }

    void createVoiceFails()
    {
        for (int attempt = 0; attempt < 2;
             ++attempt) { // a failed start is not remembered as a success
            try {
                speech::engine().createVoice();
                QFAIL("a voice was made without voice data");
            } catch (const Failure& f) {
                QVERIFY2(f.description().contains(QStringLiteral("voice data")),
                         qPrintable(f.description()));
            }
        }
    }
};

QTEST_GUILESS_MAIN(TestEngineNoData)
#include "test_engine_nodata.moc"
