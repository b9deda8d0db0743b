#include "gui/reading_status.h"

#include "core/reading/reading_session.h"

#include <QLabel>

namespace lectorix {

QString readingStatusText(const QString& chapter, int page, std::optional<qint64> secondsLeft)
{
    QStringList parts;
    if (!chapter.isEmpty())
        parts << chapter;
    if (page > 0)
        parts << QStringLiteral("Page %1").arg(page);
    if (secondsLeft) {
        const qint64 minutes = (*secondsLeft + 59) / 60;
        if (minutes < 60)
            parts << QStringLiteral("About %1 min left").arg(qMax<qint64>(1, minutes));
        else
            parts << QStringLiteral("About %1 h %2 min left")
                         .arg(minutes / 60)
                         .arg(minutes % 60, 2, 10, QLatin1Char('0'));
    }
    return parts.join(QStringLiteral(" \u00B7 "));
}

ReadingStatusLine::ReadingStatusLine(ReadingSession& session, QLabel& line)
    : m_session(session), m_line(line)
{
    connect(&session, &ReadingSession::stateChanged, this, [this](ReadingState state) {
        if (state == ReadingState::Reading) {
            if (!m_running.isValid() && m_listenedBeforeMs == 0) // a new reading
                m_timeLeft.restart(m_session.position(), 0);
            m_running.start();
        } else {
            m_listenedBeforeMs = listenedMs();
            m_running.invalidate();
        }
        if (state == ReadingState::Idle)
            m_listenedBeforeMs = 0;
        update();
    });
    connect(&session, &ReadingSession::moved, this, [this](qsizetype position) {
        m_timeLeft.restart(position, listenedMs());
        update();
    });
    for (auto signal : {&ReadingSession::spokenRange, &ReadingSession::spokenWord})
        connect(&session, signal, this, &ReadingStatusLine::update);
    connect(&session, &ReadingSession::chapterChanged, this, &ReadingStatusLine::update);
}

qint64 ReadingStatusLine::listenedMs() const
{
    return m_listenedBeforeMs + (m_running.isValid() ? m_running.elapsed() : 0);
}

void ReadingStatusLine::update()
{
    if (m_session.state() == ReadingState::Idle) {
        m_line.clear();
        return;
    }
    const qsizetype position = m_session.position();
    m_timeLeft.update(position, m_session.textEnd(), listenedMs());
    const qsizetype chapter = m_session.chapter();
    const QString title = chapter >= 0 ? m_session.chapters().at(chapter).title : QString();
    m_line.setText(readingStatusText(title, m_session.pageAt(position), m_timeLeft.secondsLeft()));
}

} // namespace lectorix
