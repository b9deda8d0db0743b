#include "gui/chapter_list.h"

#include "core/pdf/outline_job.h"
#include "core/reading/reading_session.h"
#include "gui/main_window.h"

#include <QComboBox>
#include <QFileInfo>
#include <QSignalBlocker>

namespace lectorix {

namespace {

QString absolutePath(const QString& path)
{
    return path.isEmpty() ? QString() : QFileInfo(path).absoluteFilePath();
}

} // namespace

QString chapterListEntry(const Chapter& chapter)
{
    return QString(qMax(0, chapter.level) * 4, QLatin1Char(' ')) + chapter.title;
}

ChapterList::ChapterList(MainWindow& window, ReadingSession& session)
    : m_window(window), m_session(session)
{
    QComboBox* combo = window.chapterCombo();
    combo->setEnabled(false);
    combo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    combo->setMaxVisibleItems(20);
    // Only the user's choice reads a chapter; the list following the voice does not.
    connect(combo, &QComboBox::activated, this, [this](int index) {
        if (index >= 0)
            emit chapterChosen(index);
    });
    connect(&session, &ReadingSession::chaptersChanged, this, [this] {
        if (!readsTheDocument())
            return;
        m_chapters = m_session.chapters();
        show(m_chapters);
    });
    connect(&session, &ReadingSession::chapterChanged, this, [this](qsizetype chapter) {
        if (readsTheDocument())
            follow(chapter);
    });
}

ChapterList::~ChapterList()
{
    cancel();
}

void ChapterList::cancel()
{
    if (!m_job)
        return;
    m_job->disconnect(this);
    m_job->cancel();
    m_job->deleteLater();
    m_job = nullptr;
}

bool ChapterList::readsTheDocument() const
{
    const ReadingRequest& request = m_session.request();
    return !m_document.isEmpty() && m_session.state() != ReadingState::Idle && request.fromPdf &&
           absolutePath(request.pdfPath) == m_document;
}

void ChapterList::showDocument(const QString& pdfPath, const QString& password)
{
    cancel();
    m_document = absolutePath(pdfPath);
    m_outline.reset();
    m_chapters.clear();
    show({});
    if (m_document.isEmpty())
        return;
    m_job = new OutlineJob({m_document, password}, this);
    connect(m_job, &OutlineJob::finished, this, [this](const OutlineResult& result) {
        m_job->deleteLater();
        if (result.cancelled)
            return;
        m_outline = result.entries;
        // A reading of the document may have found them already, with their starts.
        if (readsTheDocument() && !m_session.chapters().isEmpty())
            return;
        m_chapters = documentChapters(result.entries, {}, {});
        show(m_chapters);
    });
    m_job->start();
}

void ChapterList::prepare(ReadingRequest& request) const
{
    if (m_document.isEmpty() || absolutePath(request.pdfPath) != m_document)
        return;
    request.outline = m_outline;
    request.chapters = m_chapters;
}

void ChapterList::show(const QList<Chapter>& chapters)
{
    QComboBox* combo = m_window.chapterCombo();
    const QSignalBlocker quiet(combo);
    combo->clear();
    for (const Chapter& chapter : chapters)
        combo->addItem(chapterListEntry(chapter));
    combo->setEnabled(!chapters.isEmpty());
    combo->setCurrentIndex(readsTheDocument() ? int(m_session.chapter()) : -1);
}

void ChapterList::follow(qsizetype chapter)
{
    QComboBox* combo = m_window.chapterCombo();
    const QSignalBlocker quiet(combo);
    combo->setCurrentIndex(chapter < combo->count() ? int(chapter) : -1);
}

} // namespace lectorix
