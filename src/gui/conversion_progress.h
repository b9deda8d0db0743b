#pragma once

#include "core/conversion/conversion_job.h"

#include <QElapsedTimer>
#include <QProgressDialog>

#include <optional>

namespace lectorix {

// The window's view of a running export: the stage, a bar of the whole job and, once it can
// be estimated, the time left. It is not modal, so the window goes on working behind it
// (reading aloud included); its Cancel button cancels the job.
class ConversionProgressDialog final : public QProgressDialog
{
    Q_OBJECT

public:
    ConversionProgressDialog(ConversionJob* job, QWidget* parent);

    // "Speaking and encoding part 2 of 5 - about 3 min 10 s left", as the dialog shows it.
    static QString describe(const ConversionProgress& progress, std::optional<qint64> secondsLeft);
    // The time left from the time so far and the share done; none until 2% is done.
    static std::optional<qint64> estimateSecondsLeft(qint64 elapsedMs, double fraction);

private:
    void show(const ConversionProgress& progress);

    QElapsedTimer m_clock;
};

} // namespace lectorix
