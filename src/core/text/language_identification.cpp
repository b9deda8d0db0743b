#include "core/text/language_identification.h"

#include "core/pdf/document_info.h"
#include "core/text/script_language.h"

#include <QHash>
#include <QStringList>
#include <QVarLengthArray>

#include <algorithm>
#include <array>
#include <bitset>

namespace lectorix {

namespace {

// What tells each Latin-script language: the words it writes most, the letters few others
// write, and the letter groups ("_" for a word's edge) that are common in it and rarer in the
// others. A sign shared by several languages counts for each a share of its weight.
struct LanguageSigns
{
    const char* code;
    const char16_t* words;
    const char16_t* letters;
    const char16_t* groups;
};

constexpr std::array<LanguageSigns, 7> Signs{{
    {"en",
     u"the of and to in is that it for was on are as with his they be at have this from or "
     u"had by but not what all were we when your can said there an which she do their if "
     u"will would about out them these so her him into has more could my than been who its "
     u"only also after our over just because those should where through i you he it's don't",
     u"", u"th_ _th ing_ ght _wh ly_ ed_ ea ck"},
    {"fr",
     u"le la les de des du un une et est en que qui dans pour pas au aux sur ne se ce cette "
     u"il elle ils elles nous vous son sa ses leur leurs avec par plus mais ou été être sont "
     u"ont qu' l' d' c' n' s' j' jusqu' lorsqu' puisqu' y à très comme tout aussi bien sans "
     u"sous chez dont je tu on était avait fait peut",
     u"èêçœùëîûâ", u"eau aux_ oi ou ent_ ez_ qu é_ ée_ ais_ ait_"},
    {"de",
     u"der die das und ist nicht ein eine einen einem einer zu den dem des von mit sich auf "
     u"für im auch es sie er wir ich sind war wird werden hat haben bei nach aus wie oder "
     u"aber noch nur kann durch über vor zum zur dass daß diese dieser dieses wenn man um",
     u"äöüß", u"sch ch cht ung_ ei ie tz _ge en_ lich_ keit"},
    {"es",
     u"el la los las de del y en que un una es por con para no se su sus al lo como más pero "
     u"está son fue ha muy también entre sobre hay todo esta este ya cuando donde porque "
     u"le les me mi yo qué",
     u"ñ¿¡áíóú", u"ción_ ll rr os_ ado_ ada_ dad_ ue ie"},
    {"it",
     u"il lo la gli le di del della dei delle degli e è in che un una per con non si sono "
     u"al alla da dal nel nella come più ma anche questo questa ha hanno essere tra fra molto "
     u"ci ne uno all' dell' nell' sull' un' perché",
     u"ìòàù", u"zione_ gli cch zz tt i_ ità_ gn _un ll"},
    {"pt",
     u"o a os as de do da dos das e é em no na nos nas que um uma para com não se por ao à "
     u"mais como mas foi são ser está também muito entre sem sobre pelo pela isso este esta "
     u"seu sua ou já",
     u"ãõçáâêô", u"ção_ ões_ nh lh ão_ mente_ ado_ os_ ém_"},
    {"nl",
     u"de het een en van in is dat op te zijn met voor niet aan er ook als bij maar om door "
     u"naar dan wordt werd nog hij zij wij ze wat kan zou uit over tot deze dit meer geen "
     u"worden heeft hebben",
     u"", u"ij aa oo ee uu sch oe tje _ge en_ cht"},
}};

constexpr qsizetype Languages = Signs.size();
using Scores = std::array<double, Languages>;
// Below so many words, a text is too short to tell.
constexpr qsizetype FewestWords = 4;

// Each sign and the languages it tells, with the weight it counts for each.
struct SignTable
{
    QHash<QString, Scores> words;
    QHash<char16_t, Scores> letters;
    QList<std::pair<QString, Scores>> groups;
    static constexpr qsizetype MostGroups = 128;
    // The groups by their first character (its code's last byte), for a quick look in a word.
    std::array<QList<qsizetype>, 256> groupsFrom;

    SignTable()
    {
        for (qsizetype l = 0; l < Languages; ++l) {
            const LanguageSigns& signs = Signs.at(l);
            for (const QString& word : QString::fromUtf16(signs.words).split(QLatin1Char(' ')))
                words[word][l] = 1;
            for (const QChar c : QString::fromUtf16(signs.letters))
                letters[c.unicode()][l] = 1;
            for (const QString& group :
                 QString::fromUtf16(signs.groups).split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
                auto found = std::find_if(groups.begin(), groups.end(),
                                          [&](const auto& g) { return g.first == group; });
                if (found == groups.end())
                    found = groups.insert(groups.end(), {group, Scores{}});
                found->second[l] = 1;
            }
        }
        shareOut(words, 1.0);
        shareOut(letters, 0.5);
        for (auto& group : groups)
            share(group.second, 0.3);
        Q_ASSERT(groups.size() <= MostGroups);
        for (qsizetype g = 0; g < groups.size(); ++g)
            groupsFrom[groups.at(g).first.at(0).unicode() % 256].append(g);
    }

