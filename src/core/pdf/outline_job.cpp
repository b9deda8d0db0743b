#include "core/pdf/outline_job.h"

#include "core/base/failure.h"
#include "core/files/temp_folder.h"
#include "core/pdf/pdf_converter.h"
#include "core/process/child_process.h"

#include <QFile>
#include <QTimer>

namespace lectorix {

namespace {

// pdftohtml writes the first page too; an outline is a few kilobytes. Anything past this is
// not read, so a hostile document cannot make the program hold a huge file.
constexpr qint64 MaxOutlineBytes = qint64(16) << 20;

} // namespace

OutlineJob::OutlineJob(OutlineRequest request, QObject* parent)
    : QObject(parent), m_request(std::move(request))
{
    qRegisterMetaType<OutlineResult>();
}

OutlineJob::~OutlineJob()
{
    if (m_process)
        m_process->stop();
}

void OutlineJob::start()
{
    if (m_running)
        return;
    m_running = true;
    m_triedLatin1 = false;
    try {
        m_work = makeWorkingFolder(QStringLiteral("outline"));
    } catch (const Failure&) {
        m_work.reset();
    }
    if (!m_work) {
        QTimer::singleShot(0, this, [this] { finish({}); });
        return;
    }
    run(false);
}

void OutlineJob::run(bool latin1Password)
{
    if (!m_process) {
        m_process = new ChildProcess(this);
        connect(m_process, &ChildProcess::finished, this, &OutlineJob::ended);
    }
    const QString output = m_work->filePath(QStringLiteral("outline.xml"));
    const int started = m_process->start(
        outlineArguments(m_request.program, m_request.password, m_request.pdfPath, latin1Password),
        m_work->filePath(QStringLiteral("outline.log")), -1, output);
    if (started != 0)
        QTimer::singleShot(0, this, [this] { finish({}); });
}

void OutlineJob::ended(int exitCode)
{
    if (!m_running)
        return;
    QFile file(m_work->filePath(QStringLiteral("outline.xml")));
    QByteArray xml;
    if (file.open(QIODevice::ReadOnly))
        xml = file.read(MaxOutlineBytes);
    file.close();
    // A wrong password gives nothing at all; an older encryption may want Latin-1 bytes.
    if (xml.isEmpty() && exitCode != 0 && !m_triedLatin1 && worthLatin1Retry(m_request.password)) {
        m_triedLatin1 = true;
        run(true);
        return;
    }
    finish(readPdfOutline(xml));
}

void OutlineJob::cancel()
{
    if (!m_running)
        return;
    if (m_process)
        m_process->stop();
    finish({}, true);
}

void OutlineJob::finish(QList<OutlineEntry> entries, bool cancelled)
{
    if (!m_running)
        return;
    m_running = false;
    m_work.reset();
    emit finished({std::move(entries), cancelled});
}

} // namespace lectorix
