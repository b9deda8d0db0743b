// The page view's keys and mouse.
#include "gui/page_view/page_view.h"

#include <QKeyEvent>
#include <QScrollBar>
#include <QWheelEvent>

namespace lectorix {

namespace {

constexpr int ClickSlack = 4; // a press and release this close make a click

} // namespace

bool PageView::event(QEvent* event)
{
    // Ctrl with plus and minus zoom the pages while the view has the focus, not the text box.
    if (event->type() == QEvent::ShortcutOverride) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->modifiers() & Qt::ControlModifier &&
            (key->key() == Qt::Key_Plus || key->key() == Qt::Key_Equal ||
             key->key() == Qt::Key_Minus)) {
            event->accept();
            return true;
        }
    }
    return QAbstractScrollArea::event(event);
}

void PageView::keyPressEvent(QKeyEvent* event)
{
    const bool control = event->modifiers() & Qt::ControlModifier;
    if (control && (event->key() == Qt::Key_Plus || event->key() == Qt::Key_Equal))
        zoomBy(1);
    else if (control && event->key() == Qt::Key_Minus)
        zoomBy(-1);
    else if (event->key() == Qt::Key_Home)
        showPage(1);
    else if (event->key() == Qt::Key_End)
        showPage(pageCount());
    else if (event->key() == Qt::Key_Space)
        verticalScrollBar()->triggerAction(event->modifiers() & Qt::ShiftModifier
                                               ? QAbstractSlider::SliderPageStepSub
                                               : QAbstractSlider::SliderPageStepAdd);
    else
        QAbstractScrollArea::keyPressEvent(event);
}

void PageView::wheelEvent(QWheelEvent* event)
{
    if (!(event->modifiers() & Qt::ControlModifier)) {
        QAbstractScrollArea::wheelEvent(event);
        return;
    }
    const int steps = event->angleDelta().y() / 120;
    if (steps != 0)
        zoomBy(steps);
    event->accept();
}

void PageView::mousePressEvent(QMouseEvent* event)
{
    setFocus(Qt::MouseFocusReason);
    m_pressedAt = event->position().toPoint();
    QAbstractScrollArea::mousePressEvent(event);
}

void PageView::mouseReleaseEvent(QMouseEvent* event)
{
    QAbstractScrollArea::mouseReleaseEvent(event);
    if (event->button() != Qt::LeftButton ||
        (event->position().toPoint() - m_pressedAt).manhattanLength() > ClickSlack)
        return;
    const auto point = pagePoint(event->position().toPoint());
    if (!point)
        return;
    if (const auto word = m_words.wordAt(point->first, point->second.x(), point->second.y()))
        emit wordClicked(word->offset);
}

void PageView::contextMenuEvent(QContextMenuEvent* event)
{
    emit menuAsked(event->pos());
}

} // namespace lectorix
