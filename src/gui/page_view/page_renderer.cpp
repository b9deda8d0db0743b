#include "gui/page_view/page_renderer.h"

#include "core/base/failure.h"
#include "core/files/temp_folder.h"
#include "core/pdf/page_pictures.h"
#include "core/process/child_process.h"
#include "core/process/missing_parts.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <cmath>

namespace lectorix {

PageRenderer::PageRenderer(QObject* parent) : QObject(parent), m_timeout(new QTimer(this))
{
    m_timeout->setSingleShot(true);
    m_timeout->setInterval(RenderTimeoutMs);
    connect(m_timeout, &QTimer::timeout, this,
            [this] { finish(QStringLiteral("The page took too long to render.")); });
}

PageRenderer::~PageRenderer() = default;

void PageRenderer::setDocument(const QString& pdfPath, const QString& password)
{
    m_queue.clear();
    if (m_process) {
        m_process->stop();
        m_process->deleteLater();
        m_process = nullptr;
    }
    m_timeout->stop();
    m_running.reset();
    m_folder.reset();
    m_pdfPath = pdfPath;
    m_password = password;
}

QSize PageRenderer::cappedPixels(QSize pixels)
{
    double shrink = 1;
    const double area = double(pixels.width()) * pixels.height();
    if (area > double(MaxPixels))
        shrink = std::sqrt(double(MaxPixels) / area);
    shrink = std::min({shrink, double(MaxSide) / std::max(1, pixels.width()),
                       double(MaxSide) / std::max(1, pixels.height())});
    if (shrink >= 1)
        return pixels;
    return {std::max(1, int(pixels.width() * shrink)), std::max(1, int(pixels.height() * shrink))};
}

void PageRenderer::want(const QList<PageAsk>& asks)
{
    m_queue.clear();
    for (const PageAsk& ask : asks)
        if (ask != m_running)
            m_queue.append({ask.page, cappedPixels(ask.pixels)});
    if (!m_running)
        startNext();
}

void PageRenderer::startNext()
{
    if (m_running || m_queue.isEmpty() || m_pdfPath.isEmpty())
        return;
    m_running = m_queue.takeFirst();
    try {
        if (!m_folder)
            m_folder = makeWorkingFolder(QStringLiteral("pages"));
    } catch (const Failure& failure) {
        finish(failure.description());
        return;
    }
    const QString stem = m_folder->filePath(QStringLiteral("page"));
    QFile::remove(stem + QStringLiteral(".png"));
    m_process = new ChildProcess(this);
    connect(m_process, &ChildProcess::finished, this, &PageRenderer::ended);
    const int started = m_process->start(pageRenderArguments(m_pdfPath, m_password, m_running->page,
                                                             m_running->pixels.width(),
                                                             m_running->pixels.height(), stem),
                                         m_folder->filePath(QStringLiteral("messages.txt")));
    if (started != 0) {
        finish(notInstalledMessage(QStringLiteral("pdftoppm")));
        return;
    }
    m_timeout->start();
}

void PageRenderer::ended(int exitCode)
{
    if (exitCode != 0) {
        const QString said = rendererMessages();
        finish(said.isEmpty() ? QStringLiteral("The renderer ended with code %1.").arg(exitCode)
                              : said);
        return;
    }
    finish(std::nullopt);
}

// The first lines the renderer wrote on standard error, which say what is wrong with the page.
QString PageRenderer::rendererMessages() const
{
    QFile messages(m_folder->filePath(QStringLiteral("messages.txt")));
    if (!messages.open(QIODevice::ReadOnly))
        return {};
    const QStringList lines =
        QString::fromUtf8(messages.read(4096)).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    return lines.mid(0, 3).join(QLatin1Char('\n')).trimmed();
}

void PageRenderer::finish(const std::optional<QString>& failure)
{
    m_timeout->stop();
    if (m_process) {
        m_process->stop();
        m_process->deleteLater();
        m_process = nullptr;
    }
    const PageAsk done = *m_running;
    m_running.reset();
    if (failure) {
        emit failed(done.page, *failure);
    } else {
        const QString path = m_folder->filePath(QStringLiteral("page.png"));
        QImage picture(path);
        QFile::remove(path);
        if (picture.isNull()) {
            const QString said = rendererMessages();
            emit failed(done.page,
                        said.isEmpty() ? QStringLiteral("The renderer made no picture.") : said);
        } else
            emit rendered(done.page, picture);
    }
    startNext();
    // Nothing is left in the working folder between renderings.
    if (!m_running)
        m_folder.reset();
}

} // namespace lectorix
