#pragma once

#include <QHash>
#include <QList>
#include <QSet>
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

    // The source position of a character of text.
    qsizetype sourcePosition(qsizetype spokenPosition) const;
    // The source range, as start and length, of length characters of text from
    // spokenPosition: a spoken form said in place of a written word covers the whole word.
    std::pair<qsizetype, qsizetype> sourceRange(qsizetype spokenPosition, qsizetype length) const;
};

// Shapes the text of a document, as pdftotext writes it or as it stands in the text box, into
// what is spoken: one utterance per paragraph instead of one per printed line.
//  - The lines of a paragraph are joined. A paragraph ends at a blank line or a page break
//    (unless the sentence plainly runs on), or after a line that ends a sentence and is clearly
//    shorter than the page's usual line.
//  - A word hyphenated at a line end is joined again ("inter-" "esting" gives "interesting")
//    when the document writes the joined word elsewhere and never the hyphenated one; a
//    compound ("first-class") keeps its hyphen.
//  - Running headers and footers (a line that, digits aside, stands at the top or bottom of
//    three pages or more) and bare page numbers at a page's edges are dropped. Pages are the
//    form-feed separated parts of the text.
// Nothing else is dropped, reordered or changed.
//
// Text can come in parts, as consecutive ranges of pages are converted: each part continues
// the last, and a part need not end at a page break. Pieces come out once their end is known;
// a paragraph running across parts comes out once, whole.
class SpeechPreparation
{
public:
    // Adds the next part of the text; its positions continue those of the earlier parts.
    void add(const QString& text);
    // Marks the end of the text: everything still held is let out.
    void finish();
    // The pieces whose end is known, in order; each is handed out once.
    QList<SpokenPiece> takePieces();

private:
    struct Line
    {
        qsizetype offset = 0;
        QString text;
    };
    struct Page
    {
        QList<Line> lines;
        bool complete = false;
    };

    void closeLine(qsizetype nextOffset);
    void countEdges(const Page& page);
    void learnWords(const QString& text);
    bool isRunningLine(const QString& line) const;
    void preparePage(Page& page);
    void addLine(const Line& line, qsizetype usualLength);
    void endParagraph();
    bool keepsHyphen(const QString& before, const QString& after) const;

    QString m_pending; // an unfinished last line of the text so far
    qsizetype m_pendingOffset = 0;
    qsizetype m_end = 0; // source position just past what was added
    QList<Page> m_pages; // pages added but not yet prepared
    bool m_finished = false;
    QHash<QString, int> m_edgeCounts;
    QHash<QString, int> m_words; // lower-case word forms of the whole text seen so far

    // The paragraph being built.
    SpokenPiece m_paragraph;
    QString m_lastLine;
    qsizetype m_lastLineEnd = 0;
    bool m_breakBefore = false; // a blank line or page break since the last line
    bool m_pageBreakBefore = false;
    QList<SpokenPiece> m_ready;
};

// The whole text prepared at once.
QList<SpokenPiece> prepareForSpeech(const QString& text);

// The text as it was spoken before the preparation: each non-blank line on its own.
QList<SpokenPiece> linesForSpeech(const QString& text);

// The pieces' texts, one to a line, each line ended by a line break: the text as the export
// speaks it.
QString utteranceLines(const QList<SpokenPiece>& pieces);

// Splits text into words as the preparation counts them: runs of letters, digits and marks,
// with an apostrophe or hyphen inside a word kept ("it's", "first-class").
QStringList wordsOf(const QString& text);

} // namespace lectorix
