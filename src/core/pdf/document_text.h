#pragma once

#include "core/base/failure.h"
#include "core/base/job.h"
#include "core/pdf/page_layout.h"

#include <QList>
#include <QObject>
#include <QString>

#include <memory>

namespace lectorix {

class ChildProcess;

// The steps of a text extraction that can fail on their own and let it go on.
enum class ExtractionStep {
    CopyDocument, // copying the PDF into the working folder
    RunConverter, // checking the converter (checkOwnProgram) and starting it
    FindText,     // the test whether the converter wrote a text file (taken as "no")
    ReadText,     // reading that file for the next test (TextFileStep::Read)
    SplitText,    // cutting it into lines (TextFileStep::Split)
    TestText,     // the test whether the text is readable (taken as "unreadable")
};
using ExtractionFailure = StepFailure<ExtractionStep>;

struct ExtractionRequest
{
    QString pdfPath;
    // Given as owner and as user password; empty for none.
    QString password;
    // The converter to run: a program name looked up in PATH, or a path (which must then be
    // this user's own, see checkOwnProgram).
    QString converter = QStringLiteral("pdftotext");
    // 0 leaves that end of the page range open.
    int firstPage = 0;
    int lastPage = 0;
    // With a working copy, the PDF is first copied to workingCopyPath and the copy converted
    // (to the same name with ".txt"), so the document may change or go meanwhile; otherwise
    // the PDF itself is converted into textPath.
    QString workingCopyPath;
    QString textPath;
    // How long to look for the text file after the converter has ended.
    int textFileWaitMs = 1000;
};

enum class ExtractionOutcome {
    Text,          // textPath holds readable text
    NeedsPassword, // the document is encrypted and no password, or a wrong one, was given
    Protected,     // no text file came out (damaged, not a PDF, copying refused, ...)
    Unreadable,    // text without enough printable characters: a scanned document
    Missing,       // the PDF does not exist
    Failed,        // the converter could not be run at all
    MachineFault,  // the converter is not installed or lacks its language data, or {TEMP}
                   // is full: the detail says which, and what to do
    Cancelled,
};

struct ExtractionResult
{
    ExtractionOutcome outcome = ExtractionOutcome::Failed;
    QString textPath; // with Text: the file that holds the text; the caller removes it
    QString detail;   // what the converter said, or why it could not run
    // With Text and Unreadable, when the converter wrote the pages' layout: the pages, their
    // words' offsets counted in the text file's text (layoutText from 0).
    bool layout = false;
    QList<LayoutPage> pages;
};

// What the test of a converter's text file found (ExtractionJob's own).
struct WrittenText
{
    bool written = true; // false: the layout's plain text could not be written
    bool layout = false;
    QList<LayoutPage> pages;
    bool unreadable = true;
    QList<ExtractionFailure> failures;
};

// The one text extraction of the program: copy, convert, look for the text file, test it.
// The converter is asked for the pages' layout; the text file then holds the layout's plain
// text (layoutText), and the pages come with the result. A converter that writes plain text
// instead (an older or a substitute one) gives that text as it stands, without pages.
// It runs the converter without waiting, reads the layout and tests the text on a worker thread,
// and reports through finished(). A document that the
// password given (none, or a wrong one) does not open asks for another (a Password question)
// and is converted again with the answer; declined, it ends with NeedsPassword. It never shows
// anything: a step that fails is handed over as stepFailed() at once, and the extraction goes
// on as that step's rule says.
class ExtractionJob final : public Job
{
    Q_OBJECT

public:
    explicit ExtractionJob(ExtractionRequest request, QObject* parent = nullptr);
    ~ExtractionJob() override;

    void start();
    // Stops the converter; finished() follows with Cancelled.
    void cancel() override;
    bool isRunning() const override { return m_running; }
    // With the password last tried, once a question has been answered.
    const ExtractionRequest& request() const { return m_request; }

signals:
    void finished(const lectorix::ExtractionResult& result);

private:
    void runConverter(bool latin1Password);
    void converterEnded(int exitCode);
    void lookForText();
    void finish(ExtractionOutcome outcome);
    QString converterMessages() const;
    void askPassword();
    void testText();
    void textTested(WrittenText tested);

    ExtractionRequest m_request;
    QString m_source;
    QString m_written;
    QString m_errorPath;
    QString m_machineFault;
    bool m_running = false;
    bool m_triedLatin1 = false;
    int m_exitCode = 0;
    int m_waitedMs = 0;
    ChildProcess* m_process = nullptr;
    bool m_layout = false;
    QList<LayoutPage> m_pages;
};

// What the window shows when the converter gave no text file, and when the text is
// unreadable (a scanned document).
QString protectedTextMessage(const QString& pdfPath);
QString unreadableTextMessage(const QString& pdfPath);

} // namespace lectorix

Q_DECLARE_METATYPE(lectorix::ExtractionResult)
