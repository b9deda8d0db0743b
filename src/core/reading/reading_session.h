#pragma once

#include "core/base/failure.h"
#include "core/pdf/document_text.h"
#include "core/speech/speech_engine.h"
#include "core/speech/voice_settings.h"
#include "core/text/layout_reading.h"
#include "core/text/speech_pauses.h"
#include "core/text/text_preparation.h"

#include <QList>
#include <QObject>
#include <QString>

#include <memory>

class QTemporaryDir;
class QTimer;

namespace lectorix {

class ExtractionJob;
struct ExtractionResult;
class LanguageVoices;
namespace speech {
class Voice;
}

struct ReadingRequest
{
    // The text to read, or with fromPdf the PDF whose whole text is read.
    QString text;
    // Where text starts inside the text box (a selection, or a reading from the cursor's
    // sentence): the ranges the session reports are shifted by it into text-box offsets.
    qsizetype textOffset = 0;
    bool fromPdf = false;
    // For a PDF, where in its extracted text the reading begins: utterances that end before it
    // are skipped, the one holding it is read whole.
    qsizetype startAt = 0;
    QString pdfPath;
    QString password;
    QString converter = QStringLiteral("pdftotext");
    VoiceSettings voice;
    // Read line by line as the text stands, instead of prepared into paragraphs.
    bool verbatim = false;
    // For a PDF read from its layout: whether its footnotes are read, after the paragraph
    // that cites them.
    bool readFootnotes = true;
    // The silences after sentences, paragraphs and headings (not when read verbatim), and
    // whether every sentence is read by the chosen voice rather than one in another script by
    // a voice of its language.
    SpeechPauses pauses;
    bool oneVoice = false;
};

enum class ReadingState { Idle, Reading, Paused };

// The steps of a reading that can fail. A reading of the text box and one of a PDF make their
// voice at different points, so their voice and queuing steps are told apart.
enum class ReadingStep {
    Resume,
    Pause,
    // reading the text box
    CreateVoice,
    ChooseVoice,
    SetVolume,
    SetRate,
    PrepareText,
    QueueText,
    // reading a PDF
    MakeWorkingFolder,
    ConvertPages,             // the converter could not run (the description says why)
    ConvertPagesWithPassword, // the same, with a password given
    ReadPages,                // reading the converted text
    CreatePdfVoice,
    ChoosePdfVoice,
    SetPdfVolume,
    SetPdfRate,
    QueuePdfText,
};
using ReadingFailure = StepFailure<ReadingStep>;

// Reading aloud: start, pause, resume, stop, with volume and rate changed live. It never waits
// inside the event loop: a PDF's text comes from an ExtractionJob, the voice speaks on its own
// thread, and a short timer notices when everything has been heard. A failing step is
// announced by stepFailed() as it fails, and the reading goes on with its next step where it
// can: a voice that could not be made, for one, fails each step that needs it.
class ReadingSession final : public QObject
{
    Q_OBJECT

public:
    explicit ReadingSession(QObject* parent = nullptr);
    ~ReadingSession() override;

    // Ends any reading first. A reading of an empty text or of a PDF without readable text
    // ends quietly; one of a PDF that the password given (none, or a wrong one) does not open
    // ends, and passwordNeeded() follows.
    void start(const ReadingRequest& request);
    void pause();
    void resume();
    void stop();
    void setVolume(int volume);
    void setRate(int rate);

    ReadingState state() const { return m_state; }
    // What the current or last reading was asked to read.
    const ReadingRequest& request() const { return m_request; }
    // The voice of the reading, once it has one.
    speech::Voice* voice() const { return m_voice.get(); }

signals:
    void stateChanged(lectorix::ReadingState state);
    // The stretch of the source text whose speech has begun: an offset and a length in
    // characters of the text box, or of the PDF's extracted text.
    void spokenRange(qsizetype start, qsizetype length);
    // The word being heard now, in the same offsets, when the voice can tell (timed by the
    // audio played).
    void spokenWord(qsizetype start, qsizetype length);
    // The next part of a PDF's extracted text, at offset in the whole text, has been read.
    void textConverted(qsizetype offset, const QString& text);
    void stepFailed(const lectorix::ReadingFailure& failure);
    // A step of a PDF range's extraction failed (copying the document, testing its text).
    void extractionStepFailed(const lectorix::ExtractionFailure& failure);
    // The PDF is encrypted and the reading's password does not open it; the reading has ended,
    // and may be started again with another password.
    void passwordNeeded();
    // Once the whole PDF has been converted: the pages left out because their text is not
    // language (a scan, glyphs without characters), in order. Not sent when there are none.
    void unreadablePages(const QList<int>& pages);

private:
    void setState(ReadingState state);
    // Runs one step; its failure is announced. Returns whether it succeeded.
    template <typename Body> bool step(ReadingStep which, Body&& body);
    void makeVoice();
    speech::Voice& voiceOrFail() const;
    void convertNextRange();
    void rangeExtracted(const ExtractionResult& result);
    bool takeRange(const ExtractionResult& result, int requestedPages);
    void takeLayout(QList<LayoutPage> pages);
    void finishDocument();
    void await(QList<SpokenPiece> pieces, qsizetype shift);
    void queueAhead();
    void watch();
    void release();

    ReadingState m_state = ReadingState::Idle;
    ReadingRequest m_request;
    std::unique_ptr<speech::Voice> m_voice;
    std::unique_ptr<LanguageVoices> m_languages; // switches m_voice between languages
    QString m_voiceLanguage;                     // of the chosen voice
    ExtractionJob* m_extraction = nullptr;
    std::unique_ptr<QTemporaryDir> m_workFolder;
    QTimer* m_watch = nullptr;
    struct Utterance
    {
        qsizetype offset;
        qsizetype length;
        SpokenPiece place; // without its text: where each spoken character comes from
    };
    QList<Utterance> m_utterances; // given to the voice, in order
    QList<SpokenPiece> m_waiting;  // not yet given to the voice
    ReadingStep m_queueStep = ReadingStep::QueueText;
    // The PDF's text, converted range by range.
    std::unique_ptr<SpeechPreparation> m_preparation;
    // The PDF's text from its pages' layout; made with the first range that has one.
    std::unique_ptr<LayoutPreparation> m_layoutPreparation;
    QList<int> m_unreadablePages; // whose text is not language
    int m_nextPage = 1;
    int m_rangePages = 0;
    bool m_anyText = false;
    qsizetype m_textOffset = 0;
    int m_announced = 0;
    speech::WordPosition m_wordAnnounced;
};

} // namespace lectorix

Q_DECLARE_METATYPE(lectorix::ReadingFailure)
