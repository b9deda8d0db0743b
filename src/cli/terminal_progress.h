#pragma once

#include "core/conversion/conversion_job.h"
#include "core/conversion/time_left.h"

#include <QElapsedTimer>
#include <QString>

#include <optional>

namespace lectorix::cli {

// A file name as messages show it: in single quotes (a quote inside written as '\'' the way a
// shell would take it back), with control characters (a line break, an escape sequence)
// written as escapes, so a hostile name can neither break a message into several lines nor
// steer the terminal.
QString quotedName(const QString& name);

// "extracting text", "speaking part 3 of 12", "encoding part 3 of 12", "joining the parts".
QString stageText(const ConversionProgress& progress);

// "0:09", "4:07", "1:05:03".
QString durationText(int seconds);

// The text of the progress line, cut to fewer than width characters (the document's name, as
// messages show it, gives way first):
// "'book.pdf' (1 of 3): speaking part 4 of 12, 37%, 2:15 left".
QString progressLine(const QString& shownName, int document, int documents,
                     const ConversionProgress& progress, std::optional<int> secondsLeft, int width);

// The one updating progress line on standard error. It shows only when enabled; then every
// other message must go through printMessage, which clears the line first.
class TerminalProgress
{
public:
    explicit TerminalProgress(bool enabled) : m_enabled(enabled) {}
    ~TerminalProgress() { clear(); }
    TerminalProgress(const TerminalProgress&) = delete;
    TerminalProgress& operator=(const TerminalProgress&) = delete;

    bool isEnabled() const { return m_enabled; }

    // Starts the clock of the next document; shownName is its name as messages show it.
    void startDocument(const QString& shownName, int document, int documents);
    void update(const ConversionProgress& progress);
    // Removes the line, so the terminal is left as it was.
    void clear();
    // Writes text (ending in a line break) on standard error below no progress line.
    void printMessage(const QString& text);

private:
    void write(const QByteArray& bytes);

    bool m_enabled;
    bool m_shown = false;
    QString m_name;
    int m_document = 0;
    int m_documents = 0;
    QElapsedTimer m_clock;
    TimeLeftEstimate m_timeLeft;
    QString m_lastLine;
};

// Whether standard error is a terminal, the only place a progress line belongs.
bool standardErrorIsTerminal();

// Writes all of bytes to descriptor, going on after interrupted or partial writes; gives up
// silently when the descriptor refuses (a closed terminal is no reason to fail a conversion).
void writeAll(int descriptor, const QByteArray& bytes);

} // namespace lectorix::cli
