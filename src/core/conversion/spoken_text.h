#pragma once

#include "core/speech/utterance.h"
#include "core/text/layout_reading.h"
#include "core/text/text_preparation.h"

#include <QList>
#include <QString>

namespace lectorix {

// Keeps letters, digits and combining marks of every script, the space and . , ? ! ; as well
// as an apostrophe (' or \u2019) after a letter and a hyphen between letters. Every other
// character becomes one space, so the length in characters does not change. Letter case stays:
// "US" is not "us".
QString cleanLineForSpeech(const QString& text);

// Text as a reading gives it to the voice: every line cleaned (cleanLineForSpeech), its line
// breaks kept, so the voice pauses where the export pauses and positions still match.
QString cleanTextForSpeech(const QString& text);

// A line as the export gives it to the voice: "&#xa0;" removed, then cleaned.
QString speechLine(QString line);

// The text as the export speaks it: every line (CR LF, LF and a lone CR each end one; a final
// break adds none) made a speechLine and ended with "\n", so the last word of one line and the
// first of the next are never spoken as one word. An empty text gives an empty one.
QString spokenText(const QString& text);

// The utterances the export speaks: each piece's text as a speechLine, followed by the
// silence a listener hears after it (speech_pauses.h).
QList<Utterance> spokenUtterances(const QList<SpokenPiece>& pieces);

// The text line by line as it stands, each line a speechLine, with no silence added: the
// utterances of spokenText.
QList<Utterance> spokenLines(const QString& text);

// What the export speaks of a document, and the pages it leaves out because their text is not
// language: a PDF's pages, when their layout is known, read into sentences and headings;
// other text prepared into paragraphs; with verbatim, the text line by line as it stands.
struct SpokenDocument
{
    QList<Utterance> utterances;
    QList<int> unreadablePages;
};
SpokenDocument spokenDocument(const QString& text, const QList<LayoutPage>* pages, bool verbatim,
                              const LayoutReadingOptions& options);

} // namespace lectorix
