// The voice list: filling it from the engine, the stored selection, "Refresh List" and
// "Add Voices", first with a scripted engine, then with the real espeak-ng voices.
#include "core/base/failure.h"
#include "core/settings/settings.h"
#include "core/speech/speech_engine.h"
#include "gui/main_window.h"
#include "gui/voice_list.h"
#include "support/fake_engine.h"
#include "support/scripted_dialogs.h"
#include "support/test_env.h"

#include <QComboBox>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QtTest>

using namespace lectorix;

namespace {

const QString Absent = QStringLiteral("<absent>");

QString storedCombo1()
{
    return readSetting(QStringLiteral("Combo1"), Absent);
}

QStringList entries(const QComboBox* combo)
{
    QStringList list;
    for (int i = 0; i < combo->count(); ++i)
        list << combo->itemText(i);
    return list;
}

const QString RefreshedMessage = QStringLiteral(
    "Done.\r\rList has been refreshed with the latest voices found within the 'Text to Speech' "
    "voices installed on this system.");

} // namespace

class TestVoiceList : public QObject
{
    Q_OBJECT

private slots:
    void init() { test::freshScratch(); }

    void storedIndex_data();
    void storedIndex();
    void entriesFollowEngineOrderAndReplaceOldOnes();
    void engineFailure_data();
    void engineFailure();
    void refreshList_data();
    void refreshList();
    void addVoices_data();
    void addVoices();
    void startUpGoesOnWithUnusableStoredIndex_data();
    void startUpGoesOnWithUnusableStoredIndex();
    void startUpEndsWithoutEngine();
    void realEngineListsEveryVoiceInStableOrder();
};

void TestVoiceList::storedIndex_data()
{
    QTest::addColumn<int>("voices");
    QTest::addColumn<QString>("stored"); // Absent: never written
    QTest::addColumn<int>("selected");
    QTest::addColumn<QString>("storedAfter");

    QTest::newRow("none stored: first voice, 0 stored") << 3 << Absent << 0 << "0";
    QTest::newRow("last voice") << 3 << "2" << 2 << "2";
    QTest::newRow("-1: no selection") << 3 << "-1" << -1 << "-1";
    QTest::newRow("past the end") << 3 << "5" << -1 << "5";
    QTest::newRow("exactly the count") << 3 << "3" << -1 << "3";
    QTest::newRow("half rounds to even, down") << 3 << "0.5" << 0 << "0";
    QTest::newRow("half rounds to even, up") << 3 << "1.5" << 2 << "2";
    QTest::newRow("rounds onto the count") << 3 << "2.7" << -1 << "2.7";
    QTest::newRow("leading number") << 3 << "1 voice" << 1 << "1";
    QTest::newRow("no number counts as 0") << 3 << "Voice" << 0 << "0";
    QTest::newRow("rounds to -1") << 3 << "-1.4" << -1 << "-1.4";
    QTest::newRow("below -1") << 3 << "-2" << -1 << "-2";
    QTest::newRow("rounds below -1") << 3 << "-1.5" << -1 << "-1.5";
    QTest::newRow("far below -1") << 3 << "-40000" << -1 << "-40000";
    QTest::newRow("minus infinity") << 3 << "-1e999" << -1 << "-1e999";
    QTest::newRow("no voices installed") << 0 << Absent << -1 << Absent;
}

void TestVoiceList::storedIndex()
{
    QFETCH(int, voices);
    QFETCH(QString, stored);
    QFETCH(int, selected);
    QFETCH(QString, storedAfter);
    test::FakeEngine engine;
    engine.setVoices(voices);
    test::ScriptedDialogs dialogs;
    MainWindow form;
    {
        // A list filled before, with a selection: what "Refresh List" starts from.
        const QSignalBlocker quiet(form.voiceCombo());
        form.voiceCombo()->addItems({QStringLiteral("Old 1"), QStringLiteral("Old 2")});
        form.voiceCombo()->setCurrentIndex(1);
    }
    if (stored != Absent)
        writeSetting(QStringLiteral("Combo1"), stored);
    QSignalSpy changes(form.voiceCombo(), &QComboBox::currentIndexChanged);

    QVERIFY(fillVoiceList(form.voiceCombo()));

    QCOMPARE(form.voiceCombo()->count(), voices);
    QCOMPARE(form.voiceCombo()->currentIndex(), selected);
    QCOMPARE(storedCombo1(), storedAfter);
    // The list's click handler runs once for an applied selection, never on the way there.
    QCOMPARE(changes.count(), selected == -1 ? 0 : 1);
    QCOMPARE(dialogs.shown().size(), 0);
    QCOMPARE(engine.voicesAlive(), 0);
}

