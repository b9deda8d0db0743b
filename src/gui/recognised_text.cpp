// The text box filled with a scanned PDF's text, recognised.
#include "core/ocr/recognition_job.h"
#include "core/ocr/recognition_languages.h"
#include "core/reading/recognition_ahead.h"
#include "core/speech/voice_settings.h"
#include "gui/dialogs.h"
#include "gui/document_controller.h"
#include "gui/main_window.h"
#include "gui/voice_setup.h"

#include <QPlainTextEdit>

#include <algorithm>

namespace lectorix {

namespace {

bool anyWord(const QList<LayoutPage>& pages)
{
    for (const LayoutPage& page : pages)
        for (const LayoutBlock& block : page.blocks)
            for (const LayoutLine& line : block.lines)
                if (!line.words.isEmpty())
                    return true;
    return false;
}

// The extraction's pages with the recognised ones in their places.
QList<LayoutPage> withRecognised(QList<LayoutPage> pages, const QList<LayoutPage>& recognised)
{
    for (const LayoutPage& page : recognised) {
        const auto place = std::find_if(pages.begin(), pages.end(),
                                        [&](const LayoutPage& p) { return p.number == page.number; });
        if (place != pages.end())
            *place = page;
    }
    return pages;
}

} // namespace

bool DocumentController::recognisePdfText(const ExtractionRequest& request,
                                          const ExtractionResult& result,
                                          std::function<void(bool recognised)> done)
{
    if (!result.layout || result.pages.isEmpty() || !m_scans.recogniseOrAsk(request.pdfPath))
        return false;
    RecognitionRequest recognition;
    recognition.pdfPath = request.pdfPath;
    recognition.password = request.password;
    for (const LayoutPage& page : result.pages)
        if (needsRecognition(page))
            recognition.pages.append(page.number);
    recognition.languages = recognitionLanguages(voiceLanguage(chosenVoice(m_window)));

    auto* job = new RecognitionJob(recognition, &m_window);
    m_textRecognition = job;
    const QList<LayoutPage> extracted = result.pages;
    const QString pdfPath = request.pdfPath;
    connect(job, &RecognitionJob::finished, this,
            [this, job, extracted, pdfPath, done](const RecognitionResult& recognised) {
                job->deleteLater();
                if (m_textRecognition == job)
                    m_textRecognition = nullptr;
                if (recognised.outcome == RecognitionOutcome::Cancelled)
                    return;
                if (recognised.outcome != RecognitionOutcome::Done) {
                    if (!m_window.isClosing())
                        showMessage(recognised.message);
                    done(false);
                    return;
                }
                QList<LayoutPage> pages = withRecognised(extracted, recognised.pages);
                if (!anyWord(pages)) {
                    done(false);
                    return;
                }
                m_window.textToReadEdit()->setPlainText(layoutText(pages));
                emit pdfTextShown(pdfPath);
                done(true);
            });
    job->start();
    return true;
}

} // namespace lectorix
