#pragma once

#include <QList>
#include <QString>

namespace lectorix {

// Where the sentences of a paragraph end: each entry is the position just past a sentence
// (its closing marks and quotes included); the last is the paragraph's length when it does not
// end with a sentence mark. An abbreviation (Mr., Dr., St., p., e.g., i.e., etc., and those of
// the language), an initial ("J. R. Smith"), a number ("3.5", "No. 4") or an ellipsis before a
// small letter does not end a sentence. language is a voice's language code ("en", "fr-fr",
// "de"); an unknown one gets the English list.
QList<qsizetype> sentenceEnds(const QString& paragraph, const QString& language = QString());

} // namespace lectorix
