#pragma once

// Paragraphs built from the lines a page gives to read, and cut into sentence-sized pieces.
// Used by the layout reading only.

#include "core/text/layout/roles.h"
#include "core/text/spoken_piece.h"

namespace lectorix {

struct Paragraph
{
    SpokenPiece piece; // the whole paragraph
    LineKind kind = LineKind::Text;
    QStringList citedNotes;
};

// Joins lines into paragraphs: lines of a block run on unless the layout starts a paragraph;
// across blocks and pages a paragraph runs on when its sentence plainly does, and always
// after a word cut at a line's end. A word hyphenated at a line's end is joined again unless
// the language writes it with its hyphen and not without ("well-known", not "popular-ity");
// without a dictionary of the language, unless the document writes it with the hyphen, or
// writes its halves and never the word whole. A soft hyphen always joins.
class ParagraphBuilder
{
public:
    // language is the voice's language tag, for the dictionary of the words.
    explicit ParagraphBuilder(const DocumentSurvey& survey, QString language = {})
        : m_survey(survey), m_language(std::move(language))
    {
    }

    void add(const ReadLine& line);
    void end();
    bool isOpen() const { return !m_open.piece.text.isEmpty(); }
    // Whether a paragraph of text is open in the middle of a sentence.
    bool interruptsSentence() const;
    // The paragraphs ended so far, in order; each is handed out once.
    QList<Paragraph> take() { return std::exchange(m_done, {}); }

private:
    bool runsOn(const ReadLine& line) const;
    void append(const SpokenWord& word, bool blank);
    bool joinsHyphenated(const SpokenWord& next) const;
    // Whether the line's first word goes on a web address the open text ends with.
    bool continuesAddress(const SpokenWord& next) const;

    bool endsCutWord() const;

    const DocumentSurvey& m_survey;
    QString m_language;
    Paragraph m_open;
    bool m_lastShort = false;
    bool m_glued = false; // the last word wants the next without a blank
    QList<Paragraph> m_done;
};

// A paragraph as utterances of a sentence each (sentences too long to follow are cut at a
// clause); a heading, a table row or a contents entry stays whole unless it is that long.
QList<SpokenPiece> sentencePieces(const Paragraph& paragraph, const QString& language);

} // namespace lectorix
