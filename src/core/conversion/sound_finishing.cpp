#include "core/conversion/sound_finishing.h"

#include "core/base/failure.h"
#include "core/conversion/cover_picture.h"
#include "core/conversion/mp3_tags.h"
#include "core/files/file_utils.h"
#include "core/files/temp_folder.h"
#include "core/files/text_decoding.h"
#include "core/pdf/document_info.h"
#include "core/process/child_process.h"

namespace lectorix {

SoundFinishing::SoundFinishing(Setup setup, QObject* parent)
    : QObject(parent), m_setup(std::move(setup))
{
}

SoundFinishing::~SoundFinishing()
{
    stop();
}

QString SoundFinishing::workPath(const QString& name) const
{
    return m_setup.workFolder + QLatin1Char('/') + name;
}

bool SoundFinishing::startSideTools()
{
    if (m_setup.sourcePdf.isEmpty())
        return false;
    startSideTool(documentInfoArguments(m_setup.sourcePdf, m_setup.password),
                  QStringLiteral("pdfinfo"), workPath(QStringLiteral("info.txt")));
    if (m_setup.coverRenderer.isEmpty())
        return m_sideToolsRunning > 0;
    try {
        if (m_setup.coverRenderer.contains(QLatin1Char('/')))
            checkOwnProgram(m_setup.coverRenderer);
    } catch (const Failure& failure) {
        qWarning("%s", qPrintable(failure.description())); // the file goes without a cover
        return m_sideToolsRunning > 0;
    }
    startSideTool(coverRenderArguments(m_setup.coverRenderer, m_setup.sourcePdf, m_setup.password,
                                       workPath(QStringLiteral("cover"))),
                  QStringLiteral("cover"), QString());
    return m_sideToolsRunning > 0;
}

void SoundFinishing::startSideTool(const QByteArrayList& argv, const QString& name,
                                   const QString& output)
{
    auto* tool = new ChildProcess(this);
    m_sideTools << tool;
    connect(tool, &ChildProcess::finished, this, &SoundFinishing::sideToolEnded);
    if (tool->start(argv, workPath(name + QStringLiteral(".log")), -1, output) == 0)
        ++m_sideToolsRunning;
}

void SoundFinishing::sideToolEnded()
{
    if (--m_sideToolsRunning == 0 && !m_stopped)
        emit sideToolsEnded();
}

void SoundFinishing::putIntoContainer(int output, const QStringList& parts,
                                      const QList<ChapterMark>& chapters, const QString& outputPath)
{
    if (m_stopped)
        return;
    m_containersWaiting.append({output, parts, chapters, outputPath});
    if (!m_container)
        startNextContainer();
}

// M4B: the joined ADTS sound with the chapters' file; Opus: the parts through their list.
void SoundFinishing::startNextContainer()
{
    if (m_stopped || m_containersWaiting.isEmpty())
        return;
    const Container next = m_containersWaiting.takeFirst();
    const bool m4b = m_setup.format == AudioFormat::M4b;
    const QString number = QString::number(next.output + 1);
    const QString input =
        m4b ? next.parts.value(0) : workPath(QStringLiteral("parts%1.txt").arg(number));
    const QString chaptersPath = workPath(QStringLiteral("chapters%1.txt").arg(number));
    QStringList names;
    for (const QString& part : next.parts)
        names << fileNameOf(part);
    try {
        writeFileIfMissing(m4b ? chapterMetadata(next.chapters) : concatList(names),
                           m4b ? chaptersPath : input);
    } catch (const Failure&) {
        emit containerFailed(true);
        return;
    }
    m_container = new ChildProcess(this);
    connect(m_container, &ChildProcess::finished, this, [this, output = next.output](int exitCode) {
        m_container->deleteLater();
        m_container = nullptr;
        if (exitCode != 0) {
            emit containerFailed(true);
            return;
        }
        emit soundReady(output);
        startNextContainer();
    });
    if (m_container->start(containerArguments(m_setup.format, m_setup.formatTool, input,
                                              chaptersPath, next.outputPath),
                           workPath(QStringLiteral("container%1.log").arg(number))) != 0)
        emit containerFailed(false);
}

void SoundFinishing::stop()
{
    m_stopped = true;
    m_containersWaiting.clear();
    for (ChildProcess* tool : m_sideTools)
        tool->stop();
    if (m_container)
        m_container->stop();
}

QString SoundFinishing::documentInfo() const
{
    if (m_setup.sourcePdf.isEmpty())
        return QString();
    try {
        return readTextFile(workPath(QStringLiteral("info.txt")));
    } catch (const Failure&) {
        return QString();
    }
}

QByteArray SoundFinishing::cover() const
{
    return readCoverPicture(workPath(QStringLiteral("cover.jpg")));
}

} // namespace lectorix
