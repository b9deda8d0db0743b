// Chapters from a hostile outline: whatever its titles and pages, each entry gives one
// chapter, starting at a word of its page or unknown, and each title gives a chapter file name
// that stays in its folder, is never hidden and keeps its number and extension.

#include "harness.h"

#include "core/conversion/audio_outputs.h"
#include "core/pdf/document_outline.h"
#include "core/text/chapters.h"

using namespace lectorix;
using lectorix::fuzz::require;

namespace {

// Pages 1 to 3, each a line holding the outline's titles as words, all of it read.
QList<LayoutPage> pagesOf(const QList<OutlineEntry>& entries, QList<SpokenPiece>& pieces)
{
    QList<LayoutPage> pages;
    for (int number = 1; number <= 3; ++number) {
        LayoutLine line;
        for (const OutlineEntry& entry : entries)
            for (const QString& word : entry.title.split(u' ', Qt::SkipEmptyParts))
                line.words.append({word, {}, 0});
        pages.append({number, 100, 100, {{{}, 1, {line}}}});
    }
    const QString text = layoutText(pages);
    pieces.append({text, 0, text.size(), {}, false, true});
    return pages;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    QList<OutlineEntry> entries = readPdfOutline(bytes);
    entries.resize(qMin<qsizetype>(64, entries.size()));
    QList<SpokenPiece> pieces;
    const QList<LayoutPage> pages = pagesOf(entries, pieces);
    const qsizetype length = pieces.front().text.size();
    // Pages without a word (every title blank) have nowhere to start a chapter.
    const bool pagesHaveWords = !pages.front().blocks.front().lines.front().words.isEmpty();
    const QList<Chapter> chapters = outlineChapters(entries, pages, pieces);
    require(chapters.size() == entries.size(), "one chapter for each entry");
    for (qsizetype i = 0; i < chapters.size(); ++i) {
        const Chapter& chapter = chapters.at(i);
        require(chapter.offset >= -1 && chapter.offset <= length, "a start within the text");
        require(chapter.offset >= 0 || !pagesHaveWords || entries.at(i).page < 1 ||
                    entries.at(i).page > 3,
                "a page that is read gives a start");
        const QString name = chapterFileName(int(i) + 1, int(chapters.size()), chapter.title,
                                             QStringLiteral(".mp3"));
        require(!name.contains(u'/') && !name.startsWith(u'.'), "a name within its folder", name);
        require(name.endsWith(QStringLiteral(".mp3")) && name.at(0).isDigit(), "a numbered MP3",
                name);
        require(name.size() <= 130, "a name of bounded length", name);
    }
    return 0;
}
