#pragma once

#include <QString>

namespace lectorix {
class Form1;

// Fills Text2 with the text of pages 1 to 100 of the PDF, or with a message (also shown in a
// message box) when it has none. The converter writes into {TEMP}, never beside the PDF, so a
// user's own text file of the same name is left alone. A call overtaken by a newer one (a
// second document chosen while the converter still runs) drops its result: it changes
// neither Text2 nor shows a message, so the box always holds the newest document's text.
void GetPDFText(Form1& form, const QString& pdfPath);

// What the box and the message box say when the converter gave no text file, and when its
// text is unreadable (a scanned document). Shared by extraction and MP3 conversion.
QString protectedTextMessage(const QString& pdfPath);
QString unreadableTextMessage(const QString& pdfPath);

} // namespace lectorix
