#include "gui/reading_failure_reports.h"

#include "gui/error_report.h"

namespace lectorix {

namespace {

// What the report says: the description, and the system's own reason beneath it when there
// is one.
QString reportedText(const QString& description, const QString& reason)
{
    return reason.isEmpty() ? description : description + QStringLiteral("\r\n") + reason;
}

} // namespace

int reportLine(ReadingStep step)
{
    switch (step) {
    case ReadingStep::Resume:
        return 106;
    case ReadingStep::CreateVoice:
        return 124;
    case ReadingStep::ChooseVoice:
        return 128;
    case ReadingStep::SetVolume:
        return 130;
    case ReadingStep::SetRate:
        return 132;
    case ReadingStep::PrepareText:
        return 134;
    case ReadingStep::QueueText:
        return 140;
    case ReadingStep::MakeWorkingFolder:
        return 158;
    case ReadingStep::ConvertPagesWithPassword:
        return 168;
    case ReadingStep::ConvertPages:
        return 172;
    case ReadingStep::CreatePdfVoice:
        return 202;
    case ReadingStep::ChoosePdfVoice:
        return 206;
    case ReadingStep::SetPdfVolume:
        return 208;
    case ReadingStep::SetPdfRate:
        return 210;
    case ReadingStep::ReadPages:
        return 212;
    case ReadingStep::QueuePdfText:
        return 218;
    case ReadingStep::Pause:
        return 242;
    }
    return 0;
}

int reportLine(RenderingStep step)
{
    switch (step) {
    case RenderingStep::CreateVoice:
        return 100;
    case RenderingStep::ChooseVoice:
        return 106;
    case RenderingStep::SetVolume:
        return 108;
    case RenderingStep::SetRate:
        return 110;
    case RenderingStep::CreateStream:
        return 114;
    case RenderingStep::OpenPipe:
        return 120;
    case RenderingStep::ConnectStream:
        return 122;
    }
    return 0;
}

void reportReadingFailure(const ReadingFailure& failure)
{
    reportApplicationError(sourceTag("Speak", "SpeakLoud"), reportLine(failure.step),
                           reportedText(failure.description, failure.reason));
}

void reportRenderingFailure(const RenderingFailure& failure)
{
    reportApplicationError(sourceTag("Speak", "SaveToWAV"), reportLine(failure.step),
                           reportedText(failure.description, failure.reason));
}

} // namespace lectorix
