#include "gui/conversion_progress.h"

#include <QLabel>

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

ConversionProgressDialog::ConversionProgressDialog(ConversionJob* job, const QString& documentName,
                                                   QWidget* parent)
    : QProgressDialog(parent), m_documentName(documentName)
{
    setObjectName(QStringLiteral("conversionProgress"));
    setWindowTitle(QStringLiteral("Save Audio As MP3"));
    setWindowModality(Qt::NonModal);
    setRange(0, BarSteps);
    setMinimumDuration(0);
    setAutoClose(false);
    setAutoReset(false);
    setMinimumWidth(420);
    // The document's name shows as it is, never as markup.
    auto* label = new QLabel(this);
    label->setTextFormat(Qt::PlainText);
    setLabel(label);
    setLabelText(describe(m_documentName, {}, std::nullopt));
    m_clock.start();
    connect(job, &ConversionJob::progress, this, &ConversionProgressDialog::show);
    connect(this, &QProgressDialog::canceled, job, &ConversionJob::cancel);
}

void ConversionProgressDialog::dismiss()
{
    reset(); // stops the timer that would show it
    hide();
    deleteLater();
}

void ConversionProgressDialog::show(const ConversionProgress& progress)
{
    m_timeLeft.update(progress, m_clock.elapsed());
    setValue(int(std::lround(progress.fraction * BarSteps)));
    setLabelText(describe(m_documentName, progress, m_timeLeft.secondsLeft()));
}

QString ConversionProgressDialog::describe(const QString& documentName,
                                           const ConversionProgress& progress,
                                           std::optional<qint64> secondsLeft)
{
    QString stage;
    switch (progress.stage) {
    case ConversionStage::Extracting:
        stage = QStringLiteral("Extracting the text");
        break;
    case ConversionStage::Speaking:
        stage = QStringLiteral("Speaking and encoding");
        break;
    case ConversionStage::Encoding:
        stage = QStringLiteral("Finishing the MP3");
        break;
    case ConversionStage::Joining:
        stage = QStringLiteral("Joining the parts");
        break;
    case ConversionStage::Recognising:
        stage =
            QStringLiteral("Recognising page %1 of %2").arg(progress.piece).arg(progress.pieces);
        break;
    }
    if (secondsLeft)
        stage += QStringLiteral(" - about %1 left").arg(duration(*secondsLeft));
    return documentName + QLatin1Char('\n') + stage;
}

} // namespace lectorix
