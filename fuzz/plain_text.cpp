// Plain text read as pages without boxes: whatever the text, every piece the reading gives
// comes in order, lies inside the text, and every spoken character but the blank that joins two
// words is the character at the place the piece gives for it. Given in parts of whole pages, as
// a reading converts ranges, the text gives pieces that hold the same; so do its lines read
// verbatim.

#include "harness.h"

#include "core/text/layout/plain_text.h"
#include "core/text/layout/reading.h"
#include "core/text/spoken_text.h"

using namespace lectorix;
using lectorix::fuzz::require;

namespace {

void checkPieces(const QString& text, const QList<SpokenPiece>& pieces)
{
    qsizetype end = 0;
    for (const SpokenPiece& piece : pieces) {
        require(!piece.text.isEmpty(), "no piece is empty", text);
        require(piece.sourceOffset >= end, "pieces come in order, without overlapping", piece.text);
        require(piece.sourceLength > 0 && piece.sourceOffset + piece.sourceLength <= text.size(),
                "a piece lies inside the text", piece.text);
        end = piece.sourceOffset + piece.sourceLength;
        for (qsizetype i = 0; i < piece.text.size(); ++i) {
            const qsizetype at = piece.sourcePosition(i);
            require(at >= piece.sourceOffset && at < end, "a character comes from inside its piece",
                    piece.text);
            if (piece.text[i] == QLatin1Char(' ') && text[at] != QLatin1Char(' '))
                continue;
            require(text[at] == piece.text[i], "a spoken character is the one at its place",
                    piece.text);
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::InputReader input(data, size);
    const int partPages = 1 + input.byte() % 4;
    const QString text = QString::fromUtf8(input.rest());

    checkPieces(text, documentPieces(text, nullptr, {}));
    checkPieces(text, verbatimPieces(text));

    LayoutPreparation parts;
    QList<SpokenPiece> pieces;
    qsizetype at = 0;
    int page = 1;
    while (at < text.size()) {
        qsizetype end = at;
        for (int i = 0; i < partPages && end < text.size(); ++i) {
            end = text.indexOf(QLatin1Char('\f'), end);
            end = end < 0 ? text.size() : end + 1;
        }
        const QList<LayoutPage> pages = plainTextPages(text.mid(at, end - at), at, page);
        page += int(pages.size());
        parts.add(pages);
        pieces += parts.takePieces();
        at = end;
    }
    parts.finish();
    pieces += parts.takePieces();
    checkPieces(text, pieces);
    return 0;
}
