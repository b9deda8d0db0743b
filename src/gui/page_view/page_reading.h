#pragma once

#include "core/pdf/page_layout.h"

#include <QObject>
#include <QString>

#include <functional>

class QMenu;

namespace lectorix {

class PageView;
class ReadingSession;

// Shows a reading of a PDF on its pages: the sentence heard tinted and the word marked, from
// the words' boxes the reading's layout gives (or the text box's extraction of the same
// document), the view kept on the word; a move shows where the reading went. Clicking a word,
// or "Read from here" in the context menu, reads from its sentence; "Stop" there ends the
// reading.
class PageReading final : public QObject
{
    Q_OBJECT

public:
    struct Actions
    {
        // Reads the view's document from offset in its text (a running reading of it moves).
        std::function<void(qsizetype offset)> readFrom;
        std::function<void()> stop;
    };

    PageReading(ReadingSession& session, PageView& view, Actions actions, QObject* parent);

    // The text box was filled with the text of pdfPath, whose layout gave pages (their words'
    // offsets in text); the view takes them when it shows that document.
    void documentLaidOut(const QString& pdfPath, const QString& text,
                         const QList<LayoutPage>& pages);

    // The view's context menu at a viewport position; the caller owns it.
    QMenu* contextMenu(const QPoint& position);

private:
    bool readsShownDocument() const;
    void show(qsizetype sentenceAt, qsizetype wordStart, qsizetype wordLength);
    void readFromWord(qsizetype offset);

    ReadingSession& m_session;
    PageView& m_view;
    Actions m_actions;
    // The document's text as far as it is known, for its sentences.
    QString m_text;
    QString m_textOf;
    bool m_heardWords = false;
};

} // namespace lectorix
