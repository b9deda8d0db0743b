#include "gui/read_aloud.h"

#include "core/error_report.h"
#include "core/file_utils.h"
#include "core/pdf_converter.h"
#include "core/reading_session.h"
#include "core/settings.h"
#include "gui/main_window.h"
#include "gui/password_prompt.h"
#include "gui/voice_setup.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

namespace lectorix {

void pressReadButton(MainWindow& form)
{
    Guard g("Form1", "PushButton2_Click");
    g(100, [&] { startPauseOrResumeReading(form); });
}

void startPauseOrResumeReading(MainWindow& form)
{
    Guard g("Speak", "SpeakLoud");
    ReadingSession& session = *form.readingSession;
    if (g.test(104, [&] { return session.state() == ReadingState::Paused; })) {
        session.resume();
        return;
    }
    if (g.test(110, [&] { return session.state() == ReadingState::Reading; })) {
        session.pause();
        return;
    }

    // A PDF reading needs an existing PDF; a reading of the text box does not care what the
    // PDF box holds.
    ReadingRequest request;
    request.fromPdf = !form.useTextBox;
    if (request.fromPdf) {
        request.pdfPath = form.pdfPathEdit->text();
        if (g.test(100, [&] { return request.pdfPath.isEmpty(); }))
            return;
        if (g.test(102, [&] { return !isExistingFile(request.pdfPath); }))
            return;
    }
    request.voice = chosenVoice(form);
    request.verbatim = readsVerbatim();
    if (request.fromPdf) {
        g.assign(158, request.converter, [] { return converterPath(); });
        if (g.test(162, [&] { return form.passwordPromptCheck->checkState() == Qt::Checked; }))
            g.assign(164, request.password, [&] { return askPassword(request.pdfPath); });
    } else {
        g.assign(120, request.text, [&] { return form.textToReadEdit->toPlainText(); });
    }
    session.start(request);
}

void showReadingState(MainWindow& form)
{
    Guard g("Speak", "SpeakLoud");
    switch (form.readingSession->state()) {
    case ReadingState::Reading:
        g(114, [&] { form.readButton->setText(CaptionPause); });
        g(116, [&] { form.setMousePointer(MainWindow::PointerBusy); });
        break;
    case ReadingState::Paused:
        g(244, [&] { form.readButton->setText(CaptionResume); });
        break;
    case ReadingState::Idle:
        g(238, [&] { form.setMousePointer(MainWindow::PointerDefault); });
        g(240, [&] { form.readButton->setText(CaptionStart); });
        break;
    }
}

} // namespace lectorix
