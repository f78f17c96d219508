#include "app/ui/CZoomableWnd.h"

#include <QApplication>
#include <QStyle>

#include "app/ui/CArxView.h"
#include "app/ui/CRubberSlider.h"

CZoomableWnd::CZoomableWnd(CArxDoc* doc, int pair, QWidget* parent) : QWidget(parent)
{
    m_pView = new CArxView(doc, pair, this);
    m_pSlider = new CRubberSlider(this);
    connect(m_pSlider, &CRubberSlider::rangeChanged, m_pView, &CArxView::setLeafRange);
    connect(m_pView, &CArxView::leafCountChanged, this, [this](int count) {
        const QSignalBlocker block(m_pSlider);
        m_pSlider->setRange(0, std::max(0, count - 1));
    });
    connect(m_pView, &CArxView::markersChanged, m_pSlider, &CRubberSlider::setMarkers);
}

void CZoomableWnd::resizeEvent(QResizeEvent*)
{
    // The slider takes a band of a horizontal scroll bar's height.
    const int band = std::max(12, style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 2);
    m_pView->setGeometry(0, 0, width(), std::max(1, height() - band));
    m_pSlider->setGeometry(0, height() - band, width(), band);
}
