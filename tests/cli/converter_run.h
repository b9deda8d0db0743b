#pragma once

// Running the built lectorix-convert and judging what it leaves on disk, for the end-to-end
// tests of tests/cli.

#include "support/test_env.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>

#include <optional>

namespace lectorix::test {

struct ConverterRun
{
    int exitCode = -1;
    bool crashed = false;
    QByteArray standardOutput;
    QByteArray standardError;
};

inline QString converterProgram()
{
    return qEnvironmentVariable("LECTORIX_CONVERT");
}

// Runs the converter in folder with input on its standard input (a pipe, never a terminal)
// and waits for it to end; environment adds to or replaces variables of this process's.
inline ConverterRun runConverter(const QStringList& arguments, const QString& folder,
                                 const QByteArray& input = QByteArray(),
                                 const QProcessEnvironment& environment = QProcessEnvironment())
{
    QProcess process;
    QProcessEnvironment merged = QProcessEnvironment::systemEnvironment();
    merged.insert(environment);
    process.setProcessEnvironment(merged);
    process.setWorkingDirectory(folder);
    process.start(converterProgram(), arguments);
    ConverterRun run;
    if (!process.waitForStarted()) {
        run.standardError = "could not start " + converterProgram().toLocal8Bit();
        return run;
    }
    process.write(input);
    process.closeWriteChannel();
    // Generous: a slow or sanitized build converts far more slowly than a release build.
    process.waitForFinished(15 * 60 * 1000);
    run.crashed = process.exitStatus() != QProcess::NormalExit;
    run.exitCode = process.exitCode();
    run.standardOutput = process.readAllStandardOutput();
    run.standardError = process.readAllStandardError();
    return run;
}

// Every entry of a folder, hidden ones included, sorted.
inline QStringList folderEntries(const QString& folder)
{
    return QDir(folder).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

inline QString mpg123Program()
{
    return QStandardPaths::findExecutable(QStringLiteral("mpg123"));
}

struct DecodedSound
{
    qint64 samples = 0; // 16-bit mono at the MP3's rate (22,050 Hz for the converter's)
    int peak = 0;       // the largest magnitude of any sample
};

// What mpg123 decodes an MP3 to, counted as it streams by (a book decodes to hundreds of
// megabytes); none when it does not decode.
inline std::optional<DecodedSound> decodeMp3(const QString& path)
{
    QProcess decoder;
    decoder.start(mpg123Program(), {QStringLiteral("-q"), QStringLiteral("-s"), path});
    DecodedSound sound;
    QByteArray pending;
    const auto consume = [&] {
        pending += decoder.readAllStandardOutput();
        const qsizetype whole = pending.size() & ~qsizetype(1);
        for (qsizetype i = 0; i < whole; i += 2) {
            const int sample = qint16(quint16(quint8(pending[i]) | quint8(pending[i + 1]) << 8));
            sound.peak = qMax(sound.peak, qAbs(sample));
        }
        sound.samples += whole / 2;
        pending.remove(0, whole);
    };
    while (decoder.waitForReadyRead(5 * 60 * 1000))
        consume();
    decoder.waitForFinished();
    consume();
    if (decoder.exitStatus() != QProcess::NormalExit || decoder.exitCode() != 0)
        return std::nullopt;
    return sound;
}

// Why the file is not a playable MP3, or an empty text when it is one: it starts with an ID3
// tag or an MPEG audio frame, and mpg123 decodes it to some sound.
inline QString mp3Fault(const QString& path)
{
    const QByteArray head = readFile(path).left(4);
    if (head.isEmpty())
        return QStringLiteral("%1 is missing or empty").arg(path);
    const bool id3 = head.startsWith("ID3");
    const bool frameSync =
        head.size() >= 2 && quint8(head[0]) == 0xFF && (quint8(head[1]) & 0xE0) == 0xE0;
    if (!id3 && !frameSync)
        return QStringLiteral("%1 starts with neither an ID3 tag nor an MPEG frame").arg(path);
    if (mpg123Program().isEmpty())
        return QString();
    const std::optional<DecodedSound> sound = decodeMp3(path);
    if (!sound)
        return QStringLiteral("mpg123 cannot decode %1").arg(path);
    if (sound->samples < 22050 / 10)
        return QStringLiteral("%1 decodes to less than a tenth of a second").arg(path);
    return QString();
}

inline QString copyCorpusFile(const QString& name, const QString& target)
{
    QDir().mkpath(QFileInfo(target).absolutePath());
    QFile::remove(target);
    return QFile::copy(corpusFile(name), target) ? target : QString();
}

// The MP3 after its ID3v2 tag, if it has one: the sound alone.
inline QByteArray withoutTag(const QByteArray& mp3)
{
    if (!mp3.startsWith("ID3") || mp3.size() < 10)
        return mp3;
    qsizetype size = 0;
    for (int i = 6; i < 10; ++i)
        size = (size << 7) | (mp3.at(i) & 0x7f);
    const bool footer = (mp3.at(5) & 0x10) != 0;
    return mp3.mid(10 + size + (footer ? 10 : 0));
}

} // namespace lectorix::test

#define REQUIRE_CONVERTER_AND_CORPUS()                                                             \
    do {                                                                                           \
        if (lectorix::test::converterProgram().isEmpty())                                          \
            QSKIP("LECTORIX_CONVERT does not name the built converter");                           \
        if (lectorix::test::corpusFolder().isEmpty())                                              \
            QSKIP("the PDF corpus is not on this machine");                                        \
    } while (false)
