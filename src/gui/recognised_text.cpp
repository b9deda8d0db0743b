// The text box filled with a scanned PDF's text, recognised.
#include "core/conversion/conversion_job.h"
#include "core/ocr/page_recognition.h"
#include "core/ocr/recognition_job.h"
#include "core/ocr/recognition_languages.h"
#include "core/speech/voice_settings.h"
#include "core/text/layout/reading.h"
#include "gui/dialogs.h"
#include "gui/document_controller.h"
#include "gui/main_window.h"
#include "gui/voice_setup.h"

#include <QPlainTextEdit>

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
        if (!hasUsableText(page))
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
                QList<LayoutPage> pages = extracted;
                const QString text = mergeRecognisedPages(pages, recognised.pages);
                if (!anyWord(pages)) {
                    done(false);
                    return;
                }
                m_window.textToReadEdit()->setPlainText(text);
                emit pdfTextShown(pdfPath);
                done(true);
            });
    job->start();
    return true;
}

} // namespace lectorix
