// Writes the bash completion of lectorix-convert: the template with the converter's options
// and the completion of their values filled in from its table of options.
//
//     make_completion TEMPLATE OUTPUT

#include "cli/bash_completion.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cstdio>

int main(int argc, char* argv[])
{
    if (argc != 3) {
        std::fputs("usage: make_completion TEMPLATE OUTPUT\n", stderr);
        return 2;
    }
    QFile templateFile(QFile::decodeName(argv[1]));
    if (!templateFile.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "make_completion: cannot read %s\n", argv[1]);
        return 1;
    }
    const QString script =
        lectorix::cli::bashCompletionScript(QString::fromUtf8(templateFile.readAll()));
    const QString outputPath = QFile::decodeName(argv[2]);
    QDir().mkpath(QFileInfo(outputPath).absolutePath());
    QSaveFile output(outputPath);
    if (!output.open(QIODevice::WriteOnly) || output.write(script.toUtf8()) < 0 ||
        !output.commit()) {
        std::fprintf(stderr, "make_completion: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
