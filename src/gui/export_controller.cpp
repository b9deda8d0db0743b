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

} // namespace lectorix
