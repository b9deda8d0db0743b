// The settings reader: a damaged Quendrel.conf never stops a reading of any key or any
// conversion of what it holds, and a value written into it reads back as written.

#include "harness.h"

#include "core/base/failure.h"
#include "core/settings/settings.h"
#include "core/settings/settings_keys.h"

#include <QFile>

#include <cstdlib>

using namespace lectorix;
using lectorix::fuzz::require;

namespace {

const QStringList& allKeys()
{
    static const QStringList list{keys::PdfPath,       keys::OutputFolder,   keys::SaveToFolder,
                                  keys::SaveBesidePdf, keys::PasswordPrompt, keys::Voice,
                                  keys::Volume,        keys::Rate,           keys::LastFolder,
                                  keys::LastFolderDot};
    return list;
}

// The conversions the window applies to what it reads; a Failure is their answer to
// nonsense, anything else escaping is a fault.
void convertEveryWay(const QString& value)
{
    (void)convert::leadingNumber(value);
    try {
        (void)convert::strictWholeNumber(value);
    } catch (const Failure&) {
    }
    try {
        (void)convert::truthValue(value);
    } catch (const Failure&) {
    }
    try {
        (void)convert::roundHalfEven(convert::leadingNumber(value));
    } catch (const Failure&) {
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bool configured = [] {
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(fuzz::scratchFolder()));
        return true;
    }();
    (void)configured;

    fuzz::InputReader input(data, size);
    const QString key = allKeys().at(input.number(0, int(allKeys().size()) - 1));
    const QByteArray bytes = input.rest();
    // The file's first line (a text without line breaks) is the value written afterwards.
    const QString value = QString::fromUtf8(bytes.left(bytes.indexOf('\n')));

    QFile file(settingsFilePath());
    require(file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
                file.write(bytes) == bytes.size(),
            "the settings file can be written");
    file.close();

    for (const QString& each : allKeys()) {
        const QString read = readSetting(each, QStringLiteral("default"));
        convertEveryWay(read);
    }

    try {
        writeSetting(key, value);
    } catch (const Failure& failure) {
        fuzz::fail("a value can be written into a damaged settings file", failure.description());
    }
    require(readSetting(key, QStringLiteral("never written")) == value,
            "a value reads back as written", value);
    return 0;
}
