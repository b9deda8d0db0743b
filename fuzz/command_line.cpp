// The process runner's command lines: any pieces, each quoted, split back into exactly those
// pieces; any line splits into pieces that survive quoting again; and the converter's and the
// encoder's command lines give the arguments the programs are started with.

#include "harness.h"

#include "core/conversion/mp3_encoding.h"
#include "core/pdf/pdf_converter.h"
#include "core/process/process_runner.h"

#include <QFile>
#include <QStringList>

using namespace lectorix;
using lectorix::fuzz::require;

namespace {

QString joinedQuoted(const QStringList& pieces)
{
    QStringList parts;
    for (const QString& piece : pieces)
        parts << quoted(piece);
    return parts.join(QLatin1Char(' '));
}

QByteArrayList encoded(const QStringList& pieces)
{
    QByteArrayList argv;
    for (const QString& piece : pieces)
        argv << QFile::encodeName(piece);
    return argv;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::InputReader input(data, size);
    const int firstPage = input.number(0, 3);
    const int lastPage = input.number(0, 120);
    const QString text = QString::fromUtf8(input.rest());

    // Any text as a command line: its pieces, quoted again, split into the same pieces.
    const QStringList split = splitCommandLine(text);
    require(splitCommandLine(joinedQuoted(split)) == split, "split pieces survive quoting", text);

    // Any pieces (separated by U+001F in the input), quoted, come back exactly.
    const QStringList pieces = text.split(QChar(0x1F));
    require(splitCommandLine(joinedQuoted(pieces)) == pieces, "quoted pieces come back exactly",
            text);

    const QString program = pieces.value(0);
    const QString password = pieces.value(1);
    const QString pdf = pieces.value(2);
    const QString output = pieces.value(3);
    if (!program.isEmpty()) {
        require(encoded(splitCommandLine(
                    converterCommandLine(program, password, pdf, output, firstPage, lastPage))) ==
                    converterArguments(program, password, pdf, output, firstPage, lastPage, false),
                "the converter's command line splits into its arguments", text);
        require(splitCommandLine(encoderCommandLine(program, pdf, output)) ==
                    QStringList{program, QStringLiteral("-h"), pdf, output},
                "the encoder's command line splits into its arguments", text);
    }
    return 0;
}
