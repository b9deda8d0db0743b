#pragma once

#include "core/speech/utterance.h"
#include "core/text/spoken_piece.h"

#include <QList>
#include <QRegularExpression>
#include <QString>
#include <QStringList>

#include <functional>

namespace lectorix {

// One entry of the pronunciation list: wherever written stands in the text, spoken is said
// instead. spoken is plain text ("Kwen drel") or holds espeak-ng phonemes between double
// brackets ("[[kw'End@l]]"). A pattern entry's written form is a regular expression, and
// "\1" to "\9" in its spoken form stand for what its groups matched ("\0" the whole match).
struct PronunciationEntry
{
    QString written;
    QString spoken;
    // A language code ("en", "en-gb"): the entry applies only to text a voice of that
    // language speaks ("en" to every English voice). Empty: every language.
    QString language;
    // Only where the match is not part of a longer word.
    bool wholeWord = true;
    bool matchCase = false;
    bool pattern = false;

    bool operator==(const PronunciationEntry&) const = default;
};

// Why the entry cannot be used (no written form, a broken regular expression, phonemes whose
// brackets do not close, ...); empty when it can.
QString pronunciationProblem(const PronunciationEntry& entry);

// The list file, UTF-8, one entry a line, fields separated by tabs:
//   written <TAB> spoken [<TAB> language [<TAB> options]]
// options are words separated by blanks or commas: "case" (letter case must match), "part"
// (matches inside words too), "regex" (written is a regular expression). Empty lines and lines
// starting with "#" are comments. A damaged line is named by its number (from 1) and left out;
// the other lines still count.
struct PronunciationFileProblem
{
    int line = 0;
    QString reason;
};
struct ParsedPronunciations
{
    QList<PronunciationEntry> entries;
    QList<PronunciationFileProblem> problems;
};
ParsedPronunciations parsePronunciations(const QString& text);
// The entries as the file holds them, after a comment naming the fields; parsed again they give
// the same entries.
QString formatPronunciations(const QList<PronunciationEntry>& entries);

// The entries ready to apply. Where several entries match at one place, the longest match
// wins, then the earlier entry; a replaced stretch is not looked at again.
class PronunciationList
{
public:
    PronunciationList() = default;
    // Entries with a problem are left out.
    explicit PronunciationList(const QList<PronunciationEntry>& entries);

    // The entries of more are added after these; on a tie at one place, these win. Reader's
    // forms are said when either list says them.
    void append(const PronunciationList& more);
    // Below the entries, numbers, abbreviations, numerals, units and addresses are said as a
    // reader of the voice's language says them (readerReplacements): an entry that matches
    // any part of such a stretch wins, and the stretch is said as written around it.
    void setReaderForms(bool on) { m_readerForms = on; }
    bool readerForms() const { return m_readerForms; }
    // Whether applying the list leaves every text as it is.
    bool isEmpty() const { return m_rules.isEmpty() && !m_readerForms; }
    QList<PronunciationEntry> entries() const;

    // The text as a voice of language should be given it.
    QString applied(const QString& text, const QString& language) const;
    // The piece with its text applied; its stretches are carried over, and the spoken form of
    // a replaced word maps to the whole written word (SpokenPiece::sourceRange).
    SpokenPiece applied(const SpokenPiece& piece, const QString& language) const;
    // Each utterance's text applied for the language of the voice that speaks it, which
    // voiceLanguage gives from the utterance's language (Utterance.language; empty for the
    // chosen voice); the rest of each utterance stays.
    void apply(QList<Utterance>& utterances,
               const std::function<QString(const QString&)>& voiceLanguage) const;

private:
    struct Rule
    {
        PronunciationEntry entry;
        QRegularExpression expression;
    };
    struct Match
    {
        qsizetype start = 0;
        qsizetype length = 0;
        qsizetype rule = 0;
        QString spoken;
    };
    QList<Match> matches(const QString& text, const QString& language) const;
    void addReaderForms(const QString& text, const QString& language, QList<Match>& chosen) const;

    QList<Rule> m_rules;
    bool m_readerForms = false;
};

// The user's list: pronunciations.tsv in the folder "lectorix" beside the settings file.
QString pronunciationsFilePath();

// A list file read: a missing file is an empty list; each damaged line is a problem with its
// number, and the rest applies; a file that cannot be read is a problem of line 0.
struct LoadedPronunciations
{
    QList<PronunciationEntry> entries;
    QList<PronunciationFileProblem> problems;
};
LoadedPronunciations loadPronunciations(const QString& path);
// The user's list as it applies, its damaged lines left out, with the reader's forms below it.
PronunciationList userPronunciations();
// Writes the entries to path (formatPronunciations), making its folder when missing. Throws
// Failure when it cannot.
void savePronunciations(const QList<PronunciationEntry>& entries, const QString& path);

} // namespace lectorix
