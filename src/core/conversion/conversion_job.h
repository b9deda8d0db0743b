#pragma once

#include "core/base/failure.h"
#include "core/base/job.h"
#include "core/conversion/audio_format.h"
#include "core/ocr/recognition_job.h"
#include "core/pdf/document_text.h"
#include "core/speech/speech_rendering.h"
#include "core/text/pronunciations.h"
#include "core/text/speech_pauses.h"

#include <QList>
#include <QObject>
#include <QString>

#include <memory>

namespace lectorix {

struct ConversionRequest
{
    // The document: a PDF, or text given directly (then sourcePdf is empty and sourceName
    // names it in messages, e.g. "standard input").
    QString sourcePdf;
    QString sourceText;
    QString sourceName;
    // Where the finished MP3 goes. It appears there only when complete; an MP3 already at
    // the path stays untouched until then, and for good when the conversion fails.
    QString outputPath;
    // One file per chapter instead, in the format, in the folder named after outputPath
    // (chapterFolder), each appearing there as soon as it is complete; a document without
    // chapters still gives the one file. With resume, files that are there already are
    // complete and not made again.
    bool splitChapters = false;
    bool resume = false;
    // The kind of file made (outputPath's extension is the caller's), and whether a PDF's
    // first page becomes its cover picture; a page that cannot be rendered gives no cover.
    AudioFormat format = AudioFormat::Mp3;
    bool cover = true;
    VoiceSettings voice;
    // Given as owner and as user password; empty for none.
    QString password;
    // The MP3's tags: title and artist given here win over the PDF's Title and Author; without
    // either the title is the document's file name without its extension.
    QString title;
    QString artist;
    // The outside tools: program names looked up in PATH, or paths of this user's own files.
    QString converter = QStringLiteral("pdftotext");
    QString encoder = QStringLiteral("lame");
    // Reads a PDF's outline, for its chapters.
    QString outlineReader = QStringLiteral("pdftohtml");
    // M4B's and Opus's encoder, which also puts their sound into its container; and the
    // renderer of the cover.
    QString formatTool = QStringLiteral("ffmpeg");
    QString coverRenderer = QStringLiteral("pdftoppm");
    // Speak the text line by line as it stands, instead of prepared into paragraphs.
    bool verbatim = false;
    // For a PDF read from its layout: whether footnotes are read (after the paragraph that
    // cites them), and the language whose sentences the text is cut into; empty: the
    // language of the voice.
    bool readFootnotes = true;
    QString language;
    // What the voice says in place of written words.
    PronunciationList pronunciations;
    // Which pages of a PDF are recognised as images of text (Never: pages without usable
    // text are left out), and in which of tesseract's languages; none given: the language
    // above (else the voice's) and English.
    RecognitionMode recognition = RecognitionMode::Never;
    QStringList recognitionLanguages;
    // The silences after sentences, paragraphs and headings (not for verbatim text), and
    // whether every utterance is spoken by the chosen voice rather than one in another script
    // by a voice of its language.
    SpeechPauses pauses;
    bool oneVoice = false;
};

enum class ConversionStage {
    Extracting,  // the PDF's text is being extracted
    Speaking,    // part i of n is being spoken into its encoder
    Encoding,    // the MP3 is finished (its tags, the rename)
    Joining,     // the parts are being joined into one MP3
    Recognising, // page piece of pieces is being recognised (pieces: the pages to recognise)
};

struct ConversionProgress
{
    ConversionStage stage = ConversionStage::Extracting;
    int piece = 0;         // 1-based; 0 while extracting
    int pieces = 0;        // the parts the text is spoken in; 0 until it is cut
                           // (while recognising: the page of the pages to recognise)
    double fraction = 0.0; // of the whole job, 0..1
    // The characters of the text spoken so far in all parts together, and of the whole text;
    // both 0 until the text is prepared.
    qint64 textDone = 0;
    qint64 textLength = 0;
};

enum class ConversionOutcome {
    Done,
    NeedsPassword, // encrypted; no password given
    WrongPassword, // encrypted; the password given does not open it
    Protected,     // no text came out: damaged, not a PDF, text protected
    Unreadable,    // no text layer: a scanned document
    Missing,       // the input does not exist
    OutputFailed,  // the MP3 could not be written where it should go
    Failed,        // speaking, encoding or joining failed, or a tool is missing
    Cancelled,
};

struct ConversionResult
{
    ConversionOutcome outcome = ConversionOutcome::Failed;
    // What the window shows instead of "Done.", or empty when it shows "Done.".
    QString message;
    // What a tool said, where the window's sentence leaves it out ("pdftotext could not be
    // started: ..."); often empty.
    QString detail;
    // The pages of a PDF that were left out because their text is not language (glyphs
    // without characters, as in a scan), in order.
    QList<int> unreadablePages;
    // The folder the chapters' MP3s went into; empty when the one MP3 was made.
    QString chapterFolder;
};

// The steps of a conversion that can fail on their own. The extraction's steps come as
// ExtractionFailure.
enum class ConversionStep {
    MakeWorkingFolder, // the job's private folder under {TEMP}
    CheckEncoder,      // an encoder given as a path must be this user's own (checkOwnProgram)
    ReserveOutput,     // the hidden file beside the output that the MP3 is written to
    PrepareText,       // reading the document's text and preparing it for speech
    StartEncoder,      // starting the one encoder, which writes the MP3 itself
    StartPartEncoder,  // starting the encoders of a text spoken in several parts
    RenameOutput,      // renaming the finished MP3 over the output
};
using ConversionFailure = StepFailure<ConversionStep>;

// Turns one document into one MP3 file, or one per chapter: extract the text and read the
// outline, prepare the text for speech and find its chapters, speak it into the encoders in
// two lanes (encoder_lanes.h), join the parts, tag the MP3 (with its chapters' marks) and
// rename it into place. It never waits inside the event loop: the tools run as child processes
// whose end arrives as an event, and speech renders on threads of its own. Each job works in a
// private folder under {TEMP}, so several jobs and a reading never share a file. A step that
// fails is handed over at once as stepFailed(), a ConversionFailure or one of the steps of
// the extraction, the recognition (a page it could not recognise) or the setting up of the
// speech (RenderingFailure), and the job goes on as that step's rule says; it shows nothing
// itself. A PDF that does not open asks for its password, and a scanned one (without
// recognition) whether to recognise it; the job goes on with the answers. A write into the
// pipe of an encoder that has ended must fail, not end the program: the program ignores
// SIGPIPE.
class ConversionJob final : public Job
{
    Q_OBJECT

public:
    explicit ConversionJob(ConversionRequest request, QObject* parent = nullptr);
    // Destroying a running job cancels it.
    ~ConversionJob() override;

