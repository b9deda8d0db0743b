// How a German reader says what is written in figures, abbreviations and numerals.

#include "core/text/normalising/language_forms.h"

namespace lectorix {

namespace {

const QString Months = QStringLiteral(
    "Januar|Februar|März|April|Mai|Juni|Juli|August|September|Oktober|November|Dezember");

constexpr FixedForm Units[] = {
    {u"km/h", u"Kilometer pro Stunde"},
    {u"km", u"Kilometer"},
    {u"cm", u"Zentimeter"},
    {u"mm", u"Millimeter"},

    {u"kg", u"Kilogramm"},
    {u"mg", u"Milligramm"},

    {u"ml", u"Milliliter"},
    {u"MB", u"Megabyte"},
    {u"GB", u"Gigabyte"},
    {u"°C", u"Grad Celsius"},
    {u"€", u"Euro"},
    {u"$", u"Dollar"},
    {u"EUR", u"Euro"},
};

ReaderRule unitRule()
{
    QStringList written;
    for (const FixedForm& unit : Units)
        written << QRegularExpression::escape(QString::fromUtf16(unit.pattern));
    return {readerExpression(QStringLiteral("(?<![\\p{L}\\d.,])(\\d{1,3}(?:\\.\\d{3})+|\\d+)"
                                            "(?:,(\\d+|-))?\\s?(%1)(?![\\p{L}\\d])")
                                 .arg(written.join(QLatin1Char('|')))),
            [](const QRegularExpressionMatch& m) {
                QString whole = m.captured(1);
                whole.remove(QLatin1Char('.'));
                QString fraction = m.captured(2);
                for (const FixedForm& unit : Units) {
                    if (m.captured(3) != QString::fromUtf16(unit.pattern))
                        continue;
                    const QString name = QString::fromUtf16(unit.spoken);
                    const bool money =
                        name == QLatin1String("Euro") || name == QLatin1String("Dollar");
                    if (fraction == QLatin1String("-") || fraction.toInt() == 0)
                        fraction.clear();
                    if (fraction.isEmpty())
                        return QStringLiteral("%1 %2").arg(whole, name);
                    return money ? QStringLiteral("%1 %2 %3").arg(whole, name, fraction)
                                 : QStringLiteral("%1,%2 %3").arg(whole, fraction, name);
                }
                return QString();
            }};
}

// "am 3. Oktober", "am 03.10.1990", "03.10.1990": the day as its ordinal.
ReaderRule dateRule()
{
    return {readerExpression(
                QStringLiteral("(?:\\b((?i:am|vom|zum|bis zum|seit dem))\\s)?"
                               "(?<![\\d.])(\\d{1,2})\\.\\s?(?:(\\d{1,2})\\.(\\d{4})|(%1))\\b")
                    .arg(Months)),
            [](const QRegularExpressionMatch& m) {
                const int day = m.captured(2).toInt();
                const int month = m.captured(3).isEmpty()
                                      ? Months.split(QLatin1Char('|')).indexOf(m.captured(5)) + 1
                                      : m.captured(3).toInt();
                if (month < 1 || month > 12 || day < 1 || day > 31)
                    return QString();
                const QString before = m.captured(1);
                QString said = germanOrdinal(day) +
                               (before.isEmpty() ? QStringLiteral("r") : QStringLiteral("n"));
                if (!before.isEmpty())
                    said = before + QLatin1Char(' ') + said;
                said += QLatin1Char(' ') + monthNames(QStringLiteral("de")).at(month - 1);
                if (!m.captured(4).isEmpty())
                    said += QLatin1Char(' ') + m.captured(4);
                return said;
            }};
}

ReaderRules makeGermanRules()
{
    ReaderRules rules =
        addressRules(QStringLiteral("Punkt"), QStringLiteral("at"), QStringLiteral("Schrägstrich"));
    rules.append(dateRule());
    rules.append(fixedRules({
        {u"\\bz\\.\\s?B\\.", u"zum Beispiel"},
        {u"\\bd\\.\\s?h\\.", u"das heißt"},
        {u"\\bu\\.\\s?a\\.", u"unter anderem"},
        {u"\\bu\\.\\s?U\\.", u"unter Umständen"},
        {u"\\bo\\.\\s?Ä\\.", u"oder Ähnliches"},
        {u"\\bz\\.\\s?T\\.", u"zum Teil"},
        {u"\\bv\\.\\s?a\\.", u"vor allem"},
        {u"\\busw\\.", u"und so weiter"},
        {u"\\bbzw\\.", u"beziehungsweise"},
        {u"\\bca\\.", u"circa"},
        {u"\\bvgl\\.", u"vergleiche"},
        {u"\\bggf\\.", u"gegebenenfalls"},
        {u"\\bevtl\\.", u"eventuell"},
        {u"\\binkl\\.", u"inklusive"},
        {u"\\bsog\\.", u"sogenannt"},
        {u"\\bS\\.(?=\\s?\\d)", u"Seite"},
        {u"\\bNr\\.(?=\\s?\\d)", u"Nummer"},
        {u"\\bAbb\\.(?=\\s?\\d)", u"Abbildung"},
        {u"\\bKap\\.(?=\\s?\\d)", u"Kapitel"},
        {u"\\bBd\\.(?=\\s?\\d)", u"Band"},
        {u"\\bTab\\.(?=\\s?\\d)", u"Tabelle"},
        {u"\\bHr\\.(?=\\s\\p{Lu})", u"Herr"},
        {u"\\bHrn\\.(?=\\s\\p{Lu})", u"Herrn"},
        {u"\\bFr\\.(?=\\s\\p{Lu})", u"Frau"},
        {u"\\bDr\\.(?=\\s\\p{Lu})", u"Doktor"},
        {u"\\bProf\\.(?=\\s\\p{Lu})", u"Professor"},
        {u"(?<=\\p{Ll})str\\.", u"straße"},
        {u"\\bStr\\.", u"Straße"},
        {u"\\bJh\\.", u"Jahrhundert"},
    }));
    rules.append(numberedPartRule(
        QStringLiteral("Kapitel|Teil|Band|Buch|Abschnitt|Anhang|Akt|Szene|Artikel|Titel")));
    // "Heinrich VIII." is "Heinrich der Achte"
    rules.append(
        {readerExpression(QStringLiteral(
             "\\b(Heinrich|Karl|Friedrich|Wilhelm|Ludwig|Otto|Rudolf|Maximilian|Leopold|"
             "Franz|Joseph|Georg|Johannes|Benedikt|Pius|Gregor|Innozenz|Elisabeth|"
             "Katharina|Peter|Iwan|Konrad|Albrecht|Sigismund)\\s+([IVX]{1,5})\\.?(?![\\p{L}'’-])")),
         [](const QRegularExpressionMatch& m) {
             const QString ordinal = germanOrdinal(romanValue(m.captured(2)));
             if (ordinal.isEmpty())
                 return QString();
             const bool feminine = m.captured(1) == QLatin1String("Elisabeth") ||
                                   m.captured(1) == QLatin1String("Katharina");
             return QStringLiteral("%1 %2 %3%4")
                 .arg(m.captured(1), feminine ? QStringLiteral("die") : QStringLiteral("der"),
                      ordinal.at(0).toUpper(), ordinal.mid(1));
         }});
    // "im 19. Jahrhundert"
    rules.append({readerExpression(QStringLiteral(
                      "\\b(im|das|des)\\s(\\d{1,2})\\.(?=\\s?(?:Jh\\.|Jahrhundert))")),
                  [](const QRegularExpressionMatch& m) {
                      const QString ordinal = germanOrdinal(m.captured(2).toInt());
                      if (ordinal.isEmpty())
                          return QString();
                      return QStringLiteral("%1 %2%3").arg(
                          m.captured(1), ordinal,
                          m.captured(1) == QLatin1String("das") ? QString() : QStringLiteral("n"));
                  }});
    rules.append(unitRule());
    rules.append(rangeRule(QStringLiteral("bis")));
    rules.append(symbolRules(QStringLiteral("Quadrat"), QStringLiteral("hoch drei"),
                             QStringLiteral("hoch")));
    return rules;
}

} // namespace

const ReaderRules& germanRules()
{
    static const ReaderRules rules = makeGermanRules();
    return rules;
}

} // namespace lectorix
