#pragma once

#include <QObject>
#include <QSize>

namespace lectorix {
class MainWindow;

// The window's size and the text box's zoom, both kept in the settings file. The window can
// be made larger than its designed size (never smaller); the text box then grows with it and
// the other controls keep their places (window_layout.h). Ctrl+plus and Ctrl+minus, and Ctrl
// with the mouse wheel over the text box, make the box's type larger and smaller.
class WindowSizing final : public QObject
{
    Q_OBJECT

public:
    // Zoom steps are points added to the text box's designed 9-point type.
    static constexpr int SmallestZoom = -3;
    static constexpr int LargestZoom = 31;

    explicit WindowSizing(MainWindow& window);

    // Connects the keys and the wheel; called once the window's controls exist.
    void wire();
    // Gives the window the size and the text box the zoom last kept.
    void restore();
    // Stores the window's size (when it closes).
    void keepSize();

    int zoom() const { return m_zoom; }
    // Makes the type steps points larger (negative: smaller), within the bounds, and stores the
    // new zoom.
    void zoomBy(int steps);

    // The stored size, as restore() gives it: never smaller than designed; the designed size
    // when nothing usable is stored.
    static QSize storedSize();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void applyZoom(int zoom);

    MainWindow& m_window;
    int m_zoom = 0;
    int m_wheelAngle = 0; // a wheel's turn not yet making a whole step
};

} // namespace lectorix
