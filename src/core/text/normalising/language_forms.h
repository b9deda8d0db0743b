#pragma once

// The rules of one language for readerReplacements, and the words they are made of. Used by
// the normalising only.

#include <QList>
#include <QRegularExpression>
#include <QString>
#include <QStringList>

#include <functional>

namespace lectorix {

// Which characters a text holds, for telling quickly that a rule cannot match it: the ASCII
// characters (letters in small), and whether any digit.
struct TextCharacters
{
    explicit TextCharacters(QStringView text);
    // A bit for each ASCII character, small letters for capitals.
    quint64 ascii[2] = {0, 0};
    bool digit = false;
};

// Where expression matches, spoken(match) is said instead, unless it gives an empty string
// (the rule does not apply after all).
struct ReaderRule
{
    using Spoken = std::function<QString(const QRegularExpressionMatch&)>;
    ReaderRule(QRegularExpression pattern, Spoken say);

    // Whether the expression could match text at all: false when text lacks a character
    // every match must contain. Much cheaper than the search, which most texts fail.
    bool mayMatch(const QString& text, const TextCharacters& present) const;

    QRegularExpression expression;
    Spoken spoken;
    // A rule that looks at words around what it says names that part "said": its group's
    // number, or -1 when the whole match is said.
    int saidGroup = -1;

private:
    QStringList m_required;              // strings every match contains
    quint64 m_requiredAscii[2] = {0, 0}; // their ASCII characters, as TextCharacters has them
    Qt::CaseSensitivity m_requiredCase = Qt::CaseSensitive;
    bool m_requiresDigit = false;
};
using ReaderRules = QList<ReaderRule>;

// A rule's expression: Unicode-aware, optimised, and ignoring case when asked.
QRegularExpression readerExpression(const QString& pattern, bool ignoreCase = false);
// A rule that says the same words wherever its expression matches.
ReaderRule fixedRule(const QString& pattern, const QString& spoken, bool ignoreCase = false);

// Which of day and month comes first in a date written in figures ("01/12/08"); Unknown
// reads only the dates whose day is above 12.
enum class DateOrder { Unknown, DayFirst, MonthFirst };
const ReaderRules& englishRules(DateOrder order);
const ReaderRules& frenchRules();
const ReaderRules& germanRules();
const ReaderRules& spanishRules();
const ReaderRules& russianRules();
// Web and e-mail addresses, super- and subscripts, letter-spaced words: said so in every
// language. dot, at and slash are the language's words for the marks in addresses.
ReaderRules addressRules(const QString& dot, const QString& at, const QString& slash);
ReaderRules symbolRules(const QString& squared, const QString& cubed, const QString& power);

// The value of a Roman numeral written the usual way (I to MMMCMXCIX, all capitals or all
// small letters), or 0.
int romanValue(QStringView numeral);
// The digits of a number written with the language's thousands separators, without them:
// "12,345" with separator ',' is 12345; -1 when it is no such number.
qint64 groupedNumber(QStringView written, QChar separator);
// English ordinals as digits and suffix ("1st", "22nd", "13th"), which voices read as words.
QString englishOrdinal(qint64 number);
// French, Spanish and German ordinals in words (1 to 100), masculine unless feminine.
QString frenchOrdinal(int number, bool feminine = false);
QString spanishOrdinal(int number);
QString germanOrdinal(int number);
// Russian ordinals in words (1 to 100): nominative masculine, or prepositional.
QString russianOrdinal(int number, bool prepositional = false);
// The Russian word form that goes with number: one (1, 21, ...), few (2-4, 22-24, ...) or
// many (0, 5-20, 25-30, ...).
QString russianCounted(qint64 number, const QString& one, const QString& few, const QString& many);
// Month names, January first, in the language's nominative (Russian: genitive, as in dates).
const QStringList& monthNames(const QString& language);

} // namespace lectorix

namespace lectorix {

// Fixed words said for written patterns, in order.
struct FixedForm
{
    const char16_t* pattern;
    const char16_t* spoken;
};
ReaderRules fixedRules(std::initializer_list<FixedForm> forms, bool ignoreCase = false);
// Roman numerals after the words that number a document's parts ("chapitre|partie"), as
// numbers.
ReaderRule numberedPartRule(const QString& partWords);
// A range of numbers with a dash between them, said with the language's word ("to", "à").
ReaderRule rangeRule(const QString& word);

} // namespace lectorix
