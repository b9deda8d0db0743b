#pragma once

#include "core/text/reading_range.h"

#include <QObject>

#include <chrono>
#include <functional>

class QPlainTextEdit;

namespace lectorix {

class ReadingSession;

// Shows in the text box where the voice is while the text box is read: the sentence being
// spoken is highlighted, and the word too when the voice tells its words; a move of the reading
// highlights the sentence it went to. The box scrolls to
// keep it in view unless the user scrolled it within the last few seconds. Editing the text
// or the end of the reading takes the highlight away. The text itself is never touched (the
// highlight is an extra selection), so it does not count as an edit.
class ReadingHighlight final : public QObject
{
    Q_OBJECT

public:
    using Clock = std::chrono::steady_clock;
    // How long a scroll by the user keeps the box from following the voice.
    static constexpr std::chrono::milliseconds UserScrollRespite{4000};

    ReadingHighlight(ReadingSession& session, QPlainTextEdit& textBox, QObject* parent);

    // What is highlighted now; empty ranges when nothing is.
    TextRange sentence() const { return m_sentence; }
    TextRange word() const { return m_word; }

    // Whether a reading of a PDF is shown too: one that went on from the text box's text, whose
    // first pages the box holds (positions past its end are not shown).
    void setFollowsPdf(bool follows) { m_followsPdf = follows; }

    // The clock the scroll respite is measured by; tests set their own.
    void setClock(std::function<Clock::time_point()> now) { m_now = std::move(now); }

private:
    bool followsTextBox() const;
    void spokenRange(qsizetype start, qsizetype length);
    void spokenWord(qsizetype start, qsizetype length);
    void show(TextRange sentence, TextRange word);
    void scrollIntoView(qsizetype position);
    void clear();

    ReadingSession& m_session;
    QPlainTextEdit& m_textBox;
    TextRange m_sentence;
    TextRange m_word;
    bool m_heardWords = false;
    bool m_followsPdf = false;
    bool m_scrolling = false;
    Clock::time_point m_userScrolledAt{};
    bool m_userScrolled = false;
    std::function<Clock::time_point()> m_now = [] { return Clock::now(); };
};

} // namespace lectorix
