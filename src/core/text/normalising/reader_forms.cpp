#include "core/text/normalising/reader_forms.h"

#include "core/text/normalising/language_forms.h"
#include "core/text/spelling.h"

#include <QUrl>

#include <algorithm>

namespace lectorix {

namespace {

bool isWordCharacter(QChar c)
{
    return c.isLetterOrNumber() || c.isMark();
}

// Closing marks that may follow a sentence's last word.
bool closesSentence(QChar c)
{
    return c.isSpace() || QStringLiteral(")]}\"'’”»").contains(c);
}

const ReaderRules& rulesOf(const QString& language)
{
    static const ReaderRules none;
    const QString code = language.trimmed().toLower().replace(QLatin1Char('_'), QLatin1Char('-'));
    const QString primary = code.section(QLatin1Char('-'), 0, 0);
    if (primary == QLatin1String("en"))
        return englishRules(code == QLatin1String("en")      ? DateOrder::Unknown
                            : code == QLatin1String("en-us") ? DateOrder::MonthFirst
                                                             : DateOrder::DayFirst);
    if (primary == QLatin1String("fr"))
        return frenchRules();
    if (primary == QLatin1String("de"))
        return germanRules();
    if (primary == QLatin1String("es"))
        return spanishRules();
    if (primary == QLatin1String("ru"))
        return russianRules();
    return none;
}

struct Candidate
{
    SpokenReplacement replacement;
    qsizetype rule = 0;
};

// What the rule says in place of the match, fitted into the text: a word said where a word
// or number touches it is set apart by a blank, and an abbreviation's period that ended the
// sentence still ends it.
QString fitted(QString spoken, const QString& text, qsizetype start, qsizetype end)
{
    if (spoken.isEmpty())
        return spoken;
    if (start > 0 && isWordCharacter(text.at(start - 1)) && isWordCharacter(spoken.front()))
        spoken.prepend(QLatin1Char(' '));
    if (end < text.size() && isWordCharacter(text.at(end)) && isWordCharacter(spoken.back()))
        spoken.append(QLatin1Char(' '));
    if (text.at(end - 1) == QLatin1Char('.') && !spoken.endsWith(QLatin1Char('.')) &&
        std::all_of(text.cbegin() + end, text.cend(), closesSentence))
        spoken.append(QLatin1Char('.'));
    return spoken;
}

// Words of a run written in capitals ("WHO IS IT", "RAPPORT ANNUEL DE LA COMMISSION") that
// the language's dictionary knows, said as words: a voice spells some capitals it would read
// in small letters ("IT", "US"). A word in capitals among small letters stays an abbreviation.
void addCapitalWords(const QString& text, const QString& language, QList<Candidate>& found,
                     qsizetype rule)
{
    static const QRegularExpression Run(
        QStringLiteral(
            "(?<![\\p{L}\\p{N}])(?:\\p{Lu}[\\p{Lu}\\p{M}]*[\\s,;:'’-]+){2,}\\p{Lu}[\\p{Lu}\\p{M}]*"
            "(?![\\p{L}\\p{N}])"),
        QRegularExpression::UseUnicodePropertiesOption);
    static const QRegularExpression Word(QStringLiteral("\\p{Lu}[\\p{Lu}\\p{M}]+"),
                                         QRegularExpression::UseUnicodePropertiesOption);
    if (std::none_of(text.cbegin(), text.cend(), [](QChar c) { return c.isUpper(); }))
        return;
    QRegularExpressionMatchIterator runs = Run.globalMatch(text);
    while (runs.hasNext()) {
        const QRegularExpressionMatch run = runs.next();
        for (qsizetype at = run.capturedStart(); at < run.capturedEnd();) {
            const QRegularExpressionMatch word =
                Word.match(text, at, QRegularExpression::NormalMatch);
            if (!word.hasMatch() || word.capturedStart() >= run.capturedEnd())
                break;
            at = word.capturedEnd();
            const QString small = word.captured().toLower();
            if (spellingOf(small, language) != Spelling::Word)
                continue;
            found.append({{word.capturedStart(), word.capturedLength(),
                           word.captured().left(1) + small.mid(1)},
                          rule});
        }
    }
}

// What every match of a pattern contains, read from the pattern's parts that no match can
// leave out: runs of literal characters and \\d outside alternatives, optional parts,
// lookarounds and character classes. Anything the reading does not know makes it claim less,
// never more.
struct Requirements
{
    QStringList runs; // strings every match contains
    bool digit = false;

