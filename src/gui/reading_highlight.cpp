#include "gui/reading_highlight.h"

#include "core/reading/reading_session.h"

#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextLayout>

namespace lectorix {

namespace {

QTextEdit::ExtraSelection marked(QPlainTextEdit& box, TextRange range, const QColor& background)
{
    QTextEdit::ExtraSelection selection;
    selection.cursor = QTextCursor(box.document());
    selection.cursor.setPosition(int(range.start));
    selection.cursor.setPosition(int(range.end()), QTextCursor::KeepAnchor);
    selection.format.setBackground(background);
    selection.format.setForeground(Qt::black);
    return selection;
}

} // namespace

ReadingHighlight::ReadingHighlight(ReadingSession& session, QPlainTextEdit& textBox,
                                   QObject* parent)
    : QObject(parent), m_session(session), m_textBox(textBox)
{
    connect(&session, &ReadingSession::spokenRange, this, &ReadingHighlight::spokenRange);
    connect(&session, &ReadingSession::spokenWord, this, &ReadingHighlight::spokenWord);
    // A move shows where the reading went before its first word is heard.
    connect(&session, &ReadingSession::moved, this, [this](qsizetype position) {
        const QString text = m_textBox.toPlainText();
        if (followsTextBox() && position < text.size())
            show(sentenceTextAt(text, position), {});
    });
    connect(&session, &ReadingSession::stateChanged, this, [this](ReadingState state) {
        if (state == ReadingState::Idle)
            clear();
    });
    connect(&textBox, &QPlainTextEdit::textChanged, this, &ReadingHighlight::clear);
    // Only the user moves the scroll bar by an action (wheel, drag, arrows, page keys on it).
    connect(textBox.verticalScrollBar(), &QScrollBar::actionTriggered, this, [this] {
        if (m_scrolling)
            return;
        m_userScrolled = true;
        m_userScrolledAt = m_now();
    });
}

bool ReadingHighlight::followsTextBox() const
{
    return m_session.state() != ReadingState::Idle &&
           (!m_session.request().fromPdf || m_followsPdf);
}

void ReadingHighlight::spokenRange(qsizetype start, qsizetype)
{
    // A voice that tells its words is followed word by word; a stretch only says that its
    // synthesis began, which runs ahead of what is heard.
    if (!followsTextBox() || m_heardWords)
        return;
    const QString text = m_textBox.toPlainText();
    if (start >= text.size())
        return;
    show(sentenceTextAt(text, start), {});
}

void ReadingHighlight::spokenWord(qsizetype start, qsizetype length)
{
    if (!followsTextBox())
        return;
    m_heardWords = true;
    const QString text = m_textBox.toPlainText();
    if (start >= text.size())
        return;
    show(sentenceTextAt(text, start), {start, qMin(length, text.size() - start)});
}

void ReadingHighlight::show(TextRange sentence, TextRange word)
{
    if (sentence == m_sentence && word == m_word)
        return;
    m_sentence = sentence;
    m_word = word;
    QList<QTextEdit::ExtraSelection> selections;
    selections << marked(m_textBox, sentence, QColor(255, 241, 168));
    if (word.length > 0)
        selections << marked(m_textBox, word, QColor(255, 200, 60));
    m_textBox.setExtraSelections(selections);
    scrollIntoView(word.length > 0 ? word.start : sentence.start);
}

void ReadingHighlight::scrollIntoView(qsizetype position)
{
    if (m_userScrolled && m_now() - m_userScrolledAt < UserScrollRespite)
        return;
    // The vertical scroll bar of a plain text box counts lines, the page step is what shows.
    const QTextBlock block = m_textBox.document()->findBlock(int(position));
    if (!block.isValid())
        return;
    int line = block.firstLineNumber();
    if (const QTextLayout* layout = block.layout(); layout && layout->lineCount() > 0) {
        const QTextLine inBlock = layout->lineForTextPosition(int(position - block.position()));
        if (inBlock.isValid())
            line += inBlock.lineNumber();
    }
    QScrollBar* bar = m_textBox.verticalScrollBar();
    const int shown = qMax(1, bar->pageStep());
    if (line >= bar->value() && line < bar->value() + shown)
        return;
    m_scrolling = true;
    bar->setValue(line - shown / 2); // the line comes to the middle
    m_scrolling = false;
}

void ReadingHighlight::clear()
{
    m_sentence = {};
    m_word = {};
    m_heardWords = false;
    if (!m_textBox.extraSelections().isEmpty())
        m_textBox.setExtraSelections({});
}

} // namespace lectorix
