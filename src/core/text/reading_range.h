#pragma once

#include <QString>

namespace lectorix {

// A full stop, question or exclamation mark (Latin or East Asian), or an ellipsis.
bool marksSentenceEnd(QChar c);
// A closing quotation mark or bracket, which may follow a sentence mark.
bool closesQuote(QChar c);

// A stretch of a text: offset and length in UTF-16 code units.
struct TextRange
{
    qsizetype start = 0;
    qsizetype length = 0;
    qsizetype end() const { return start + length; }
    bool operator==(const TextRange&) const = default;
};

// The sentence holding position: from its first character to the first character of the next
// sentence (the blanks after it included). A sentence ends at a blank that follows a sentence
// mark (closing quotes and brackets may stand between), or at an empty line; a single line
// break does not end one, since text from PDFs breaks lines inside sentences. A position in
// the blanks between two sentences belongs to the one before.
TextRange sentenceAt(const QString& text, qsizetype position);

// The same sentence without its trailing blanks: what is highlighted while it is spoken.
TextRange sentenceTextAt(const QString& text, qsizetype position);

// What a press of the reading button reads of the text box: a selection on its own;
// otherwise from the start of the sentence holding the cursor to the end; a cursor at the
// very start or the very end reads the whole text.
TextRange rangeToRead(const QString& text, qsizetype selectionStart, qsizetype selectionEnd,
                      qsizetype cursor);

} // namespace lectorix
