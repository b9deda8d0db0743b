#include "core/text/normalising/reader_forms.h"
#include "core/text/pronunciations.h"

#include <algorithm>

namespace lectorix {

namespace {

// A letter, digit or mark on either side makes a match part of a longer word.
const QString WordCharacter = QStringLiteral("[\\p{L}\\p{N}\\p{M}]");

QRegularExpression expressionOf(const PronunciationEntry& entry)
{
    QString pattern = entry.pattern ? entry.written : QRegularExpression::escape(entry.written);
    if (entry.wholeWord)
        pattern = QStringLiteral("(?<!%1)(?:%2)(?!%1)").arg(WordCharacter, pattern);
    QRegularExpression::PatternOptions options = QRegularExpression::UseUnicodePropertiesOption;
    if (!entry.matchCase)
        options |= QRegularExpression::CaseInsensitiveOption;
    QRegularExpression expression(pattern, options);
    expression.optimize();
    return expression;
}

QString normalLanguage(const QString& language)
{
    QString normal = language.trimmed().toLower();
    normal.replace(QLatin1Char('_'), QLatin1Char('-'));
    return normal;
}

// Whether an entry for entryLanguage applies to a voice of language: "en" applies to "en-gb".
bool languageApplies(const QString& entryLanguage, const QString& language)
{
    if (entryLanguage.isEmpty())
        return true;
    const QString wanted = normalLanguage(entryLanguage);
    const QString given = normalLanguage(language);
    return given == wanted || given.startsWith(wanted + QLatin1Char('-'));
}

// A pattern entry's spoken form with "\0" to "\9" replaced by what the match's groups hold
// and "\\" by one backslash.
QString expandGroups(const QString& spoken, const QRegularExpressionMatch& match)
{
    QString out;
    for (qsizetype i = 0; i < spoken.size(); ++i) {
        const QChar c = spoken[i];
        const QChar next = i + 1 < spoken.size() ? spoken[i + 1] : QChar();
        if (c == QLatin1Char('\\') && next.isDigit() && next.unicode() < 128) {
            out += match.captured(next.unicode() - u'0');
            ++i;
        } else if (c == QLatin1Char('\\') && next == QLatin1Char('\\')) {
            out += c;
            ++i;
        } else {
            out += c;
        }
    }
    return out;
}

// The stretches of piece, with one covering the whole text when it has none.
QList<SpokenPiece::Stretch> stretchesOf(const SpokenPiece& piece)
{
    if (piece.stretches.isEmpty())
        return {{0, piece.sourceOffset, -1}};
    return piece.stretches;
}

// Builds a piece's applied text and stretches, stretch by stretch of the old text.
class PieceBuilder
{
public:
    explicit PieceBuilder(const SpokenPiece& piece) : m_piece(piece), m_old(stretchesOf(piece)) {}

    // The old text from from to to, as it stands.
    void keep(qsizetype from, qsizetype to)
    {
        if (from >= to)
            return;
        auto at = std::upper_bound(m_old.cbegin(), m_old.cend(), from,
                                   [](qsizetype position, const SpokenPiece::Stretch& s) {
                                       return position < s.spokenStart;
                                   });
        if (at != m_old.cbegin())
            --at;
        if (at->replacedLength >= 0)
            add({m_text.size(), at->sourceStart, at->replacedLength});
        else
            add({m_text.size(), at->sourceStart + (from - at->spokenStart), -1});
        for (++at; at != m_old.cend() && at->spokenStart < to; ++at)
            add({m_text.size() + (at->spokenStart - from), at->sourceStart, at->replacedLength});
        m_text += QStringView(m_piece.text).mid(from, to - from);
    }

    // spoken said in place of the old text from from to to.
    void replace(qsizetype from, qsizetype to, const QString& spoken)
    {
        const auto [start, length] = m_piece.sourceRange(from, to - from);
        add({m_text.size(), start, length});
        m_text += spoken;
    }

    SpokenPiece piece() const
    {
        SpokenPiece piece = m_piece;
        piece.text = m_text;
        piece.stretches = m_new;
        return piece;
    }

private:
    // Adds a stretch, unless the last one already runs on into it unchanged.
    void add(const SpokenPiece::Stretch& stretch)
    {
        if (!m_new.isEmpty()) {
            SpokenPiece::Stretch& last = m_new.last();
            if (last.spokenStart == stretch.spokenStart) {
                last = stretch;
                return;
            }
            if (last.replacedLength < 0 && stretch.replacedLength < 0 &&
                last.sourceStart + (stretch.spokenStart - last.spokenStart) == stretch.sourceStart)
                return;
        }
        m_new.append(stretch);
    }

