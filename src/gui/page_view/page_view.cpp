#include "gui/page_view/page_view.h"

#include "core/base/failure.h"
#include "core/files/temp_folder.h"
#include "core/pdf/page_pictures.h"
#include "core/process/child_process.h"
#include "core/process/missing_parts.h"
#include "gui/page_view/page_renderer.h"
#include "gui/page_view/page_view_accessible.h"
#include "gui/reading_highlight.h"

#include <QFile>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cmath>

namespace lectorix {

namespace {

constexpr int Margin = 10;    // around the pages, in logical pixels
constexpr int Gap = 10;       // between pages
constexpr int PagesAhead = 2; // rendered past the last page in view

} // namespace

PageView::PageView(QWidget* parent)
    : QAbstractScrollArea(parent), m_renderer(new PageRenderer(this)),
      m_pictures(int(CacheBytes / 1024))
{
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setFocusPolicy(Qt::StrongFocus);
    installPageViewAccessibility();
    viewport()->setBackgroundRole(QPalette::Mid);
    viewport()->setAutoFillBackground(true);
    verticalScrollBar()->setSingleStep(24);
    horizontalScrollBar()->setSingleStep(24);
    connect(verticalScrollBar(), &QScrollBar::actionTriggered, this, &PageView::userScrolled);
    connect(horizontalScrollBar(), &QScrollBar::actionTriggered, this, &PageView::userScrolled);
    connect(m_renderer, &PageRenderer::rendered, this, [this](int page, const QImage& picture) {
        auto* kept = new QImage(picture);
        kept->setDevicePixelRatio(devicePixelRatioF());
        m_failures.remove(page);
        m_pictures.insert(page, kept, int(std::max<qint64>(1, picture.sizeInBytes() / 1024)));
        viewport()->update();
        emit pageShown(page);
        askForPictures(); // one rendered at a size no longer shown is asked for again
    });
    connect(m_renderer, &PageRenderer::failed, this, [this](int page, const QString& reason) {
        m_failures.insert(page, reason);
        viewport()->update();
    });
}

PageView::~PageView() = default;

void PageView::setDocument(const QString& pdfPath, const QString& password)
{
    if (pdfPath == m_pdfPath && password == m_password && (m_sizeReader || !m_sizes.isEmpty()))
        return;
    delete m_sizeReader;
    m_sizeReader = nullptr;
    m_sizeFolder.reset();
    // The same document opened with its password keeps the words known of it.
    if (pdfPath != m_pdfPath) {
        m_words.clear();
        m_sentence.clear();
        m_word.clear();
        m_wordOffset = -1;
    }
    m_pdfPath = pdfPath;
    m_password = password;
    m_problem.clear();
    m_sizes.clear();
    m_pictures.clear();
    m_failures.clear();
    m_renderer->setDocument(pdfPath, password);
    layOutPages();
    emit pagesChanged(0);
    if (pdfPath.isEmpty())
        return;
    try {
        if (!m_sizeFolder)
            m_sizeFolder = makeWorkingFolder(QStringLiteral("page-sizes"));
    } catch (const Failure& failure) {
        m_problem = failure.description();
        return;
    }
    m_sizeReader = new ChildProcess(this);
    connect(m_sizeReader, &ChildProcess::finished, this, &PageView::sizesRead);
    const int started = m_sizeReader->start(
        pageSizesArguments(pdfPath, password), m_sizeFolder->filePath(QStringLiteral("errors.txt")),
        -1, m_sizeFolder->filePath(QStringLiteral("sizes.txt")));
    if (started != 0) {
        delete m_sizeReader;
        m_sizeReader = nullptr;
        m_problem = notInstalledMessage(QStringLiteral("pdfinfo"));
    }
    viewport()->update();
}

void PageView::sizesRead(int exitCode)
{
    m_sizeReader->deleteLater();
    m_sizeReader = nullptr;
    QFile output(m_sizeFolder->filePath(QStringLiteral("sizes.txt")));
    if (output.open(QIODevice::ReadOnly))
        m_sizes = parsePageSizes(QString::fromUtf8(output.readAll()));
    output.close();
    if (m_sizes.isEmpty()) {
        QFile errors(m_sizeFolder->filePath(QStringLiteral("errors.txt")));
        const QString said = errors.open(QIODevice::ReadOnly)
                                 ? QString::fromUtf8(errors.read(2048)).trimmed()
                                 : QString();
        m_problem =
            QStringLiteral("The pages cannot be shown (code %1). %2").arg(exitCode).arg(said);
    }
    m_sizeFolder.reset(); // no working files are left while the window shows the pages
    m_lastPage = 0;
    layOutPages();
    verticalScrollBar()->setValue(0);
    emit pagesChanged(pageCount());
    emit currentPageChanged(currentPage());
}

double PageView::scale() const
{
    if (m_sizes.isEmpty())
        return 1;
    double widest = 0;
    double tallest = 0;
    for (const QSizeF& size : m_sizes) {
        widest = std::max(widest, size.width());
        tallest = std::max(tallest, size.height());
    }
    const QSize room = viewport()->size() - QSize(2 * Margin, 2 * Margin);
    const double byWidth = std::max(1, room.width()) / widest;
    double shown = m_zoom * logicalDpiX() / 72.0;
    if (m_fit == PageFit::Width)
        shown = byWidth;
    else if (m_fit == PageFit::Page)
        shown = std::min(byWidth, std::max(1, room.height()) / tallest);
    return std::clamp(shown, 0.02, 10.0);
}

void PageView::layOutPages()
{
    // The page at the top, and how far down it, stay where they are across a change of size.
    const int keptPage = m_rects.isEmpty() ? 0 : pageAtY(verticalScrollBar()->value());
    const double keptShare =
        keptPage > 0 ? double(verticalScrollBar()->value() - m_rects[keptPage - 1].top()) /
                           std::max(1, m_rects[keptPage - 1].height())
                     : 0;
    const double pixelsPerPoint = scale();
    m_rects.clear();
    int widest = 0;
    for (const QSizeF& size : m_sizes)
        widest = std::max(widest, int(std::lround(size.width() * pixelsPerPoint)));
    const int contentWidth = std::max(viewport()->width(), widest + 2 * Margin);
    int y = Margin;
    for (const QSizeF& size : m_sizes) {
        const QSize pixels(std::max(1, int(std::lround(size.width() * pixelsPerPoint))),
                           std::max(1, int(std::lround(size.height() * pixelsPerPoint))));
        m_rects.append(QRect(QPoint((contentWidth - pixels.width()) / 2, y), pixels));
        y += pixels.height() + Gap;
    }
    m_contentSize = QSize(contentWidth, y - Gap + Margin);
    m_scrolling = true;
    verticalScrollBar()->setRange(0, std::max(0, m_contentSize.height() - viewport()->height()));
    verticalScrollBar()->setPageStep(viewport()->height());
    horizontalScrollBar()->setRange(0, std::max(0, m_contentSize.width() - viewport()->width()));
    horizontalScrollBar()->setPageStep(viewport()->width());
    if (keptPage > 0 && keptPage <= m_rects.size()) {
        const QRect& rect = m_rects[keptPage - 1];
        verticalScrollBar()->setValue(rect.top() + int(keptShare * rect.height()));
    }
    m_scrolling = false;
    viewport()->update();
    askForPictures();
}

int PageView::pageAtY(int y) const
{
    const auto below = std::upper_bound(m_rects.cbegin(), m_rects.cend(), y,
                                        [](int at, const QRect& rect) { return at < rect.top(); });
    return std::max(1, int(below - m_rects.cbegin()));
}

int PageView::currentPage() const
{
    if (m_rects.isEmpty())
        return 0;
    return pageAtY(verticalScrollBar()->value() + viewport()->height() / 3);
}

void PageView::showPage(int page)
{
    if (page < 1 || page > m_rects.size())
        return;
    userScrolled();
    verticalScrollBar()->setValue(m_rects[page - 1].top() - Margin);
}

void PageView::setFit(PageFit fit)
{
    if (fit == m_fit)
        return;
    m_fit = fit;
    m_pictures.clear(); // drawn at another size now
    layOutPages();
    emit zoomChanged();
}

void PageView::setZoom(double zoom)
{
    zoom = std::clamp(zoom, SmallestZoom, LargestZoom);
    if (m_fit == PageFit::Zoom && qFuzzyCompare(zoom, m_zoom))
        return;
    m_fit = PageFit::Zoom;
    m_zoom = zoom;
    m_pictures.clear();
    layOutPages();
    emit zoomChanged();
}

void PageView::zoomBy(int steps)
{
    const double shown = scale() / (logicalDpiX() / 72.0);
    setZoom(shown * std::pow(1.2, steps));
}

QRect PageView::pageRect(int page) const
{
    if (page < 1 || page > m_rects.size())
        return {};
    return m_rects[page - 1].translated(-horizontalScrollBar()->value(),
                                        -verticalScrollBar()->value());
}

QRectF PageView::boxRect(const PageBox& box) const
{
    const QRect page = pageRect(box.page);
    if (page.isEmpty())
        return {};
    const QSizeF size = m_sizes[box.page - 1];
    const double across = page.width() / size.width();
    const double down = page.height() / size.height();
    return QRectF(page.left() + box.box.xMin * across, page.top() + box.box.yMin * down,
                  box.box.width() * across, box.box.height() * down);
}

std::optional<std::pair<int, QPointF>> PageView::pagePoint(const QPoint& position) const
{
    if (m_rects.isEmpty())
        return std::nullopt;
    const int page = pageAtY(position.y() + verticalScrollBar()->value());
    const QRect rect = pageRect(page);
    if (!rect.contains(position))
        return std::nullopt;
    const QSizeF size = m_sizes[page - 1];
    return std::pair{page, QPointF((position.x() - rect.left()) * size.width() / rect.width(),
                                   (position.y() - rect.top()) * size.height() / rect.height())};
}

void PageView::setReadingMarks(const QList<PageBox>& sentence, const QList<PageBox>& word,
                               qsizetype wordOffset)
{
    m_sentence = sentence;
    m_word = word;
    const bool moved = wordOffset != m_wordOffset;
    m_wordOffset = wordOffset;
    viewport()->update();
    if (moved)
        announceReadWord(*this);
}

void PageView::keepInSight(const PageBox& box)
{
    if (m_userScrolled && m_now() - m_userScrolledAt < ReadingHighlight::UserScrollRespite)
        return;
    const QRectF shown = boxRect(box);
    if (shown.isEmpty() || viewport()->rect().contains(shown.toAlignedRect()))
        return;
    m_scrolling = true;
    verticalScrollBar()->setValue(verticalScrollBar()->value() + int(shown.top()) -
                                  viewport()->height() / 3);
    if (shown.left() < 0 || shown.right() > viewport()->width())
        horizontalScrollBar()->setValue(horizontalScrollBar()->value() + int(shown.left()) -
                                        Margin);
    m_scrolling = false;
}

void PageView::userScrolled()
{
    if (m_scrolling)
        return;
    m_userScrolled = true;
    m_userScrolledAt = m_now();
}

// The pages in view first, then a few after and the one before, at the size they are shown.
void PageView::askForPictures()
{
    // A view behind another tab renders nothing until it is shown.
    if (m_rects.isEmpty() || !isVisible())
        return;
    const int top = verticalScrollBar()->value();
    const int first = pageAtY(top);
    int last = first;
    while (last < m_rects.size() && m_rects[last].top() < top + viewport()->height())
        ++last;
    QList<int> wanted;
    for (int page = first; page <= std::min<int>(last + PagesAhead, m_rects.size()); ++page)
        wanted.append(page);
    if (first > 1)
        wanted.append(first - 1);
    QList<PageAsk> asks;
    const double ratio = devicePixelRatioF();
    // No more is wanted than the cache holds: a picture rendered would push out another
    // wanted one, to be rendered again in its turn.
    qint64 room = CacheBytes;
    for (int page : wanted) {
        const QSize pixels =
            PageRenderer::cappedPixels((QSizeF(m_rects[page - 1].size()) * ratio).toSize());
        room -= 4LL * pixels.width() * pixels.height();
        if (room < 0 && page != first)
            break;
        // A picture a pixel or two off the size asked for is the renderer's rounding.
        const QImage* kept = m_pictures.object(page);
        const bool fits = kept && std::abs(kept->width() - pixels.width()) <= 2 &&
                          std::abs(kept->height() - pixels.height()) <= 2;
        if (fits || m_failures.contains(page))
            continue;
        asks.append({page, pixels});
    }
    m_renderer->want(asks);
    const int current = currentPage();
    if (current != m_lastPage) {
        m_lastPage = current;
        emit currentPageChanged(current);
    }
}

void PageView::paintEvent(QPaintEvent* event)
{
    QPainter painter(viewport());
    const QRect dirty = event->rect();
    if (m_rects.isEmpty()) {
        if (!m_problem.isEmpty()) {
            painter.setPen(palette().color(QPalette::WindowText));
            painter.drawText(viewport()->rect().adjusted(Margin, Margin, -Margin, -Margin),
                             Qt::AlignCenter | Qt::TextWordWrap, m_problem);
        }
        return;
    }
    const int top = verticalScrollBar()->value();
    for (int page = pageAtY(top); page <= m_rects.size(); ++page) {
        const QRect rect = pageRect(page);
        if (rect.top() > dirty.bottom())
            break;
        if (rect.intersects(dirty))
            paintPage(painter, page, rect);
    }
    // The sentence tinted, the word marked, in the palette's colours so that they stand out in
    // a dark or high-contrast palette as in a light one.
    QColor tint = palette().color(QPalette::Highlight);
    tint.setAlpha(60);
    for (const PageBox& box : m_sentence)
        painter.fillRect(boxRect(box).adjusted(-1, -1, 1, 1), tint);
    QColor mark = palette().color(QPalette::Highlight);
    mark.setAlpha(110);
    painter.setPen(QPen(palette().color(QPalette::Highlight), 2));
    for (const PageBox& box : m_word) {
        const QRectF shown = boxRect(box).adjusted(-2, -2, 2, 2);
        painter.fillRect(shown, mark);
        painter.drawRect(shown);
    }
}

void PageView::paintPage(QPainter& painter, int page, const QRect& rect)
{
    painter.fillRect(rect, Qt::white);
    if (const QImage* picture = m_pictures.object(page)) {
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(rect, *picture);
        return;
    }
    painter.setPen(Qt::darkGray);
    painter.drawRect(rect.adjusted(0, 0, -1, -1));
    const QString problem = m_failures.value(page);
    const QString shown =
        problem.isEmpty() ? QStringLiteral("Page %1").arg(page)
                          : QStringLiteral("Page %1 cannot be shown.\n%2").arg(page).arg(problem);
    painter.setPen(Qt::black);
    painter.drawText(rect.adjusted(Margin, Margin, -Margin, -Margin),
                     Qt::AlignCenter | Qt::TextWordWrap, shown);
}

void PageView::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    if (m_fit != PageFit::Zoom)
        m_pictures.clear(); // drawn at another size now
    layOutPages();
}

void PageView::showEvent(QShowEvent* event)
{
    QAbstractScrollArea::showEvent(event);
    askForPictures();
}

void PageView::scrollContentsBy(int, int)
{
    viewport()->update();
    askForPictures();
}

} // namespace lectorix
