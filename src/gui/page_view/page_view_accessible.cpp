#include "gui/page_view/page_view_accessible.h"

#include "gui/page_view/page_view.h"

#include <QAccessibleWidget>

#include <algorithm>

namespace lectorix {

ShownPageText shownPageText(const PageView& view)
{
    ShownPageText shown;
    shown.page = view.currentPage();
    shown.words = view.words().wordsOf(shown.page);
    for (const LayoutWord& word : shown.words) {
        if (!shown.text.isEmpty())
            shown.text += QLatin1Char(' ');
        shown.starts.append(int(shown.text.size()));
        shown.text += word.text;
    }
    return shown;
}

int readWordPosition(const PageView& view, const ShownPageText& shown)
{
    for (qsizetype i = 0; i < shown.words.size(); ++i)
        if (shown.words[i].offset == view.markedOffset())
            return shown.starts[i];
    return 0;
}

namespace {

class PageViewAccessible final : public QAccessibleWidget, public QAccessibleTextInterface
{
public:
    explicit PageViewAccessible(PageView* view)
        : QAccessibleWidget(view, QAccessible::Document), m_view(view)
    {
    }

    using QAccessibleWidget::text;

    void* interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::TextInterface)
            return static_cast<QAccessibleTextInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    void selection(int, int* start, int* end) const override { *start = *end = 0; }
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    int cursorPosition() const override
    {
        return readWordPosition(*m_view, shownPageText(*m_view));
    }
    void setCursorPosition(int) override {}
    QString text(int start, int end) const override
    {
        return shownPageText(*m_view).text.mid(start, std::max(0, end - start));
    }
    int characterCount() const override { return int(shownPageText(*m_view).text.size()); }

    QRect characterRect(int offset) const override
    {
        const ShownPageText shown = shownPageText(*m_view);
        const qsizetype word =
            std::upper_bound(shown.starts.cbegin(), shown.starts.cend(), offset) -
            shown.starts.cbegin() - 1;
        if (word < 0 || word >= shown.words.size())
            return {};
        const QRect box = m_view->boxRect({shown.page, shown.words[word].box}).toAlignedRect();
        return QRect(m_view->viewport()->mapToGlobal(box.topLeft()), box.size());
    }

    int offsetAtPoint(const QPoint& point) const override
    {
        const ShownPageText shown = shownPageText(*m_view);
        const QPoint inView = m_view->viewport()->mapFromGlobal(point);
        for (qsizetype i = 0; i < shown.words.size(); ++i)
            if (m_view->boxRect({shown.page, shown.words[i].box}).contains(inView))
                return shown.starts[i];
        return -1;
    }

    void scrollToSubstring(int, int) override {}
    QString attributes(int offset, int* start, int* end) const override
    {
        *start = *end = offset;
        return {};
    }

private:
    PageView* m_view;
};

QAccessibleInterface* pageViewFactory(const QString& className, QObject* object)
{
    if (className == QLatin1String(PageView::staticMetaObject.className()))
        if (auto* view = qobject_cast<PageView*>(object))
            return new PageViewAccessible(view);
    return nullptr;
}

} // namespace

void installPageViewAccessibility()
{
    static const bool installed = [] {
        QAccessible::installFactory(&pageViewFactory);
        return true;
    }();
    Q_UNUSED(installed);
}

void announceReadWord(PageView& view)
{
    if (!QAccessible::isActive())
        return;
    QAccessibleTextCursorEvent moved(&view, readWordPosition(view, shownPageText(view)));
    QAccessible::updateAccessibility(&moved);
}

} // namespace lectorix
