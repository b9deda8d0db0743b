// How a Russian reader says what is written in figures, abbreviations and numerals.

#include "core/text/normalising/language_forms.h"

namespace lectorix {

namespace {

struct CountedWord
{
    const char16_t* written;
    const char16_t* one;
    const char16_t* few;
    const char16_t* many;
};

// Words after a number, in the form the number asks for.
constexpr CountedWord Counted[] = {
    {u"руб\\.", u"рубль", u"рубля", u"рублей"},
    {u"₽", u"рубль", u"рубля", u"рублей"},
    {u"коп\\.", u"копейка", u"копейки", u"копеек"},
    {u"\\$", u"доллар", u"доллара", u"долларов"},
    {u"тыс\\.", u"тысяча", u"тысячи", u"тысяч"},
    {u"млн\\.?", u"миллион", u"миллиона", u"миллионов"},
    {u"млрд\\.?", u"миллиард", u"миллиарда", u"миллиардов"},
    {u"с\\.", u"страница", u"страницы", u"страниц"},
    {u"км", u"километр", u"километра", u"километров"},
    {u"кг", u"килограмм", u"килограмма", u"килограммов"},
    {u"см", u"сантиметр", u"сантиметра", u"сантиметров"},
    {u"мм", u"миллиметр", u"миллиметра", u"миллиметров"},
    {u"°C", u"градус Цельсия", u"градуса Цельсия", u"градусов Цельсия"},
    {u"°С", u"градус Цельсия", u"градуса Цельсия", u"градусов Цельсия"},
};

ReaderRule countedRule()
{
    QStringList written;
    for (const CountedWord& word : Counted)
        written << QString::fromUtf16(word.written);
    return {readerExpression(QStringLiteral("(?<![\\p{L}\\d.,])(\\d{1,3}(?:[  ]\\d{3})+|\\d+)"
                                            "\\s?(%1)(?![\\p{L}\\d])")
                                 .arg(written.join(QLatin1Char('|')))),
            [](const QRegularExpressionMatch& m) {
                QString digits = m.captured(1);
                digits.remove(QRegularExpression(QStringLiteral("[  ]")));
                const qint64 number = digits.toLongLong();
                for (const CountedWord& word : Counted) {
                    if (!QRegularExpression(
                             QStringLiteral("^(?:%1)$").arg(QString::fromUtf16(word.written)))
                             .match(m.captured(2))
                             .hasMatch())
                        continue;
                    return QStringLiteral("%1 %2").arg(
                        digits, russianCounted(number, QString::fromUtf16(word.one),
                                               QString::fromUtf16(word.few),
                                               QString::fromUtf16(word.many)));
                }
                return QString();
            }};
}

// The neuter ordinal of a day: "первое", "третье".
QString dayOrdinal(int day)
{
    const QString masculine = russianOrdinal(day);
    if (masculine.endsWith(QStringLiteral("ий")))
        return masculine.chopped(2) + QStringLiteral("ье");
    return masculine.chopped(2) + QStringLiteral("ое");
}

ReaderRules makeRussianRules()
{
    ReaderRules rules =
        addressRules(QStringLiteral("точка"), QStringLiteral("собака"), QStringLiteral("слэш"));
    // "в 2003 г." is "в 2003 году", "1941–1945 гг." "1941–1945 годы"
    rules.append(
        {readerExpression(QStringLiteral("(?:\\b([вВ])\\s)?(\\d{4}(?:\\s?[–—-]\\s?\\d{2,4})?)"
                                         "\\s?(гг?)\\.(?!\\p{L})")),
         [](const QRegularExpressionMatch& m) {
             const bool in = !m.captured(1).isEmpty();
             const bool several = m.captured(3) == QStringLiteral("гг");
             const QString word = several ? (in ? QStringLiteral("годах") : QStringLiteral("годы"))
                                          : (in ? QStringLiteral("году") : QStringLiteral("год"));
             return (in ? m.captured(1) + QLatin1Char(' ') : QString()) + m.captured(2) +
                    QLatin1Char(' ') + word;
         }});
    // "XIX в.", "в XIX в.", "XIX век"
    rules.append({readerExpression(QStringLiteral(
                      "(?:\\b([вВ])\\s)?\\b([IVXL]+)\\s?(?:(вв?)\\.|(век|веке|века)\\b)")),
                  [](const QRegularExpressionMatch& m) {
                      const int value = romanValue(m.captured(2));
                      if (value == 0)
                          return QString();
                      const bool in =
                          !m.captured(1).isEmpty() || m.captured(4) == QStringLiteral("веке");
                      if (m.captured(4) == QStringLiteral("века"))
                          return QString::number(value) + QStringLiteral(" века");
                      const QString prefix =
                          m.captured(1).isEmpty() ? QString() : m.captured(1) + QLatin1Char(' ');
                      return prefix + russianOrdinal(value, in) +
                             (in ? QStringLiteral(" веке") : QStringLiteral(" век"));
                  }});
    // "01.12.2008" is "первое декабря 2008 года"
    rules.append({readerExpression(QStringLiteral(
                      "(?<![\\d.])(\\d{1,2})\\.(\\d{1,2})\\.(\\d{4})(?:\\s?г\\.)?(?![\\d.]\\d)")),
                  [](const QRegularExpressionMatch& m) {
                      const int day = m.captured(1).toInt();
                      const int month = m.captured(2).toInt();
                      if (month < 1 || month > 12 || day < 1 || day > 31)
                          return QString();
                      return QStringLiteral("%1 %2 %3 года")
                          .arg(dayOrdinal(day), monthNames(QStringLiteral("ru")).at(month - 1),
                               m.captured(3));
                  }});
    // "2-й", "3-я"
    rules.append({readerExpression(QStringLiteral("\\b(\\d{1,2})-(й|я)(?!\\p{L})")),
                  [](const QRegularExpressionMatch& m) {
                      const QString masculine = russianOrdinal(m.captured(1).toInt());
                      if (masculine.isEmpty() || m.captured(2) == QStringLiteral("й"))
                          return masculine;
                      if (masculine.endsWith(QStringLiteral("ий")))
                          return masculine.chopped(2) + QStringLiteral("ья");
                      return masculine.chopped(2) + QStringLiteral("ая");
                  }});
    rules.append(fixedRules({
        {u"\\bи\\s?т\\.\\s?д\\.", u"и так далее"},
        {u"\\bи\\s?т\\.\\s?п\\.", u"и тому подобное"},
        {u"\\bи\\s?др\\.", u"и другие"},
        {u"\\bт\\.\\s?е\\.", u"то есть"},
        {u"\\bт\\.\\s?к\\.", u"так как"},
        {u"\\bпод\\s?ред\\.", u"под редакцией"},
        {u"\\bсм\\.(?!\\s?\\d)", u"смотри"},
        {u"(?<=\\bсм\\. |\\bсм\\.)с\\.(?=\\s?\\d)", u"страницу"},
        {u"\\bс\\.(?=\\s?\\d)", u"страница"},
        {u"\\bстр\\.(?=\\s?\\d)", u"страница"},
        {u"\\bрис\\.(?=\\s?\\d)", u"рисунок"},
        {u"\\bтабл\\.(?=\\s?\\d)", u"таблица"},
        {u"\\bгл\\.(?=\\s?\\d)", u"глава"},
        {u"\\bим\\.(?=\\s\\p{Lu})", u"имени"},
        {u"\\bул\\.(?=\\s\\p{Lu})", u"улица"},
        {u"\\bпроф\\.(?=\\s\\p{Lu})", u"профессор"},
        {u"\\bакад\\.(?=\\s\\p{Lu})", u"академик"},
    }));
    rules.append(numberedPartRule(
        QStringLiteral("глава|часть|том|раздел|приложение|книга|статья|Глава|Часть|Том|Раздел|"
                       "Приложение|Книга|Статья")));
    // "Пётр I" is "Пётр первый"
    rules.append({readerExpression(QStringLiteral(
                      "(?<!\\p{L})(Пётр|Петр|Екатерина|Иван|Николай|Александр|Павел|Елизавета|"
                      "Анна|Василий|Фёдор|Лжедмитрий)\\s+([IVX]{1,5})\\b(?![\\p{L}'’-])")),
                  [](const QRegularExpressionMatch& m) {
                      QString ordinal = russianOrdinal(romanValue(m.captured(2)));
                      if (ordinal.isEmpty())
                          return QString();
                      const QString name = m.captured(1);
                      if (name == QStringLiteral("Екатерина") ||
                          name == QStringLiteral("Елизавета") || name == QStringLiteral("Анна"))
                          ordinal = ordinal.endsWith(QStringLiteral("ий"))
                                        ? ordinal.chopped(2) + QStringLiteral("ья")
                                        : ordinal.chopped(2) + QStringLiteral("ая");
                      return QStringLiteral("%1 %2").arg(name, ordinal);
                  }});
    rules.append(countedRule());
    rules.append(symbolRules(QStringLiteral("в квадрате"), QStringLiteral("в кубе"),
                             QStringLiteral("в степени")));
    return rules;
}

} // namespace

const ReaderRules& russianRules()
{
    static const ReaderRules rules = makeRussianRules();
    return rules;
}

} // namespace lectorix
