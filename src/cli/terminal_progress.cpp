#include "cli/terminal_progress.h"

#include "cli/library_messages.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>

namespace lectorix::cli {

namespace {

// Carriage return and "erase to the end of the line": works on every terminal Linux offers.
constexpr char ClearLine[] = "\r\033[K";

int terminalWidth()
{
    winsize size{};
    if (::ioctl(messageDescriptor(), TIOCGWINSZ, &size) == 0 && size.ws_col > 0)
        return size.ws_col;
    return 80;
}

} // namespace

QString quotedName(const QString& name)
{
    QString quoted = QStringLiteral("'");
    for (const QChar c : name) {
        if (c == QLatin1Char('\''))
            quoted += QStringLiteral("'\\''");
        else if (c == QLatin1Char('\n'))
            quoted += QStringLiteral("\\n");
        else if (c == QLatin1Char('\t'))
            quoted += QStringLiteral("\\t");
        else if (c == QLatin1Char('\r'))
            quoted += QStringLiteral("\\r");
        else if (c.category() == QChar::Other_Control || c.category() == QChar::Other_Format)
            quoted += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
        else
            quoted += c;
    }
    return quoted + QLatin1Char('\'');
}

QString stageText(const ConversionProgress& progress)
{
    const QString ofPieces =
        progress.pieces > 0
            ? QStringLiteral(" part %1 of %2").arg(progress.piece).arg(progress.pieces)
            : QString();
    switch (progress.stage) {
    case ConversionStage::Extracting:
        return QStringLiteral("extracting text");
    case ConversionStage::Speaking:
        return QStringLiteral("speaking") + ofPieces;
    case ConversionStage::Encoding:
        return QStringLiteral("encoding") + ofPieces;
    case ConversionStage::Joining:
        return QStringLiteral("joining the parts");
    case ConversionStage::Recognising:
        return progress.pieces > 0 ? QStringLiteral("recognising page %1 of %2")
                                         .arg(progress.piece)
                                         .arg(progress.pieces)
                                   : QStringLiteral("recognising text");
    }
    return QString();
}

QString durationText(int seconds)
{
    const int hours = seconds / 3600;
    const int minutes = seconds / 60 % 60;
    const QString tail =
        QStringLiteral("%1:%2").arg(minutes).arg(seconds % 60, 2, 10, QLatin1Char('0'));
    if (hours == 0)
        return tail;
    return QStringLiteral("%1:%2").arg(hours).arg(tail.rightJustified(5, QLatin1Char('0')));
}

QString progressLine(const QString& shownName, int document, int documents,
                     const ConversionProgress& progress, std::optional<int> secondsLeft, int width)
{
    const int percent = int(std::floor(std::clamp(progress.fraction, 0.0, 1.0) * 100.0));
    QString rest = QStringLiteral(" (%1 of %2): ").arg(document).arg(documents) +
                   stageText(progress) + QStringLiteral(", %1%").arg(percent);
    if (secondsLeft)
        rest += QStringLiteral(", %1 left").arg(durationText(*secondsLeft));
    QString name = shownName;
    const qsizetype room = width - 1 - rest.size(); // the last column would wrap on some
    if (name.size() > room) {
        // Keep the end of the name, which tells documents apart more often than the start.
        name = room >= 4 ? QStringLiteral("...") + name.right(room - 3) : QString();
    }
    return (name + rest).left(std::max(width - 1, 0));
}

void TerminalProgress::startDocument(const QString& shownName, int document, int documents)
{
    m_name = shownName;
    m_document = document;
    m_documents = documents;
    m_clock.start();
    m_timeLeft = TimeLeftEstimate();
    m_lastLine.clear();
}

void TerminalProgress::update(const ConversionProgress& progress)
{
    if (!m_enabled)
        return;
    m_timeLeft.update(progress, m_clock.elapsed());
    std::optional<int> secondsLeft;
    if (const std::optional<qint64> left = m_timeLeft.secondsLeft())
        secondsLeft = int(*left);
    const QString line =
        progressLine(m_name, m_document, m_documents, progress, secondsLeft, terminalWidth());
    if (line == m_lastLine && m_shown)
        return;
    m_lastLine = line;
    m_shown = true;
    write(QByteArray(ClearLine) + line.toLocal8Bit());
}

void TerminalProgress::clear()
{
    if (!m_shown)
        return;
    m_shown = false;
    m_lastLine.clear();
    write(ClearLine);
}

void TerminalProgress::printMessage(const QString& text)
{
    clear();
    write(text.toLocal8Bit());
}

void TerminalProgress::write(const QByteArray& bytes)
{
    writeAll(messageDescriptor(), bytes);
}

void writeAll(int descriptor, const QByteArray& bytes)
{
    const char* data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(descriptor, data, size_t(left));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return;
        data += written;
        left -= written;
    }
}

bool standardErrorIsTerminal()
{
    return ::isatty(messageDescriptor()) == 1;
}

} // namespace lectorix::cli
