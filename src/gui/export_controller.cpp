#include "gui/export_controller.h"

#include "core/conversion/conversion_job.h"
#include "gui/main_window.h"

namespace lectorix {

ExportController::ExportController(MainWindow& window) : m_window(window) {}

void ExportController::cancelConversions()
{
    for (ConversionJob* job : m_window.findChildren<ConversionJob*>(Qt::FindDirectChildrenOnly))
        job->cancel();
}

void ExportController::track(ConversionJob* job)
{
    if (m_converting++ == 0)
        emit convertingChanged(true);
    connect(job, &ConversionJob::finished, this, [this] {
        if (--m_converting == 0)
            emit convertingChanged(false);
    });
}

} // namespace lectorix
