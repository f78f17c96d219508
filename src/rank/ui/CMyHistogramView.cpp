#include "rank/ui/CMyHistogramView.h"

#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

#include "app/ui/ViewImage.h"
#include "app/CArxDoc.h"
#include "app/ui/DisplaySettings.h"
#include "data/DataMatrix.h"
#include "data/FieldInfo.h"
#include "rank/HistogramOrdering.h"

CMyHistogramView::CMyHistogramView(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(60, 60);
    setFocusPolicy(Qt::StrongFocus);
}

bool CMyHistogramView::hasData() const
{
    const CArxDoc* d = doc();
    return d && d->m_bDataLoaded && d->data() && m_pOrdering && m_pOrdering->data() == d->data() &&
           m_nColumn < m_pOrdering->variableCount() && m_pOrdering->variableCount() > 0;
}

int CMyHistogramView::barCount() const { return m_pSettings ? m_pSettings->m_nBuckets : 100; }

QColor CMyHistogramView::barColor() const { return m_pSettings ? m_pSettings->m_clrHistogramBars : QColor(50, 50, 100); }

void CMyHistogramView::setColumn(int column, bool original)
{
    m_nColumn = column;
    m_bOriginal = original;
    render();
}

void CMyHistogramView::setTurned(bool turned)
{
    m_bTurned = turned;
    render();
}

void CMyHistogramView::recomputeBars()
{
    m_barCounts.clear();
    if (!hasData())
        return;
    const DataMatrix& data = *doc()->data();
    if (m_nColumn >= 0) {
        const StatRecord& s = m_pOrdering->stats(m_nColumn, m_bOriginal);
        m_fMin = s.min;
        m_fMax = s.max;
        m_barCounts = columnBucketCounts(data, m_nColumn, m_bOriginal, barCount());
        return;
    }
    // Every variable: each re-binned over its own range, the counts summed.
    m_fMin = m_bOriginal ? data.m_fOrgMin : data.m_fNorMin;
    m_fMax = m_bOriginal ? data.m_fOrgMax : data.m_fNorMax;
    m_barCounts.assign(static_cast<size_t>(barCount()), 0);
    for (int c = 0; c < data.m_nColumns; ++c) {
        const std::vector<int> counts = columnBucketCounts(data, c, m_bOriginal, barCount());
        for (size_t b = 0; b < counts.size(); ++b)
            m_barCounts[b] += counts[b];
    }
}

void CMyHistogramView::renderWhenShown()
{
    if (!isVisible()) {
        m_bRenderPending = true;
        return;
    }
    render();
}

void CMyHistogramView::render()
{
    m_bRenderPending = false;
    fitViewImage(m_image, this, size());
    m_image.fill(Qt::white);
    recomputeBars();
    if (hasData()) {
        QPainter p(&m_image);
        draw(p);
    }
    update();
}

void CMyHistogramView::draw(QPainter& p)
{
    drawValueAxis(p, QString());
    drawHistogram(p);
}

void CMyHistogramView::drawHistogram(QPainter& p, bool translucent)
{
    if (m_barCounts.empty())
        return;
    const ChartGeometry g = geometry();
    const int maxCount = *std::max_element(m_barCounts.begin(), m_barCounts.end());
    const int n = static_cast<int>(m_barCounts.size());
    const QColor c = barColor();
    QColor fill = c;
    if (translucent)
        fill.setAlpha(60);
    p.save();
    p.setPen(translucent ? QPen(c, 1) : QPen(Qt::NoPen));
    for (int b = 0; b < n; ++b) {
        const PlotRect r = g.bar(b, n, m_barCounts[static_cast<size_t>(b)], maxCount);
        if (r.w <= 0 || r.h <= 0)
            continue;
        p.fillRect(r.x, r.y, r.w, r.h, fill);
        // Thin bars stay a tint only: outlines would cover them.
        if (translucent && r.w > 3 && r.h > 3)
            p.drawRect(r.x, r.y, r.w - 1, r.h - 1);
    }
    p.restore();
}

