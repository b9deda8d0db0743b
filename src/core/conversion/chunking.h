#pragma once

#include <QString>

namespace lectorix {

// How much text one chunk file may hold at a speech rate: at most lines - 1 lines, and it is
// closed after the line that brings its character count to characters or beyond. Slower
// speech gives smaller chunks, so one rendering call stays bounded.
struct ChunkLimits
{
    int lines = 0;
    qint64 characters = 0;
};
ChunkLimits chunkLimits(int rate);

// The file of chunk `number` beside `inputPath`: the input path without its extension, the
// number with at least three digits, and `extension` (".txt", ".wav", ".mp3").
// chunkFileName("/t/output.txt", 7, ".wav") is "/t/output007.wav".
QString chunkFileName(const QString& inputPath, int number, const QString& extension);

// Cuts the text file at inputPath into chunk files output001.txt, output002.txt, ... beside
// it, sized by the rate of rateSlider, and deletes the input. Each input line is cleaned for the
// speech engine (speechLine) and written without a line
// break. Returns the number of chunk files written (at least 1: an empty input gives one
// empty chunk; an input whose last line exactly fills a chunk leaves an empty last one).
// It handles no events: a whole book is cut in milliseconds. Failures are reported
// as Speak.CutTextFileFSO; an input that cannot be read ends the cutting.
int cutIntoChunkFiles(int rate, const QString& inputPath);

// Keeps letters, digits and combining marks of every script, the space and . , ? ! ; as well
// as an apostrophe (' or \u2019) after a letter and a hyphen between letters. Every other
// character becomes one space, so the length in characters does not change. Letter case stays:
// "US" is not "us".
QString cleanLineForSpeech(const QString& text);

// A line as the export gives it to the voice: "&#xa0;" removed, then cleaned.
QString speechLine(QString line);

} // namespace lectorix
