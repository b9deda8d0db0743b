#include "gui/conversion_progress.h"

#include <cmath>

namespace lectorix {

namespace {

constexpr int BarSteps = 1000;

QString duration(qint64 seconds)
{
    if (seconds < 60)
        return QStringLiteral("%1 s").arg(seconds);
    return QStringLiteral("%1 min %2 s").arg(seconds / 60).arg(seconds % 60);
}

} // namespace

ConversionProgressDialog::ConversionProgressDialog(ConversionJob* job, QWidget* parent)
    : QProgressDialog(parent)
{
    setObjectName(QStringLiteral("conversionProgress"));
    setWindowTitle(QStringLiteral("Save Audio As MP3"));
    setWindowModality(Qt::NonModal);
    setRange(0, BarSteps);
    setMinimumDuration(0);
    setAutoClose(false);
    setAutoReset(false);
    setMinimumWidth(420);
    setLabelText(describe({}, std::nullopt));
    m_clock.start();
    connect(job, &ConversionJob::progress, this, &ConversionProgressDialog::show);
    connect(this, &QProgressDialog::canceled, job, &ConversionJob::cancel);
    connect(job, &ConversionJob::finished, this, &QObject::deleteLater);
}

void ConversionProgressDialog::show(const ConversionProgress& progress)
{
    setValue(int(std::lround(progress.fraction * BarSteps)));
    setLabelText(describe(progress, estimateSecondsLeft(m_clock.elapsed(), progress.fraction)));
}

QString ConversionProgressDialog::describe(const ConversionProgress& progress,
                                           std::optional<qint64> secondsLeft)
{
    QString stage;
    switch (progress.stage) {
    case ConversionStage::Extracting:
        stage = QStringLiteral("Extracting the text");
        break;
    case ConversionStage::Speaking:
        stage = QStringLiteral("Speaking and encoding part %1 of %2")
                    .arg(progress.piece)
                    .arg(progress.pieces);
        break;
    case ConversionStage::Encoding:
        stage = QStringLiteral("Finishing the MP3");
        break;
    case ConversionStage::Joining:
        stage = QStringLiteral("Joining the parts");
        break;
    }
    if (secondsLeft)
        stage += QStringLiteral(" - about %1 left").arg(duration(*secondsLeft));
    return stage;
}

std::optional<qint64> ConversionProgressDialog::estimateSecondsLeft(qint64 elapsedMs,
                                                                    double fraction)
{
    if (fraction < 0.02 || fraction >= 1.0)
        return std::nullopt;
    return qint64(std::lround(elapsedMs / 1000.0 * (1.0 - fraction) / fraction));
}

} // namespace lectorix