void CMyHistogramView::drawValueAxis(QPainter& p, const QString& itemAxisLabel)
{
    const ChartGeometry g = geometry();
    const PlotRect a = g.area();
    if (a.w <= 0 || a.h <= 0)
        return;
    QPen grid(QColor(200, 200, 200));
    grid.setStyle(Qt::DotLine);
    p.setPen(grid);
    for (int i = 1; i < 4; ++i) {
        const auto [x0, y0] = g.point(g.valueLength() * i / 4.0, 0);
        const auto [x1, y1] = g.point(g.valueLength() * i / 4.0, g.crossLength());
        p.drawLine(x0, y0, x1, y1);
    }
    p.setPen(QColor(100, 100, 100));
    p.drawLine(a.x, a.y, a.x, a.bottom());
    p.drawLine(a.x, a.bottom(), a.right(), a.bottom());
    QFont f("Arial");
    f.setPixelSize(10);
    p.setFont(f);
    const QString lo = QString::asprintf("%.2f", m_fMin), hi = QString::asprintf("%.2f", m_fMax);
    const QString mid = QString::asprintf("%.1f", (static_cast<double>(m_fMin) + m_fMax) / 2.0);
    const QFontMetrics fm(f);
    if (m_bTurned) {
        // Value axis on the left edge, from the bottom up.
        p.save();
        p.translate(a.x - 3, a.bottom());
        p.rotate(-90);
        p.drawText(0, 0, lo);
        p.drawText(a.h / 2 - fm.horizontalAdvance(mid) / 2, 0, mid);
        p.drawText(a.h - fm.horizontalAdvance(hi), 0, hi);
        p.restore();
        if (!itemAxisLabel.isEmpty())
            p.drawText(a.x + 4, a.bottom() + 12, itemAxisLabel);
    } else {
        p.drawText(a.x, a.bottom() + 12, lo);
        p.drawText(a.x + a.w / 2 - fm.horizontalAdvance(mid) / 2, a.bottom() + 12, mid);
        p.drawText(a.right() - fm.horizontalAdvance(hi), a.bottom() + 12, hi);
        if (!itemAxisLabel.isEmpty()) {
            p.save();
            p.translate(a.x - 3, a.bottom() - 4);
            p.rotate(-90);
            p.drawText(0, 0, itemAxisLabel);
            p.restore();
        }
    }
}

void CMyHistogramView::selectBars(QPoint a, QPoint b)
{
    CArxDoc* d = doc();
    if (!hasData() || !d)
        return;
    const std::vector<int> marked = geometry().barsTouching(m_barCounts, PlotRect::spanned(a.x(), a.y(), b.x(), b.y()));
    std::vector<int> items;
    const DataMatrix& data = *d->data();
    const int columns = m_nColumn >= 0 ? 1 : data.m_nColumns;
    for (int j = 0; j < columns; ++j) {
        const int c = m_nColumn >= 0 ? m_nColumn : j;
        for (int r : columnBucketItems(data, c, m_bOriginal, barCount(), marked)) {
            const int item = d->itemOfRow(r);
            items.push_back(item >= 0 ? item : r);
        }
    }
    std::sort(items.begin(), items.end());
    items.erase(std::unique(items.begin(), items.end()), items.end());
    d->setItemSelection(std::move(items), this);
    render();
}

void CMyHistogramView::dragFinished(QPoint a, QPoint b) { selectBars(a, b); }

void CMyHistogramView::onUpdate(CDocObserver*, int hint)
{
    if (hint == kHintCurrentItem)
        return;
    if (hint == kHintNewData) {
        m_nColumn = -1;
        m_image.fill(Qt::white);
        update();
        return;
    }
    if (hint == kHintItemSelection || hint == kHintColorMapping || hint == kHintHistogramOptions ||
        hint == kHintResultsChanged)
        renderWhenShown();
}

void CMyHistogramView::showEvent(QShowEvent* e)
{
    QWidget::showEvent(e);
    if (m_bRenderPending) {
        render();
        update();
    }
}

void CMyHistogramView::paintEvent(QPaintEvent*)
{
    if (m_bRenderPending || viewImageStale(m_image, this, size()))
        render();
    QPainter p(this);
    p.drawImage(0, 0, m_image);
    if (m_bDragging) {
        QPen pen(Qt::black);
        pen.setStyle(Qt::DotLine);
        p.setPen(pen);
        p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        p.setPen(Qt::white);
        p.drawRect(QRect(m_ptStart, m_ptEnd).normalized());
    }
}

void CMyHistogramView::resizeEvent(QResizeEvent*) { render(); }

void CMyHistogramView::mousePressEvent(QMouseEvent* e)
{
    if (e->button() != Qt::LeftButton)
        return;
    m_bDragging = true;
    m_ptStart = m_ptEnd = e->position().toPoint();
    grabMouse();
}

void CMyHistogramView::mouseMoveEvent(QMouseEvent* e)
{
    if (!m_bDragging)
        return;
    m_ptEnd = e->position().toPoint();
    update();
}

void CMyHistogramView::mouseReleaseEvent(QMouseEvent* e)
{
    if (!m_bDragging || e->button() != Qt::LeftButton)
        return;
    m_bDragging = false;
    releaseMouse();
    m_ptEnd = e->position().toPoint();
    update();
    if (m_ptEnd == m_ptStart)
        return;  // a click changes nothing
    dragFinished(m_ptStart, m_ptEnd);
}
