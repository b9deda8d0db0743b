#pragma once

#include "core/ocr/recognition_job.h"
#include "core/pdf/page_layout.h"

#include <QList>
#include <QString>

namespace lectorix {

// The pages of a PDF to recognise: with Auto those without usable text (hasUsableText), with
// Always all, with Never none.
QList<int> pagesToRecognise(RecognitionMode mode, const QList<LayoutPage>& pages);

// Puts recognised pages in place of the document's pages of the same numbers, adds those it
// did not have, keeps page order, and sets every word's offset anew (layoutText from 0).
// Returns the pages' text (layoutText).
QString mergeRecognisedPages(QList<LayoutPage>& pages, const QList<LayoutPage>& recognised);

} // namespace lectorix
