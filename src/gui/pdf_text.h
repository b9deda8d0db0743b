#pragma once

#include "core/pdf/document_text.h"

#include <QString>

#include <functional>

namespace lectorix {
class MainWindow;

// Fills the text box with the text of pages 1 to 100 of the PDF, or with a message (also
// shown in a message box) when it has none. The box is emptied at once; the text arrives when
// the converter has finished, while the window goes on. The converter writes into {TEMP},
// never beside the PDF, so a user's own text file of the same name is left alone. A call
// overtaken by a newer one (a second document chosen while the converter still runs) drops
// its result, so the box always holds the newest document's text. then, when given, runs once
// the text or the message is shown (not for an overtaken call).
void loadPdfText(MainWindow& form, const QString& pdfPath,
                 std::function<void()> then = std::function<void()>());

// Drops the extraction still filling the text box, if one runs, so that its text does not
// replace what the box is about to be given instead.
void cancelTextExtraction(MainWindow& form);

} // namespace lectorix
