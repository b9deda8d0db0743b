#pragma once

#include "core/speech/utterance.h"
#include "core/text/layout/reading.h"
#include "core/text/pronunciations.h"
#include "core/text/speech_pauses.h"
#include "core/text/spoken_piece.h"

#include <QList>
#include <QString>

namespace lectorix {

// A line as the voice should get it: what espeak-ng reads as a word or a pause stays, what it
// would spell out as noise becomes one space per character, so the length in characters does
// not change and a position in the line is the same position in the text. Letter case stays:
// "US" is not "us".
//
// Stay: letters, digits and marks of every script; punctuation of every script (sentence
// marks, colons, dashes, brackets, straight and curly quotes, apostrophes); %, ‰, §, №, @, /,
// &, #, currency signs, mathematical signs (+ = × ≤), °, ©, ®, ™; an asterisk between
// numbers; a soft hyphen, a zero-width joiner or non-joiner, a middle dot or an acute accent
// inside a word.
// Go: controls and tabs, other spaces, private-use and unassigned code points, lone
// surrogates, other zero-width and direction characters, "_", "\", "|", "~", "¬", spacing
// accents, arrows, box drawing, shapes, emoji, footnote daggers and bullets, any run of three
// signs ("***", "=====", "!@#$%"), and all but the first mark of a leader or rule
// ("........", ". . . . . . .", "………", "-----"; an ellipsis such as "..." or "……" stays whole),
// and the second bracket of "[[", which would start phonemes.
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

// How utterances are spoken beyond their text: the pauses after them, and whether an
// utterance in another script than the voice's language gets a voice of its own.
struct UtteranceOptions
{
    SpeechPauses pauses;
    // The chosen voice's language (a tag such as "en-us"), which also says where sentences end.
    QString voiceLanguage;
    bool oneVoice = false; // every utterance in the chosen voice
};

// The utterances the export speaks: each piece cut into its sentences, each sentence's text as
// a speechLine, followed by the silence a listener hears after it (speech_pauses.h) and named,
// unless options.oneVoice, with the language its script asks for (scriptLanguage), else with
// its paragraph's language (SpokenPiece::language) when the chosen voice speaks another.
QList<Utterance> spokenUtterances(const QList<SpokenPiece>& pieces,
                                  const UtteranceOptions& options = {});
// The utterance a piece makes (spokenUtterances' part for a piece cut to a sentence already).
Utterance spokenUtterance(const SpokenPiece& piece, const SpokenPiece* next,
                          const UtteranceOptions& options);

// The text line by line as it stands, each non-blank line a speechLine, with no silence added:
// the utterances of verbatimPieces.
QList<Utterance> spokenLines(const QString& text);

// Everything that decides what the voice gets of a document.
struct SpeechChoices
{
    // Sentences end by the reading's language, else by the voice's.
    LayoutReadingOptions reading{};
    UtteranceOptions utterance{};
    bool verbatim = false;
    PronunciationList pronunciations{};
    // The chosen voice's language, for the pronunciations of utterances without a language of
    // their own (see applyPronunciations).
    QString pronunciationLanguage{};
    // The language the document declares (a tag such as "FR-CA"), which its paragraphs too
    // short to tell take; else the one sourcePdf declares (declaredLanguage), when given.
    QString declaredLanguage{};
    QString sourcePdf{};
};

// The language the choices say the document declares, reading sourcePdf's when needed.
QString documentLanguage(const SpeechChoices& choices);

// What the voice gets of a document, and the pages it leaves out because their text is not
// language: a PDF's pages read from their layout, other text as pages without boxes
// (plainTextPages) through the same reading, into sentences and headings; with verbatim, the
// text line by line as it stands (verbatimPieces). Unless one voice reads everything, each
// paragraph has its language (ParagraphLanguages, with the document's declared language,
// documentLanguage), which names its utterances in the voice's script when the voice speaks
// another (spokenUtterance). Every conversion, reading and printing of a whole document takes
// its utterances from here.
struct SpokenDocument
{
    QList<Utterance> utterances;
    // The pieces the utterances were made from, one each.
    QList<SpokenPiece> pieces;
    QList<int> unreadablePages;
    // Those of the unreadable pages that are in a script no voice speaks.
    QList<int> unspokenPages;
};
SpokenDocument spokenDocument(const QString& text, const QList<LayoutPage>* pages,
                              const SpeechChoices& choices);

// The sentences and headings of a document, read from pages (a PDF's layout) or, without
// them, from text as pages without boxes (plainTextPages); the numbers of the pages whose text
// is not language are added to unreadablePages when given, and of those the pages in a script
// no voice speaks to unspokenPages. Each piece carries its paragraph's language
// (ParagraphLanguages).
QList<SpokenPiece> documentPieces(const QString& text, const QList<LayoutPage>* pages,
                                  const LayoutReadingOptions& options,
                                  QList<int>* unreadablePages = nullptr,
                                  QList<int>* unspokenPages = nullptr);

// Each utterance's text with list applied for the language of the voice that will speak it:
// chosenLanguage (the chosen voice's) for an utterance without a language of its own, else
// that of the installed voice of its language (speakingLanguage). Without a list of the
// installed voices, the chosen voice's, as it then speaks every utterance.
void applyPronunciations(const PronunciationList& list, QList<Utterance>& utterances,
                         const QString& chosenLanguage);

} // namespace lectorix
