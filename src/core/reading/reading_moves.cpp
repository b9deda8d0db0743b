// The reading session's moves (on and back by sentence, paragraph and chapter, and to a
// place) and where it is: its place, chapter and page.

#include "core/document/document_feed.h"
#include "core/reading/reading_navigation.h"
#include "core/reading/reading_session.h"
#include "core/speech/language_voices.h"
#include "core/speech/speech_engine.h"

#include <algorithm>

namespace lectorix {

ReadingNavigator ReadingSession::navigator() const
{
    // The chosen voice's language: the voice itself may be speaking another one just now.
    return ReadingNavigator(m_pieces, m_voiceLanguage);
}

bool ReadingSession::moveOn(ReadingUnit unit)
{
    if (m_state == ReadingState::Idle)
        return false;
    if (unit == ReadingUnit::Chapter) {
        const qsizetype next = chapterAfter(m_chapters, m_position);
        if (next >= 0)
            return goToChapter(next);
        // The next in the list may start in pages not converted yet.
        const qsizetype following = chapterAt(m_chapters, m_position) + 1;
        if (m_complete || following >= m_chapters.size() || m_chapters.at(following).offset >= 0)
            return false;
        return goToChapter(following);
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
    qsizetype chapter = chapterAt(m_chapters, m_position);
    if (chapter < 0)
        return false;
    // While its first sentence is heard, back goes to the chapter before, as with paragraphs.
    const qsizetype start = m_chapters.at(chapter).offset;
    const ReadingNavigator places = navigator();
    const std::optional<PiecePlace> first = places.placeOf(start);
    if (first && m_seekTo < 0 && places.inFirstSentence(*first, m_place)) {
        const qsizetype before = chapterAt(m_chapters, start - 1);
        if (before >= 0)
            chapter = before;
    }
    return goToChapter(chapter);
}

bool ReadingSession::skipForward()
{
    return moveOn(m_chapters.isEmpty() ? ReadingUnit::Paragraph : ReadingUnit::Chapter);
}

bool ReadingSession::skipBack()
{
    return moveBack(m_chapters.isEmpty() ? ReadingUnit::Paragraph : ReadingUnit::Chapter);
}

bool ReadingSession::goTo(qsizetype offset)
{
    if (m_state == ReadingState::Idle || offset < 0)
        return false;
    jumpToOffset(offset);
    return true;
}

bool ReadingSession::goToChapter(qsizetype chapter)
{
    if (m_state == ReadingState::Idle || chapter < 0 || chapter >= m_chapters.size())
        return false;
    if (chapterReady(chapter))
        jumpToOffset(m_chapters.at(chapter).offset);
    else
        waitForChapter(chapter);
    return true;
}

// A chapter is gone to once its start is among the pieces known: until then it may still
// move, as more of the document tells where its title stands.
bool ReadingSession::chapterReady(qsizetype chapter) const
{
    const qsizetype start = m_chapters.at(chapter).offset;
    if (start < 0)
        return false;
    if (m_complete || m_pieces.isEmpty())
        return m_complete;
    return start < m_pieces.last().sourceOffset + m_pieces.last().sourceLength;
}

// Nothing more is said until the chapter's start is converted (findChapters).
void ReadingSession::waitForChapter(qsizetype chapter)
{
    m_waitChapter = chapter;
    // A chapter in pages still to be recognised: they are recognised up to it with every lane.
    if (m_feed && chapter < m_chapters.size() && m_chapters.at(chapter).page > 0)
        m_feed->setPageHeard(m_chapters.at(chapter).page);
    m_nextPiece = m_pieces.size();
    m_place = {m_pieces.size(), 0};
    restartVoice();
}

// The chapters of a PDF as far as it is converted: from its outline, else from the headings
// its layout reading found. An outline entry whose words are not found (a PDF read without
// its layout) starts at its page.
void ReadingSession::findChapters()
{
    if (!m_request.fromPdf)
        return;
    QList<Chapter> found = documentChapters(m_request.outline.value_or(QList<OutlineEntry>()),
                                            m_layoutPages, m_pieces);
    const ReadingNavigator places = navigator();
    for (Chapter& chapter : found) {
        if (chapter.offset < 0 && chapter.page == 1 && !m_pieces.isEmpty())
            chapter.offset = 0;
        else if (chapter.offset < 0 && chapter.page > 1 && chapter.page - 2 < m_pageStarts.size())
            chapter.offset = m_pageStarts.at(chapter.page - 2);
        // A title found inside a heading ("CHAPTER FOUR: Pirates"): the heading is its start.
        const std::optional<PiecePlace> place =
            chapter.offset >= 0 ? places.placeOf(chapter.offset) : std::nullopt;
        if (place && m_pieces.at(place->piece).heading &&
            m_pieces.at(place->piece).sourceOffset <= chapter.offset)
            chapter.offset = m_pieces.at(place->piece).sourceOffset;
    }
    const auto same = [](const Chapter& a, const Chapter& b) {
        return a.title == b.title && a.level == b.level && a.page == b.page && a.offset == b.offset;
    };
    if (!std::equal(found.cbegin(), found.cend(), m_chapters.cbegin(), m_chapters.cend(), same)) {
        m_chapters = found;
        emit chaptersChanged();
        setPosition(m_position);
    }
    if (m_waitChapter < 0)
        return;
    if (m_waitChapter < m_chapters.size() && chapterReady(m_waitChapter)) {
        const qsizetype start = m_chapters.at(m_waitChapter).offset;
        m_waitChapter = -1;
        jumpToOffset(start);
    } else if (m_complete) {
        m_waitChapter = -1; // never found: the reading goes on from where it was
        queueAhead();
    }
}

void ReadingSession::jumpTo(PiecePlace place)
{
    m_waitChapter = -1;
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
    m_waitChapter = -1;
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
    emit moved(m_position);
    if (m_voice && m_utterances.isEmpty()) {
        queueAhead(); // the voice was given nothing yet
        return;
    }
    m_languages.reset(); // it holds the old voice
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
    const qsizetype chapter = chapterAt(m_chapters, position);
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
