#pragma once

#include "core/base/failure.h"
#include "core/base/job.h"
#include "core/pdf/document_text.h"
#include "core/reading/reading_navigation.h"
#include "core/speech/speech_engine.h"
#include "core/speech/voice_settings.h"
#include "core/text/layout/reading.h"
#include "core/text/pronunciations.h"
#include "core/text/speech_pauses.h"
#include "core/text/spoken_piece.h"

#include <QList>
#include <QObject>
#include <QString>

#include <memory>
#include <optional>

class QTemporaryDir;
class QTimer;

namespace lectorix {

class DocumentFeed;
class OutlineJob;
struct FedRange;
enum class FeedFault;
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
    // The chapters of a text, in its offsets. A PDF's are found as it is converted, from its
    // outline (below) or else the headings of its layout.
    QList<Chapter> chapters;
    // The PDF's outline, when already read; without, the session reads it.
    std::optional<QList<OutlineEntry>> outline;
    // The chapter the reading starts at, an index into the chapters (chapters()); nothing is
    // said before its start is converted. -1: from the start (or startAt).
    qsizetype startChapter = -1;
    // What the voice says in place of written words; the highlight stays on the written ones.
    PronunciationList pronunciations;
    // For a PDF read from its layout: whether its pages without usable text are recognised
    // (in the voice's language and English), a few pages ahead of the voice.
    bool recognise = false;
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
// inside the event loop: a PDF's text comes prepared from a DocumentFeed, the voice speaks on its
// own thread, and a short timer notices when everything has been heard. A failing step is announced
// by stepFailed() as it fails (a ReadingFailure, or an ExtractionFailure of a PDF range's
// extraction: copying the document, testing its text), and the reading goes on with its next step
// where it can: a voice that could not be made, for one, fails each step that needs it. A PDF that
// the password given does not open asks for another (asked()); declined, the reading ends. ended()
// follows each reading's end, whatever ended it.
class ReadingSession final : public Job
{
    Q_OBJECT

public:
    explicit ReadingSession(QObject* parent = nullptr);
    ~ReadingSession() override;

    // Ends any reading first. A reading of an empty text or of a PDF without readable text
    // ends quietly.
    void start(const ReadingRequest& request);
    void pause();
    void resume();
    void stop();
    void cancel() override { stop(); }
    bool isRunning() const override { return m_state != ReadingState::Idle; }
    // Also kept for the voices a move makes.
    void setVolume(int volume);
    void setRate(int rate);

    // Moves the running reading one sentence, paragraph or chapter on or back from the place
    // being heard and speaks on from there at once; a paused reading stays paused, at its new
    // place. Back goes to the start of the unit being heard, or to the one before while the
    // first sentence of it is heard (ReadingNavigator). Returns false, and nothing changes,
    // when there is nowhere to go: no reading, the last unit, no chapters, or, on, a unit not
    // converted yet. A chapter not converted yet is gone to once it is.
    bool moveOn(ReadingUnit unit);
    bool moveBack(ReadingUnit unit);
    // The next or previous chapter, or paragraph when the document has no chapters.
    bool skipForward();
    bool skipBack();
    // Goes on from offset in the text read, or from the start of chapter (chapters()), at once
    // or once its start is converted.
    bool goTo(qsizetype offset);
    bool goToChapter(qsizetype chapter);

