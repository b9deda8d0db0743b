// The language a PDF declares: whatever the bytes, the answer is empty or a language tag, and
// reading it stays within its bounds however the catalog and object streams are damaged.

#include "harness.h"

#include "core/pdf/document_info.h"

#include <QRegularExpression>

using namespace lectorix;
using lectorix::fuzz::require;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    const QString language = declaredLanguageOf(bytes);
    static const QRegularExpression Tag(QStringLiteral("^[A-Za-z]{1,8}(-[A-Za-z0-9]{1,8})*$"));
    require(language.isEmpty() || Tag.match(language).hasMatch(), "a language tag or none",
            language);
    return 0;
}
