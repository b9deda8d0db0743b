#pragma once

#include <QWidget>

class QComboBox;
class QLabel;
class QSpinBox;

namespace lectorix {

class PageView;

// The page view with its bar: the page shown and the page count, where the user types a page
// to go to, and the zoom (fit width, fit page, or a size), which is kept in the settings.
class PageViewPanel final : public QWidget
{
    Q_OBJECT

public:
    explicit PageViewPanel(QWidget* parent = nullptr);

    PageView* view() const { return m_view; }
    QSpinBox* pageBox() const { return m_pageBox; }
    QComboBox* zoomCombo() const { return m_zoomCombo; }
    QLabel* pageCountLabel() const { return m_countLabel; }

    // The zoom as the settings keep it: "width", "page", or a percentage.
    static QString zoomSetting(const PageView& view);
    static void applyZoomSetting(PageView& view, const QString& setting);

private:
    void showZoom();
    void zoomChosen(int index);

    PageView* m_view;
    QSpinBox* m_pageBox;
    QLabel* m_countLabel;
    QComboBox* m_zoomCombo;
};

} // namespace lectorix
