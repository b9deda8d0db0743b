// The text preparation for speech: whatever the text, every piece it gives comes in order,
// lies inside the text, and every spoken character but the blank that joins two lines is the
// character at the place the piece gives for it. Given in parts, the text gives pieces that
// hold the same.

#include "harness.h"

#include "core/text/text_preparation.h"

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
    const int partLength = 1 + input.byte() % 64;
    const QString text = QString::fromUtf8(input.rest());

    checkPieces(text, prepareForSpeech(text));
    checkPieces(text, linesForSpeech(text));

    SpeechPreparation parts;
    QList<SpokenPiece> pieces;
    for (qsizetype at = 0; at < text.size(); at += partLength) {
        parts.add(text.mid(at, partLength));
        pieces += parts.takePieces();
    }
    parts.finish();
    pieces += parts.takePieces();
    checkPieces(text, pieces);
    return 0;
}
