#pragma once

#include <QList>
#include <QString>

namespace lectorix {

// A stretch of written text that a reader says otherwise: from start, length characters are
// said as spoken.
struct SpokenReplacement
{
    qsizetype start = 0;
    qsizetype length = 0;
    QString spoken;

    bool operator==(const SpokenReplacement&) const = default;
};

// What a reader of language (a voice's language code: "en", "en-us", "fr-fr", "ru") says
// otherwise than a synthesizer reads it as written: Roman numerals that stand for numbers,
// abbreviations, years, money, ranges, dates, units after numbers, phone numbers, super- and
// subscripts, web addresses and e-mail addresses, letter-spaced words. In order and not
// overlapping. English, French, German, Spanish and Russian have rules of their own; other
// languages get only those that hold in every language.
QList<SpokenReplacement> readerReplacements(const QString& text, const QString& language);

// The text with readerReplacements applied.
QString readerForm(const QString& text, const QString& language);

} // namespace lectorix
