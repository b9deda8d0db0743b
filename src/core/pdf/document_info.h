#pragma once

#include <QByteArrayList>
#include <QByteArrayView>
#include <QString>

namespace lectorix {

// A PDF's Title and Author, as its document information gives them.
struct DocumentInfo
{
    QString title;
    QString author;
};

// The command that prints a PDF's document information in UTF-8, the password given as owner
// and as user password: pdfinfo -enc UTF-8 [-opw pw -upw pw] pdf
QByteArrayList documentInfoArguments(const QString& pdfPath, const QString& password);

// The Title and Author that pdfinfo printed; blank ones are none.
DocumentInfo parseDocumentInfo(const QString& pdfinfoOutput);

// The language a PDF declares its text to be in: the /Lang of its document catalog, a tag such
// as "FR-CA" or "en"; empty when it declares none, when the file cannot be read, or when what
// it holds is no language tag (an encrypted document's strings are). The file is read as it
// stands, never trusted: the catalog is looked for among its objects, and in its compressed
// object streams when not found there, each stream inflated only so far and only so many.
QString declaredLanguage(const QString& pdfPath);
// The same, of a PDF's bytes.
QString declaredLanguageOf(QByteArrayView pdf);

} // namespace lectorix