    const SpokenPiece& m_piece;
    const QList<SpokenPiece::Stretch> m_old;
    QString m_text;
    QList<SpokenPiece::Stretch> m_new;
};

} // namespace

PronunciationList::PronunciationList(const QList<PronunciationEntry>& entries)
{
    for (const PronunciationEntry& entry : entries) {
        if (pronunciationProblem(entry).isEmpty())
            m_rules.append({entry, expressionOf(entry)});
    }
}

void PronunciationList::append(const PronunciationList& more)
{
    m_rules += more.m_rules;
    m_readerForms = m_readerForms || more.m_readerForms;
}

QList<PronunciationEntry> PronunciationList::entries() const
{
    QList<PronunciationEntry> entries;
    for (const Rule& rule : m_rules)
        entries.append(rule.entry);
    return entries;
}

QList<PronunciationList::Match> PronunciationList::matches(const QString& text,
                                                           const QString& language) const
{
    QList<Match> found;
    for (qsizetype r = 0; r < m_rules.size(); ++r) {
        const Rule& rule = m_rules.at(r);
        if (!languageApplies(rule.entry.language, language))
            continue;
        QRegularExpressionMatchIterator it = rule.expression.globalMatch(text);
        while (it.hasNext()) {
            const QRegularExpressionMatch match = it.next();
            if (match.capturedLength() == 0)
                continue;
            found.append(
                {match.capturedStart(), match.capturedLength(), r,
                 rule.entry.pattern ? expandGroups(rule.entry.spoken, match) : rule.entry.spoken});
        }
    }
    std::sort(found.begin(), found.end(), [](const Match& a, const Match& b) {
        if (a.start != b.start)
            return a.start < b.start;
        if (a.length != b.length)
            return a.length > b.length;
        return a.rule < b.rule;
    });
    QList<Match> chosen;
    qsizetype end = 0;
    for (Match& match : found) {
        if (match.start < end)
            continue;
        end = match.start + match.length;
        chosen.append(std::move(match));
    }
    if (m_readerForms)
        addReaderForms(text, language, chosen);
    return chosen;
}

// The reader's forms of text that no entry's match touches, among the entries' matches.
void PronunciationList::addReaderForms(const QString& text, const QString& language,
                                       QList<Match>& chosen) const
{
    const qsizetype entries = chosen.size();
    qsizetype next = 0;
    for (SpokenReplacement& form : readerReplacements(text, language)) {
        while (next < entries && chosen.at(next).start + chosen.at(next).length <= form.start)
            ++next;
        if (next < entries && chosen.at(next).start < form.start + form.length)
            continue;
        chosen.append({form.start, form.length, m_rules.size(), std::move(form.spoken)});
    }
    std::stable_sort(chosen.begin(), chosen.end(),
                     [](const Match& a, const Match& b) { return a.start < b.start; });
}

QString PronunciationList::applied(const QString& text, const QString& language) const
{
    if (isEmpty())
        return text;
    QString out;
    qsizetype at = 0;
    for (const Match& match : matches(text, language)) {
        out += QStringView(text).mid(at, match.start - at);
        out += match.spoken;
        at = match.start + match.length;
    }
    out += QStringView(text).mid(at);
    return out;
}

SpokenPiece PronunciationList::applied(const SpokenPiece& piece, const QString& language) const
{
    if (isEmpty())
        return piece;
    const QList<Match> found = matches(piece.text, language);
    if (found.isEmpty())
        return piece;
    PieceBuilder builder(piece);
    qsizetype at = 0;
    for (const Match& match : found) {
        builder.keep(at, match.start);
        builder.replace(match.start, match.start + match.length, match.spoken);
        at = match.start + match.length;
    }
    builder.keep(at, piece.text.size());
    return builder.piece();
}

void PronunciationList::apply(QList<Utterance>& utterances,
                              const std::function<QString(const QString&)>& voiceLanguage) const
{
    if (isEmpty())
        return;
    for (Utterance& utterance : utterances)
        utterance.text = applied(utterance.text, voiceLanguage(utterance.language));
}

} // namespace lectorix