    void add(const Requirements& more)
    {
        runs += more.runs;
        digit = digit || more.digit;
    }
};

class RequirementReader
{
public:
    explicit RequirementReader(const QString& pattern) : m_pattern(pattern) {}

    // Reads a sequence up to its closing parenthesis or the end; what it requires is added to
    // found unless the sequence has alternatives.
    void sequence(Requirements& found)
    {
        Requirements own;
        QString run; // literal characters that follow each other in every match
        const auto endRun = [&own, &run] {
            if (!run.isEmpty())
                own.runs << run;
            run.clear();
        };
        bool alternatives = false;
        while (m_at < m_pattern.size() && m_pattern.at(m_at) != QLatin1Char(')')) {
            const QChar c = m_pattern.at(m_at);
            Requirements item;
            QChar literal;
            if (c == QLatin1Char('|')) {
                alternatives = true;
                ++m_at;
                continue;
            }
            if (c == QLatin1Char('\\')) {
                literal = escape(item);
            } else if (c == QLatin1Char('[')) {
                skipClass();
            } else if (c == QLatin1Char('(')) {
                group(item);
            } else {
                ++m_at;
                if (!QStringLiteral(".^$").contains(c))
                    literal = c;
            }
            const Repeat repeat = repeatAfter();
            if (!literal.isNull() && repeat == Repeat::Once) {
                run += literal;
                continue;
            }
            endRun();
            if (repeat == Repeat::MaybeNone)
                continue;
            if (!literal.isNull())
                own.runs << QString(literal);
            own.add(item);
        }
        endRun();
        if (!alternatives)
            found.add(own);
    }

private:
    // Reads an escape; returns the character it stands for when it stands for one.
    QChar escape(Requirements& item)
    {
        ++m_at;
        if (m_at >= m_pattern.size())
            return {};
        const QChar c = m_pattern.at(m_at++);
        if (c == QLatin1Char('d')) {
            item.digit = true;
        } else if (c == QLatin1Char('p') || c == QLatin1Char('P')) {
            if (m_at < m_pattern.size() && m_pattern.at(m_at) == QLatin1Char('{'))
                m_at = m_pattern.indexOf(QLatin1Char('}'), m_at) + 1;
            else
                ++m_at;
            if (m_at <= 0)
                m_at = m_pattern.size();
        } else if (!c.isLetterOrNumber()) {
            return c;
        }
        return {};
    }

    void skipClass()
    {
        ++m_at;
        if (m_at < m_pattern.size() && m_pattern.at(m_at) == QLatin1Char('^'))
            ++m_at;
        if (m_at < m_pattern.size() && m_pattern.at(m_at) == QLatin1Char(']'))
            ++m_at;
        while (m_at < m_pattern.size() && m_pattern.at(m_at) != QLatin1Char(']'))
            m_at += m_pattern.at(m_at) == QLatin1Char('\\') ? 2 : 1;
        ++m_at;
    }

    void group(Requirements& item)
    {
        ++m_at;
        bool counts = true;
        if (m_at < m_pattern.size() && m_pattern.at(m_at) == QLatin1Char('?')) {
            const QStringView rest = QStringView(m_pattern).mid(m_at);
            if (rest.startsWith(u"?:")) {
                m_at += 2;
            } else if (rest.startsWith(u"?<") && !rest.startsWith(u"?<=") &&
                       !rest.startsWith(u"?<!")) {
                m_at = m_pattern.indexOf(QLatin1Char('>'), m_at) + 1;
                if (m_at <= 0)
                    m_at = m_pattern.size();
            } else {
                // Lookarounds and option settings: what they hold is not part of the match.
                counts = false;
            }
        }
        Requirements inner;
        sequence(inner);
        ++m_at; // the closing parenthesis
        if (counts)
            item = inner;
    }

    enum class Repeat { Once, AtLeastOnce, MaybeNone };

