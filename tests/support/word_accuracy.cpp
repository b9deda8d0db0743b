#include "support/word_accuracy.h"

#include <QList>
#include <QRegularExpression>

#include <algorithm>

namespace lectorix::test {

QStringList comparableWords(const QString& text)
{
    QString plain = text.normalized(QString::NormalizationForm_C);
    for (const QChar quote :
         {QChar(0x201C), QChar(0x201D), QChar(0x201E), QChar(0x00AB), QChar(0x00BB)})
        plain.replace(quote, QLatin1Char('"'));
    for (const QChar apostrophe : {QChar(0x2018), QChar(0x2019)})
        plain.replace(apostrophe, QLatin1Char('\''));
    for (const QChar dash : {QChar(0x2010), QChar(0x2011), QChar(0x2012), QChar(0x2013)})
        plain.replace(dash, QLatin1Char('-'));
    // A hyphen at a line's end joins its word to the next line's.
    static const QRegularExpression brokenWord(QStringLiteral("(\\w)-\\s*\\n\\s*(\\w)"),
                                               QRegularExpression::UseUnicodePropertiesOption);
    plain.replace(brokenWord, QStringLiteral("\\1\\2"));
    static const QRegularExpression space(QStringLiteral("\\s+"));
    return plain.split(space, Qt::SkipEmptyParts);
}

double wordAccuracy(const QStringList& original, const QStringList& recognised)
{
    if (original.isEmpty())
        return recognised.isEmpty() ? 1.0 : 0.0;
    QList<qsizetype> previous(recognised.size() + 1);
    QList<qsizetype> row(recognised.size() + 1);
    for (qsizetype j = 0; j <= recognised.size(); ++j)
        previous[j] = j;
    for (qsizetype i = 1; i <= original.size(); ++i) {
        row[0] = i;
        for (qsizetype j = 1; j <= recognised.size(); ++j) {
            const qsizetype change = original[i - 1] == recognised[j - 1] ? 0 : 1;
            row[j] = std::min({previous[j] + 1, row[j - 1] + 1, previous[j - 1] + change});
        }
        std::swap(previous, row);
    }
    const double distance = double(previous[recognised.size()]);
    return std::max(0.0, 1.0 - distance / double(original.size()));
}

} // namespace lectorix::test