    ReadingState state() const { return m_state; }
    // What the current or last reading was asked to read, with the password that opened it.
    const ReadingRequest& request() const { return m_request; }
    // The voice of the reading, once it has one.
    speech::Voice* voice() const { return m_voice.get(); }
    // Where the reading is: the start of the word heard last (or, from a voice that does not
    // tell its words, of the utterance begun last), or where it was moved to and not yet
    // heard; at first, where it starts. Offsets as spokenRange's.
    qsizetype position() const { return m_position; }
    // The chapters of the current or last reading, as far as they are known: a PDF's grow as
    // its pages are converted (chaptersChanged()); their starts are in spokenRange's offsets.
    const QList<Chapter>& chapters() const { return m_chapters; }
    // The chapter holding the position, an index into chapters(); -1 before the first or
    // without chapters.
    qsizetype chapter() const { return m_chapter; }
    // The page of a PDF holding offset, counted from 1, as far as the text is converted; 0
    // for the text box.
    int pageAt(qsizetype offset) const;
    // Where the text read ends, once all of it is known.
    std::optional<qsizetype> textEnd() const;

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
    // Pages of a PDF read from its layout have been converted: their words, with their boxes
    // and their offsets in the same text, follow the text they hold (textConverted).
    void pagesLaidOut(const QList<lectorix::LayoutPage>& pages);
    // The position moved into another chapter (chapter()).
    void chapterChanged(qsizetype chapter);
    // More chapters are known, or their starts (chapters()).
    void chaptersChanged();
    // The reading was moved (position()); what was queued before is not heard.
    void moved(qsizetype position);
    // Once the whole PDF has been converted: the pages left out because their text is not
    // language (a scan, glyphs without characters), in order. Not sent when there are none.
    void unreadablePages(const QList<int>& pages);
    // The text of scanned pages could not be recognised at all: what to install. The reading
    // goes on without those pages.
    void recognitionFailed(const QString& message);

private:
    void setState(ReadingState state);
    void makeVoice();
    speech::Voice& voiceOrFail() const;
    // Starts converting the PDF; false when the reading has ended (no working folder).
    bool startPdf();
    void readOutline();
    void takeRange(const FedRange& range);
    void feedFailed(FeedFault fault, const QString& detail);
    void followRecognition(qsizetype heardOffset);
    void sayHeldPages();
    void dropFeed();
    void await(QList<SpokenPiece> pieces, qsizetype shift);
    void queueAhead();
    bool passOverToSeek();
    SpokenPiece spokenForm(const SpokenPiece& piece, qsizetype from) const;
    void watch();
    void release();
    ReadingNavigator navigator() const;
    bool moveBackByChapter();
    // Speaks on from place among the pieces known; from offset in the text once it is
    // converted.
    void jumpTo(PiecePlace place);
    void jumpToOffset(qsizetype offset);
    void waitForChapter(qsizetype chapter);
    bool chapterReady(qsizetype chapter) const;
    void findChapters();
    void restartVoice();
    void setPlace(PiecePlace place);
    void setPosition(qsizetype position);

    ReadingState m_state = ReadingState::Idle;
    ReadingRequest m_request;
    std::unique_ptr<speech::Voice> m_voice;
    std::unique_ptr<LanguageVoices> m_languages; // switches m_voice between languages
    QString m_voiceLanguage;                     // of the chosen voice
    // A PDF's text, range by range, with pages recognised where asked.
    DocumentFeed* m_feed = nullptr;
    OutlineJob* m_outline = nullptr;
    std::unique_ptr<QTemporaryDir> m_workFolder;
    QTimer* m_watch = nullptr;
    // Every piece of the text known so far, in the order they are spoken; the voice is given
    // them from m_nextPiece on, a few at a time.
    QList<SpokenPiece> m_pieces;
    qsizetype m_nextPiece = 0;
    qsizetype m_nextFrom = 0; // where in the next piece speaking starts, after a move into it
    // A place in the text not converted yet, or a remembered place: pieces ending before it
    // are passed over as they come; with m_trimToSeek the piece holding it is spoken from it.
    qsizetype m_seekTo = -1;
    bool m_trimToSeek = false;
    bool m_complete = false; // all the text's pieces are known
    struct Utterance
    {
        qsizetype piece;
        qsizetype from; // where in the piece's text its speech begins
        // What the voice was given, as stretches back to positions in the piece's text.
        QList<SpokenPiece::Stretch> said;
    };
    QList<Utterance> m_utterances; // given to the voice, in order
    PiecePlace m_place;
    qsizetype m_position = 0;
    bool m_wordsHeard = false;
    QList<Chapter> m_chapters;
    qsizetype m_chapter = -1;
    qsizetype m_waitChapter = -1;    // a chapter gone to whose start is not converted yet
    QList<LayoutPage> m_layoutPages; // the PDF's pages read so far, for its chapters
    // Where the pages of the PDF after the first begin; kept after the reading ends.
    QList<qsizetype> m_pageStarts;
    ReadingStep m_queueStep = ReadingStep::QueueText;
    bool m_anyText = false;
    int m_announced = 0;
    speech::WordPosition m_wordAnnounced;
};

} // namespace lectorix
