// Runs a harness over files and folders of inputs once each, without libFuzzer: the test
// suite replays every seed corpus this way in the ordinary and the sanitizer builds, so an
// input a fuzzer once found keeps being tried. A property that fails aborts the run.

#include "harness.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdio>

int main(int argc, char** argv)
{
    QStringList inputs;
    for (int i = 1; i < argc; ++i) {
        const QString path = QFile::decodeName(argv[i]);
        if (QFileInfo(path).isDir()) {
            const QDir folder(path);
            for (const QString& name : folder.entryList(QDir::Files, QDir::Name))
                inputs << folder.filePath(name);
        } else {
            inputs << path;
        }
    }
    if (inputs.isEmpty()) {
        std::fprintf(stderr, "seed_replay: no inputs given\n");
        return 2;
    }
    for (const QString& input : inputs) {
        QFile file(input);
        if (!file.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "seed_replay: %s can not be read\n", qPrintable(input));
            return 2;
        }
        const QByteArray bytes = file.readAll();
        std::fprintf(stderr, "seed_replay: %s\n", qPrintable(input));
        LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.constData()),
                               size_t(bytes.size()));
    }
    std::printf("seed_replay: %lld inputs held every property\n",
                static_cast<long long>(inputs.size()));
    return 0;
}