void TestVoiceList::entriesFollowEngineOrderAndReplaceOldOnes()
{
    test::FakeEngine engine;
    test::ScriptedDialogs dialogs;
    MainWindow form;
    form.voiceCombo()->addItems({QStringLiteral("Stale 1"), QStringLiteral("Stale 2")});
    form.voiceCombo()->setCurrentIndex(1);
    const QStringList unsorted = {QStringLiteral("Zeta"), QStringLiteral("alpha"),
                                  QStringLiteral("Mu"), QStringLiteral("Mu")};
    engine.setVoices(unsorted);
    writeSetting(QStringLiteral("Combo1"), QStringLiteral("3"));

    QVERIFY(fillVoiceList(form.voiceCombo()));

    QCOMPARE(entries(form.voiceCombo()), unsorted);
    QCOMPARE(form.voiceCombo()->currentIndex(), 3);
    QCOMPARE(storedCombo1(), QStringLiteral("3"));
}

void TestVoiceList::engineFailure_data()
{
    QTest::addColumn<bool>("creationFails");
    QTest::addColumn<QStringList>("entriesAfter");

    // A voice object that cannot be made leaves the list as it was; a failed enumeration
    // leaves it as far as it was rebuilt.
    QTest::newRow("no voice object") << true << QStringList{QStringLiteral("Old voice")};
    QTest::newRow("enumeration fails") << false << QStringList{};
}

void TestVoiceList::engineFailure()
{
    QFETCH(bool, creationFails);
    QFETCH(QStringList, entriesAfter);
    test::FakeEngine engine;
    (creationFails ? engine.failCreateVoice : engine.failGetVoices) =
        QStringLiteral("espeak-ng data not found");
    test::ScriptedDialogs dialogs;
    MainWindow form;
    form.voiceCombo()->addItem(QStringLiteral("Old voice"));
    writeSetting(QStringLiteral("Combo1"), QStringLiteral("0"));

    QVERIFY(!fillVoiceList(form.voiceCombo()));

    QCOMPARE(dialogs.messageTexts(), QStringList{NoVoicesMessage});
    QCOMPARE(dialogs.messages().at(0).buttons, Dialogs::Buttons::Ok);
    QCOMPARE(entries(form.voiceCombo()), entriesAfter);
    QCOMPARE(engine.voicesAlive(), 0);
}

void TestVoiceList::refreshList_data()
{
    QTest::addColumn<int>("voices");
    QTest::addColumn<QString>("failure");
    QTest::addColumn<QStringList>("messages");

    QTest::newRow("voices") << 2 << QString() << QStringList{RefreshedMessage};
    QTest::newRow("no voices installed") << 0 << QString() << QStringList{RefreshedMessage};
    QTest::newRow("engine broken") << 2 << QStringLiteral("broken") << QStringList{NoVoicesMessage};
}

void TestVoiceList::refreshList()
{
    QFETCH(int, voices);
    QFETCH(QString, failure);
    QFETCH(QStringList, messages);
    test::FakeEngine engine;
    engine.setVoices(voices);
    engine.failGetVoices = failure;
    test::ScriptedDialogs dialogs;
    MainWindow form;

    form.refreshVoicesButton()->click();

    QCOMPARE(dialogs.messageTexts(), messages);
    QCOMPARE(form.voiceCombo()->count(), failure.isEmpty() ? voices : 0);
}

void TestVoiceList::addVoices_data()
{
    QTest::addColumn<Dialogs::Answer>("answer");
    QTest::newRow("No opens nothing") << Dialogs::Answer::No;
    QTest::newRow("Yes opens a web search") << Dialogs::Answer::Yes;
}

