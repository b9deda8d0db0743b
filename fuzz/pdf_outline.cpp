// The outline reader: whatever the input, entries come from items inside an outline, at a
// level below the outlines opened, with a page of 0 or more and a clean title.

#include "harness.h"

#include "core/pdf/document_outline.h"

using namespace lectorix;
using lectorix::fuzz::require;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    const QList<OutlineEntry> entries = readPdfOutline(bytes);
    require(entries.size() <= bytes.count("</item"), "each entry has its end");
    const qsizetype outlines = bytes.count("<outline");
    for (const OutlineEntry& entry : entries) {
        require(entry.level >= 0 && entry.level < outlines, "levels lie below the outlines opened");
        require(entry.page >= 0, "pages are counted from 1, or 0 for none");
        require(entry.title == entry.title.trimmed(), "a title has no spaces at its ends",
                entry.title);
        for (const QChar c : entry.title)
            require(c.unicode() >= 0x20, "a title holds no line breaks", entry.title);
    }
    return 0;
}
