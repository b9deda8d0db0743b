// The pronunciation list: any file reads into entries and damaged lines named by numbers in
// order, written out and read again gives the same entries, and applying them to any text
// keeps every spoken character inside the written text it came from.

#include "harness.h"

#include "core/text/pronunciations.h"

using namespace lectorix;
using lectorix::fuzz::require;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::InputReader input(data, size);
    // The list, then after a form feed the text it is applied to.
    const QString whole = QString::fromUtf8(input.rest());
    const qsizetype split = whole.indexOf(QLatin1Char('\f'));
    const QString file = split < 0 ? whole : whole.left(split);
    const QString text =
        split < 0 ? QStringLiteral("Fig. 3 of Quendrel's NASA") : whole.mid(split + 1);

    const ParsedPronunciations parsed = parsePronunciations(file);
    const qsizetype lines = file.count(QLatin1Char('\n')) + 1;
    int last = 0;
    for (const PronunciationFileProblem& problem : parsed.problems) {
        require(problem.line > last && problem.line <= lines, "damaged lines are named in order",
                QString::number(problem.line));
        require(!problem.reason.isEmpty(), "a damaged line says why");
        last = problem.line;
    }
    require(parsePronunciations(formatPronunciations(parsed.entries)).entries == parsed.entries,
            "entries written out read back the same");

    const PronunciationList list(parsed.entries);
    constexpr qsizetype Offset = 7;
    const SpokenPiece piece{text, Offset, text.size(), {{0, Offset, -1}}};
    const SpokenPiece spoken = list.applied(piece, QStringLiteral("en"));
    require(spoken.text == list.applied(text, QStringLiteral("en")),
            "a piece and a text are spoken alike", spoken.text);
    for (qsizetype i = 0; i < spoken.text.size(); ++i) {
        const auto [start, length] = spoken.sourceRange(i, 1);
        require(start >= Offset && length >= 0 && start + length <= Offset + text.size(),
                "every spoken character comes from the written text", QString::number(i));
    }
    return 0;
}
