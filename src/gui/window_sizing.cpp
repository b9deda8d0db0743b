#include "gui/window_sizing.h"

#include "core/base/failure.h"
#include "core/settings/settings.h"
#include "core/settings/settings_keys.h"
#include "gui/main_window.h"
#include "gui/window_layout.h"

#include <QPlainTextEdit>
#include <QShortcut>
#include <QWheelEvent>

namespace lectorix {

namespace {

constexpr double DesignedPointSize = 9;
// A wheel's notch, in eighths of a degree, makes one step.
constexpr int AnglePerStep = 120;
// Beyond any screen: a damaged value does not make a window nobody can handle.
constexpr int LargestSide = 16384;

// Stores a setting the user would only miss: a settings file that cannot be written loses it.
void keepSetting(const QString& key, const QString& value)
{
    try {
        writeSetting(key, value);
    } catch (const Failure&) {
    }
}

} // namespace

WindowSizing::WindowSizing(MainWindow& window) : QObject(&window), m_window(window) {}

void WindowSizing::wire()
{
    const auto addKeys = [this](const QList<QKeySequence>& keys, const char* name, int steps) {
        for (const QKeySequence& key : keys) {
            auto* shortcut = new QShortcut(key, &m_window);
            shortcut->setObjectName(QLatin1String(name));
            connect(shortcut, &QShortcut::activated, this, [this, steps] { zoomBy(steps); });
        }
    };
    // Ctrl+= is Ctrl+plus without the Shift most keyboards need for "+".
    addKeys({QKeySequence(Qt::CTRL | Qt::Key_Plus), QKeySequence(Qt::CTRL | Qt::Key_Equal)},
            "zoomInShortcut", 1);
    addKeys({QKeySequence(Qt::CTRL | Qt::Key_Minus)}, "zoomOutShortcut", -1);
    m_window.textToReadEdit()->viewport()->installEventFilter(this);
}

QSize WindowSizing::storedSize()
{
    const QStringList sides = readSetting(keys::WindowSize, QString()).split(QLatin1Char('x'));
    bool wideOk = false;
    bool tallOk = false;
    const int width = sides.size() == 2 ? sides[0].trimmed().toInt(&wideOk) : 0;
    const int height = sides.size() == 2 ? sides[1].trimmed().toInt(&tallOk) : 0;
    if (!wideOk || !tallOk)
        return WindowSize;
    return QSize(qBound(WindowSize.width(), width, LargestSide),
                 qBound(WindowSize.height(), height, LargestSide));
}

void WindowSizing::restore()
{
    m_window.resize(storedSize());
    bool ok = false;
    const int zoom = readSetting(keys::TextZoom, 0).trimmed().toInt(&ok);
    applyZoom(ok ? qBound(SmallestZoom, zoom, LargestZoom) : 0);
}

void WindowSizing::keepSize()
{
    const QSize size = m_window.size();
    keepSetting(keys::WindowSize, QStringLiteral("%1x%2").arg(size.width()).arg(size.height()));
}

void WindowSizing::zoomBy(int steps)
{
    const int zoom = qBound(SmallestZoom, m_zoom + steps, LargestZoom);
    if (zoom == m_zoom)
        return;
    applyZoom(zoom);
    keepSetting(keys::TextZoom, QString::number(zoom));
}

void WindowSizing::applyZoom(int zoom)
{
    m_zoom = zoom;
    QPlainTextEdit* box = m_window.textToReadEdit();
    QFont font = box->font();
    font.setPointSizeF(DesignedPointSize + zoom);
    box->setFont(font);
}

bool WindowSizing::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::Wheel)
        return QObject::eventFilter(watched, event);
    const auto* wheel = static_cast<QWheelEvent*>(event);
    if (!(wheel->modifiers() & Qt::ControlModifier))
        return QObject::eventFilter(watched, event);
    // Fine-grained wheels and touchpads send small angles: they add up to whole steps.
    m_wheelAngle += wheel->angleDelta().y();
    const int steps = m_wheelAngle / AnglePerStep;
    m_wheelAngle -= steps * AnglePerStep;
    if (steps != 0)
        zoomBy(steps);
    return true; // Ctrl with the wheel zooms; it does not scroll
}

} // namespace lectorix