    static void share(Scores& scores, double weight)
    {
        double holders = 0;
        for (const double s : scores)
            holders += s;
        for (double& s : scores)
            s = s * weight / holders;
    }
    template <typename Table> static void shareOut(Table& table, double weight)
    {
        for (auto it = table.begin(); it != table.end(); ++it)
            share(it.value(), weight);
    }
};

const SignTable& signTable()
{
    static const SignTable table;
    return table;
}

void add(Scores& scores, const Scores& more)
{
    for (qsizetype l = 0; l < Languages; ++l)
        scores[l] += more[l];
}

bool isElision(const QString& word)
{
    static const QStringList Elided{
        QStringLiteral("l"),     QStringLiteral("d"),      QStringLiteral("j"),
        QStringLiteral("n"),     QStringLiteral("s"),      QStringLiteral("c"),
        QStringLiteral("m"),     QStringLiteral("t"),      QStringLiteral("qu"),
        QStringLiteral("jusqu"), QStringLiteral("lorsqu"), QStringLiteral("puisqu"),
        QStringLiteral("all"),   QStringLiteral("dell"),   QStringLiteral("nell"),
        QStringLiteral("sull"),  QStringLiteral("un")};
    return Elided.contains(word);
}

// The text's words in small letters; an elided article or pronoun ("l'", "qu'") is a word of
// its own, with its apostrophe.
QStringList wordsOf(const QString& text)
{
    QStringList words;
    QString word;
    for (const QChar c : text) {
        // A letter outside the first plane is a letter all the same, in its two halves.
        if (c.isLetter() || c.isMark() || c.isSurrogate()) {
            word += c.toLower();
            continue;
        }
        const bool apostrophe = c == QLatin1Char('\'') || c.unicode() == 0x2019;
        if (apostrophe && !word.isEmpty()) {
            if (isElision(word)) {
                words.append(word + QLatin1Char('\''));
                word.clear();
            } else {
                word += QLatin1Char('\''); // "don't", "it's": the word goes on
            }
            continue;
        }
        if (!word.isEmpty())
            words.append(word);
        word.clear();
    }
    if (!word.isEmpty())
        words.append(word);
    for (QString& w : words) {
        if (w.endsWith(QLatin1Char('\'')) && !isElision(w.chopped(1)))
            w.chop(1);
    }
    return words;
}

Scores scoresOf(const QStringList& words)
{
    const SignTable& table = signTable();
    Scores scores{};
    QString edged; // the word between two "_", for its groups
    for (const QString& word : words) {
        const auto found = table.words.constFind(word);
        // A word of one plain letter ("a", "e", "y") is as often a formula's variable or a
        // glyph of an unmapped font: "à" counts, "a" does not.
        if (found != table.words.cend() && (word.size() > 1 || word.at(0).unicode() >= 0x80))
            add(scores, found.value());
        // Each letter and group counts once in a word.
        QVarLengthArray<char16_t, 8> seen;
        for (const QChar c : word) {
            if (c.unicode() < 0x80 || seen.contains(c.unicode()))
                continue;
            const auto letter = table.letters.constFind(c.unicode());
            if (letter != table.letters.cend()) {
                add(scores, letter.value());
                seen.append(c.unicode());
            }
        }
        edged.resize(0);
        edged += QLatin1Char('_');
        edged += word;
        edged += QLatin1Char('_');
        std::bitset<SignTable::MostGroups> matched;
        for (qsizetype at = 0; at < edged.size(); ++at) {
            const QStringView rest = QStringView(edged).sliced(at);
            for (const qsizetype g : table.groupsFrom[edged[at].unicode() % 256]) {
                const auto& [group, weights] = table.groups.at(g);
                if (!matched[g] && rest.startsWith(group)) {
                    matched[g] = true;
                    add(scores, weights);
                }
            }
        }
    }
    return scores;
}

qsizetype indexOf(const QString& language)
{
    for (qsizetype l = 0; l < Languages; ++l) {
        if (language == QLatin1String(Signs.at(l).code))
            return l;
    }
    return -1;
}

// Cyrillic text is Russian unless it has the letters of Ukrainian (і, ї, є, ґ).
QString cyrillicLanguage(const QString& text)
{
    for (const QChar c : text) {
        const char16_t u = c.toLower().unicode();
        if (u == 0x0456 || u == 0x0457 || u == 0x0454 || u == 0x0491)
            return QStringLiteral("uk");
    }
    return QStringLiteral("ru");
}

} // namespace

QString primaryLanguage(const QString& tag)
{
    QString primary = tag.trimmed().toLower();
    for (qsizetype i = 0; i < primary.size(); ++i) {
        if (primary[i] == QLatin1Char('-') || primary[i] == QLatin1Char('_')) {
            primary.truncate(i);
            break;
        }
    }
    return primary;
}

namespace {

// What a text's signs say, before the language it is expected in is weighed.
struct Evidence
{
    QString script; // the language its script names, for text not in Latin letters
    qsizetype words = 0;
    Scores scores{};
};

// Enough of a paragraph to tell its language by; the rest of a long one adds nothing.
constexpr qsizetype MostWords = 60;
constexpr qsizetype MostCharacters = 600;

Evidence evidenceOf(const QString& whole)
{
    const QString text = whole.left(MostCharacters);
    Evidence evidence;
    // Letters of Latin scripts only (most paragraphs) need no count of their scripts.
    const bool latinOnly = std::all_of(text.cbegin(), text.cend(), [](QChar c) {
        return c.unicode() < 0x250 ||
               (c.unicode() >= 0x1E00 && c.unicode() < 0x2C00 && !c.isLetter());
    });
    if (!latinOnly)
        evidence.script = scriptLanguage(text, QString());
    if (evidence.script == QLatin1String("ru"))
        evidence.script = cyrillicLanguage(text);
    if (!evidence.script.isEmpty())
        return evidence;
    QStringList words = wordsOf(text);
    if (words.size() > MostWords)
        words.resize(MostWords);
    // Letters alone (variables, initials, list marks) do not make a text long enough to tell.
    evidence.words = std::count_if(words.cbegin(), words.cend(),
                                   [](const QString& word) { return word.size() > 1; });
    if (evidence.words >= FewestWords)
        evidence.scores = scoresOf(words);
    return evidence;
}

// The language the evidence names, likely (a primary language, may be empty) unless another
// clearly stands out; empty when none does and nothing is likely.
QString judged(const Evidence& evidence, const QString& likely)
{
    if (!evidence.script.isEmpty())
        return evidence.script;
    if (evidence.words < FewestWords)
        return likely;
    const Scores& scores = evidence.scores;
    qsizetype best = 0;
    qsizetype second = -1;
    for (qsizetype l = 1; l < Languages; ++l) {
        if (scores[l] > scores[best]) {
            second = best;
            best = l;
        } else if (second < 0 || scores[l] > scores[second]) {
            second = l;
        }
    }
    // At least one sure sign for every few words, and the best clearly ahead of the others.
    const double least = qMax(2.0, 0.2 * double(evidence.words));
    if (scores[best] < least)
        return likely;
    const qsizetype expected = indexOf(likely);
    if (expected >= 0 && scores[expected] >= 0.6 * scores[best])
        return likely;
    if (scores[best] < 1.25 * scores[second] + 0.5)
        return likely;
    return QLatin1String(Signs.at(best).code);
}

} // namespace

QString identifiedLanguage(const QString& text, const QString& likely)
{
    return judged(evidenceOf(text), primaryLanguage(likely));
}

ParagraphLanguages::ParagraphLanguages(const QString& declared)
    : m_declared(primaryLanguage(declared))
{
}

void ParagraphLanguages::assign(QList<SpokenPiece>& pieces)
{
    if (!m_declaringPdf.isEmpty()) {
        m_declared = primaryLanguage(declaredLanguage(m_declaringPdf));
        m_declaringPdf.clear();
    }
    // Each paragraph as its first piece and the piece after its last, the language its words
    // tell (empty when they tell none), and the last told before it.
    struct Paragraph
    {
        qsizetype first;
        qsizetype end;
        QString told;
        QString before;
        bool heading;
    };
    QList<Paragraph> paragraphs;
    for (qsizetype start = 0; start < pieces.size();) {
        qsizetype end = start;
        QString text;
        while (end < pieces.size()) {
            if (text.size() < MostCharacters)
                text += pieces.at(end).text + QLatin1Char(' ');
            if (pieces.at(end++).endsParagraph)
                break;
        }
        const QString likely = m_previous.isEmpty() ? m_declared : m_previous;
        const Evidence evidence = evidenceOf(text);
        QString told = judged(evidence, QString());
        if (!told.isEmpty() && !likely.isEmpty())
            told = judged(evidence, likely);
        paragraphs.append({start, end, told, m_previous, pieces.at(start).heading});
        if (!told.isEmpty())
            m_previous = told;
        start = end;
    }
    // A heading belongs to what follows it; another paragraph too short to tell goes with the
    // one before it, or, first in the document, with the first told after it.
    QString following;
    for (qsizetype p = paragraphs.size() - 1; p >= 0; --p) {
        const Paragraph& paragraph = paragraphs.at(p);
        QString language = paragraph.told;
        if (language.isEmpty() && paragraph.heading && !following.isEmpty())
            language = following;
        if (language.isEmpty())
            language = paragraph.before;
        if (language.isEmpty())
            language = following.isEmpty() ? m_declared : following;
        if (!paragraph.told.isEmpty())
            following = paragraph.told;
        for (qsizetype i = paragraph.first; i < paragraph.end; ++i)
            pieces[i].language = language;
    }
}

} // namespace lectorix
