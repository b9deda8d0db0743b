#pragma once

#include <QByteArrayList>
#include <QByteArrayView>
#include <QList>
#include <QString>

namespace lectorix {

// One entry of a PDF's outline (its bookmarks), in the document's order.
struct OutlineEntry
{
    QString title;
    // The page it leads to, counted from 1; 0 when it leads nowhere in the document (a web
    // address, say) or its page is unreadable.
    int page = 0;
    // 0 for the outline's top, one more for each step down.
    int level = 0;
};

// The entries of the <outline> that pdftohtml -xml writes, its nested <outline> elements
// giving the levels. Damaged or cut-off input gives the entries that could be read; an entry
// that breaks off before its end is left out. Titles hold no line breaks or tabs, nor spaces
// at their ends. Never throws on bad input.
QList<OutlineEntry> readPdfOutline(QByteArrayView pdftohtmlXml);

// The argument list pdftohtml is started with to write a PDF's outline as XML on standard
// output; argv[0] is program. pdftohtml always writes some pages too: the first one alone,
// without its images. The password is given as in converterArguments. The document's
// copy-protection bit is overridden, as pdftotext does not heed it either: without, a
// document whose text is read would have no outline.
//   program -xml -stdout -q -i -nodrm -f 1 -l 1 -opw pw -upw pw pdf
QByteArrayList outlineArguments(const QString& program, const QString& password,
                                const QString& pdfPath, bool latin1Password);

} // namespace lectorix
