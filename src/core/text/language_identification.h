#pragma once

#include "core/text/spoken_piece.h"

#include <QList>
#include <QString>

namespace lectorix {

// The language a text is written in, told from the text alone: for Latin script English,
// French, German, Spanish, Italian, Portuguese or Dutch ("en", "fr", "de", "es", "it", "pt",
// "nl"), by the words each writes most and the letters and letter groups particular to it;
// Cyrillic text is Russian ("ru", Ukrainian "uk" by its own letters), and other scripts the
// language scriptLanguage names for them. likely (a language code such as "fr" or "FR-CA",
// may be empty) is the language the text is expected in, the document's or the paragraph
// before's: it is kept unless another language clearly stands out. Empty when the text is too
// short to tell (a heading, a table cell, fewer than four words) and nothing is likely, or
// when no language stands out.
QString identifiedLanguage(const QString& text, const QString& likely = QString());

// The primary language of a language tag, in small letters: "fr" for "FR-CA" or "fr_FR".
QString primaryLanguage(const QString& tag);

// Gives every paragraph of a document its language (SpokenPiece::language), the pieces
// coming in order, a batch at a time. A paragraph runs up to the piece that ends one. A
// paragraph long enough to tell is identified (identifiedLanguage, the language before it
// likely); a shorter one, or one no language stands out in, takes the language of the
// paragraph after it in the batch when it is a heading, else of the paragraph before it, else
// of the first one after it, else the document's declared language.
class ParagraphLanguages
{
public:
    // declared: the language the document says it is in (a tag such as "FR-CA"), or empty.
    explicit ParagraphLanguages(const QString& declared = QString());

    // The declared language is the one the PDF at path declares (declaredLanguage), read when
    // the first pieces are assigned: on the thread that prepares them.
    void declaredBy(const QString& pdfPath) { m_declaringPdf = pdfPath; }
    void assign(QList<SpokenPiece>& pieces);

private:
    QString m_declared;
    QString m_declaringPdf; // read at the first assign, then forgotten
    QString m_previous;     // the language of the last paragraph assigned
};

} // namespace lectorix
