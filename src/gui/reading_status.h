#pragma once

#include "core/reading/reading_time_left.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>

#include <optional>

class QLabel;

namespace lectorix {

class ReadingSession;

// The line under the text box while a reading runs: the chapter and page being heard and the
// time left, also when the voice is past the pages the box holds. Empty when no reading runs.
class ReadingStatusLine final : public QObject
{
    Q_OBJECT

public:
    ReadingStatusLine(ReadingSession& session, QLabel& line);

private:
    void update();
    qint64 listenedMs() const;

    ReadingSession& m_session;
    QLabel& m_line;
    ReadingTimeLeft m_timeLeft;
    // The time spent reading, pauses left out.
    QElapsedTimer m_running;
    qint64 m_listenedBeforeMs = 0;
};

// "Chapter 3: The Drawing-Room · Page 12 · About 1 h 05 min left"; each part left out when
// unknown (no chapter, page 0, no time).
QString readingStatusText(const QString& chapter, int page, std::optional<qint64> secondsLeft);

} // namespace lectorix
