#pragma once

#include "core/conversion/conversion_job.h"
#include "core/files/text_files.h"
#include "core/pdf/document_text.h"

namespace lectorix {

// The window's "Application Error" reports of the core's failed steps: each step is reported
// with the procedure tag and line number it has always had in the window's report.

// Where a text extraction's steps are reported: the calling procedure and the line numbers it
// gives them (reading the text for the readability test keeps the text file's own tag).
struct ExtractionReportLines
{
    const char* module = "Read";
    const char* procedure = "GetPDFText";
    int copy = 0;       // copying the PDF into the working folder
    int convert = 0;    // running the converter
    int textExists = 0; // the test whether the converter wrote a text file
    int unreadable = 0; // the test whether the text is readable
};

void reportExtractionFailure(const ExtractionFailure& failure, const ExtractionReportLines& lines);

// "Save Audio As MP3": its own steps, and those of its extraction.
void reportConversionFailure(const ConversionFailure& failure);
ExtractionReportLines conversionExtractionLines(bool passwordGiven);
// A PDF's reading aloud: its extractions' steps.
ExtractionReportLines readingExtractionLines(bool passwordGiven);
// Reports every failed step of job as it fails: its own, its extraction's and its speech's.
void reportFailuresOf(ConversionJob& job);

// Reading a text file as lines, and as blocks.
void reportTextLinesFailure(const TextFileFailure& failure);
void reportTextBlocksFailure(const TextFileFailure& failure);

} // namespace lectorix