    // How often the item just read stands in a match, from the quantifier after it.
    Repeat repeatAfter()
    {
        if (m_at >= m_pattern.size())
            return Repeat::Once;
        const QChar c = m_pattern.at(m_at);
        Repeat repeat = Repeat::AtLeastOnce;
        if (c == QLatin1Char('?') || c == QLatin1Char('*')) {
            repeat = Repeat::MaybeNone;
            ++m_at;
        } else if (c == QLatin1Char('+')) {
            ++m_at;
        } else if (c == QLatin1Char('{')) {
            const qsizetype close = m_pattern.indexOf(QLatin1Char('}'), m_at);
            if (close < 0)
                return Repeat::MaybeNone;
            bool ok = false;
            const int least = m_pattern.mid(m_at + 1, close - m_at - 1)
                                  .section(QLatin1Char(','), 0, 0)
                                  .toInt(&ok);
            if (!ok || least == 0)
                repeat = Repeat::MaybeNone;
            m_at = close + 1;
        } else {
            return Repeat::Once;
        }
        // A lazy or possessive quantifier's mark.
        if (m_at < m_pattern.size() &&
            (m_pattern.at(m_at) == QLatin1Char('?') || m_pattern.at(m_at) == QLatin1Char('+')))
            ++m_at;
        return repeat;
    }

    const QString& m_pattern;
    qsizetype m_at = 0;
};

Requirements requirementsOf(const QString& pattern)
{
    Requirements found;
    RequirementReader reader(pattern);
    reader.sequence(found);
    return found;
}

} // namespace

ReaderRule::ReaderRule(QRegularExpression pattern, Spoken say)
    : expression(std::move(pattern)), spoken(std::move(say)),
      saidGroup(int(expression.namedCaptureGroups().indexOf(QStringLiteral("said"))))
{
    const Requirements required = requirementsOf(expression.pattern());
    m_required = required.runs;
    for (const QString& run : std::as_const(m_required))
        for (const QChar c : run)
            if (c.unicode() < 128) {
                const char16_t small = c.toLower().unicode();
                m_requiredAscii[small / 64] |= quint64(1) << (small % 64);
            }
    m_requiresDigit = required.digit;
    // Case ignored anywhere, by the option or inside the pattern ("(?i)"), is ignored here too.
    const bool ignoresCase =
        expression.patternOptions().testFlag(QRegularExpression::CaseInsensitiveOption) ||
        expression.pattern().contains(QLatin1String("(?i"));
    m_requiredCase = ignoresCase ? Qt::CaseInsensitive : Qt::CaseSensitive;
}

TextCharacters::TextCharacters(QStringView text)
{
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u < 128) {
            const char16_t small = u >= 'A' && u <= 'Z' ? u + ('a' - 'A') : u;
            ascii[small / 64] |= quint64(1) << (small % 64);
            digit = digit || (u >= '0' && u <= '9');
        } else if (!digit && c.isDigit()) {
            digit = true;
        }
    }
}

bool ReaderRule::mayMatch(const QString& text, const TextCharacters& present) const
{
    if (m_requiresDigit && !present.digit)
        return false;
    if ((m_requiredAscii[0] & ~present.ascii[0]) != 0 ||
        (m_requiredAscii[1] & ~present.ascii[1]) != 0)
        return false;
    return std::all_of(m_required.cbegin(), m_required.cend(), [&](const QString& run) {
        if (m_requiredCase == Qt::CaseInsensitive)
            return text.contains(run, Qt::CaseInsensitive);
        // Where the run's first character stands, compared there: quicker than a general
        // search for these short runs.
        for (qsizetype at = text.indexOf(run.front()); at >= 0 && at + run.size() <= text.size();
             at = text.indexOf(run.front(), at + 1)) {
            if (QStringView(text).mid(at, run.size()) == run)
                return true;
        }
        return false;
    });
}

QRegularExpression readerExpression(const QString& pattern, bool ignoreCase)
{
    QRegularExpression::PatternOptions options = QRegularExpression::UseUnicodePropertiesOption;
    if (ignoreCase)
        options |= QRegularExpression::CaseInsensitiveOption;
    QRegularExpression expression(pattern, options);
    Q_ASSERT_X(expression.isValid(), "readerExpression", qPrintable(pattern));
    expression.optimize();
    return expression;
}

ReaderRule fixedRule(const QString& pattern, const QString& spoken, bool ignoreCase)
{
    return {readerExpression(pattern, ignoreCase),
            [spoken](const QRegularExpressionMatch&) { return spoken; }};
}

