#include "core/text/speech_pauses.h"

#include "core/settings/settings.h"
#include "core/settings/settings_keys.h"
#include "core/text/sentences.h"

#include <algorithm>

namespace lectorix {

namespace {

// The part of piece spoken from start to end, with the places of its characters.
SpokenPiece partOf(const SpokenPiece& piece, qsizetype start, qsizetype end)
{
    SpokenPiece part;
    part.text = piece.text.mid(start, end - start);
    part.heading = piece.heading;
    part.endsParagraph = false;
    part.language = piece.language;
    part.sourceOffset = piece.sourcePosition(start);
    qsizetype spokenLast = end - 1;
    while (spokenLast > start && piece.text.at(spokenLast).isSpace())
        --spokenLast;
    const qsizetype last = piece.sourcePosition(qMax(spokenLast, start));
    part.sourceLength = qMax<qsizetype>(last + 1 - part.sourceOffset, 0);
    if (end == piece.text.size())
        part.sourceLength = piece.sourceOffset + piece.sourceLength - part.sourceOffset;
    if (piece.stretches.isEmpty())
        return part;
    // The stretch holding start begins the part's own; those that begin later follow it.
    part.stretches.append({0, part.sourceOffset});
    for (const SpokenPiece::Stretch& stretch : piece.stretches) {
        if (stretch.spokenStart > start && stretch.spokenStart < end)
            part.stretches.append({stretch.spokenStart - start, stretch.sourceStart});
    }
    return part;
}

} // namespace

int boundedPauseMs(int milliseconds)
{
    return std::clamp(milliseconds, 0, SpeechPauses::LongestMs);
}

SpeechPauses savedSpeechPauses()
{
    const auto saved = [](const QString& key, int defaultMs) {
        try {
            return boundedPauseMs(convert::strictWholeNumber(readSetting(key, defaultMs)));
        } catch (...) {
            return defaultMs;
        }
    };
    return {saved(keys::SentencePause, SpeechPauses::DefaultSentenceMs),
            saved(keys::ParagraphPause, SpeechPauses::DefaultParagraphMs),
            saved(keys::HeadingPause, SpeechPauses::DefaultHeadingMs)};
}

int silenceAfterMs(const SpokenPiece& piece, const SpokenPiece* next, const SpeechPauses& pauses)
{
    if (piece.heading || (next && next->heading))
        return pauses.headingMs;
    return piece.endsParagraph ? pauses.paragraphMs : pauses.sentenceMs;
}

QList<SpokenPiece> sentencePieces(const QList<SpokenPiece>& pieces, const QString& language)
{
    QList<SpokenPiece> parts;
    parts.reserve(pieces.size());
    for (const SpokenPiece& piece : pieces) {
        const QList<qsizetype> ends =
            piece.heading ? QList<qsizetype>() : sentenceEnds(piece.text, language);
        if (ends.size() < 2) {
            parts.append(piece);
            continue;
        }
        qsizetype start = 0;
        for (qsizetype i = 0; i < ends.size(); ++i) {
            // The blanks after a sentence go with it; the last part runs to the text's end.
            qsizetype end = i + 1 < ends.size() ? ends.at(i) : piece.text.size();
            while (i + 1 < ends.size() && end < piece.text.size() && piece.text.at(end).isSpace())
                ++end;
            parts.append(partOf(piece, start, end));
            start = end;
        }
        parts.last().endsParagraph = piece.endsParagraph;
    }
    return parts;
}

} // namespace lectorix
