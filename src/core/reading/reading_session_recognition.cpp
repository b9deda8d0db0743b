// The reading session's pages without usable text: recognised a few pages ahead of the voice
// (RecognitionAhead), and read as the text pages are.
#include "core/ocr/recognition_languages.h"
#include "core/pdf/document_text.h"
#include "core/reading/reading_session.h"
#include "core/reading/recognition_ahead.h"
#include "core/speech/speech_engine.h"
#include "core/speech/voice_settings.h"

#include <QFile>
#include <QTemporaryDir>

namespace lectorix {

// A range's pages go through the recognition, which lets them out in order as each is ready;
// the pages themselves hold the text, so the range's text file is not read. The voice is
// made first, as the recognition's language is the voice's. Returns whether the range was the
// document's last.
bool ReadingSession::takeForRecognition(const ExtractionResult& result, int requestedPages)
{
    if (result.outcome == ExtractionOutcome::Text)
        QFile::remove(result.textPath);
    if (!m_recognition) {
        if (!m_voice)
            makeVoice();
        RecognitionAheadRequest recognition;
        recognition.pdfPath = m_workFolder->path() + QStringLiteral("/output.pdf");
        recognition.password = m_request.password;
        recognition.languages =
            recognitionLanguages(m_voice ? voiceIdLanguage(m_voice->voice().id) : QString());
        m_recognition = new RecognitionAhead(recognition, this);
        const int run = ++m_recognitionRun;
        // Queued, so the session never ends the recognition from inside its own signal.
        connect(
            m_recognition, &RecognitionAhead::pagesReady, this,
            [this, run] {
                if (run == m_recognitionRun && m_recognition)
                    takeRecognisedPages();
            },
            Qt::QueuedConnection);
        connect(
            m_recognition, &RecognitionAhead::failed, this,
            [this, run](const QString& message) {
                if (run == m_recognitionRun && m_recognition)
                    emit recognitionFailed(message);
            },
            Qt::QueuedConnection);
    }
    m_recognition->add(result.pages);
    return result.pages.size() < requestedPages;
}

// The pages that are ready, read into the pieces waiting to be said; the document is finished
// once its last range is converted and no page waits any more.
void ReadingSession::takeRecognisedPages()
{
    QList<LayoutPage> pages = m_recognition->takeReady();
    if (pages.isEmpty())
        return;
    QString text;
    for (const LayoutPage& page : std::as_const(pages)) {
        QList<LayoutPage> one{page};
        if (page.number > 1)
            m_pageStarts.append(m_textOffset + text.size());
        text += layoutText(one, m_textOffset + text.size());
    }
    emit textConverted(m_textOffset, text);
    m_anyText = true; // the voice was made (or its failure said) when the recognition began
    if (m_request.verbatim)
        await(verbatimPieces(text), m_textOffset);
    else
        takeLayout(pages);
    m_textOffset += text.size();
    if (m_allConverted && endDocument())
        return;
    findChapters();
    m_queueStep = ReadingStep::QueuePdfText;
    if (m_voice)
        queueAhead();
    else
        m_nextPiece = m_pieces.size(); // the voice could not be made (reported): nothing is said
}

// The voice has said everything while a page is being recognised: the pages held back for the
// pages after them are said now, so a scan starts speaking once its first page is recognised.
void ReadingSession::sayHeldPages()
{
    if (!m_recognition->isWaiting() || !m_voice || !m_voice->isDone() ||
        m_nextPiece < m_pieces.size() || !m_layoutPreparation)
        return;
    m_layoutPreparation->readHeldPages();
    await(m_layoutPreparation->takePieces(), 0);
    findChapters();
    queueAhead();
}

// The voice has begun the utterance at heardOffset: recognition may go on a few pages past
// the page that holds it.
void ReadingSession::followRecognition(qsizetype heardOffset)
{
    if (m_recognition)
        m_recognition->setPageHeard(pageAt(heardOffset));
}

} // namespace lectorix
