#include "rank/ui/CControlPlotView.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "app/CArxDoc.h"
#include "data/ColorMapping.h"
#include "app/ui/ViewContext.h"
#include "cluster/Forest.h"
#include "data/DataMatrix.h"
#include "rank/HistogramOrdering.h"

CControlPlotView::CControlPlotView(QWidget* parent) : CMyHistogramView(parent) {}

void CControlPlotView::setData(int column, bool original, bool showControlPlot, bool showHistogram, bool showCdf)
{
    m_bShowControlPlot = showControlPlot;
    m_bShowHistogram = showHistogram;
    m_bShowCdf = showCdf;
    setColumn(column, original);
}

void CControlPlotView::setShowControlPlot(bool on)
{
    m_bShowControlPlot = on;
    render();
}

void CControlPlotView::setShowHistogram(bool on)
{
    m_bShowHistogram = on;
    render();
}

void CControlPlotView::setShowCdf(bool on)
{
    m_bShowCdf = on;
    render();
}

void CControlPlotView::draw(QPainter& p)
{
    drawValueAxis(p, m_bShowControlPlot && !m_bShowHistogram ? QString("plot in the clustering order") : QString());
    if (m_bShowControlPlot)
        drawControlPlot(p);
    // Over the control plot's squares the bars are translucent outlines,
    // so that the squares stay visible; the curve goes on top of both.
    if (m_bShowHistogram)
        drawHistogram(p, m_bShowControlPlot);
    if (m_bShowCdf)
        drawCdf(p);
}

std::vector<CControlPlotView::Square> CControlPlotView::squares() const
{
    std::vector<Square> out;
    CArxDoc* d = doc();
    if (!hasData() || !d->m_pRowForest || !d->m_pColForest)
        return out;
    const CForest& rows = *d->m_pRowForest;
    const CForest& cols = *d->m_pColForest;
    const int n = rows.m_nLeaves;
    const int first = m_nColumn >= 0 ? m_nColumn : 0;
    const int count = m_nColumn >= 0 ? 1 : cols.m_nLeaves;
    if (n <= 0 || first + count > static_cast<int>(cols.m_pOrgNodes.size()))
        return out;
    const ChartGeometry g = geometry();
    const double step = ChartGeometry::itemStep(g.crossLength(), n * count);
    out.reserve(static_cast<size_t>(n) * static_cast<size_t>(count));
    for (int j = 0; j < count; ++j) {
        const CNode* leaf = cols.m_pOrgNodes[static_cast<size_t>(first + j)];
        const float* values = m_bOriginal ? leaf->m_pOrgValues : leaf->m_pValues;
        if (!values)
            continue;
        for (int k = 0; k < n; ++k) {
            const bool missing = leaf->m_pWeights && leaf->m_pWeights[k] == -1.0f;
            const float v = values[k];
            const int offset = missing ? 0 : g.valueOffset(v, m_fMin, m_fMax);
            const auto [x, y] = g.itemPoint((static_cast<double>(j) * n + k) * step, offset);
            out.push_back({x, y, rows.dataIndex(k), first + j, missing, v});
        }
    }
    return out;
}

void CControlPlotView::drawControlPlot(QPainter& p)
{
    CArxDoc* d = doc();
    const std::vector<Square> all = squares();
    if (all.empty())
        return;
    const CForest& rows = *d->m_pRowForest;
    const int n = rows.m_nLeaves;
    const ChartGeometry g = geometry();
    const int count = static_cast<int>(all.size()) / std::max(n, 1);
    const int side = ChartGeometry::squareSize(ChartGeometry::itemStep(g.crossLength(), n * std::max(count, 1)));
    std::vector<int> clusterNo;
    if (rows.m_bClustered && rows.hasTree() && !rows.m_clusters.empty())
        clusterNo = rows.clusterNumbers();
    const ColorMapping& map = viewContext().mapping;
    const std::vector<int>& selected = d->m_selectedItems;
    for (size_t i = 0; i < all.size(); ++i) {
        const Square& s = all[i];
        const int k = static_cast<int>(i % static_cast<size_t>(n));
        Rgb c = kMissingWhite;
        if (!s.missing) {
            c = map.colorOf(s.value);
            if (!clusterNo.empty() && clusterNo[static_cast<size_t>(k)] == 0)
                c = washColor(c);
        }
        // The square sits on its point: above it when the values run upward.
        const int x = m_bTurned ? s.x : s.x - side / 2;
        const int y = m_bTurned ? s.y - side / 2 : s.y;
        p.fillRect(x, y, side, side, QColor(c.r, c.g, c.b));
        if (s.missing)
            p.setPen(QColor(200, 200, 200)), p.drawRect(x, y, side - 1, side - 1);
        if (std::binary_search(selected.begin(), selected.end(), s.item)) {
            p.setPen(QColor(d->m_clrSelection.r, d->m_clrSelection.g, d->m_clrSelection.b));
            p.drawRect(x - 1, y - 1, side + 1, side + 1);
        }
    }
}

