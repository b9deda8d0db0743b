#pragma once

#include "core/conversion/conversion_job.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

namespace lectorix::cli {

class TerminalProgress;

// One input of the batch.
struct BatchInput
{
    QString name;        // as given on the command line; "-" is standard input
    QString outputPath;  // absolute
    QString outputShown; // as messages show it
};

// What every input of the batch is converted with.
struct BatchChoices
{
    VoiceSettings voice;
    QString password; // empty: none given
    QString title;    // the tags' title and artist instead of each document's
    QString artist;
    bool mayPrompt = false;     // a PDF that needs a password may ask for one on the terminal
    QString standardInputText;  // the text read from standard input, when "-" is an input
    bool verbatim = false;      // spoken line by line as the text stands
    bool readFootnotes = true;  // a PDF's footnotes read after the paragraph that cites them
    QString language;           // the voice's, for where sentences end; empty: asked of it
    bool splitChapters = false; // one file per chapter
    bool resume = false;        // chapter files already there are not made again
    PronunciationList pronunciations;
    RecognitionMode recognition = RecognitionMode::Never; // which pages are recognised
    QStringList recognitionLanguages;                     // empty: the voice's and English
    AudioFormat format = AudioFormat::Mp3;
    bool cover = true;     // a PDF's first page as the cover picture
    SpeechPauses pauses;   // after sentences, paragraphs and headings
    bool oneVoice = false; // every sentence by the chosen voice, whatever its script
};

// An input as messages name it: quoted, or "standard input".
QString shownName(const QString& input);

// The text of a text file by the program's reading rule; problem says why there is none.
QString readTextInput(const QString& path, QString& problem);

// Converts the inputs one after another. A PDF that needs a password when none was given is
// given one asked for on the terminal, once, where that is allowed. A failed input is
// named on standard error with its reason and the next one goes on. finished() gives the exit
// status: 0 when every input was converted, 1 when any failed, 128 + the signal number when
// interrupt() stopped the batch.
class BatchConversion final : public QObject
{
    Q_OBJECT

public:
    BatchConversion(QList<BatchInput> inputs, BatchChoices choices, TerminalProgress& progress,
                    QObject* parent = nullptr);
    ~BatchConversion() override;

    void start();
    // Cancels the running conversion (its tool is ended, its working files and unfinished
    // MP3 removed) and ends the batch once the job has finished.
    void interrupt(int signalNumber);

signals:
    void finished(int exitCode);

private:
    void startCurrent(const QString& password);
    void currentFinished(const ConversionResult& result);
    void answer(JobQuestion* question);
    void next();
    void fail(const QString& reason);
    void printStepFailure(const QString& text);
    void end(int exitCode);
    const BatchInput& current() const { return m_inputs.at(m_current); }

    QList<BatchInput> m_inputs;
    BatchChoices m_choices;
    TerminalProgress& m_progress;
    qsizetype m_current = -1;
    int m_failures = 0;
    bool m_askedForPassword = false;
    int m_signal = 0;
    bool m_ended = false;
    QPointer<ConversionJob> m_job;
};

// A failed step of a job as the converter prints it, on one line: its description, and the
// system's reason where there is one.
QString stepFailureText(const QString& description, const QString& reason);
inline QString stepFailureText(const JobFailure& failure)
{
    return stepFailureText(failure.description, failure.reason);
}

// What a failed conversion is reported with: the converter's reason for the outcome, and for
// a failed step or output the job's message, on one line.
QString failureText(const ConversionResult& result);

} // namespace lectorix::cli
