// speakWithWindowVoice: the order of engine calls, the rendering voice's lifetime, the failure
// rules; then real WAV files from espeak-ng.
#include "core/base/error_report.h"
#include "core/speech/speech_engine.h"
#include "gui/main_window.h"
#include "gui/reading_controller.h"
#include "gui/wav_rendering.h"
#include "support/fake_engine.h"
#include "support/scripted_dialogs.h"
#include "support/test_env.h"

#include <QComboBox>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSlider>
#include <QtEndian>
#include <QtTest>

using namespace lectorix;

namespace {

QString report(int line, const QString& description)
{
    return applicationErrorText(sourceTag("Speak", "SaveToWAV"), line, description);
}

const QString NotLoaded = ClassNotRegistered + QStringLiteral("\r\r") + TryAnotherVoice;

// The parts of a RIFF WAVE file the program relies on.
struct WavInfo
{
    bool valid = false;
    int format = 0, channels = 0, sampleRate = 0, bits = 0;
    qint64 samples = 0;
    int peak = 0;
    QString problem;
};

WavInfo readWav(const QString& path)
{
    WavInfo info;
    const QByteArray bytes = test::readFile(path);
    const auto u32 = [&](qsizetype at) {
        return qFromLittleEndian<quint32>(bytes.constData() + at);
    };
    const auto u16 = [&](qsizetype at) {
        return qFromLittleEndian<quint16>(bytes.constData() + at);
    };
    if (bytes.size() < 12 || !bytes.startsWith("RIFF") || bytes.mid(8, 4) != "WAVE") {
        info.problem = QStringLiteral("not RIFF WAVE");
        return info;
    }
    if (u32(4) != quint32(bytes.size() - 8)) {
        info.problem = QStringLiteral("RIFF size %1, file %2").arg(u32(4)).arg(bytes.size());
        return info;
    }
    for (qsizetype at = 12; at + 8 <= bytes.size();) {
        const QByteArray id = bytes.mid(at, 4);
        const qint64 size = u32(at + 4);
        const qsizetype body = at + 8;
        if (body + size > bytes.size()) {
            info.problem =
                QStringLiteral("chunk %1 runs past the end").arg(QString::fromLatin1(id));
            return info;
        }
        if (id == "fmt " && size >= 16) {
            info.format = u16(body);
            info.channels = u16(body + 2);
            info.sampleRate = int(u32(body + 4));
            info.bits = u16(body + 14);
        } else if (id == "data") {
            info.samples = size / 2;
            for (qint64 i = 0; i < info.samples; ++i)
                info.peak =
                    qMax(info.peak,
                         qAbs(int(qFromLittleEndian<qint16>(bytes.constData() + body + 2 * i))));
            info.valid = info.format != 0;
            return info;
        }
        at = body + size + (size & 1);
    }
    info.problem = QStringLiteral("no data chunk");
    return info;
}

bool realEngineUsable(QString* why)
{
    try {
        speech::engine().createVoice();
        return true;
    } catch (const Failure& failure) {
        *why = failure.description();
        return false;
    }
}

} // namespace

class TestWavRendering : public QObject
{
    Q_OBJECT

private slots:
    void init() { test::freshScratch(); }

    void callSequence_data();
    void callSequence();
    void failures_data();
    void failures();
    void slidersReachRenderVoiceOnlyWhileItRenders();
    void realWavFile_data();
    void realWavFile();
    void realSlowerRateGivesLongerFile();
    void realUnwritablePathIsReported();
};

void TestWavRendering::callSequence_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<int>("selected");
    QTest::addColumn<QStringList>("log");

    QTest::newRow("into a file, second voice")
        << "/out/x.wav" << 1 << QStringList{"voice1 created",        "voice1 setVoice v2",
                                            "voice1 volume 40",      "voice1 rate -6",
                                            "stream1 created",       "stream1 open /out/x.wav",
                                            "voice1 output stream1", "voice1 speakFile /in/x.txt",
                                            "stream1 close",         "voice1 output default",
                                            "stream1 destroyed",     "voice1 destroyed"};
    QTest::newRow("aloud, no selection: default voice")
        << QString() << -1
        << QStringList{"voice1 created", "voice1 volume 40", "voice1 rate -6",
                       "voice1 speak /in/x.txt", "voice1 destroyed"};
}

void TestWavRendering::callSequence()
{
    QFETCH(QString, fileName);
    QFETCH(int, selected);
    QFETCH(QStringList, log);
    test::FakeEngine engine;
    test::ScriptedDialogs dialogs;
    MainWindow form;
    form.voiceCombo()->addItems({QStringLiteral("Voice 1"), QStringLiteral("Voice 2")});
    form.voiceCombo()->setCurrentIndex(selected);
    form.volumeSlider()->setValue(40);
    form.rateSlider()->setValue(-6);

    speakWithWindowVoice(form, QStringLiteral("/in/x.txt"), fileName);

    QCOMPARE(engine.log, log);
    QVERIFY(!form.reading().renderVoice());
    QCOMPARE(dialogs.shown().size(), 0);
}

