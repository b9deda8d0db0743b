#pragma once

#include "core/pdf/word_boxes.h"

#include <QAbstractScrollArea>
#include <QCache>
#include <QHash>
#include <QImage>
#include <QList>
#include <QSizeF>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

namespace lectorix {

class ChildProcess;
class PageRenderer;
} // namespace lectorix
class QTemporaryDir;
namespace lectorix {

// How the pages are fitted to the view.
enum class PageFit { Width, Page, Zoom };

// A PDF's pages as printed, one below the other in a scrolling view. The pages' sizes come
// first (pdfinfo), so the scroll bar is right before any page is drawn; the pictures follow,
// rendered outside the process (PageRenderer) for the pages in view and a few ahead, at the
// screen's pixel ratio, and kept in a cache of bounded size. A page not rendered yet shows its
// number, one that failed the reason. While a reading is followed, the sentence being heard
// is tinted and the word marked in the palette's highlight colour. Keys: the arrows and page
// keys scroll, Home and End go to the first and last page, Ctrl with plus, minus and the
// wheel zooms.
class PageView final : public QAbstractScrollArea
{
    Q_OBJECT

public:
    using Clock = std::chrono::steady_clock;
    // The most the pictures kept may take, in bytes.
    static constexpr qint64 CacheBytes = 128LL * 1024 * 1024;
    // Zoom factors offered, 1 being the page's printed size on the screen.
    static constexpr double SmallestZoom = 0.25;
    static constexpr double LargestZoom = 6;

    explicit PageView(QWidget* parent = nullptr);
    ~PageView() override;

    // Shows the pages of pdfPath (none for an empty path); nothing changes when it is the same
    // document with the same password.
    void setDocument(const QString& pdfPath, const QString& password);
    QString document() const { return m_pdfPath; }
    // Why the document shows no pages (its sizes could not be read); empty otherwise.
    QString documentProblem() const { return m_problem; }
    int pageCount() const { return int(m_sizes.size()); }
    // The page most of the view shows, from 1; 0 without pages.
    int currentPage() const;
    void showPage(int page);

    PageFit fit() const { return m_fit; }
    double zoom() const { return m_zoom; }
    void setFit(PageFit fit);
    void setZoom(double zoom); // fit becomes Zoom
    void zoomBy(int steps);    // by a fifth of the scale shown, or back

    // Where the words stand on the pages: fed by whoever knows the document's text.
    WordBoxes& words() { return m_words; }
    const WordBoxes& words() const { return m_words; }

    // The sentence being heard and the word, drawn over the pages; empty lists take them away.
    // wordOffset: where the word starts in the text (-1: none).
    void setReadingMarks(const QList<PageBox>& sentence, const QList<PageBox>& word,
                         qsizetype wordOffset = -1);
    qsizetype markedOffset() const { return m_wordOffset; }
    const QList<PageBox>& markedWord() const { return m_word; }
    const QList<PageBox>& markedSentence() const { return m_sentence; }
    // Scrolls box into view, unless the user scrolled the view within the last few seconds.
    void keepInSight(const PageBox& box);
    void setClock(std::function<Clock::time_point()> now) { m_now = std::move(now); }

    // Where a page, and a box on it, are in the viewport now; an empty rectangle for a page
    // that does not exist.
    QRect pageRect(int page) const;
    QRectF boxRect(const PageBox& box) const;
    // The page and the point on it, in points, under a viewport position.
    std::optional<std::pair<int, QPointF>> pagePoint(const QPoint& position) const;

    // The pictures kept, and what they take.
    int cachedPages() const { return int(m_pictures.size()); }
    qint64 cachedBytes() const { return m_pictures.totalCost() * 1024LL; }
    // What a page shows in place of its picture: why it failed, or empty.
    QString pageProblem(int page) const { return m_failures.value(page); }
    bool hasPicture(int page) const { return m_pictures.contains(page); }
    PageRenderer& renderer() const { return *m_renderer; }

signals:
    void pagesChanged(int count);
    void currentPageChanged(int page);
    void zoomChanged();
    // A word was clicked: its offset in the document's text.
    void wordClicked(qsizetype offset);
    // The context menu was asked for at a viewport position.
    void menuAsked(const QPoint& position);
    // A page's picture was drawn for the first time since it was asked for.
    void pageShown(int page);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    bool event(QEvent* event) override;

private:
    double scale() const; // pixels per point
    void layOutPages();
    void askForPictures();
    void sizesRead(int exitCode);
    void userScrolled();
    void paintPage(QPainter& painter, int page, const QRect& rect);
    int pageAtY(int y) const;

    QString m_pdfPath;
    QString m_password;
    QString m_problem;
    QList<QSizeF> m_sizes;
    QList<QRect> m_rects; // in the content, in logical pixels
    QSize m_contentSize;
    PageFit m_fit = PageFit::Width;
    double m_zoom = 1;
    PageRenderer* m_renderer = nullptr;
    ChildProcess* m_sizeReader = nullptr;
    std::unique_ptr<QTemporaryDir> m_sizeFolder;
    QCache<int, QImage> m_pictures;
    QHash<int, QString> m_failures;
    WordBoxes m_words;
    QList<PageBox> m_sentence;
    QList<PageBox> m_word;
    qsizetype m_wordOffset = -1;
    bool m_scrolling = false;
    int m_lastPage = 0;
    QPoint m_pressedAt;
    bool m_userScrolled = false;
    Clock::time_point m_userScrolledAt{};
    std::function<Clock::time_point()> m_now = [] { return Clock::now(); };
};

} // namespace lectorix
