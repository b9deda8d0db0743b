#pragma once

#include <QList>
#include <QString>

#include <utility>

namespace lectorix {

// One utterance: what the voice is given, and where it comes from in the source text.
struct SpokenPiece
{
    // A stretch of the spoken text that stands unchanged in the source from sourceStart on;
    // or, with replacedLength set, that is said in place of the replacedLength characters
    // from sourceStart (a pronunciation), every position in it standing for all of them.
    struct Stretch
    {
        qsizetype spokenStart = 0;
        qsizetype sourceStart = 0;
        qsizetype replacedLength = -1;
    };

    QString text;
    qsizetype sourceOffset = 0;
    // From the first character of the first line to the last of the last line in the source.
    qsizetype sourceLength = 0;
    QList<Stretch> stretches;
    // A heading is spoken on its own, with the longest pauses around it; an utterance that is
    // not a paragraph's last sentence is followed by the shortest pause.
    bool heading = false;
    bool endsParagraph = true;
    // The language of the paragraph the piece belongs to (ParagraphLanguages), a primary
    // language such as "fr"; empty when it is not known.
    QString language{};

    // The source position of a character of text.
    qsizetype sourcePosition(qsizetype spokenPosition) const;
    // The source range, as start and length, of length characters of text from
    // spokenPosition: a spoken form said in place of a written word covers the whole word.
    std::pair<qsizetype, qsizetype> sourceRange(qsizetype spokenPosition, qsizetype length) const;
};

// The text as it stands, for a verbatim reading: each non-blank line a piece of its own (CR LF,
// LF and a lone CR each end one), at its place in the text.
QList<SpokenPiece> verbatimPieces(const QString& text);

} // namespace lectorix
