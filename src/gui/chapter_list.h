#pragma once

#include "core/pdf/document_outline.h"
#include "core/text/chapters.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

namespace lectorix {

class MainWindow;
class OutlineJob;
class ReadingSession;
struct ReadingRequest;

// The chapter list beside the text box: the chapters of the PDF whose text the box shows,
// from its outline as soon as the PDF is opened, and those a reading of it finds (its
// headings, when it has no outline) as its pages are converted. While that PDF is read, the
// list shows the chapter being heard. Choosing a chapter asks for a reading from its start
// (chapterChosen); the list is disabled while it has none.
class ChapterList final : public QObject
{
    Q_OBJECT

public:
    ChapterList(MainWindow& window, ReadingSession& session);
    ~ChapterList() override;

    // The list becomes that of the PDF at pdfPath, opened with password: its outline is read
    // now, while the window goes on.
    void showDocument(const QString& pdfPath, const QString& password);
    // The PDF the list is of (an absolute path); empty when none.
    const QString& document() const { return m_document; }
    // Stops reading the outline, if it is still read (the window closes).
    void cancel();
    // Gives a reading of the list's PDF its outline and the chapters known.
    void prepare(ReadingRequest& request) const;

signals:
    // The user chose the chapter at index in the list (the reading session's chapters()).
    void chapterChosen(qsizetype index);

private:
    void show(const QList<Chapter>& chapters);
    void follow(qsizetype chapter);
    bool readsTheDocument() const;

    MainWindow& m_window;
    ReadingSession& m_session;
    QString m_document;
    std::optional<QList<OutlineEntry>> m_outline;
    QList<Chapter> m_chapters;
    QPointer<OutlineJob> m_job;
};

// How the list names a chapter: its title, indented by its level.
QString chapterListEntry(const Chapter& chapter);

} // namespace lectorix
