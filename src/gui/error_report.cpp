#include "gui/error_report.h"

#include <QCoreApplication>
#include <QThread>

#include <cstdio>
#include <mutex>

namespace lectorix {

QString sourceTag(const char* module, const char* procedure)
{
    return QStringLiteral("Lectorix2021/08/31.%1.%2")
        .arg(QLatin1String(module), QLatin1String(procedure));
}

QString applicationErrorText(const QString& tag, int line, const QString& description)
{
    return description + QStringLiteral("\r\n") + QStringLiteral("in ") + tag + QLatin1Char(' ') +
           QStringLiteral("at line ") + QString::number(line) + QStringLiteral("\r\r") +
           QStringLiteral("Please email screenshot of this message to ") +
           QLatin1String(SupportAddress);
}

namespace {

std::mutex g_sinkMutex;

ErrorReportSink& installedSink()
{
    static ErrorReportSink sink;
    return sink;
}

void writeToStandardError(const QString& tag, int line, const QString& description)
{
    const QString text = QStringLiteral("Application Error: ") + description +
                         QStringLiteral(" (in ") + tag + QStringLiteral(" at line ") +
                         QString::number(line) + QStringLiteral(")\n");
    std::fputs(text.toLocal8Bit().constData(), stderr);
}

} // namespace

ErrorReportSink setErrorReportSink(ErrorReportSink sink)
{
    std::lock_guard lock(g_sinkMutex);
    std::swap(installedSink(), sink);
    return sink;
}

void reportApplicationError(const QString& tag, int line, const QString& description)
{
    ErrorReportSink sink;
    {
        std::lock_guard lock(g_sinkMutex);
        sink = installedSink();
    }
    if (!sink) {
        writeToStandardError(tag, line, description);
        return;
    }
    // A report from a worker thread is shown by the thread that owns the front end.
    QCoreApplication* app = QCoreApplication::instance();
    if (app && QThread::currentThread() != app->thread()) {
        QMetaObject::invokeMethod(
            app, [sink, tag, line, description] { sink(tag, line, description); },
            Qt::QueuedConnection);
        return;
    }
    sink(tag, line, description);
}

void Guard::report(int line)
{
    ++m_failures;
    reportApplicationError(m_tag, line, describeCurrentException());
}

} // namespace lectorix
