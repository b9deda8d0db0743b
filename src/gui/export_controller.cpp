#include "gui/export_controller.h"

#include "core/conversion/conversion_job.h"
#include "gui/main_window.h"

#include <QComboBox>

namespace lectorix {

namespace {

QComboBox* formatCombo(const MainWindow& window)
{
    return window.findChild<QComboBox*>(QStringLiteral("audioFormatCombo"));
}

} // namespace

ExportController::ExportController(MainWindow& window) : m_window(window)
{
    QComboBox* combo = formatCombo(window);
    if (!combo)
        return;
    combo->addItem(QStringLiteral("MP3"), audioFormatName(AudioFormat::Mp3));
    combo->addItem(QStringLiteral("M4B audiobook"), audioFormatName(AudioFormat::M4b));
    combo->addItem(QStringLiteral("Opus"), audioFormatName(AudioFormat::Opus));
    combo->setToolTip(QStringLiteral("The kind of audio file saved: MP3, an M4B audiobook with "
                                     "chapter marks, or Opus (about half the size)"));
}

AudioFormat ExportController::audioFormat() const
{
    const QComboBox* combo = formatCombo(m_window);
    return combo ? audioFormatNamed(combo->currentData().toString()).value_or(AudioFormat::Mp3)
                 : AudioFormat::Mp3;
}

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
