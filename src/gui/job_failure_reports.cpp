#include "gui/job_failure_reports.h"

#include "gui/error_report.h"
#include "gui/reading_failure_reports.h"

namespace lectorix {

namespace {

int conversionLine(ConversionStep step)
{
    switch (step) {
    case ConversionStep::MakeWorkingFolder:
        return 114;
    case ConversionStep::CheckEncoder:
        return 164;
    case ConversionStep::ReserveOutput:
        return 180;
    case ConversionStep::PrepareText:
        return 182;
    case ConversionStep::StartEncoder:
        return 194;
    case ConversionStep::StartPartEncoder:
        return 196;
    case ConversionStep::RenameOutput:
        return 226;
    }
    return 0;
}

} // namespace

void reportExtractionFailure(const ExtractionFailure& failure, const ExtractionReportLines& lines)
{
    int line = 0;
    switch (failure.step) {
    case ExtractionStep::CopyDocument:
        line = lines.copy;
        break;
    case ExtractionStep::RunConverter:
        line = lines.convert;
        break;
    case ExtractionStep::FindText:
        line = lines.textExists;
        break;
    case ExtractionStep::ReadText:
        reportTextLinesFailure({TextFileStep::Read, failure.description, failure.reason});
        return;
    case ExtractionStep::SplitText:
        reportTextLinesFailure({TextFileStep::Split, failure.description, failure.reason});
        return;
    case ExtractionStep::TestText:
        line = lines.unreadable;
        break;
    }
    reportApplicationError(sourceTag(lines.module, lines.procedure), line, failure.description);
}

void reportConversionFailure(const ConversionFailure& failure)
{
    reportApplicationError(sourceTag("Form1", "PushButton8_Click"), conversionLine(failure.step),
                           failure.description);
}

ExtractionReportLines conversionExtractionLines(bool passwordGiven)
{
    return {"Form1", "PushButton8_Click", 116, passwordGiven ? 126 : 130, 158, 160};
}

ExtractionReportLines readingExtractionLines(bool passwordGiven)
{
    return {"Speak", "SpeakLoud", 160, passwordGiven ? 168 : 172, 198, 200};
}

void reportFailuresOf(ConversionJob& job)
{
    // A recognised page that failed is not reported: the job names the pages left out.
    QObject::connect(&job, &Job::stepFailed, &job, [&job](const JobFailure& failure) {
        if (const auto conversion = failure.as<ConversionStep>())
            reportConversionFailure(*conversion);
        else if (const auto extraction = failure.as<ExtractionStep>())
            reportExtractionFailure(*extraction,
                                    conversionExtractionLines(!job.request().password.isEmpty()));
        else if (const auto rendering = failure.as<RenderingStep>())
            reportRenderingFailure(*rendering);
    });
}

void reportTextLinesFailure(const TextFileFailure& failure)
{
    const int line = failure.step == TextFileStep::Split ? 116 : 102;
    reportApplicationError(sourceTag("Main", "ReadFileToStringFSOLine"), line, failure.description);
}

void reportTextBlocksFailure(const TextFileFailure& failure)
{
    int line = 102;
    if (failure.step == TextFileStep::Read)
        line = 104;
    else if (failure.step == TextFileStep::Split)
        line = 118;
    reportApplicationError(sourceTag("Main", "ReadFileToStringFSO"), line, failure.description);
}

} // namespace lectorix
