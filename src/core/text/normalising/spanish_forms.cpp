// How a Spanish reader says what is written in figures, abbreviations and numerals.

#include "core/text/normalising/language_forms.h"

namespace lectorix {

namespace {

struct SpanishUnit
{
    const char16_t* written;
    const char16_t* one;
    const char16_t* many;
};

constexpr SpanishUnit Units[] = {
    {u"km/h", u"kilómetro por hora", u"kilómetros por hora"},
    {u"km", u"kilómetro", u"kilómetros"},
    {u"cm", u"centímetro", u"centímetros"},
    {u"mm", u"milímetro", u"milímetros"},
    {u"kg", u"kilo", u"kilos"},
    {u"°C", u"grado centígrado", u"grados centígrados"},
    {u"€", u"euro", u"euros"},
};

ReaderRule unitRule()
{
    QStringList written;
    for (const SpanishUnit& unit : Units)
        written << QRegularExpression::escape(QString::fromUtf16(unit.written));
    return {
        readerExpression(QStringLiteral("(?<![\\p{L}\\d.,])(\\d+(?:,\\d+)?)\\s?(%1)(?![\\p{L}\\d])")
                             .arg(written.join(QLatin1Char('|')))),
        [](const QRegularExpressionMatch& m) {
            for (const SpanishUnit& unit : Units)
                if (m.captured(2) == QString::fromUtf16(unit.written))
                    return QStringLiteral("%1 %2").arg(
                        m.captured(1),
                        QString::fromUtf16(m.captured(1) == QLatin1String("1") ? unit.one
                                                                               : unit.many));
            return QString();
        }};
}

ReaderRules makeSpanishRules()
{
    ReaderRules rules =
        addressRules(QStringLiteral("punto"), QStringLiteral("arroba"), QStringLiteral("barra"));
    // "$85" is "85 dólares"
    rules.append(
        {readerExpression(QStringLiteral("(?<![\\p{L}\\d])(?:US)?\\$\\s?(\\d+)(?![\\d,.]*\\d)")),
         [](const QRegularExpressionMatch& m) {
             return QStringLiteral("%1 %2").arg(m.captured(1), m.captured(1) == QLatin1String("1")
                                                                   ? QStringLiteral("dólar")
                                                                   : QStringLiteral("dólares"));
         }});
    // "01/12/2008" is "1 de diciembre de 2008"
    rules.append(
        {readerExpression(QStringLiteral("(?<![\\d/.-])(\\d{1,2})/(\\d{1,2})/(\\d{4})(?![\\d/])")),
         [](const QRegularExpressionMatch& m) {
             const int day = m.captured(1).toInt();
             const int month = m.captured(2).toInt();
             if (month < 1 || month > 12 || day < 1 || day > 31)
                 return QString();
             return QStringLiteral("%1 de %2 de %3")
                 .arg(day)
                 .arg(monthNames(QStringLiteral("es")).at(month - 1), m.captured(3));
         }});
    rules.append(fixedRules({
        {u"\\bp\\.\\s?ej\\.", u"por ejemplo"},
        {u"\\bEE\\.\\s?UU\\.", u"Estados Unidos"},
        {u"\\bSra\\.", u"señora"},
        {u"\\bSrta\\.", u"señorita"},
        {u"\\bSr\\.", u"señor"},
        {u"\\bDra\\.", u"doctora"},
        {u"\\bDr\\.", u"doctor"},
        {u"\\bUds\\.", u"ustedes"},
        {u"\\bUd\\.", u"usted"},
        {u"\\bpágs\\.(?=\\s?\\d)", u"páginas"},
        {u"\\bpág\\.(?=\\s?\\d)", u"página"},
        {u"(?:\\bnúm\\.|\\bn\\.º|\\bnº)(?=\\s?\\d)", u"número"},
        {u"\\bcap\\.(?=\\s?\\d)", u"capítulo"},
        {u"\\bvol\\.(?=\\s?\\d)", u"volumen"},
        {u"\\bart\\.(?=\\s?\\d)", u"artículo"},
        {u"\\bAvda?\\.", u"avenida"},
        {u"\\baprox\\.", u"aproximadamente"},
        {u"\\betc\\.", u"etcétera"},
    }));
    rules.append(numberedPartRule(QStringLiteral(
        "capítulo|parte|libro|tomo|sección|artículo|acto|volumen|título|anexo|siglo")));
    // "Felipe II" is "Felipe segundo", "Alfonso XIII" "Alfonso 13"
    rules.append({readerExpression(QStringLiteral(
                      "\\b(Felipe|Carlos|Alfonso|Fernando|Juan|Isabel|Enrique|Pedro|Luis|Jaime|"
                      "Sancho|Pío|Benedicto|Gregorio|León|Francisco|Ramiro|García)\\s+"
                      "([IVX]{1,5})\\b(?![\\p{L}'’-])")),
                  [](const QRegularExpressionMatch& m) {
                      const int value = romanValue(m.captured(2));
                      return value == 0 ? QString()
                                        : QStringLiteral("%1 %2").arg(m.captured(1),
                                                                      spanishOrdinal(value));
                  }});
    rules.append(unitRule());
    rules.append(rangeRule(QStringLiteral("a")));
    rules.append(symbolRules(QStringLiteral("al cuadrado"), QStringLiteral("al cubo"),
                             QStringLiteral("elevado a")));
    return rules;
}

} // namespace

const ReaderRules& spanishRules()
{
    static const ReaderRules rules = makeSpanishRules();
    return rules;
}

} // namespace lectorix
