// How a French reader says what is written in figures, abbreviations and numerals.

#include "core/text/normalising/language_forms.h"

namespace lectorix {

namespace {

struct FrenchUnit
{
    const char16_t* written;
    const char16_t* one;
    const char16_t* many;
};

constexpr FrenchUnit Units[] = {
    {u"km/h", u"kilomètre par heure", u"kilomètres par heure"},
    {u"km", u"kilomètre", u"kilomètres"},
    {u"cm", u"centimètre", u"centimètres"},
    {u"mm", u"millimètre", u"millimètres"},
    {u"kg", u"kilogramme", u"kilogrammes"},
    {u"mg", u"milligramme", u"milligrammes"},
    {u"ml", u"millilitre", u"millilitres"},
    {u"Mo", u"mégaoctet", u"mégaoctets"},
    {u"Go", u"gigaoctet", u"gigaoctets"},
    {u"ko", u"kilooctet", u"kilooctets"},
    {u"°C", u"degré Celsius", u"degrés Celsius"},
    {u"€", u"euro", u"euros"},
    {u"$", u"dollar", u"dollars"},
};

// "2,5 km", "30 °C", "1 234,50 €": the number as written (its blanks between thousands
// left out), then its unit in words; money's cents after the whole.
ReaderRule unitRule()
{
    QStringList written;
    for (const FrenchUnit& unit : Units)
        written << QRegularExpression::escape(QString::fromUtf16(unit.written));
    return {readerExpression(QStringLiteral("(?<![\\p{L}\\d.,])(\\d{1,3}(?:[  ]\\d{3})+|\\d+)"
                                            "(?:,(\\d+))?\\s?(%1)(?![\\p{L}\\d])")
                                 .arg(written.join(QLatin1Char('|')))),
            [](const QRegularExpressionMatch& m) {
                QString whole = m.captured(1);
                whole.remove(QRegularExpression(QStringLiteral("[  ]")));
                const QString fraction = m.captured(2);
                for (const FrenchUnit& unit : Units) {
                    if (m.captured(3) != QString::fromUtf16(unit.written))
                        continue;
                    const bool money = unit.written[0] == u'€' || unit.written[0] == u'$';
                    const bool one = whole == QLatin1String("1") && (money || fraction.isEmpty());
                    const QString name = QString::fromUtf16(one ? unit.one : unit.many);
                    if (money)
                        return fraction.isEmpty() || fraction.toInt() == 0
                                   ? QStringLiteral("%1 %2").arg(whole, name)
                                   : QStringLiteral("%1 %2 %3").arg(whole, name, fraction);
                    return fraction.isEmpty()
                               ? QStringLiteral("%1 %2").arg(whole, name)
                               : QStringLiteral("%1,%2 %3").arg(whole, fraction, name);
                }
                return QString();
            }};
}

ReaderRules makeFrenchRules()
{
    ReaderRules rules =
        addressRules(QStringLiteral("point"), QStringLiteral("arobase"), QStringLiteral("slash"));
    // "$85", "€ 15"
    rules.append({readerExpression(QStringLiteral("([$€])\\s?(\\d+)(?![\\d,.]*\\d)")),
                  [](const QRegularExpressionMatch& m) {
                      const bool one = m.captured(2) == QLatin1String("1");
                      const QString name = m.captured(1) == QLatin1String("$")
                                               ? QStringLiteral("dollar")
                                               : QStringLiteral("euro");
                      return QStringLiteral("%1 %2%3").arg(m.captured(2), name,
                                                           one ? QString() : QStringLiteral("s"));
                  }});
    // "01/12/2008"
    rules.append({readerExpression(QStringLiteral(
                      "(?<![\\d/.-])(\\d{1,2})[/.](\\d{1,2})[/.](\\d{4})(?![\\d/])")),
                  [](const QRegularExpressionMatch& m) {
                      const int day = m.captured(1).toInt();
                      const int month = m.captured(2).toInt();
                      if (month < 1 || month > 12 || day < 1 || day > 31)
                          return QString();
                      return QStringLiteral("%1 %2 %3")
                          .arg(day == 1 ? QStringLiteral("premier") : QString::number(day),
                               monthNames(QStringLiteral("fr")).at(month - 1), m.captured(3));
                  }});
    rules.append(fixedRules({
        {u"\\bp\\.\\s?ex\\.", u"par exemple"},
        {u"\\bc\\.-à-d\\.", u"c'est-à-dire"},
        {u"\\bpp\\.(?=\\s?\\d)", u"pages"},
        {u"\\bp\\.(?=\\s?\\d)", u"page"},
        {u"\\bart\\.(?=\\s?\\d)", u"article"},
        {u"\\bchap\\.(?=\\s?\\d)", u"chapitre"},
        {u"\\bvol\\.(?=\\s?\\d)", u"volume"},
        {u"\\bfig\\.(?=\\s?\\d)", u"figure"},
        {u"(?:\\bn°|\\bno\\.?|\\bN°)(?=\\s?\\d)", u"numéro"},
        {u"\\bMM\\.(?=\\s\\p{Lu})", u"Messieurs"},
        {u"\\bM\\.(?=\\s\\p{Lu})", u"Monsieur"},
        {u"\\bMmes\\b", u"Mesdames"},
        {u"\\bMme\\b", u"Madame"},
        {u"\\bMlle\\b", u"Mademoiselle"},
        {u"\\bMe(?=\\s\\p{Lu})", u"Maître"},
        {u"\\bDr\\.?(?=\\s\\p{Lu})", u"Docteur"},
        {u"\\bSte(?=[\\s-]\\p{Lu})", u"Sainte"},
        {u"\\bSt(?=[\\s-]\\p{Lu})", u"Saint"},
        {u"\\bbd\\b\\.?", u"boulevard"},
        {u"\\bav\\.", u"avenue"},
        {u"\\betc\\.", u"et cetera"},
        {u"\\bcf\\.", u"confer"},
        {u"\\benv\\.(?=\\s?\\d)", u"environ"},
    }));
    // "1er", "2e", "XIXe siècle", "François Ier"
    rules.append(
        {readerExpression(QStringLiteral(
             "\\b(\\d{1,2}|(?-i:[IVXLC]{2,}|I(?=er)|[IVX](?=e\\s+siècle)))(er|re|ère|e|ème|è)\\b")),
         [](const QRegularExpressionMatch& m) {
             bool digits = false;
             int value = m.captured(1).toInt(&digits);
             if (!digits)
                 value = romanValue(m.captured(1));
             const QString suffix = m.captured(2);
             if (value == 0 || ((suffix == QLatin1String("er") || suffix == QLatin1String("re") ||
                                 suffix == QLatin1String("ère")) != (value == 1)))
                 return QString();
             return frenchOrdinal(value, suffix != QLatin1String("er"));
         }});
    rules.append(numberedPartRule(QStringLiteral(
        "chapitre|partie|livre|tome|titre|article|section|annexe|acte|scène|volume|chant")));
    // Kings and popes by their number: "Louis XIV" is "Louis 14"
    rules.append({readerExpression(QStringLiteral(
                      "\\b(Louis|Henri|Charles|François|Philippe|Napoléon|Jean|Pie|Léon|Benoît|"
                      "Grégoire|Élisabeth|Catherine|Pierre|Guillaume|Édouard|Richard|Frédéric|"
                      "Nicolas|Alexandre)\\s+([IVX]{1,5})\\b(?![\\p{L}'’-])")),
                  [](const QRegularExpressionMatch& m) {
                      const int value = romanValue(m.captured(2));
                      return value == 0 ? QString()
                                        : QStringLiteral("%1 %2").arg(m.captured(1),
                                                                      QString::number(value));
                  }});
    // "14h30", "9 h"
    rules.append(
        {readerExpression(QStringLiteral("\\b(\\d{1,2})\\s?h\\s?(\\d{2})?(?![\\p{L}\\d])")),
         [](const QRegularExpressionMatch& m) {
             const int hour = m.captured(1).toInt();
             if (hour > 24)
                 return QString();
             QString said = QStringLiteral("%1 %2").arg(
                 m.captured(1), hour == 1 ? QStringLiteral("heure") : QStringLiteral("heures"));
             if (!m.captured(2).isEmpty() && m.captured(2) != QLatin1String("00"))
                 said += QLatin1Char(' ') + m.captured(2);
             return said;
         }});
    rules.append(unitRule());
    rules.append(rangeRule(QStringLiteral("à")));
    rules.append(symbolRules(QStringLiteral("au carré"), QStringLiteral("au cube"),
                             QStringLiteral("puissance")));
    return rules;
}

} // namespace

const ReaderRules& frenchRules()
{
    static const ReaderRules rules = makeFrenchRules();
    return rules;
}

} // namespace lectorix
