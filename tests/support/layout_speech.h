#pragma once

#include "core/pdf/page_layout.h"
#include "core/text/spoken_piece.h"

#include <QList>
#include <QString>

namespace lectorix::test {

// What the program makes of a PDF through pdftotext -bbox-layout, worked out here the way a
// reading and an export do, for tests to compare with what was said.

// The PDF's pages as pdftotext -bbox-layout lays them out, their words' offsets set as
// layoutText sets them.
QList<LayoutPage> pdfLayoutPages(const QString& pdf);

// The text the text box shows for the PDF, and against which readings announce their places.
QString pdfLayoutText(const QString& pdf);

// The utterances a reading or an export speaks for the PDF (before cleaning for the voice):
// sentences and headings read from its layout, or with verbatim the lines of its text.
QList<SpokenPiece> pdfSpokenPieces(const QString& pdf, bool verbatim = false);

// Their texts as a reading gives them to the voice (cleanTextForSpeech).
QStringList pdfVoiceTexts(const QString& pdf, bool verbatim = false);

} // namespace lectorix::test
