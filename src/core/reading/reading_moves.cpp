// The reading session's moves (on and back by sentence, paragraph and chapter, and to a
// place) and where it is: its place, chapter and page.

#include "core/reading/reading_navigation.h"
#include "core/reading/reading_session.h"
#include "core/speech/speech_engine.h"

#include <algorithm>

namespace lectorix {

ReadingNavigator ReadingSession::navigator() const
{
    return ReadingNavigator(m_pieces, m_voice ? voiceIdLanguage(m_voice->voice().id) : QString());
}

bool ReadingSession::moveOn(ReadingUnit unit)
{
    if (m_state == ReadingState::Idle)
        return false;
    if (unit == ReadingUnit::Chapter) {
        const int next = chapterAfter(m_request.chapterStarts, m_position);
        if (next < 0)
            return false;
        jumpToOffset(m_request.chapterStarts.at(next));
        return true;
    }
    // Before the place sought is reached, nothing of it is heard: no move from there.
    if (m_seekTo >= 0 || m_place.piece >= m_pieces.size())
        return false;
    const std::optional<PiecePlace> next = navigator().next(unit, m_place);
    if (!next)
        return false;
    jumpTo(*next);
    return true;
}

bool ReadingSession::moveBack(ReadingUnit unit)
{
    if (m_state == ReadingState::Idle)
        return false;
    if (unit == ReadingUnit::Chapter)
        return moveBackByChapter();
    if (m_seekTo >= 0 || m_place.piece >= m_pieces.size())
        return false;
    jumpTo(navigator().previous(unit, m_place));
    return true;
}

bool ReadingSession::moveBackByChapter()
{
    const QList<qsizetype>& starts = m_request.chapterStarts;
    int chapter = chapterAt(starts, m_position);
    if (chapter < 0)
        return false;
    // While its first sentence is heard, back goes to the chapter before, as with paragraphs.
    const ReadingNavigator places = navigator();
    const std::optional<PiecePlace> start = places.placeOf(starts.at(chapter));
    if (start && m_seekTo < 0 && places.inFirstSentence(*start, m_place)) {
        const int before = chapterAt(starts, starts.at(chapter) - 1);
        if (before >= 0)
            chapter = before;
    }
    jumpToOffset(starts.at(chapter));
    return true;
}

bool ReadingSession::skipForward()
{
    return moveOn(chapterAfter(m_request.chapterStarts, -1) >= 0 ? ReadingUnit::Chapter
                                                                 : ReadingUnit::Paragraph);
}

bool ReadingSession::skipBack()
{
    return moveBack(chapterAfter(m_request.chapterStarts, -1) >= 0 ? ReadingUnit::Chapter
                                                                   : ReadingUnit::Paragraph);
}

bool ReadingSession::goTo(qsizetype offset)
{
    if (m_state == ReadingState::Idle || offset < 0)
        return false;
    jumpToOffset(offset);
    return true;
}

void ReadingSession::setChapterStarts(const QList<qsizetype>& starts)
{
    m_request.chapterStarts = starts;
    setPosition(m_position);
}

void ReadingSession::jumpTo(PiecePlace place)
{
    m_nextPiece = place.piece;
    m_nextFrom = place.spoken;
    m_seekTo = -1;
    setPlace(place);
    restartVoice();
}

void ReadingSession::jumpToOffset(qsizetype offset)
{
    const SpokenPiece* last = m_pieces.isEmpty() ? nullptr : &m_pieces.last();
    if (last && offset < last->sourceOffset + last->sourceLength) {
        if (const std::optional<PiecePlace> place = navigator().placeOf(offset)) {
            jumpTo(*place);
            return;
        }
    }
    // Not converted yet: the pieces are passed over as they come, up to the place.
    m_nextPiece = m_pieces.size();
    m_nextFrom = 0;
    m_seekTo = offset;
    m_trimToSeek = true;
    m_place = {m_pieces.size(), 0};
    setPosition(offset);
    restartVoice();
}

// What the old voice still had queued is dropped at once: a new voice, with the settings of
// the reading as they are now, speaks from the next piece on.
void ReadingSession::restartVoice()
{
    m_voice.reset();
    m_utterances.clear();
    m_announced = 0;
    m_wordAnnounced = {};
    makeVoice();
    if (m_voice && m_state == ReadingState::Paused)
        step(ReadingStep::Pause, [&] { m_voice->pause(); });
    queueAhead();
}

void ReadingSession::setPlace(PiecePlace place)
{
    m_place = place;
    if (place.piece < m_pieces.size())
        setPosition(m_pieces.at(place.piece).sourcePosition(place.spoken));
}

void ReadingSession::setPosition(qsizetype position)
{
    m_position = position;
    const int chapter = chapterAt(m_request.chapterStarts, position);
    if (chapter == m_chapter)
        return;
    m_chapter = chapter;
    emit chapterChanged(chapter);
}

int ReadingSession::pageAt(qsizetype offset) const
{
    if (!m_request.fromPdf)
        return 0;
    return int(std::upper_bound(m_pageStarts.cbegin(), m_pageStarts.cend(), offset) -
               m_pageStarts.cbegin()) +
           1;
}

std::optional<qsizetype> ReadingSession::textEnd() const
{
    if (!m_complete)
        return std::nullopt;
    if (m_pieces.isEmpty())
        return m_position;
    const SpokenPiece& last = m_pieces.last();
    return last.sourceOffset + last.sourceLength;
}

} // namespace lectorix
