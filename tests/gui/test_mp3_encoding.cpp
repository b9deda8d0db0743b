// encodeWavToMp3: the encoder's command line, and real encodes with the lame launcher.
#include "core/conversion/mp3_encoding.h"
#include "core/process/process_runner.h"
#include "core/base/program_folder.h"
#include "support/audio_files.h"
#include "support/scripted_dialogs.h"
#include "support/test_env.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QtEndian>
#include <QtTest>

#include <cmath>

using namespace lectorix;

namespace {

// A second of a 440 Hz tone, 22,050 Hz 16-bit mono, as the renderer writes them.
QByteArray toneWav(int samples = 22050)
{
    QByteArray data(samples * 2, Qt::Uninitialized);
    for (int i = 0; i < samples; ++i)
        qToLittleEndian<qint16>(qint16(8000 * std::sin(2 * M_PI * 440 * i / 22050.0)),
                                data.data() + 2 * i);
    QByteArray header("RIFF....WAVEfmt ");
    header.resize(44);
    char* h = header.data();
    qToLittleEndian<quint32>(quint32(36 + data.size()), h + 4);
    qToLittleEndian<quint32>(16, h + 16);
    qToLittleEndian<quint16>(1, h + 20);
    qToLittleEndian<quint16>(1, h + 22);
    qToLittleEndian<quint32>(22050, h + 24);
    qToLittleEndian<quint32>(44100, h + 28);
    qToLittleEndian<quint16>(2, h + 32);
    qToLittleEndian<quint16>(16, h + 34);
    memcpy(h + 36, "data", 4);
    qToLittleEndian<quint32>(quint32(data.size()), h + 40);
    return header + data;
}

void writeEncoder(const QString& temp)
{
    test::writeFile(temp + QStringLiteral("/lame"), customResource(103));
    QFile::setPermissions(temp + QStringLiteral("/lame"),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

} // namespace

class TestMp3Encoding : public QObject
{
    Q_OBJECT

private slots:
    void commandLine_data();
    void commandLine();
    void encodesWithTheLauncher_data();
    void encodesWithTheLauncher();
    void missingEncoderWritesNothing();
    void refusedEncoderRunsNothing();
};

void TestMp3Encoding::commandLine_data()
{
    QTest::addColumn<QString>("wav");
    QTest::addColumn<QString>("mp3");
    QTest::addColumn<QString>("line");
    QTest::newRow("plain") << QStringLiteral("/T/output001.wav")
                           << QStringLiteral("/T/output001.mp3")
                           << QStringLiteral(
                                  "\"/T/lame\" -h \"/T/output001.wav\" \"/T/output001.mp3\"");
    QTest::newRow("blanks") << QStringLiteral("/T/a b.wav") << QStringLiteral("/My Music/x y.mp3")
                            << QStringLiteral(
                                   "\"/T/lame\" -h \"/T/a b.wav\" \"/My Music/x y.mp3\"");
    QTest::newRow("double quote") << QStringLiteral("/T/a\"b.wav") << QStringLiteral("/o/\".mp3")
                                  << QStringLiteral(
                                         "\"/T/lame\" -h \"/T/a\"\"b.wav\" \"/o/\"\".mp3\"");
}

void TestMp3Encoding::commandLine()
{
    QFETCH(QString, wav);
    QFETCH(QString, mp3);
    QFETCH(QString, line);
    QCOMPARE(encoderCommandLine(QStringLiteral("/T/lame"), wav, mp3), line);
    QCOMPARE(splitCommandLine(line),
             QStringList({QStringLiteral("/T/lame"), QStringLiteral("-h"), wav, mp3}));
}

void TestMp3Encoding::encodesWithTheLauncher_data()
{
    QTest::addColumn<QString>("folder");
    QTest::newRow("plain") << QStringLiteral("out");
    QTest::newRow("hostile") << QStringLiteral("it's \"$(touch pwned)\" `touch pwned`; ü");
}

void TestMp3Encoding::encodesWithTheLauncher()
{
    QFETCH(QString, folder);
    if (QStandardPaths::findExecutable(QStringLiteral("lame")).isEmpty() ||
        QStandardPaths::findExecutable(QStringLiteral("mpg123")).isEmpty())
        QSKIP("lame and mpg123 are needed");
    const QString temp = test::freshScratch();
    test::ScriptedDialogs dialogs;
    writeEncoder(temp);
    const QString dir = temp + QLatin1Char('/') + folder;
    const QString wav = test::writeFile(dir + QStringLiteral("/in put.wav"), toneWav());
    const QString mp3 = dir + QStringLiteral("/out put.mp3");

    QVERIFY(encodeWavToMp3(wav, mp3));

    const qint64 samples = test::mp3Samples(mp3);
    QVERIFY2(samples >= 22050 && samples < 22050 + 2 * 1152, qPrintable(QString::number(samples)));
    QVERIFY(!QFile::exists(QDir::currentPath() + QStringLiteral("/pwned")));
    QVERIFY(!QFile::exists(dir + QStringLiteral("/pwned")));
    QCOMPARE(dialogs.messageTexts(), QStringList());
}

void TestMp3Encoding::missingEncoderWritesNothing()
{
    const QString temp = test::freshScratch();
    test::ScriptedDialogs dialogs;
    const QString wav = test::writeFile(temp + QStringLiteral("/output001.wav"), toneWav(100));
    const QString mp3 = temp + QStringLiteral("/output001.mp3");
    QVERIFY(!encodeWavToMp3(wav, mp3));
    QVERIFY(!QFile::exists(mp3));
    QCOMPARE(dialogs.messageTexts(), QStringList());
}

// An encoder in {TEMP} that others can change is never run.
void TestMp3Encoding::refusedEncoderRunsNothing()
{
    const QString temp = test::freshScratch();
    test::ScriptedDialogs dialogs;
    const QString marker = temp + QStringLiteral("/ran");
    const QString lame = test::writeFile(temp + QStringLiteral("/lame"),
                                         "#!/bin/sh\ntouch '" + marker.toUtf8() + "'\n");
    QVERIFY(QFile::setPermissions(lame, QFileDevice::Permissions(0x7707)));
    const QString wav = test::writeFile(temp + QStringLiteral("/output001.wav"), toneWav(100));
    const QString mp3 = temp + QStringLiteral("/output001.mp3");
    QVERIFY(!encodeWavToMp3(wav, mp3));
    QVERIFY(!QFile::exists(mp3));
    QVERIFY(!QFile::exists(marker));
    const QStringList shown = dialogs.messageTexts();
    QCOMPARE(shown.size(), 1);
    QVERIFY2(shown.first().startsWith(QStringLiteral("The program ") + lame +
                                      QStringLiteral(" is refused because it can be changed by "
                                                     "other users.")),
             qPrintable(shown.first()));
    QVERIFY(shown.first().contains(QStringLiteral("Speak.WAVToMP3 at line 106")));
}

QTEST_MAIN(TestMp3Encoding)
#include "test_mp3_encoding.moc"
