#pragma once

#include "core/conversion/conversion_job.h"
#include "core/conversion/time_left.h"

#include <QElapsedTimer>
#include <QProgressDialog>

#include <optional>

namespace lectorix {

// The window's view of a running export: the document, the stage, a bar of the whole job and,
// once it is steady, the time left. It is not modal, so the window goes on working behind it
// (reading aloud included); its Cancel button cancels the job.
class ConversionProgressDialog final : public QProgressDialog
{
    Q_OBJECT

public:
    // documentName is how the user knows the document: the PDF's file name, or the MP3's.
    ConversionProgressDialog(ConversionJob* job, const QString& documentName, QWidget* parent);

    // "book.pdf", a line break and "Speaking and encoding - about 3 min 10 s left", as the
    // dialog shows it. The parts the text is spoken in run side by side, so they are not named.
    static QString describe(const QString& documentName, const ConversionProgress& progress,
                            std::optional<qint64> secondsLeft);

    // Hides the dialog at once, before the job's end is shown, and lets it go.
    void dismiss();

private:
    void show(const ConversionProgress& progress);

    QString m_documentName;
    QElapsedTimer m_clock;
    TimeLeftEstimate m_timeLeft;
};

} // namespace lectorix
