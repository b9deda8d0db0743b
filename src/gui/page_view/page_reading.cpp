#include "gui/page_view/page_reading.h"

#include "core/reading/reading_session.h"
#include "core/text/reading_range.h"
#include "gui/page_view/page_view.h"

#include <QFileInfo>
#include <QMenu>

namespace lectorix {

namespace {

QString absolute(const QString& path)
{
    return path.isEmpty() ? QString() : QFileInfo(path).absoluteFilePath();
}

} // namespace

PageReading::PageReading(ReadingSession& session, PageView& view, Actions actions, QObject* parent)
    : QObject(parent), m_session(session), m_view(view), m_actions(std::move(actions))
{
    connect(&session, &ReadingSession::textConverted, this,
            [this](qsizetype offset, const QString& text) {
                const QString pdf = absolute(m_session.request().pdfPath);
                if (offset == 0 || pdf != m_textOf) {
                    m_text.clear();
                    m_textOf = pdf;
                }
                if (offset <= m_text.size())
                    m_text = m_text.left(offset) + text;
            });
    connect(&session, &ReadingSession::pagesLaidOut, this, [this](const QList<LayoutPage>& pages) {
        if (readsShownDocument())
            m_view.words().addPages(pages);
    });
    connect(&session, &ReadingSession::spokenRange, this, [this](qsizetype start, qsizetype) {
        if (!m_heardWords)
            show(start, -1, 0);
    });
    connect(&session, &ReadingSession::spokenWord, this, [this](qsizetype start, qsizetype length) {
        m_heardWords = true;
        show(start, start, length);
    });
    connect(&session, &ReadingSession::moved, this,
            [this](qsizetype position) { show(position, -1, 0); });
    connect(&session, &ReadingSession::stateChanged, this, [this](ReadingState state) {
        if (state == ReadingState::Idle) {
            m_heardWords = false;
            m_view.setReadingMarks({}, {});
        }
    });
    connect(&view, &PageView::wordClicked, this, &PageReading::readFromWord);
    connect(&view, &PageView::menuAsked, this, [this](const QPoint& position) {
        QMenu* menu = contextMenu(position);
        menu->exec(m_view.viewport()->mapToGlobal(position));
        delete menu;
    });
}

bool PageReading::readsShownDocument() const
{
    return m_session.state() != ReadingState::Idle && m_session.request().fromPdf &&
           !m_view.document().isEmpty() &&
           absolute(m_session.request().pdfPath) == absolute(m_view.document());
}

void PageReading::documentLaidOut(const QString& pdfPath, const QString& text,
                                  const QList<LayoutPage>& pages)
{
    if (absolute(pdfPath) != absolute(m_view.document()))
        return;
    m_view.words().addPages(pages);
    // A reading of the same document knows more of its text already.
    if (absolute(pdfPath) != m_textOf || text.size() > m_text.size()) {
        m_text = text;
        m_textOf = absolute(pdfPath);
    }
}

void PageReading::show(qsizetype sentenceAt, qsizetype wordStart, qsizetype wordLength)
{
    if (!readsShownDocument())
        return;
    const bool textKnown = m_textOf == absolute(m_view.document()) && sentenceAt < m_text.size();
    const TextRange sentence =
        textKnown ? sentenceTextAt(m_text, sentenceAt) : TextRange{sentenceAt, wordLength};
    const QList<PageBox> word =
        wordStart >= 0 ? m_view.words().boxesOf(wordStart, wordLength) : QList<PageBox>();
    const QList<PageBox> sentenceBoxes = m_view.words().boxesOf(sentence.start, sentence.length);
    m_view.setReadingMarks(sentenceBoxes, word, wordStart);
    if (!word.isEmpty())
        m_view.keepInSight(word.first());
    else if (!sentenceBoxes.isEmpty())
        m_view.keepInSight(sentenceBoxes.first());
}

void PageReading::readFromWord(qsizetype offset)
{
    // The sentence holding the word is read whole.
    const bool textKnown = m_textOf == absolute(m_view.document()) && offset < m_text.size();
    m_actions.readFrom(textKnown ? sentenceTextAt(m_text, offset).start : offset);
}

QMenu* PageReading::contextMenu(const QPoint& position)
{
    auto* menu = new QMenu(&m_view);
    QAction* readHere = menu->addAction(QStringLiteral("Read from here"));
    readHere->setObjectName(QStringLiteral("readFromHereAction"));
    std::optional<TextWord> word;
    if (const auto point = m_view.pagePoint(position))
        word = m_view.words().wordAt(point->first, point->second.x(), point->second.y());
    readHere->setEnabled(word.has_value());
    if (word)
        connect(readHere, &QAction::triggered, this,
                [this, offset = word->offset] { readFromWord(offset); });
    QAction* stopAction = menu->addAction(QStringLiteral("Stop"));
    stopAction->setObjectName(QStringLiteral("stopReadingAction"));
    stopAction->setEnabled(m_session.state() != ReadingState::Idle);
    connect(stopAction, &QAction::triggered, this, [this] { m_actions.stop(); });
    return menu;
}

} // namespace lectorix
