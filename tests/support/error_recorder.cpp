#include "support/error_recorder.h"

namespace lectorix::test {

ErrorRecorder::ErrorRecorder()
{
    m_previous = setErrorReportSink([this](const QString& tag, int line, const QString& text) {
        reports << applicationErrorText(tag, line, text);
    });
}

ErrorRecorder::~ErrorRecorder()
{
    setErrorReportSink(m_previous);
}

} // namespace lectorix::test
