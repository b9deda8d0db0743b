// How an English reader says what is written in figures, abbreviations and numerals.

#include "core/text/normalising/language_forms.h"

#include <QStringList>

namespace lectorix {

namespace {

const QString Months = QStringLiteral(
    "January|February|March|April|May|June|July|August|September|October|November|December");

// Kings, queens, popes and emperors numbered after their name.
const QString RegnalNames = QStringLiteral(
    "Henry|Edward|Richard|George|William|Charles|James|Louis|Elizabeth|Mary|John|Philip|Peter|"
    "Catherine|Frederick|Napoleon|Pius|Gregory|Benedict|Leo|Innocent|Clement|Alexander|Nicholas|"
    "Ivan|Constantine|Ramesses|Ramses|Otto|Rudolf|Francis|Paul|Urban|Boniface|Victor|Gustav|"
    "Christian|Haakon|Olaf|Harald|David|Robert|Malcolm|Alfonso|Ferdinand|Isabella|Anne");

// The words for the places in a document that Roman numerals number.
const QString NumberedParts = QStringLiteral(
    "chapter|part|book|volume|vol\\.?|section|appendix|annex|act|scene|canto|article|psalm|"
    "war|class|phase|stage|type|level|title|figure|table|plate|lecture|lesson|unit");

// A year as it is said: "1817" as "18 17", "1900" as "19 hundred", "1905" as "19 oh 5";
// the first years of a century ("2005") as a number.
QString spokenYear(int year)
{
    if (year >= 2000 && year < 2010)
        return QString::number(year);
    const int century = year / 100;
    const int rest = year % 100;
    if (rest == 0)
        return QStringLiteral("%1 hundred").arg(century);
    if (rest < 10)
        return QStringLiteral("%1 oh %2").arg(century).arg(rest);
    return QStringLiteral("%1 %2").arg(century).arg(rest);
}

// Digits read one by one in their groups, "0" as "oh": a telephone number.
QString spokenDigits(const QString& written)
{
    QStringList groups;
    for (const QString& group :
         written.split(QRegularExpression(QStringLiteral("\\D+")), Qt::SkipEmptyParts)) {
        QStringList digits;
        for (const QChar c : group)
            digits << (c == QLatin1Char('0') ? QStringLiteral("oh") : QString(c));
        groups << digits.join(QLatin1Char(' '));
    }
    return groups.join(QStringLiteral(", "));
}

struct Unit
{
    const char* written;
    const char* one;
    const char* many;
};

constexpr Unit Units[] = {
    {"km/h", "kilometre per hour", "kilometres per hour"},
    {"km²", "square kilometre", "square kilometres"},
    {"m²", "square metre", "square metres"},
    {"m³", "cubic metre", "cubic metres"},
    {"kWh", "kilowatt hour", "kilowatt hours"},
    {"km", "kilometre", "kilometres"},
    {"cm", "centimetre", "centimetres"},
    {"mm", "millimetre", "millimetres"},
    {"kg", "kilogram", "kilograms"},
    {"mg", "milligram", "milligrams"},
    {"ml", "millilitre", "millilitres"},
    {"MB", "megabyte", "megabytes"},
    {"GB", "gigabyte", "gigabytes"},
    {"kB", "kilobyte", "kilobytes"},
    {"KB", "kilobyte", "kilobytes"},
    {"TB", "terabyte", "terabytes"},
    {"kHz", "kilohertz", "kilohertz"},
    {"MHz", "megahertz", "megahertz"},
    {"GHz", "gigahertz", "gigahertz"},
    {"Hz", "hertz", "hertz"},
    {"mph", "mile per hour", "miles per hour"},
    {"kW", "kilowatt", "kilowatts"},
    {"MW", "megawatt", "megawatts"},
    {"ms", "millisecond", "milliseconds"},
};

ReaderRule unitRule()
{
    QStringList written;
    for (const Unit& unit : Units)
        written << QRegularExpression::escape(QString::fromUtf8(unit.written));
    return {readerExpression(
                QStringLiteral(
                    "(?<![\\p{L}\\d.,])(\\d+(?:[.,]\\d+)?)\\s?(?:(%1)|°\\s?([CF]))(?![\\p{L}\\d])")
                    .arg(written.join(QLatin1Char('|')))),
            [](const QRegularExpressionMatch& m) {
                const QString number = m.captured(1);
                const bool one = number == QLatin1String("1");
                if (!m.captured(3).isEmpty())
                    return QStringLiteral("%1 %2 %3")
                        .arg(number, one ? QStringLiteral("degree") : QStringLiteral("degrees"),
                             m.captured(3) == QLatin1String("C") ? QStringLiteral("Celsius")
                                                                 : QStringLiteral("Fahrenheit"));
                for (const Unit& unit : Units)
                    if (m.captured(2) == QString::fromUtf8(unit.written))
                        return QStringLiteral("%1 %2").arg(
                            number, QString::fromUtf8(one ? unit.one : unit.many));
                return QString();
            }};
}

ReaderRule moneyRule()
{
    return {readerExpression(QStringLiteral(
                "(?<![\\p{L}\\d])(?:US)?([$£€])\\s?(\\d{1,3}(?:,\\d{3})+|\\d+)(?:\\.(\\d{2}))?"
                "(?:\\s(thousand|million|billion|trillion))?(?![\\d,]*\\d)")),
            [](const QRegularExpressionMatch& m) {
                const QString sign = m.captured(1);
                const QString whole = m.captured(2);
                const QString scale = m.captured(4);
                const bool one = whole == QLatin1String("1") && scale.isEmpty();
                QString unit = sign == QLatin1String("$")    ? QStringLiteral("dollar")
                               : sign == QStringLiteral("£") ? QStringLiteral("pound")
                                                             : QStringLiteral("euro");
                if (!one)
                    unit += QLatin1Char('s');
                QString said = scale.isEmpty() ? QStringLiteral("%1 %2").arg(whole, unit)
                                               : QStringLiteral("%1 %2 %3").arg(whole, scale, unit);
                const int cents = m.captured(3).toInt();
                if (cents > 0)
                    said += QStringLiteral(" and %1 %2")
                                .arg(cents)
                                .arg(sign == QStringLiteral("£") ? QStringLiteral("pence")
                                     : cents == 1                ? QStringLiteral("cent")
                                                                 : QStringLiteral("cents"));
                return said;
            }};
}

ReaderRule dateRule(DateOrder order)
{
    return {
        readerExpression(
            QStringLiteral("(?<![\\d/.-])(\\d{1,2})/(\\d{1,2})/(\\d{4}|\\d{2})(?![\\d/-])")),
        [order](const QRegularExpressionMatch& m) {
            const int first = m.captured(1).toInt();
            const int second = m.captured(2).toInt();
            // Where the language does not say which comes first, only a day above 12 does.
            bool monthFirst = order == DateOrder::MonthFirst;
            if (order == DateOrder::Unknown) {
                if ((first > 12) == (second > 12))
                    return QString();
                monthFirst = second > 12;
            }
            const int day = monthFirst ? second : first;
            const int month = monthFirst ? first : second;
            int year = m.captured(3).toInt();
            if (m.captured(3).size() == 2)
                year += year < 50 ? 2000 : 1900;
            if (month < 1 || month > 12 || day < 1 || day > 31)
                return QString();
            const QString name = monthNames(QStringLiteral("en")).at(month - 1);
            if (monthFirst)
                return QStringLiteral("%1 %2, %3").arg(name, englishOrdinal(day), spokenYear(year));
            return QStringLiteral("the %1 of %2 %3")
                .arg(englishOrdinal(day), name, spokenYear(year));
        }};
}

QList<ReaderRule> yearRules()
{
    const QString year = QStringLiteral("(1[1-9]\\d\\d|20[1-9]\\d)");
    return {
        // "1914–1918", "1914-18"
        {readerExpression(
             QStringLiteral("(?<![\\d.,/-])%1\\s?[–—-]\\s?(1[1-9]\\d\\d|20[1-9]\\d|\\d\\d)"
                            "(?![\\d.,/-]*\\d|-?\\p{L})")
                 .arg(year)),
         [](const QRegularExpressionMatch& m) {
             const QString end = m.captured(2);
             return QStringLiteral("%1 to %2")
                 .arg(spokenYear(m.captured(1).toInt()),
                      end.size() == 2 ? end : spokenYear(end.toInt()));
         }},
        // "in 1817", "December 1, 1817", "(1817)"
        {readerExpression(
             QStringLiteral(
                 "(?:\\b(?:[Ii]n|[Ss]ince|[Bb]y|[Ff]rom|[Uu]ntil|[Tt]ill|"
                 "[Cc]irca|c\\.|[Dd]uring|[Bb]efore|[Aa]fter|[Yy]ear|"
                 "mid-|(?:%1)(?:\\s\\d{1,2},)?)\\s?|\\()(?<said>%2)(?![\\d.,]\\d|\\s?%)\\b")
                 .arg(Months, year)),
         [](const QRegularExpressionMatch& m) {
             return spokenYear(m.captured(QStringLiteral("said")).toInt());
         }},
        // "the 1990s"
        {readerExpression(QStringLiteral("\\b(1[1-9]|20)(\\d0)s\\b")),
         [](const QRegularExpressionMatch& m) {
             return QStringLiteral("%1 %2s").arg(m.captured(1), m.captured(2));
         }},
    };
}

QList<ReaderRule> numeralRules()
{
    return {
        // "Chapter XIV", "World War II"; "in this section I show" keeps its pronoun
        {readerExpression(QStringLiteral("\\b(%1)(\\s+)(?<said>(?-i:[IVXLCDM]+|[ivx]+))\\b(?!['’-])"
                                         "(?!(?<=\\bI)\\s+\\p{Ll})")
                              .arg(NumberedParts),
                          true),
         [](const QRegularExpressionMatch& m) {
             const int value = romanValue(m.captured(3));
             if (value == 0)
                 return QString();
             return QString::number(value);
         }},
        // "Henry VIII", "Richard I."
        {readerExpression(
             QStringLiteral("\\b(%1)\\s+([IVX]{1,5})(?:\\.(?=\\s*[,;:]|\\s+\\p{Ll})|\\b)(?!['’-])"
                            "(?!(?<=\\bI)\\s+\\p{Ll})")
                 .arg(RegnalNames)),
         [](const QRegularExpressionMatch& m) {
             const int value = romanValue(m.captured(2));
             return value == 0
                        ? QString()
                        : QStringLiteral("%1 the %2").arg(m.captured(1), englishOrdinal(value));
         }},
        // "the XIX century"
        {readerExpression(QStringLiteral("\\b([IVXLC]+)(?:th)?(\\s+centur(?:y|ies))\\b")),
         [](const QRegularExpressionMatch& m) {
             const int value = romanValue(m.captured(1));
             return value == 0 ? QString() : englishOrdinal(value) + m.captured(2);
         }},
    };
}

QList<ReaderRule> abbreviationRules()
{
    const auto range = [](const QString& word) {
        return [word](const QRegularExpressionMatch& m) {
            return QStringLiteral("%1 %2 to %3").arg(word, m.captured(1), m.captured(2));
        };
    };
    const QString number = QStringLiteral("(?=\\s?\\d)");
    return {
        {readerExpression(QStringLiteral("\\bpp?\\.\\s?(\\d+)\\s?[-–—]\\s?(\\d+)\\b")),
         range(QStringLiteral("pages"))},
        fixedRule(QStringLiteral("\\bpp\\.") + number, QStringLiteral("pages")),
        fixedRule(QStringLiteral("\\bp\\.") + number, QStringLiteral("page")),
        fixedRule(QStringLiteral("\\bvols\\.") + number, QStringLiteral("volumes"), true),
        fixedRule(QStringLiteral("\\bvol\\.(?=\\s?(?:\\d|[IVXLC]+\\b))"), QStringLiteral("volume"),
                  true),
        fixedRule(QStringLiteral("\\bch(?:ap)?\\.") + number, QStringLiteral("chapter"), true),
        fixedRule(QStringLiteral("\\bfigs\\.") + number, QStringLiteral("figures"), true),
        fixedRule(QStringLiteral("\\bfig\\.") + number, QStringLiteral("figure"), true),
        fixedRule(QStringLiteral("\\bnos\\.") + number, QStringLiteral("numbers"), true),
        fixedRule(QStringLiteral("\\bno\\.") + number, QStringLiteral("number"), true),
        fixedRule(QStringLiteral("\\beqs?\\.(?=\\s?[\\d(])"), QStringLiteral("equation"), true),
        fixedRule(QStringLiteral("\\bsec\\.") + number, QStringLiteral("section"), true),
        fixedRule(QStringLiteral("\\bart\\.") + number, QStringLiteral("article"), true),
        fixedRule(QStringLiteral("§§") + number, QStringLiteral("sections")),
        fixedRule(QStringLiteral("§") + number, QStringLiteral("section")),
        fixedRule(QStringLiteral("\\be\\.\\s?g\\."), QStringLiteral("for example"), true),
        fixedRule(QStringLiteral("\\bi\\.\\s?e\\."), QStringLiteral("that is"), true),
        fixedRule(QStringLiteral("\\bcf\\."), QStringLiteral("compare"), true),
        fixedRule(QStringLiteral("\\bet al\\."), QStringLiteral("and others")),
        fixedRule(QStringLiteral("\\betc\\."), QStringLiteral("et cetera")),
        fixedRule(QStringLiteral("\\bvs\\."), QStringLiteral("versus")),
        fixedRule(QStringLiteral("\\bapprox\\."), QStringLiteral("approximately"), true),
        fixedRule(QStringLiteral("\\bDr\\.(?=\\s\\p{Lu})"), QStringLiteral("Doctor")),
        fixedRule(QStringLiteral("\\bMrs\\.(?=\\s\\p{Lu})"), QStringLiteral("Missus")),
        fixedRule(QStringLiteral("\\bMr\\.(?=\\s\\p{Lu})"), QStringLiteral("Mister")),
        fixedRule(QStringLiteral("\\bProf\\.(?=\\s\\p{Lu})"), QStringLiteral("Professor")),
        fixedRule(QStringLiteral("\\bSt\\.(?=\\s\\p{Lu})"), QStringLiteral("Saint")),
        fixedRule(QStringLiteral("(?<=\\p{Ll}\\s)St\\.(?=[,;)]|\\s*$|\\s+\\p{Ll})"),
                  QStringLiteral("Street")),
        fixedRule(QStringLiteral("\\bJr\\."), QStringLiteral("Junior")),
    };
}

ReaderRules makeEnglishRules(DateOrder order)
{
    ReaderRules rules =
        addressRules(QStringLiteral("dot"), QStringLiteral("at"), QStringLiteral("slash"));
    // "Call 202-493-2251", "(202) 493-2251"
    rules.append({readerExpression(QStringLiteral("(?<![\\d-])(?:\\+1[\\s.-]?)?(?:\\(\\d{3}\\)\\s?|"
                                                  "\\d{3}[-.])\\d{3}[-.]\\d{4}(?![\\d-])")),
                  [](const QRegularExpressionMatch& m) { return spokenDigits(m.captured()); }});
    rules.append(moneyRule());
    rules.append(dateRule(order));
    rules.append(abbreviationRules());
    rules.append(yearRules());
    rules.append(numeralRules());
    rules.append(unitRule());
    // "pp. 201–213" is taken above; any other range of numbers
    rules.append(
        {readerExpression(QStringLiteral("(?<![\\d.,])(\\d+)\\s?[–—]\\s?(\\d+)(?![\\d.,]*\\d)")),
         [](const QRegularExpressionMatch& m) {
             return QStringLiteral("%1 to %2").arg(m.captured(1), m.captured(2));
         }});
    rules.append(symbolRules(QStringLiteral("squared"), QStringLiteral("cubed"),
                             QStringLiteral("to the power")));
    return rules;
}

} // namespace

const ReaderRules& englishRules(DateOrder order)
{
    static const ReaderRules unknown = makeEnglishRules(DateOrder::Unknown);
    static const ReaderRules dayFirst = makeEnglishRules(DateOrder::DayFirst);
    static const ReaderRules monthFirst = makeEnglishRules(DateOrder::MonthFirst);
    return order == DateOrder::MonthFirst ? monthFirst
           : order == DateOrder::DayFirst ? dayFirst
                                          : unknown;
}

} // namespace lectorix
