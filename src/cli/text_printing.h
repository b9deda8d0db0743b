#pragma once

#include "core/ocr/recognition_job.h"
#include "core/text/pronunciations.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class QTemporaryDir;

namespace lectorix {
class ExtractionJob;
struct ExtractionResult;
struct LayoutPage;
struct SpokenDocument;
struct SpeechChoices;
} // namespace lectorix

namespace lectorix::cli {

struct TextPrintingChoices
{
    QString password;          // for encrypted PDFs; empty: none
    QString standardInputText; // the text read from standard input, when "-" is an input
    bool verbatim = false;
    bool readFootnotes = true;   // a PDF's footnotes, read after the paragraph that cites them
    QString language;            // the voice's, for where sentences end and which entries apply
    bool oneVoice = false;       // every utterance in the chosen voice, as for the pronunciations
    bool printLanguages = false; // each utterance after its language (printedUtterances)
    PronunciationList pronunciations;
    // Which pages of a PDF are recognised, and in which of tesseract's languages (empty: the
    // voice's and English), as a conversion recognises them.
    RecognitionMode recognition = RecognitionMode::Never;
    QStringList recognitionLanguages;
};

// What is said of pages left out because their text is in a script no installed voice speaks
// (Deseret, say): "page 3 is in a script no installed voice speaks, and left out".
QString unspokenPagesReason(const QList<int>& pages);

// Utterances as --print-text shows them: each on a line of its own, as the voice is given it;
// a blank line where a paragraph ends (after an utterance followed by a pause of its own, not
// the voice's); a heading with a leading "# ". Utterances with nothing to say are left out.
// With voiceLanguage given (the chosen voice's, "en-us"), each utterance follows the language
// it is spoken in, in brackets ("[fr] "): its own, else the chosen voice's primary language.
QString printedUtterances(const SpokenDocument& spoken, const QString& voiceLanguage = QString());

// Prints what a conversion of each input would speak, one utterance per line, and converts
// nothing: the utterances spokenDocument makes of the document's text (a PDF's from its pages'
// layout), as printedUtterances shows them. The pages of a PDF that could not be read are named
// on standard error, those in a script no voice speaks as such, and the rest is printed. An
// input without text, or whose text gives nothing to say, is named on standard error with its
// reason and the next one goes on; so is a step of a PDF's extraction that fails. A
// PDF's text is extracted by the job a conversion uses, on the program's event loop, and its
// scanned pages recognised as a conversion recognises them.
// finished() gives the exit status: 0 when every input gave its text, 1 when any failed or output
// could not be written.
class TextPrinting final : public QObject
{
    Q_OBJECT

public:
    using Write = std::function<bool(const QString& text)>;
    using PrintError = std::function<void(const QString& message)>;

    TextPrinting(QStringList inputs, TextPrintingChoices choices, Write write,
                 PrintError printError, QObject* parent = nullptr);
    ~TextPrinting() override;

    void start();

signals:
    void finished(int exitStatus);

private:
    void next();
    void extractPdf(const QString& input);
    void extracted(const QString& input, const ExtractionResult& result);
    bool recognise(const QString& input, const ExtractionResult& result);
    void recognised(const QString& input, QList<LayoutPage> pages, const RecognitionResult& result);
    void print(const QString& input, const QString& text, const QString& problem,
               const QList<LayoutPage>* pages = nullptr);
    SpeechChoices speechChoices(const QString& input) const;
    QString nothingToSayReason(const SpokenDocument& spoken, bool pdf) const;

    QStringList m_inputs;
    TextPrintingChoices m_choices;
    Write m_write;
    PrintError m_printError;
    qsizetype m_current = -1;
    int m_status = 0;
    ExtractionJob* m_extraction = nullptr;
    RecognitionJob* m_recognition = nullptr;
    std::unique_ptr<QTemporaryDir> m_workFolder; // of the PDF being extracted
};

} // namespace lectorix::cli