void TestWavRendering::failures_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QString>("failing"); // createVoice, speak, open, createStream, voiceGone
    QTest::addColumn<QString>("description");
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<QStringList>("spoken"); // speak/speakFile log lines
    QTest::addColumn<bool>("renderVoiceAfter");
    QTest::addColumn<QStringList>("streamLog"); // stream lines and the voice's output lines

    const QString wav = QStringLiteral("/out/x.wav");
    const QString cnr = ClassNotRegistered;
    const QStringList speakFile{"voice1 speakFile text"};
    const QStringList speak{"voice1 speak text"};

    QTest::newRow("no voice object")
        << wav << "createVoice"
        << "espeak-ng data not found" << QStringList{report(100, "espeak-ng data not found")}
        << QStringList{} << false << QStringList{};
    QTest::newRow("voice index the engine no longer has: default voice")
        << QString() << "voiceGone" << QString()
        << QStringList{report(106, failures::InvalidArgument)} << speak << false << QStringList{};
    QTest::newRow("voice cannot be loaded, into a file")
        << wav << "speak" << cnr << QStringList{NotLoaded} << speakFile << true
        << QStringList{"stream1 created", "stream1 open /out/x.wav", "voice1 output stream1",
                       "voice1 output default", "stream1 destroyed"};
    QTest::newRow("voice cannot be loaded, aloud")
        << QString() << "speak" << cnr << QStringList{NotLoaded} << speak << true << QStringList{};
    QTest::newRow("other speaking failure: quiet")
        << wav << "speak"
        << "Connection refused" << QStringList{} << speakFile << true
        << QStringList{"stream1 created", "stream1 open /out/x.wav", "voice1 output stream1",
                       "voice1 output default", "stream1 destroyed"};
    // Speech meant for a file is never spoken aloud instead.
    QTest::newRow("file cannot be opened: reported, nothing spoken")
        << wav << "open"
        << "Permission denied" << QStringList{report(120, "Permission denied")} << QStringList{}
        << true
        << QStringList{"stream1 created", "stream1 open /out/x.wav", "voice1 output stream1",
                       "voice1 output default", "stream1 destroyed"};
    QTest::newRow("no file stream: reported, nothing spoken")
        << wav << "createStream"
        << "Out of memory" << QStringList{report(114, "Out of memory")} << QStringList{} << true
        << QStringList{};
}

void TestWavRendering::failures()
{
    QFETCH(QString, fileName);
    QFETCH(QString, failing);
    QFETCH(QString, description);
    QFETCH(QStringList, messages);
    QFETCH(QStringList, spoken);
    QFETCH(bool, renderVoiceAfter);
    QFETCH(QStringList, streamLog);
    test::FakeEngine engine;
    test::ScriptedDialogs dialogs;
    MainWindow form;
    form.voiceCombo()->addItems(
        {QStringLiteral("Voice 1"), QStringLiteral("Voice 2"), QStringLiteral("Voice 3")});
    form.voiceCombo()->setCurrentIndex(2);
    if (failing == QLatin1String("createVoice"))
        engine.failCreateVoice = description;
    else if (failing == QLatin1String("speak"))
        engine.failSpeak = description;
    else if (failing == QLatin1String("open"))
        engine.failOpen = description;
    else if (failing == QLatin1String("createStream"))
        engine.failCreateStream = description;
    else if (failing == QLatin1String("voiceGone"))
        engine.setVoices(2);

    speakWithWindowVoice(form, QStringLiteral("text"), fileName);

    QCOMPARE(dialogs.messageTexts(), messages);
    QCOMPARE(engine.logOf(QStringLiteral(" speak")), spoken);
    QCOMPARE(bool(form.reading().renderVoice()), renderVoiceAfter);
    QCOMPARE(engine.log.filter(QRegularExpression(QStringLiteral("stream|output"))), streamLog);
}

