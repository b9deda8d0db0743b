#pragma once

#include <QByteArrayList>
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

} // namespace lectorix
