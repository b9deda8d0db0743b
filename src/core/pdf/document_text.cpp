#include "core/pdf/document_text.h"

#include "core/base/failure.h"
#include "core/base/off_thread.h"
#include "core/files/file_utils.h"
#include "core/files/temp_folder.h"
#include "core/files/text_files.h"
#include "core/pdf/pdf_converter.h"
#include "core/process/child_process.h"
#include "core/process/missing_parts.h"
#include "core/process/process_runner.h"

#include <QFile>
#include <QFileInfo>
#include <QTimer>

#include <cstring>

namespace lectorix {

namespace {

constexpr int TextFilePollMs = 10;

// The full-disk message for the folder of a file the extraction writes, naming {TEMP} rather
// than the job's own folder inside it; empty when there is room.
QString fullDiskHolding(const QString& file, qint64 needed = 0)
{
    QString folder = QFileInfo(file).absolutePath();
    try {
        if (const QString temp = tempFolder(); folder.startsWith(temp + QLatin1Char('/')))
            folder = temp;
    } catch (const Failure&) {
    }
    return diskFullMessage(folder, needed);
}

// A step of the text's test that failed, kept to be handed over on the job's own thread.
template <typename Body>
bool testStep(ExtractionStep which, QList<ExtractionFailure>& failures, Body&& body)
{
    return runStep(which, std::forward<Body>(body),
                   [&](const ExtractionFailure& failure) { failures.append(failure); });
}

// When the converter wrote the layout, reads it and puts its plain text in the file's place;
// then tests the text (a file that cannot be read gives one empty line, which is no unreadable
// text; a test that fails counts as true). Touches nothing but the file.
WrittenText testWrittenText(const QString& path, int firstPage)
{
    WrittenText tested;
    QByteArray written;
    testStep(ExtractionStep::ReadText, tested.failures, [&] {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            throw Failure(
                QStringLiteral("The file %1 could not be read: %2").arg(path, file.errorString()));
        written = file.readAll();
    });
    if (isBoundingBoxLayout(written)) {
        tested.layout = true;
        tested.pages = readBoundingBoxLayout(written, firstPage).pages;
        // Pages whose text is another encoding's bytes shown as Latin-1 are read again.
        redecodeMisreadPages(tested.pages);
        written.clear();
        tested.written = testStep(ExtractionStep::ReadText, tested.failures,
                                  [&] { writeStringToFile(layoutText(tested.pages), path); });
        if (!tested.written)
            return tested;
    }
    const TextFilePieces read = readTextFileLines(path);
    if (read.failure)
        tested.failures.append(ExtractionFailure{read.failure->step == TextFileStep::Split
                                                     ? ExtractionStep::SplitText
                                                     : ExtractionStep::ReadText,
                                                 read.failure->description, read.failure->reason});
    testStep(ExtractionStep::TestText, tested.failures,
             [&] { tested.unreadable = isUnreadableText(read.pieces); });
    return tested;
}

} // namespace

QString protectedTextMessage(const QString& pdfPath)
{
    return QStringLiteral("The file ") + pdfPath +
           QStringLiteral(" can not be read by this software - password protected or text is "
                          "protected.");
}

QString unreadableTextMessage(const QString& pdfPath)
{
    return QStringLiteral("The file ") + pdfPath +
           QStringLiteral(" can not be read by this software - text unreadable. Please view the "
                          "file yourself to see if it is really a scanned image of text and not "
                          "proper PDF text.");
}

ExtractionJob::ExtractionJob(ExtractionRequest request, QObject* parent)
    : Job(parent), m_request(std::move(request))
{
    qRegisterMetaType<ExtractionResult>();
}

ExtractionJob::~ExtractionJob()
{
    if (m_process)
        m_process->stop();
    if (!m_errorPath.isEmpty())
        QFile::remove(m_errorPath);
}

void ExtractionJob::start()
{
    m_running = true;
    m_source = m_request.pdfPath;
    if (!m_request.workingCopyPath.isEmpty()) {
        m_source = m_request.workingCopyPath;
        // The copy and text of an earlier run go first, so a copy that fails can never
        // convert the previous document.
        step(ExtractionStep::CopyDocument, [&] {
            QFile::remove(m_source);
            QFile::remove(converterOutputPath(m_source, QString()));
            // Any name, "?" and "*" included: the copy goes by the exact path.
            QFile::copy(m_request.pdfPath, m_source);
        });
    }
    m_written = converterOutputPath(m_source, m_request.textPath);
    m_errorPath = m_written + QStringLiteral(".log");
    QFile::remove(m_written);
    if (!fileExists(m_source)) {
        // A working copy that a full disk refused is no missing document.
        if (m_source != m_request.pdfPath && fileExists(m_request.pdfPath))
            m_machineFault = fullDiskHolding(m_source, QFileInfo(m_request.pdfPath).size());
        const ExtractionOutcome outcome =
            m_machineFault.isEmpty() ? ExtractionOutcome::Missing : ExtractionOutcome::MachineFault;
        QTimer::singleShot(0, this, [this, outcome] { finish(outcome); });
        return;
    }
    m_machineFault = missingToolMessage(m_request.converter, QStringLiteral("pdftotext"));
    if (!m_machineFault.isEmpty()) {
        QTimer::singleShot(0, this, [this] { finish(ExtractionOutcome::MachineFault); });
        return;
    }
    runConverter(false);
}

void ExtractionJob::runConverter(bool latin1Password)
{
    int startError = 0;
    const bool ran = step(ExtractionStep::RunConverter, [&] {
        if (m_request.converter.contains(QLatin1Char('/')))
            checkOwnProgram(m_request.converter);
        const QByteArrayList argv =
            converterArguments(m_request.converter, m_request.password, m_source, m_written,
                               m_request.firstPage, m_request.lastPage, latin1Password);
        if (!m_process) {
            m_process = new ChildProcess(this);
            connect(m_process, &ChildProcess::finished, this, &ExtractionJob::converterEnded);
        }
        startError = m_process->start(argv, m_errorPath);
    });
    if (!ran || startError != 0) {
        QTimer::singleShot(0, this, [this, startError] {
            if (startError != 0)
                m_exitCode = startError;
            finish(ExtractionOutcome::Failed);
        });
    }
}

void ExtractionJob::converterEnded(int exitCode)
{
    m_exitCode = exitCode;
    if (!fileExists(m_written) && !m_triedLatin1 && worthLatin1Retry(m_request.password)) {
        m_triedLatin1 = true;
        runConverter(true);
        return;
    }
    m_waitedMs = 0;
    lookForText();
}

// The converter may end a moment before its file can be seen; look for it a little while.
void ExtractionJob::lookForText()
{
    if (!m_running)
        return;
    // A test that fails counts as true: no text file.
    bool missing = true;
    step(ExtractionStep::FindText, [&] { missing = !fileExists(m_written); });
    const bool exists = !missing;
    if (!exists && m_waitedMs < m_request.textFileWaitMs && m_exitCode == 0) {
        m_waitedMs += TextFilePollMs;
        QTimer::singleShot(TextFilePollMs, this, &ExtractionJob::lookForText);
        return;
    }
    if (exists) {
        // pdftotext ends with success even when it could not write all the text: a full disk
        // means the text is cut short, and only part of the document would be read.
        m_machineFault = fullDiskHolding(m_written);
        if (!m_machineFault.isEmpty()) {
            finish(ExtractionOutcome::MachineFault);
            return;
        }
    }
    if (!exists) {
        const QString said = converterMessages();
        if (said.contains(QStringLiteral("Incorrect password")))
            askPassword();
        else
            finish(ExtractionOutcome::Protected);
        return;
    }
    testText();
}

// The converter's text is read, its layout parsed into pages and the text tested away from the
// event loop's thread: a long book's layout takes a while to read.
void ExtractionJob::testText()
{
    const QString written = m_written;
    const int firstPage = qMax(m_request.firstPage, 1);
    runOffThread(
        this, [written, firstPage] { return testWrittenText(written, firstPage); },
        [this](WrittenText tested) { textTested(std::move(tested)); });
}

void ExtractionJob::textTested(WrittenText tested)
{
    if (!m_running) {
        QFile::remove(m_written); // rewritten with the layout's text after a cancel
        return;
    }
    for (const ExtractionFailure& failure : std::as_const(tested.failures))
        emit stepFailed(failure);
    if (!tested.written) {
        finish(ExtractionOutcome::Protected);
        return;
    }
    m_layout = tested.layout;
    m_pages = std::move(tested.pages);
    if (tested.unreadable) {
        m_machineFault = missingLanguageDataMessage(m_errorPath);
        finish(m_machineFault.isEmpty() ? ExtractionOutcome::Unreadable
                                        : ExtractionOutcome::MachineFault);
        return;
    }
    finish(ExtractionOutcome::Text);
}

// The converter is run again with the password the user gives; without one the extraction
// ends as needing it.
void ExtractionJob::askPassword()
{
    ask(JobQuestion::Kind::Password, m_request.pdfPath, m_request.password,
        [this](const std::optional<QString>& password) {
            if (!m_running)
                return;
            if (!password) {
                finish(ExtractionOutcome::NeedsPassword);
                return;
            }
            m_request.password = *password;
            m_triedLatin1 = false;
            runConverter(false);
        });
}

void ExtractionJob::cancel()
{
    if (!m_running)
        return;
    dropQuestion();
    if (m_process)
        m_process->stop();
    finish(ExtractionOutcome::Cancelled);
}

QString ExtractionJob::converterMessages() const
{
    QFile log(m_errorPath);
    if (!log.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromLocal8Bit(log.read(4096)).trimmed();
}

void ExtractionJob::finish(ExtractionOutcome outcome)
{
    if (!m_running)
        return;
    m_running = false;
    ExtractionResult result;
    result.outcome = outcome;
    result.detail = converterMessages();
    if (outcome == ExtractionOutcome::Failed && m_exitCode <= StartFailureBase + 4096 &&
        m_exitCode >= StartFailureBase)
        result.detail =
            QStringLiteral("%1 could not be started: %2")
                .arg(m_request.converter,
                     QString::fromLocal8Bit(std::strerror(m_exitCode - StartFailureBase)));
    if (outcome == ExtractionOutcome::MachineFault)
        result.detail = m_machineFault;
    if (outcome == ExtractionOutcome::Text)
        result.textPath = m_written;
    else
        QFile::remove(m_written);
    if (outcome == ExtractionOutcome::Text || outcome == ExtractionOutcome::Unreadable) {
        result.layout = m_layout;
        result.pages = std::move(m_pages);
    }
    QFile::remove(m_errorPath);
    emit finished(result);
    emit ended();
}

} // namespace lectorix
