// The window on a machine without espeak-ng's voice data: start-up says what to install and
// gives up at once, as it does without voices. A process of its own: the engine loads its
// data once per process.
#include "core/process/missing_parts.h"
#include "gui/main_window.h"
#include "gui/voice_list.h"
#include "support/hostile_machine.h"
#include "support/scripted_dialogs.h"
#include "support/test_env.h"
#include "support/window_fixture.h"

#include <QDir>
#include <QtTest>

using namespace lectorix;

class TestWindowWithoutVoices : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { qputenv("ESPEAK_DATA_PATH", QFile::encodeName(test::emptyVoiceData())); }

    void startUpNamesThePackage()
    {
        test::WindowFixture fixture;
        fixture.dialogs.clear();
        QVERIFY(!fixture.form.startUp());
        QCOMPARE(fixture.dialogs.messageTexts(),
                 QStringList{NoVoicesMessage + QStringLiteral("\r\r") + VoiceDataMissingMessage});
    }
};

QTEST_MAIN(TestWindowWithoutVoices)
#include "test_window_without_voices.moc"