QList<SpokenReplacement> readerReplacements(const QString& text, const QString& language)
{
    const ReaderRules& rules = rulesOf(language);
    const TextCharacters present(text);
    QList<Candidate> found;
    for (qsizetype r = 0; r < rules.size(); ++r) {
        if (!rules.at(r).mayMatch(text, present))
            continue;
        const int said = rules.at(r).saidGroup;
        QRegularExpressionMatchIterator it = rules.at(r).expression.globalMatch(text);
        while (it.hasNext()) {
            const QRegularExpressionMatch match = it.next();
            const int part = said > 0 && match.capturedLength(said) > 0 ? said : 0;
            if (match.capturedLength(part) == 0)
                continue;
            const qsizetype start = match.capturedStart(part);
            const qsizetype end = match.capturedEnd(part);
            QString spoken = fitted(rules.at(r).spoken(match), text, start, end);
            if (!spoken.isEmpty() && spoken != match.captured(part))
                found.append({{start, end - start, std::move(spoken)}, r});
        }
    }
    addCapitalWords(text, language, found, rules.size());
    std::sort(found.begin(), found.end(), [](const Candidate& a, const Candidate& b) {
        if (a.replacement.start != b.replacement.start)
            return a.replacement.start < b.replacement.start;
        if (a.rule != b.rule)
            return a.rule < b.rule;
        return a.replacement.length > b.replacement.length;
    });
    QList<SpokenReplacement> chosen;
    qsizetype end = 0;
    for (Candidate& candidate : found) {
        if (candidate.replacement.start < end)
            continue;
        end = candidate.replacement.start + candidate.replacement.length;
        chosen.append(std::move(candidate.replacement));
    }
    return chosen;
}

QString readerForm(const QString& text, const QString& language)
{
    QString out;
    qsizetype at = 0;
    for (const SpokenReplacement& r : readerReplacements(text, language)) {
        out += QStringView(text).mid(at, r.start - at);
        out += r.spoken;
        at = r.start + r.length;
    }
    out += QStringView(text).mid(at);
    return out;
}

// Addresses are said by their words: no scheme, no "www", no escapes, no query; the marks
// between the words by name.
ReaderRules addressRules(const QString& dot, const QString& at, const QString& slash)
{
    const auto words = [dot, slash](QString address) {
        address = QUrl::fromPercentEncoding(address.toUtf8());
        address.remove(QRegularExpression(QStringLiteral("^(?:[a-zA-Z]+://)?(?:www\\.)?")));
        address = address.section(QLatin1Char('?'), 0, 0).section(QLatin1Char('#'), 0, 0);
        while (address.endsWith(QLatin1Char('/')))
            address.chop(1);
        QStringList segments = address.split(QLatin1Char('/'), Qt::SkipEmptyParts);
        for (QString& segment : segments) {
            segment.replace(QLatin1Char('.'), QStringLiteral(" %1 ").arg(dot));
            segment.replace(QRegularExpression(QStringLiteral("[-_+]+")), QStringLiteral(" "));
            segment = segment.simplified();
        }
        return segments.join(QStringLiteral(" %1 ").arg(slash));
    };
    return {
        {readerExpression(QStringLiteral("(?:(?:https?|ftp)://|www\\.)[^\\s<>\"«»]*"
                                         "[^\\s<>\"«».,;:!?)\\]}'’]")),
         [words](const QRegularExpressionMatch& m) { return words(m.captured()); }},
        {readerExpression(QStringLiteral(
             "(?<![\\p{L}\\p{N}._%+-])[\\p{L}\\p{N}._%+-]+"
             "@[\\p{L}\\p{N}-]+(?:\\.[\\p{L}\\p{N}-]+)*\\.\\p{L}{2,}(?![\\p{L}\\p{N}])")),
         [words, at](const QRegularExpressionMatch& m) {
             const QString address = m.captured();
             return words(address.section(QLatin1Char('@'), 0, 0)) +
                    QStringLiteral(" %1 ").arg(at) + words(address.section(QLatin1Char('@'), 1));
         }},
    };
}

