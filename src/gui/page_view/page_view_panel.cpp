#include "gui/page_view/page_view_panel.h"

#include "core/base/failure.h"
#include "core/settings/settings.h"
#include "core/settings/settings_keys.h"
#include "gui/page_view/page_view.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QSpinBox>
#include <QVBoxLayout>

#include <cmath>

namespace lectorix {

namespace {

const int Percentages[] = {50, 75, 100, 125, 150, 200, 300, 400};

} // namespace

PageViewPanel::PageViewPanel(QWidget* parent)
    : QWidget(parent), m_view(new PageView), m_pageBox(new QSpinBox), m_countLabel(new QLabel),
      m_zoomCombo(new QComboBox)
{
    auto* bar = new QHBoxLayout;
    bar->setContentsMargins(0, 0, 0, 0);
    auto* pageLabel = new QLabel(QStringLiteral("Page"));
    pageLabel->setBuddy(m_pageBox);
    m_pageBox->setAccessibleName(QStringLiteral("Go to page"));
    m_pageBox->setRange(0, 0);
    m_pageBox->setKeyboardTracking(false);
    m_zoomCombo->setAccessibleName(QStringLiteral("Zoom"));
    m_zoomCombo->addItem(QStringLiteral("Fit width"), QStringLiteral("width"));
    m_zoomCombo->addItem(QStringLiteral("Fit page"), QStringLiteral("page"));
    for (int percent : Percentages)
        m_zoomCombo->addItem(QStringLiteral("%1%").arg(percent), QString::number(percent));
    bar->addWidget(pageLabel);
    bar->addWidget(m_pageBox);
    bar->addWidget(m_countLabel);
    bar->addStretch();
    bar->addWidget(m_zoomCombo);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(2);
    column->addLayout(bar);
    column->addWidget(m_view, 1);
    m_view->setAccessibleName(QStringLiteral("Pages"));
    setFocusProxy(m_view);

    connect(m_view, &PageView::pagesChanged, this, [this](int count) {
        const QSignalBlocker quiet(m_pageBox);
        m_pageBox->setRange(count > 0 ? 1 : 0, count);
        m_countLabel->setText(count > 0 ? QStringLiteral("of %1").arg(count) : QString());
    });
    connect(m_view, &PageView::currentPageChanged, this, [this](int page) {
        const QSignalBlocker quiet(m_pageBox);
        m_pageBox->setValue(page);
    });
    connect(m_pageBox, &QSpinBox::valueChanged, m_view, &PageView::showPage);
    connect(m_zoomCombo, &QComboBox::activated, this, &PageViewPanel::zoomChosen);
    connect(m_view, &PageView::zoomChanged, this, [this] {
        showZoom();
        try {
            writeSetting(keys::PageZoom, zoomSetting(*m_view));
        } catch (const Failure&) {
            // The settings file cannot be written: the zoom is simply not kept.
        }
    });
    try {
        applyZoomSetting(*m_view, readSetting(keys::PageZoom, QStringLiteral("width")));
    } catch (const Failure&) {
        // No readable settings: the pages fit the width.
    }
    showZoom();
}

QString PageViewPanel::zoomSetting(const PageView& view)
{
    switch (view.fit()) {
    case PageFit::Width:
        return QStringLiteral("width");
    case PageFit::Page:
        return QStringLiteral("page");
    case PageFit::Zoom:
        break;
    }
    return QString::number(std::lround(view.zoom() * 100));
}

void PageViewPanel::applyZoomSetting(PageView& view, const QString& setting)
{
    const QString kept = setting.trimmed();
    bool number = false;
    const int percent = kept.toInt(&number);
    if (kept == QLatin1String("page"))
        view.setFit(PageFit::Page);
    else if (number && percent > 0)
        view.setZoom(percent / 100.0);
    else
        view.setFit(PageFit::Width);
}

void PageViewPanel::zoomChosen(int index)
{
    applyZoomSetting(*m_view, m_zoomCombo->itemData(index).toString());
}

// The combo shows the fit, or the zoom as a percentage (one not offered is shown as typed).
void PageViewPanel::showZoom()
{
    const QString setting = zoomSetting(*m_view);
    const int offered = 2 + int(std::size(Percentages));
    if (m_zoomCombo->count() > offered)
        m_zoomCombo->removeItem(offered);
    int index = m_zoomCombo->findData(setting);
    if (index < 0) {
        m_zoomCombo->addItem(QStringLiteral("%1%").arg(setting), setting);
        index = offered;
    }
    m_zoomCombo->setCurrentIndex(index);
}

} // namespace lectorix