std::vector<int> CControlPlotView::cdfCounts(long long& total) const
{
    total = 0;
    std::vector<int> counts;
    if (!hasData())
        return counts;
    const DataMatrix& data = *doc()->data();
    const int first = m_nColumn >= 0 ? m_nColumn : 0;
    const int count = m_nColumn >= 0 ? 1 : data.m_nColumns;
    counts.assign(HistogramOrdering::kBuckets, 0);
    for (int c = first; c < first + count; ++c) {
        const HistogramRecord& rec = m_pOrdering->record(c);
        // The records' buckets hold the source in force at load; for the
        // other source the 200 buckets are counted again.
        const bool sameSource = rec.hasBuckets() && rec.m_fBucketMin == m_pOrdering->stats(c, m_bOriginal).min &&
                                rec.m_fBucketMax == m_pOrdering->stats(c, m_bOriginal).max;
        const std::vector<int> recounted =
            sameSource ? std::vector<int>() : columnBucketCounts(data, c, m_bOriginal, HistogramOrdering::kBuckets);
        const std::span<const int> own = sameSource ? std::span<const int>(rec.m_bucketCounts) : recounted;
        for (size_t b = 0; b < counts.size() && b < own.size(); ++b)
            counts[b] += own[b];
    }
    total = static_cast<long long>(data.m_nRows) * count;
    return counts;
}

std::vector<std::pair<int, int>> CControlPlotView::cdfVertices() const
{
    long long total = 0;
    const std::vector<int> counts = cdfCounts(total);
    return geometry().cdfVertices(counts, total);
}

void CControlPlotView::drawCdf(QPainter& p)
{
    const std::vector<std::pair<int, int>> v = cdfVertices();
    if (v.size() < 2)
        return;
    const QColor colour(100, 100, 100);
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(QPen(colour, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    QPolygon poly;
    for (const auto& [x, y] : v)
        poly << QPoint(x, y);
    p.drawPolyline(poly);
    p.restore();
    drawProbabilityAxis(p, colour);
}

void CControlPlotView::drawProbabilityAxis(QPainter& p, const QColor& colour)
{
    // The curve's own axis, 0 to 1, on the side across from the value axis's
    // base: along the top of a turned chart, up the right of an upright one.
    const ChartGeometry g = geometry();
    const PlotRect a = g.area();
    if (a.w <= 0 || a.h <= 0)
        return;
    p.save();
    p.setPen(QPen(colour, 1));
    QFont f("Arial");
    f.setPixelSize(10);
    p.setFont(f);
    const QFontMetrics fm(f);
    const double ticks[3] = {0.0, 0.5, 1.0};
    const char* labels[3] = {"0", "0.5", "1"};
    if (m_bTurned) {
        const int y = a.y - 1;
        p.drawLine(a.x, y, a.right(), y);
        for (int i = 0; i < 3; ++i) {
            const int x = a.x + static_cast<int>(std::lround(ticks[i] * (a.w - 1)));
            p.drawLine(x, y, x, y - 3);
            const int tw = fm.horizontalAdvance(labels[i]);
            const int tx = std::clamp(x - tw / 2, a.x, std::max(a.x, a.right() - tw));
            p.drawText(tx, y - 5, labels[i]);
        }
        p.drawText(a.x + a.w / 4 - fm.horizontalAdvance("CDF") / 2, y - 5, "CDF");
    } else {
        const int x = a.right() + 1;
        p.drawLine(x, a.y, x, a.bottom());
        for (int i = 0; i < 3; ++i) {
            const int y = a.bottom() - static_cast<int>(std::lround(ticks[i] * (a.h - 1)));
            p.drawLine(x, y, x + 3, y);
            const int ty = std::clamp(y + fm.ascent() / 2, a.y + fm.ascent(), a.bottom());
            p.drawText(x + 4, ty, labels[i]);
        }
        p.save();
        p.translate(x + 4 + fm.ascent(), a.y + a.h / 4 + fm.horizontalAdvance("CDF") / 2);
        p.rotate(-90);
        p.drawText(0, 0, "CDF");
        p.restore();
    }
    p.restore();
}

std::vector<int> CControlPlotView::itemsInBand(QPoint a, QPoint b) const
{
    const PlotRect r = PlotRect::spanned(a.x(), a.y(), b.x(), b.y());
    std::vector<int> items;
    for (const Square& s : squares())
        if (r.contains(s.x, s.y))
            items.push_back(s.item);
    std::sort(items.begin(), items.end());
    items.erase(std::unique(items.begin(), items.end()), items.end());
    return items;
}

void CControlPlotView::dragFinished(QPoint a, QPoint b)
{
    if (m_bShowHistogram) {
        selectBars(a, b);
        return;
    }
    if (!m_bShowControlPlot || !hasData())
        return;
    doc()->setItemSelection(itemsInBand(a, b), this);
    render();
}

void CControlPlotView::onUpdate(CDocObserver* sender, int hint)
{
    if (hint == kHintCurrentItem)
        return;
    CArxDoc* d = doc();
    if (!d || !d->m_bDataLoaded || hint == kHintNewData) {
        if (hint == kHintNewData)
            m_nColumn = -1;
        m_image.fill(Qt::white);
        update();
        return;
    }
    if (hint == kHintMinSimilarity) {
        // Only the control plot's washed colours follow the cut.
        if (m_bShowControlPlot && d->overviewShowsRows())
            renderWhenShown();
        return;
    }
    CMyHistogramView::onUpdate(sender, hint);
}

void CControlPlotView::contextMenuEvent(QContextMenuEvent* e)
{
    QMenu menu(this);
    menu.setObjectName("controlplot");
    QAction* make = menu.addAction("Make a View");
    make->setEnabled(m_bEmbedded && hasData());
    QAction* props = menu.addAction("Properties");
    QAction* chosen = menu.exec(e->globalPos());
    if (chosen == make)
        emit makeViewRequested(m_nColumn, m_bOriginal, m_bShowControlPlot, m_bShowHistogram, m_bShowCdf);
    else if (chosen == props)
        emit propertiesRequested();
}
