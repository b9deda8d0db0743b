#pragma once

#include "gui/error_report.h"

#include <QStringList>

namespace lectorix::test {

// Installs itself as the error report's sink for its lifetime and keeps every report as the
// text the window's box would show.
class ErrorRecorder
{
public:
    ErrorRecorder();
    ~ErrorRecorder();
    ErrorRecorder(const ErrorRecorder&) = delete;
    ErrorRecorder& operator=(const ErrorRecorder&) = delete;

    QStringList reports;

private:
    ErrorReportSink m_previous;
};

} // namespace lectorix::test