// Super- and subscript digits after a letter, a digit or a bracket; letters spaced out into
// capitals ("L A T E X") joined into their word.
ReaderRules symbolRules(const QString& squared, const QString& cubed, const QString& power)
{
    static const QString superscripts = QStringLiteral("⁰¹²³⁴⁵⁶⁷⁸⁹");
    const auto exponent = [=](const QRegularExpressionMatch& m) {
        const QString written = m.captured();
        if (written == QStringLiteral("²"))
            return squared;
        if (written == QStringLiteral("³"))
            return cubed;
        QString digits;
        for (const QChar c : written)
            digits +=
                c == QChar(0x207B) ? QStringLiteral("-") : QString::number(superscripts.indexOf(c));
        return QStringLiteral("%1 %2").arg(power, digits);
    };
    return {
        {readerExpression(QStringLiteral("(?<=[\\p{L}\\p{N})\\]])⁻?[⁰¹²³⁴⁵⁶⁷⁸⁹]+")), exponent},
        {readerExpression(QStringLiteral("(?<=\\p{L})[₀-₉]+")),
         [](const QRegularExpressionMatch& m) {
             QString digits;
             for (const QChar c : m.captured())
                 digits += QChar(u'0' + (c.unicode() - 0x2080));
             return digits;
         }},
        {readerExpression(QStringLiteral("(?<![\\p{L}\\p{N}])(?=(?:\\p{Lu} )*[AEIOUY])(?:\\p{Lu} "
                                         "){4,}\\p{Lu}(?![\\p{L}\\p{N}]| \\p{L}\\b)")),
         [](const QRegularExpressionMatch& m) {
             return QString(m.captured()).remove(QLatin1Char(' '));
         }},
    };
}

int romanValue(QStringView numeral)
{
    static const QRegularExpression usual(QStringLiteral(
        "^(?=[MDCLXVI])M{0,3}(?:CM|CD|D?C{0,3})(?:XC|XL|L?X{0,3})(?:IX|IV|V?I{0,3})$"));
    const QString upper = numeral.toString().toUpper();
    if (numeral.toString() != upper && numeral.toString() != numeral.toString().toLower())
        return 0;
    if (!usual.match(upper).hasMatch())
        return 0;
    const auto value = [](QChar c) {
        switch (c.unicode()) {
        case 'I':
            return 1;
        case 'V':
            return 5;
        case 'X':
            return 10;
        case 'L':
            return 50;
        case 'C':
            return 100;
        case 'D':
            return 500;
        default:
            return 1000;
        }
    };
    int total = 0;
    for (qsizetype i = 0; i < upper.size(); ++i) {
        const int v = value(upper.at(i));
        total += i + 1 < upper.size() && v < value(upper.at(i + 1)) ? -v : v;
    }
    return total;
}

qint64 groupedNumber(QStringView written, QChar separator)
{
    QString digits;
    const QList<QStringView> groups = written.split(separator);
    for (qsizetype i = 0; i < groups.size(); ++i) {
        const QStringView group = groups.at(i);
        if (group.isEmpty() || group.size() > 3 || (i > 0 && group.size() != 3))
            return -1;
        digits += group;
    }
    bool ok = false;
    const qint64 value = digits.toLongLong(&ok);
    return ok && digits.size() <= 15 ? value : -1;
}

} // namespace lectorix

namespace lectorix {

ReaderRules fixedRules(std::initializer_list<FixedForm> forms, bool ignoreCase)
{
    ReaderRules rules;
    for (const FixedForm& form : forms)
        rules.append(fixedRule(QString::fromUtf16(form.pattern), QString::fromUtf16(form.spoken),
                               ignoreCase));
    return rules;
}

ReaderRule numberedPartRule(const QString& partWords)
{
    return {
        readerExpression(QStringLiteral("\\b(?:%1)\\s+(?<said>(?-i:[IVXLCDM]+))\\b(?![\\p{L}'’-])")
                             .arg(partWords),
                         true),
        [](const QRegularExpressionMatch& m) {
            const int value = romanValue(m.captured(QStringLiteral("said")));
            return value == 0 ? QString() : QString::number(value);
        }};
}

ReaderRule rangeRule(const QString& word)
{
    return {readerExpression(QStringLiteral("(?<![\\d.,])(\\d+)\\s?[–—]\\s?(\\d+)(?![\\d.,]*\\d)")),
            [word](const QRegularExpressionMatch& m) {
                return QStringLiteral("%1 %2 %3").arg(m.captured(1), word, m.captured(2));
            }};
}

} // namespace lectorix
