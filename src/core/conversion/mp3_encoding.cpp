#include "core/conversion/mp3_encoding.h"

#include "core/base/error_report.h"
#include "core/files/file_utils.h"
#include "core/pdf/pdf_converter.h"
#include "core/process/process_runner.h"
#include "core/files/temp_folder.h"

#include <QFile>

namespace lectorix {

QString encoderCommandLine(const QString& encoderPath, const QString& wavPath,
                           const QString& mp3Path)
{
    return quoted(encoderPath) + QStringLiteral(" -h ") + quoted(wavPath) + QLatin1Char(' ') +
           quoted(mp3Path);
}

QByteArrayList pipedEncoderArguments(const QString& encoderPath, const QString& mp3Path,
                                     bool partOfWhole)
{
    QByteArrayList argv{QFile::encodeName(encoderPath)};
    if (partOfWhole)
        argv << QByteArrayLiteral("-t");
    for (const char* option : {"-h", "-r", "-s", "22.05", "--bitwidth", "16", "--signed",
                               "--little-endian", "-m", "m", "-"})
        argv << QByteArray(option);
    argv << QFile::encodeName(fileOperand(mp3Path));
    return argv;
}

bool encodeWavToMp3(const QString& wavPath, const QString& mp3Path)
{
    Guard g("Speak", "WAVToMP3");
    QString encoder;
    QString commandLine;
    int exitCode = -1;
    g(100, [&] { encoder = tempPath(QStringLiteral("lame")); });
    g(104, [&] { commandLine = encoderCommandLine(encoder, wavPath, mp3Path); });
    g(106, [&] {
        checkOwnProgram(encoder);
        exitCode = runAndWait(commandLine, 0);
    });
    return exitCode == 0 && fileExists(mp3Path);
}

} // namespace lectorix