void TestVoiceList::addVoices()
{
    QFETCH(Dialogs::Answer, answer);
    test::FakeEngine engine;
    test::ScriptedDialogs dialogs;
    MainWindow form;
    form.voiceCombo()->addItem(QStringLiteral("Kept"));
    dialogs.setNextAnswer(answer);

    form.addVoicesButton()->click();

    const QString expected = QStringLiteral(
        "This software uses eSpeak NG Text to Speech (TTS) as its backbone. If you would like to "
        "add voices, you need to:\r\n\r\n"
        "1. Download them from the web.\r\n"
        "2. Install them with your system's package manager.\r\n"
        "3. Click the 'Refresh List' button in this software.\r\n\r\n"
        "Would you like to see the voices available for download on the web?");
    QCOMPARE(dialogs.messageTexts(), QStringList{expected});
    QCOMPARE(dialogs.messages().at(0).buttons, Dialogs::Buttons::YesNo);
    QStringList urls;
    for (const auto& shown : dialogs.shown())
        if (shown.kind == test::ScriptedDialogs::Shown::Url)
            urls << shown.text;
    if (answer == Dialogs::Answer::Yes) {
        QCOMPARE(urls.size(), 1);
        const QUrl url(urls.first());
        QCOMPARE(url.scheme(), QStringLiteral("https"));
        QVERIFY2(url.query().contains(QLatin1String("eSpeak+NG"), Qt::CaseInsensitive),
                 qPrintable(urls.first()));
    } else {
        QVERIFY(urls.isEmpty());
    }
    QCOMPARE(entries(form.voiceCombo()), QStringList{QStringLiteral("Kept")});
    QCOMPARE(engine.log, QStringList{});
}

void TestVoiceList::startUpGoesOnWithUnusableStoredIndex_data()
{
    QTest::addColumn<QString>("stored");
    QTest::newRow("below -1") << "-2";
    QTest::newRow("past the end") << "7";
}

void TestVoiceList::startUpGoesOnWithUnusableStoredIndex()
{
    QFETCH(QString, stored);
    test::FakeEngine engine;
    test::ScriptedDialogs dialogs;
    writeSetting(QStringLiteral("Combo1"), stored);
    MainWindow form;

    QVERIFY(form.startUp());

    QCOMPARE(form.voiceCombo()->count(), 3);
    QCOMPARE(form.voiceCombo()->currentIndex(), -1);
    QCOMPARE(dialogs.messageTexts(), QStringList{});
    QCOMPARE(storedCombo1(), stored);
    // Start-up went on past the voice list.
    QCOMPARE(readSetting(QStringLiteral("Volume Level"), Absent), QStringLiteral("50"));
}

void TestVoiceList::startUpEndsWithoutEngine()
{
    test::FakeEngine engine;
    engine.failCreateVoice = QStringLiteral("espeak-ng data not found");
    test::ScriptedDialogs dialogs;
    MainWindow form;

    QVERIFY(!form.startUp());

    QCOMPARE(dialogs.messageTexts(), QStringList{NoVoicesMessage});
    QCOMPARE(readSetting(QStringLiteral("Volume Level"), Absent), Absent);
}

void TestVoiceList::realEngineListsEveryVoiceInStableOrder()
{
    test::ScriptedDialogs dialogs;
    QStringList enumerated[2];
    for (QStringList& list : enumerated) {
        std::unique_ptr<speech::Voice> voice;
        try {
            voice = speech::engine().createVoice();
            for (const speech::VoiceToken& token : voice->installedVoices())
                list << token.description;
        } catch (const Failure& failure) {
            QSKIP(qPrintable(QStringLiteral("espeak-ng is not usable here: ") +
                             failure.description()));
        }
    }
    QCOMPARE(enumerated[1], enumerated[0]);
    MainWindow form;

    QVERIFY(fillVoiceList(form.voiceCombo()));

    QCOMPARE(entries(form.voiceCombo()), enumerated[0]);
    QCOMPARE(form.voiceCombo()->currentIndex(), 0);
    QCOMPARE(QSet<QString>(enumerated[0].begin(), enumerated[0].end()).size(),
             enumerated[0].size());

    const QString cli = QStandardPaths::findExecutable(QStringLiteral("espeak-ng"));
    if (cli.isEmpty())
        QSKIP("espeak-ng's command line is not installed; the count was not compared");
    QProcess list;
    list.start(cli, {QStringLiteral("--voices")});
    QVERIFY(list.waitForFinished(30000));
    const QStringList lines = QString::fromUtf8(list.readAllStandardOutput())
                                  .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QVERIFY(lines.size() > 1); // a heading, then one line per voice
    QCOMPARE(form.voiceCombo()->count(), lines.size() - 1);
}

QTEST_MAIN(TestVoiceList)
#include "test_voice_list.moc"
