// Ordinals, counted forms and month names, as the languages' rules say them.

#include "core/text/normalising/language_forms.h"

#include <QStringList>

#include <array>

namespace lectorix {

namespace {

// French numbers in words, 1 to 100.
QString frenchCardinal(int n)
{
    static const std::array<const char16_t*, 17> small = {
        u"",     u"un",  u"deux", u"trois", u"quatre", u"cinq",     u"six",    u"sept", u"huit",
        u"neuf", u"dix", u"onze", u"douze", u"treize", u"quatorze", u"quinze", u"seize"};
    static const std::array<const char16_t*, 7> tens = {
        u"", u"dix", u"vingt", u"trente", u"quarante", u"cinquante", u"soixante"};
    if (n <= 16)
        return QString::fromUtf16(small.at(n));
    if (n < 20)
        return QStringLiteral("dix-") + QString::fromUtf16(small.at(n - 10));
    if (n == 100)
        return QStringLiteral("cent");
    if (n >= 80) {
        if (n == 80)
            return QStringLiteral("quatre-vingts");
        return QStringLiteral("quatre-vingt-") + frenchCardinal(n - 80);
    }
    if (n >= 70)
        return n == 71 ? QStringLiteral("soixante et onze")
                       : QStringLiteral("soixante-") + frenchCardinal(n - 60);
    const QString ten = QString::fromUtf16(tens.at(n / 10));
    if (n % 10 == 0)
        return ten;
    if (n % 10 == 1)
        return ten + QStringLiteral(" et un");
    return ten + QLatin1Char('-') + QString::fromUtf16(small.at(n % 10));
}

} // namespace

QString englishOrdinal(qint64 number)
{
    const qint64 lastTwo = number % 100;
    const qint64 last = number % 10;
    const char* suffix = "th";
    if (lastTwo < 11 || lastTwo > 13) {
        if (last == 1)
            suffix = "st";
        else if (last == 2)
            suffix = "nd";
        else if (last == 3)
            suffix = "rd";
    }
    return QString::number(number) + QLatin1String(suffix);
}

QString frenchOrdinal(int number, bool feminine)
{
    if (number < 1 || number > 100)
        return QString();
    if (number == 1)
        return feminine ? QStringLiteral("première") : QStringLiteral("premier");
    QString word = frenchCardinal(number);
    if (word.endsWith(QLatin1String("cinq")))
        word += QLatin1Char('u');
    else if (word.endsWith(QLatin1String("neuf")))
        word.replace(word.size() - 1, 1, QLatin1Char('v'));
    else if (word.endsWith(QLatin1String("vingts")) || word.endsWith(QLatin1Char('e')))
        word.chop(1);
    return word + QStringLiteral("ième");
}

QString spanishOrdinal(int number)
{
    static const std::array<const char16_t*, 11> words = {
        u"",      u"primero", u"segundo", u"tercero", u"cuarto", u"quinto",
        u"sexto", u"séptimo", u"octavo",  u"noveno",  u"décimo"};
    if (number >= 1 && number <= 10)
        return QString::fromUtf16(words.at(number));
    return QString::number(number);
}

QString germanOrdinal(int number)
{
    static const std::array<const char16_t*, 32> words = {u"",
                                                          u"erste",
                                                          u"zweite",
                                                          u"dritte",
                                                          u"vierte",
                                                          u"fünfte",
                                                          u"sechste",
                                                          u"siebte",
                                                          u"achte",
                                                          u"neunte",
                                                          u"zehnte",
                                                          u"elfte",
                                                          u"zwölfte",
                                                          u"dreizehnte",
                                                          u"vierzehnte",
                                                          u"fünfzehnte",
                                                          u"sechzehnte",
                                                          u"siebzehnte",
                                                          u"achtzehnte",
                                                          u"neunzehnte",
                                                          u"zwanzigste",
                                                          u"einundzwanzigste",
                                                          u"zweiundzwanzigste",
                                                          u"dreiundzwanzigste",
                                                          u"vierundzwanzigste",
                                                          u"fünfundzwanzigste",
                                                          u"sechsundzwanzigste",
                                                          u"siebenundzwanzigste",
                                                          u"achtundzwanzigste",
                                                          u"neunundzwanzigste",
                                                          u"dreißigste",
                                                          u"einunddreißigste"};
    if (number >= 1 && number <= 31)
        return QString::fromUtf16(words.at(number));
    return QString();
}

QString russianOrdinal(int number, bool prepositional)
{
    static const std::array<const char16_t*, 20> units = {u"",
                                                          u"первый",
                                                          u"второй",
                                                          u"третий",
                                                          u"четвёртый",
                                                          u"пятый",
                                                          u"шестой",
                                                          u"седьмой",
                                                          u"восьмой",
                                                          u"девятый",
                                                          u"десятый",
                                                          u"одиннадцатый",
                                                          u"двенадцатый",
                                                          u"тринадцатый",
                                                          u"четырнадцатый",
                                                          u"пятнадцатый",
                                                          u"шестнадцатый",
                                                          u"семнадцатый",
                                                          u"восемнадцатый",
                                                          u"девятнадцатый"};
    static const std::array<const char16_t*, 11> tens = {u"",
                                                         u"",
                                                         u"двадцатый",
                                                         u"тридцатый",
                                                         u"сороковой",
                                                         u"пятидесятый",
                                                         u"шестидесятый",
                                                         u"семидесятый",
                                                         u"восьмидесятый",
                                                         u"девяностый",
                                                         u"сотый"};
    static const std::array<const char16_t*, 10> cardinalTens = {
        u"",          u"",           u"двадцать",  u"тридцать",    u"сорок",
        u"пятьдесят", u"шестьдесят", u"семьдесят", u"восемьдесят", u"девяносто"};
    if (number < 1 || number > 100)
        return QString();
    QString prefix;
    QString word;
    if (number < 20) {
        word = QString::fromUtf16(units.at(number));
    } else if (number % 10 == 0) {
        word = QString::fromUtf16(tens.at(number / 10));
    } else {
        prefix = QString::fromUtf16(cardinalTens.at(number / 10)) + QLatin1Char(' ');
        word = QString::fromUtf16(units.at(number % 10));
    }
    if (prepositional) {
        if (word.endsWith(QStringLiteral("ий")))
            word = word.chopped(2) + QStringLiteral("ьем");
        else
            word = word.chopped(2) + QStringLiteral("ом");
    }
    return prefix + word;
}

QString russianCounted(qint64 number, const QString& one, const QString& few, const QString& many)
{
    const qint64 lastTwo = number % 100;
    const qint64 last = number % 10;
    if (lastTwo >= 11 && lastTwo <= 14)
        return many;
    if (last == 1)
        return one;
    if (last >= 2 && last <= 4)
        return few;
    return many;
}

const QStringList& monthNames(const QString& language)
{
    static const QStringList english =
        QStringLiteral(
            "January February March April May June July August September October November December")
            .split(QLatin1Char(' '));
    static const QStringList french =
        QStringLiteral("janvier février mars avril mai juin juillet août septembre octobre "
                       "novembre décembre")
            .split(QLatin1Char(' '));
    static const QStringList german =
        QStringLiteral("Januar Februar März April Mai Juni Juli August September Oktober "
                       "November Dezember")
            .split(QLatin1Char(' '));
    static const QStringList spanish =
        QStringLiteral("enero febrero marzo abril mayo junio julio agosto septiembre octubre "
                       "noviembre diciembre")
            .split(QLatin1Char(' '));
    static const QStringList russian =
        QStringLiteral("января февраля марта апреля мая июня июля августа сентября октября "
                       "ноября декабря")
            .split(QLatin1Char(' '));
    if (language == QLatin1String("fr"))
        return french;
    if (language == QLatin1String("de"))
        return german;
    if (language == QLatin1String("es"))
        return spanish;
    if (language == QLatin1String("ru"))
        return russian;
    return english;
}

} // namespace lectorix