void TestWavRendering::slidersReachRenderVoiceOnlyWhileItRenders()
{
    test::FakeEngine engine;
    test::ScriptedDialogs dialogs;
    MainWindow form;
    engine.onSpeak = [&](const QString&) {
        QVERIFY(form.reading().renderVoice());
        form.volumeSlider()->setValue(20);
        form.rateSlider()->setValue(9);
    };

    speakWithWindowVoice(form, QStringLiteral("in.txt"), QStringLiteral("out.wav"));
    engine.onSpeak = nullptr;
    form.volumeSlider()->setValue(60);

    QCOMPARE(engine.logOf(QStringLiteral("volume")),
             (QStringList{"voice1 volume 0", "voice1 volume 20"}));
    QCOMPARE(engine.logOf(QStringLiteral("rate")), (QStringList{"voice1 rate 0", "voice1 rate 9"}));
    QCOMPARE(engine.voicesAlive(), 0);
}

void TestWavRendering::realWavFile_data()
{
    QTest::addColumn<QString>("content");
    QTest::addColumn<bool>("audible");

    QTest::newRow("sentence") << "The quick brown fox jumps over the lazy dog." << true;
    QTest::newRow("accented, several lines") << "Café au lait.\nSecond line, déjà vu.\n" << true;
    QTest::newRow("symbols only") << "%%% ### !!! ???" << false;
    QTest::newRow("empty file") << "" << false;
}

void TestWavRendering::realWavFile()
{
    QFETCH(QString, content);
    QFETCH(bool, audible);
    QString why;
    if (!realEngineUsable(&why))
        QSKIP(qPrintable(QStringLiteral("espeak-ng is not usable here: ") + why));
    const QString temp = test::freshScratch();
    test::ScriptedDialogs dialogs;
    MainWindow form;
    form.volumeSlider()->setValue(100);
    const QString text = test::writeFile(temp + QStringLiteral("/output001.txt"), content.toUtf8());
    // An earlier, longer file of the same name is replaced, not overwritten in part.
    const QString wav =
        test::writeFile(temp + QStringLiteral("/output001.wav"), QByteArray(4 << 20, 'x'));

    speakWithWindowVoice(form, text, wav);

    QCOMPARE(dialogs.messageTexts(), QStringList{});
    QVERIFY(!form.reading().renderVoice());
    const WavInfo info = readWav(wav);
    QVERIFY2(info.valid, qPrintable(info.problem));
    QCOMPARE(info.format, 1);
    QCOMPARE(info.channels, 1);
    QCOMPARE(info.sampleRate, 22050);
    QCOMPARE(info.bits, 16);
    QVERIFY(QFileInfo(wav).size() < (4 << 20));
    if (audible) {
        QVERIFY2(info.samples > 22050 / 2, qPrintable(QString::number(info.samples)));
        QVERIFY2(info.peak > 1000, qPrintable(QString::number(info.peak)));
    }
}

void TestWavRendering::realSlowerRateGivesLongerFile()
{
    QString why;
    if (!realEngineUsable(&why))
        QSKIP(qPrintable(QStringLiteral("espeak-ng is not usable here: ") + why));
    const QString temp = test::freshScratch();
    test::ScriptedDialogs dialogs;
    MainWindow form;
    const QString text = test::writeFile(temp + QStringLiteral("/output001.txt"),
                                         "Reading aloud at two very different speeds.");
    qint64 samples[2] = {};
    const int rates[2] = {-10, 10};
    for (int i = 0; i < 2; ++i) {
        form.rateSlider()->setValue(rates[i]);
        const QString wav = temp + QStringLiteral("/rate%1.wav").arg(rates[i]);
        speakWithWindowVoice(form, text, wav);
        const WavInfo info = readWav(wav);
        QVERIFY2(info.valid, qPrintable(info.problem));
        samples[i] = info.samples;
    }
    QCOMPARE(dialogs.messageTexts(), QStringList{});
    // Nominally nine times as long (3^2); allow for pauses the engine does not stretch.
    QVERIFY2(samples[0] > 3 * samples[1],
             qPrintable(QStringLiteral("%1 vs %2 samples").arg(samples[0]).arg(samples[1])));
}

void TestWavRendering::realUnwritablePathIsReported()
{
    QString why;
    if (!realEngineUsable(&why))
        QSKIP(qPrintable(QStringLiteral("espeak-ng is not usable here: ") + why));
    const QString temp = test::freshScratch();
    test::ScriptedDialogs dialogs;
    MainWindow form;
    const QString text = test::writeFile(temp + QStringLiteral("/output001.txt"), "Hello.");
    const QString wav = temp + QStringLiteral("/missing folder/output001.wav");

    speakWithWindowVoice(form, text, wav);

    const QStringList messages = dialogs.messageTexts();
    QVERIFY(!messages.isEmpty());
    QVERIFY2(
        messages.first().contains(QLatin1String("Lectorix2021/08/31.Speak.SaveToWAV at line 120")),
        qPrintable(messages.first()));
    QVERIFY(!QFileInfo::exists(wav));
}

QTEST_MAIN(TestWavRendering)
#include "test_wav_rendering.moc"
