#pragma once

#include "core/pdf/page_layout.h"

#include <QByteArrayView>
#include <QList>

namespace lectorix {

// What tesseract wrote in its TSV output for one run over several images: one page per
// image, numbered as tesseract numbers them (1 for the first image of the run), its size and
// its words' boxes in the image's pixels. Each paragraph tesseract found becomes a block whose
// flow is tesseract's block number, each text line a line; a word keeps tesseract's confidence
// (0..100, or -1 when it gave none). Never throws on bad input: a row that does not parse
// (or whose box is not within a million pixels) is left out, control characters are taken out
// of words and a word without text is left out, and lines and blocks left without words go.
// Pages come in the order of their numbers; an image that gave no words still has its page
// when tesseract wrote its size.
//
// Recognised text shows its type size only in its ink, so boxes are evened out: the words of
// a line take the line's height (but for a word raised above the others, a note mark), and
// the lines of a paragraph within a third of their median height take that height. As on a
// text page, a word's height then stands for its type size.
QList<LayoutPage> readRecognisedWords(QByteArrayView tsv);

// Turns a page read by readRecognisedWords from image pixels into points on a page shown
// width x height points large, and numbers it pageNumber.
void placeOnPage(LayoutPage& page, int pageNumber, double width, double height);

} // namespace lectorix