    void start();
    // Stops the running tool and the speech, removes the working files and the unfinished
    // MP3; finished() follows with Cancelled. Nothing is reported as done.
    void cancel() override;
    bool isRunning() const override;
    // With the answers given to its questions (the password, the recognition).
    const ConversionRequest& request() const;

signals:
    void progress(const lectorix::ConversionProgress& progress);
    void finished(const lectorix::ConversionResult& result);

private:
    struct State;
    std::unique_ptr<State> d;
};

// The languages a conversion recognises in: those the request names, else those of its
// language (voiceLanguage when it names none) and English.
QStringList conversionRecognitionLanguages(const ConversionRequest& request);

// What a cancelled conversion says.
inline const QString ConversionCancelledMessage = QStringLiteral("Conversion cancelled.");

// What a conversion's outcome is when its text extraction ended so (Done for text).
ConversionOutcome conversionOutcome(ExtractionOutcome extraction, bool passwordGiven);

// The texts the converter prints for an outcome (also the window's messages where it has one).
QString conversionFailureReason(ConversionOutcome outcome);

// Names pages that could not be read: "page 4 could not be read (no usable text)", "pages 3-20,
// 25 could not be read (no usable text)"; empty for none.
QString unreadablePagesReason(const QList<int>& pages);
// Pages in order as a reader names them: runs joined ("3-5, 9").
QString pageRuns(const QList<int>& pages);

// The MP3's tags: the PDF's Title and Author from what pdfinfo printed (documentInfo), unless
// the request gives a title or an artist; without a title, the document's file name without
// its extension. The comment names the voice and the speed.
struct Mp3Tags;
Mp3Tags conversionTags(const ConversionRequest& request, const QString& documentInfo);

} // namespace lectorix

Q_DECLARE_METATYPE(lectorix::ConversionProgress)
Q_DECLARE_METATYPE(lectorix::ConversionResult)
