#include "core/conversion/mp3_encoding.h"

#include "core/pdf/pdf_converter.h"

#include <QFile>

namespace lectorix {

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

} // namespace lectorix
