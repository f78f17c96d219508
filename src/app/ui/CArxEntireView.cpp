#include "app/ui/CArxEntireView.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QScrollBar>
#include <algorithm>
#include <cmath>

#include "app/CArxDoc.h"
#include "data/ColorMapping.h"
#include "app/ui/PictureExport.h"
#include "app/ui/ViewImage.h"
#include "app/ui/StripPainting.h"
#include "app/ui/ViewContext.h"
#include "cluster/Forest.h"

namespace {
const QColor kBarGreen(143, 188, 139);
const QColor kLabelBackground(64, 64, 64);
QColor qcolor(Rgb c) { return QColor(c.r, c.g, c.b); }
int nodeId(const CNode* n) { return n->isLeaf() ? n->m_nPosition : n->m_nIndex; }
} // namespace

CArxEntireView::CArxEntireView(CArxDoc* doc, QWidget* parent) : QAbstractScrollArea(parent), m_pDoc(doc)
{
    setWindowTitle("Color Mosaic");
    viewport()->setMouseTracking(true);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_bFilterOut = viewContext().filterOut;
    clear();
}

bool CArxEntireView::hasData() const { return doc() && doc()->m_bDataLoaded && m_pMain && m_pSide; }

float CArxEntireView::sideMinSimilarity() const { return static_cast<float>((100.0 - (m_dBarX - m_nSideX)) / 100.0); }

int CArxEntireView::firstVisibleColumn() const { return horizontalScrollBar()->value() / kCell; }

int CArxEntireView::lastVisibleColumn() const
{
    const int cols = m_pMain ? m_pMain->m_nLeaves : 0;
    return std::min(cols - 1, firstVisibleColumn() + (viewport()->width() - kSideWidth - kHandleWidth) / kCell);
}

int CArxEntireView::heightNeededForExport() const
{
    return 5 + 3 + 1 + kCell * (m_pSide ? m_pSide->m_nLeaves : 0);
}

void CArxEntireView::clear()
{
    m_pMain = m_pSide = nullptr;
    m_rows.clear();
    m_nHighlighted = m_nPrevHighlighted = -1;
    horizontalScrollBar()->setEnabled(false);
    verticalScrollBar()->setEnabled(false);
    fitViewImage(m_image, this, viewport()->size());
    m_image.fill(Qt::white);
    viewport()->update();
}

void CArxEntireView::resetFromDocument()
{
    if (!doc() || !doc()->m_bDataLoaded || doc()->m_forestPairs.empty()) {
        clear();
        return;
    }
    m_bRowMain = doc()->overviewShowsRows();
    CForestPair& pair = doc()->m_forestPairs.front();
    m_pMain = m_bRowMain ? pair.m_pRows.get() : pair.m_pColumns.get();
    m_pSide = m_bRowMain ? pair.m_pColumns.get() : pair.m_pRows.get();
    m_nHighlighted = m_nPrevHighlighted = -1;
    m_nSideX = std::max(kHandleWidth + kCell, viewport()->width() - kSideWidth);
    m_dBarX = m_nSideX + 50.0;
    m_bFirstLayout = true;
    m_nCanvasHeight = 0;
    layout();
    renderFull();
}

void CArxEntireView::setFilterOut(bool filterOut)
{
    m_bFilterOut = filterOut;
    if (!hasData())
        return;
    m_nHighlighted = m_nPrevHighlighted = -1;
    layout();
    renderFull();
}

void CArxEntireView::layout()
{
    if (!hasData())
        return;
    // The side forest's cut at the side minimum similarity decides the rows.
    std::vector<int> clusterNo;
    if (m_pSide->hasTree()) {
        m_pSide->cut(sideMinSimilarity());
        clusterNo = m_pSide->clusterNumbers();
    }
    m_rows.clear();
    m_rowOf.assign(static_cast<size_t>(m_pSide->m_nLeaves), -1);
    const bool filter = m_bFilterOut && !clusterNo.empty() && !m_pSide->m_clusters.empty();
    for (int p = 0; p < m_pSide->m_nLeaves; ++p) {
        if (filter && clusterNo[static_cast<size_t>(p)] == 0)
            continue;
        m_rowOf[static_cast<size_t>(p)] = static_cast<int>(m_rows.size());
        m_rows.push_back(p);
    }
    const int clientH = viewport()->height();
    const int needed = static_cast<int>(m_rows.size()) * kCell + 200;
    m_nCanvasHeight = std::max({clientH, m_nCanvasHeight, needed});
    m_nMosaicTop = m_nCanvasHeight - static_cast<int>(m_rows.size()) * kCell;
    updateScrollBars();
}

void CArxEntireView::updateScrollBars()
{
    const int w = viewport()->width(), h = viewport()->height();
    QScrollBar* hs = horizontalScrollBar();
    QScrollBar* vs = verticalScrollBar();
    const bool data = hasData();
    hs->setEnabled(data);
    vs->setEnabled(data);
    if (!data)
        return;
    hs->setRange(0, std::max(0, m_pMain->m_nLeaves * kCell + 150 - (w - 150)));
    hs->setPageStep(std::max(1, w - 150));
    hs->setSingleStep(kCell);
    vs->setRange(0, std::max(0, m_nCanvasHeight - 1 - h + 1));
    vs->setPageStep(std::max(1, h));
    vs->setSingleStep(kCell);
    if (m_bFirstLayout) {
        vs->setValue(vs->maximum());  // starts scrolled to the bottom
        m_bFirstLayout = false;
    }
}

void CArxEntireView::drawSideDendrogram(QPainter& p, int x0, int top, int width, int cell, bool allRows) const
{
    if (!m_pSide || !m_pSide->hasTree())
        return;
    const CForest& f = *m_pSide;
    std::vector<float> y(static_cast<size_t>(f.m_nNodes), -1.0f);
    std::vector<signed char> colour(static_cast<size_t>(f.m_nNodes), -1);
    for (size_t c = 0; c < f.m_clusters.size(); ++c)
        colour[static_cast<size_t>(nodeId(f.m_clusters[c]))] = static_cast<signed char>(c % 2);
    std::vector<const CNode*> order, stack{f.root()};
    while (!stack.empty()) {
        const CNode* n = stack.back();
        stack.pop_back();
        order.push_back(n);
        if (!n->isLeaf()) {
            const signed char c = colour[static_cast<size_t>(nodeId(n))];
            if (c >= 0)
                colour[static_cast<size_t>(nodeId(n->m_pFirst))] = colour[static_cast<size_t>(nodeId(n->m_pSecond))] = c;
            stack.push_back(n->m_pSecond);
            stack.push_back(n->m_pFirst);
        }
    }
    auto xOf = [&](float s) { return x0 + (1.0 - s) * width; };
    const QPen pens[3] = {QPen(Qt::red, 1), QPen(Qt::blue, 1), QPen(QColor(160, 160, 160), 1)};
    // Every node's place is worked out, but only lines that reach the painted
    // rows are drawn: with many rows nearly all of the tree is scrolled away.
    QRectF visible(-1e9, -1e9, 2e9, 2e9);
    if (const QPaintDevice* device = p.device())
        visible = p.worldTransform().inverted().mapRect(QRectF(QPointF(0, 0), QSizeF(logicalSize(device))));
    const double yTop = visible.top() - 1.0, yBottom = visible.bottom() + 1.0;
    auto seen = [&](double ya, double yb) { return std::max(ya, yb) >= yTop && std::min(ya, yb) <= yBottom; };
    int penShown = -1;  // setPen only when the colour changes
    for (auto it = order.rbegin(); it != order.rend(); ++it) {
        const CNode* n = *it;
        const size_t id = static_cast<size_t>(nodeId(n));
        if (n->isLeaf()) {
            const int row = allRows ? n->m_nPosition : m_rowOf[static_cast<size_t>(n->m_nPosition)];
            if (row >= 0)
                y[id] = static_cast<float>(top + row * cell + cell / 2.0);
            continue;
        }
        const size_t a = static_cast<size_t>(nodeId(n->m_pFirst)), b = static_cast<size_t>(nodeId(n->m_pSecond));
        if (y[a] < 0 && y[b] < 0)
            continue;
        const double xn = xOf(n->m_fSimilarity);
        const signed char c = colour[id];
        float ys[2];
        const CNode* kids[2];
        int k = 0;
        for (const CNode* child : {n->m_pFirst, n->m_pSecond}) {
            const size_t cid = static_cast<size_t>(nodeId(child));
            if (y[cid] < 0)
                continue;
            kids[k] = child;
            ys[k++] = y[cid];
        }
        const bool drawn = seen(ys[0], ys[k - 1]);
        if (drawn) {
            if (const int want = c < 0 ? 2 : c; want != penShown) {
                p.setPen(pens[want]);
                penShown = want;
            }
            for (int i = 0; i < k; ++i)
                if (seen(ys[i], ys[i])) {
                    const double xc = kids[i]->isLeaf() ? x0 : xOf(kids[i]->m_fSimilarity);
                    p.drawLine(QPointF(xc, ys[i]), QPointF(xn, ys[i]));
                }
        }
        if (k == 2) {
            if (drawn)
                p.drawLine(QPointF(xn, ys[0]), QPointF(xn, ys[1]));
            y[id] = (ys[0] + ys[1]) / 2.0f;
        } else {
            y[id] = ys[0];
        }
    }
}

void CArxEntireView::renderFull()
{
    const QSize size = viewport()->size().expandedTo(QSize(1, 1));
    fitViewImage(m_image, this, size);
    m_image.fill(Qt::white);
    QPainter p(&m_image);
    render(p, size.width(), size.height(), verticalScrollBar()->value());
    viewport()->update();
}

void CArxEntireView::render(QPainter& p, int width, int height, int vscroll)
{
    p.fillRect(0, 0, width, height, Qt::white);
    if (!hasData())
        return;
    const ColorMapping& map = viewContext().mapping;
    const int first = horizontalScrollBar()->value() / kCell;
    const int last = std::min(m_pMain->m_nLeaves - 1, first + (width - kSideWidth - kHandleWidth) / kCell);
    const int top = m_nMosaicTop - vscroll;
    const int mosaicRight = m_nSideX - kHandleWidth;  // cells under the handle band and the dendrogram are not drawn
    std::vector<int> clusterNo = m_pSide->hasTree() ? m_pSide->clusterNumbers() : std::vector<int>{};
    const bool cut = !clusterNo.empty() && !m_pSide->m_clusters.empty();
    // The rows inside the painted height.
    const size_t rowFrom = static_cast<size_t>(std::clamp((-kCell - top) / kCell, 0, static_cast<int>(m_rows.size())));
    const size_t rowTo = static_cast<size_t>(std::clamp((height - top) / kCell + 1, 0, static_cast<int>(m_rows.size())));

    // ---- mosaic ----
    for (int col = first; col <= last; ++col) {
        const int x = (col - first) * kCell;
        if (x >= mosaicRight)
            break;
        const int w = std::min(kCell, mosaicRight - x);
        const CNode* leaf = m_pMain->leaf(col);
        for (size_t r = rowFrom; r < rowTo; ++r) {
            const int y = top + static_cast<int>(r) * kCell;
            if (y + kCell < 0 || y >= height)
                continue;
            const int pos = m_rows[r];
            Rgb c = kMissingWhite;
            if (leaf->m_pValues && !(leaf->m_pWeights && leaf->m_pWeights[pos] == -1.0f))
                c = map.colorOf(leaf->m_pValues[pos]);
            if (cut && clusterNo[static_cast<size_t>(pos)] == 0)
                c = washColor(c);
            p.fillRect(x, y, w, kCell, qcolor(c));
        }
    }

    // ---- column labels ----
    QFont f("Arial");
    f.setPixelSize(kCell);
    p.setFont(f);
    const QFontMetrics fm(f);
    int labelHeight = 0;
    for (int col = first; col <= last; ++col)
        labelHeight = std::max(labelHeight, fm.horizontalAdvance(QString::fromStdString(m_pMain->leaf(col)->m_strName)));
    labelHeight = std::min(labelHeight + 6, 160);
    const std::vector<int>& sel = m_bRowMain ? doc()->m_selectedItems : doc()->m_selectedVariables;
    const int labelRight = std::min(mosaicRight, (last - first + 1) * kCell);
    // The class strips of the columns' direction lie between the labels and
    // the mosaic.
    const std::vector<const ClassStrip*> mainStrips = doc()->stripsOver(m_bRowMain);
    const int stripBand = stripBandSize(static_cast<int>(mainStrips.size()));
    for (size_t i = 0; i < mainStrips.size(); ++i) {
        const int y = top - stripBand + kStripGap + static_cast<int>(i) * (kStripThickness + kStripGap);
        for (int col = first; col <= last; ++col) {
            const int x = (col - first) * kCell;
            if (x >= mosaicRight)
                break;
            p.fillRect(x, y, std::min(kCell, mosaicRight - x), kStripThickness,
                       qcolor(mainStrips[i]->colorOf(m_pMain->dataIndex(col))));
        }
    }
    const int labelBottom = top - stripBand;
    p.fillRect(0, labelBottom - labelHeight, std::max(0, labelRight), labelHeight, kLabelBackground);
    for (int col = first; col <= last; ++col) {
        const int x = (col - first) * kCell;
        if (x >= mosaicRight)
            break;
        const bool selected = std::binary_search(sel.begin(), sel.end(), m_pMain->dataIndex(col));
        p.setPen(selected ? QColor(Qt::yellow) : QColor(Qt::white));
        p.save();
        p.translate(x + kCell - 2, labelBottom - 3);
        p.rotate(-90);
        p.drawText(0, 0, QString::fromStdString(m_pMain->leaf(col)->m_strName));
        p.restore();
    }
    // The highlighted range of the main forest.
    if (m_pMain->m_nSelectedNode >= 0 && m_pMain->m_nSelectedNode < m_pMain->m_nNodes) {
        auto [a, b] = m_pMain->leafRange(m_pMain->m_pNodes[static_cast<size_t>(m_pMain->m_nSelectedNode)]);
        p.setPen(QPen(Qt::yellow, 2));
        for (int col : {a, b + 1})
            if (col >= first && col <= last + 1) {
                const int x = (col - first) * kCell;
                p.drawLine(x, 0, x, height);
            }
    }

    // ---- row labels, in the handle band, and the rows' class strips between
    // them and the side dendrogram ----
    p.fillRect(mosaicRight, top, kHandleWidth, static_cast<int>(m_rows.size()) * kCell, QColor(236, 236, 236));
    const std::vector<const ClassStrip*> sideStrips = doc()->stripsOver(!m_bRowMain);
    const int sideBand = std::min(kHandleWidth - 10, stripBandSize(static_cast<int>(sideStrips.size())));
    const int labelW = kHandleWidth - 4 - sideBand;
    QFont rf("Arial");
    rf.setPixelSize(kCell - 1);
    p.setFont(rf);
    p.setPen(Qt::black);
    for (size_t r = rowFrom; r < rowTo; ++r) {
        const int y = top + static_cast<int>(r) * kCell;
        if (y + kCell < 0 || y >= height)
            continue;
        const QString name = QString::fromStdString(m_pSide->leaf(m_rows[r])->m_strName);
        p.drawText(QRect(mosaicRight + 2, y, labelW, kCell), Qt::AlignVCenter | Qt::AlignLeft,
                   QFontMetrics(rf).elidedText(name, Qt::ElideRight, labelW));
    }
    if (sideBand > 0) {
        const std::vector<int> shown(m_rows.begin() + static_cast<std::ptrdiff_t>(rowFrom),
                                     m_rows.begin() + static_cast<std::ptrdiff_t>(rowTo));
        for (size_t i = 0; i < sideStrips.size(); ++i) {
            const int x = m_nSideX - sideBand + kStripGap + static_cast<int>(i) * (kStripThickness + kStripGap);
            if (x + kStripThickness > m_nSideX)
                break;
            paintVerticalStrip(p, *sideStrips[i], *m_pSide, shown, x, top + static_cast<int>(rowFrom) * kCell, kCell,
                               kStripThickness);
        }
    }

    // ---- side dendrogram ----
    drawSideDendrogram(p, m_nSideX, top, kSideWidth, kCell, false);
    if (m_nHighlighted >= 0 && m_nHighlighted < m_pSide->m_nNodes) {
        auto [a, b] = m_pSide->leafRange(m_pSide->m_pNodes[static_cast<size_t>(m_nHighlighted)]);
        const int ra = m_rowOf[static_cast<size_t>(a)], rb = m_rowOf[static_cast<size_t>(b)];
        if (ra >= 0 && rb >= 0) {
            p.setPen(QPen(Qt::yellow, 2));
            p.drawRect(m_nSideX, top + ra * kCell, kSideWidth, (rb - ra + 1) * kCell);
        }
    }

    drawLegends(p, labelBottom - labelHeight);

    // ---- side minimum-similarity bar ----
    if (m_pSide->hasTree()) {
        const int bx = static_cast<int>(m_dBarX);
        p.fillRect(bx - 1, 0, 2, height, kBarGreen);
        QFont bf("Arial");
        bf.setPixelSize(12);
        p.setFont(bf);
        const QFontMetrics bm(bf);
        int ty = std::max(bm.ascent() + 4, top - labelHeight - 40);
        // The value beside the bar (with its caption while grabbed), the
        // number of clusters, and the hint while the bar is idle.
        const QString value = (m_drag == Drag::Bar ? QString("Minimum Similarity = ") : QString()) +
                              QString::asprintf("%.2f", static_cast<double>(sideMinSimilarity()));
        const int clusters = static_cast<int>(m_pSide->m_clusters.size());
        const QString count = QString::asprintf("%d", clusters);
        const QString unit = clusters < 2 ? " cluster" : " clusters";
        const QString hint = m_drag != Drag::Bar && bx >= mosaicRight ? QString("You can drag this bar ...") : QString();
        // The caption keeps to the side dendrogram's room, its longer texts
        // wrapped there, so the row names stay readable.
        const int room = std::max(40, width - m_nSideX - 8);
        const int wrap = Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap;
        const QRect valueRect = bm.boundingRect(QRect(0, 0, room, 10 * bm.height()), wrap, value);
        const QRect hintRect = hint.isEmpty() ? QRect() : bm.boundingRect(QRect(0, 0, room, 10 * bm.height()), wrap, hint);
        const int cw = bm.horizontalAdvance(count) + 6;
        const int blockW = std::max({valueRect.width(), cw + bm.horizontalAdvance(unit), hintRect.width()}) + 6;
        const int blockH = valueRect.height() + bm.height() + (hint.isEmpty() ? 0 : hintRect.height() + 2) + 6;
        const int tx = barCaptionX(bx, blockW, m_nSideX, width);
        ty -= bm.ascent();  // from here on the top of the next line
        p.fillRect(tx - 2, ty - 2, blockW, blockH, QColor(255, 255, 255, 235));
        p.setPen(Qt::black);
        p.drawText(QRect(tx, ty, room, valueRect.height()), wrap, value);
        ty += valueRect.height() + 2;
        p.fillRect(tx, ty, cw, bm.height(), Qt::red);
        p.setPen(Qt::yellow);
        p.drawText(tx + 3, ty + bm.ascent(), count);
        p.setPen(Qt::black);
        p.drawText(tx + cw + 1, ty + bm.ascent(), unit);
        if (!hint.isEmpty()) {
            ty += bm.height() + 2;
            p.setPen(QColor(80, 80, 80));
            p.drawText(QRect(tx, ty, room, hintRect.height()), wrap, hint);
        }
    }
}

int CArxEntireView::barCaptionX(int barX, int captionWidth, int sideX, int viewWidth)
{
    if (barX + 4 + captionWidth <= viewWidth)
        return barX + 4;
    if (barX - 4 - captionWidth >= sideX)
        return barX - 4 - captionWidth;
    // Over the bar, as far right as it fits, but not over the names.
    return std::max(sideX + 2, viewWidth - captionWidth);
}

void CArxEntireView::drawLegends(QPainter& p, int bottom)
{
    std::vector<const ClassStrip*> strips = doc()->stripsOver(!m_bRowMain);
    std::vector<const CForest*> along(strips.size(), m_pSide);
    for (const ClassStrip* s : doc()->stripsOver(m_bRowMain)) {
        strips.push_back(s);
        along.push_back(m_pMain);
    }
    // Above the column labels, scrolling with them.
    const int top = bottom - stripLegendsHeight(static_cast<int>(strips.size())) - 4;
    paintStripLegends(p, m_legends.layout(doc()->resultsRevision(), strips, along, std::max(100, m_nSideX - kHandleWidth - 8)),
                      QPoint(4, top), false);
}

void CArxEntireView::paintEvent(QPaintEvent*)
{
    QPainter p(viewport());
    if (viewImageStale(m_image, this, viewport()->size()))
        renderFull();
    p.drawImage(0, 0, m_image);
}

void CArxEntireView::resizeEvent(QResizeEvent* e)
{
    const int oldW = e->oldSize().width() > 0 ? viewport()->width() - (e->size().width() - e->oldSize().width())
                                             : viewport()->width();
    QAbstractScrollArea::resizeEvent(e);
    const int w = viewport()->width();
    if (oldW > 0 && m_nSideX >= oldW - kSideWidth)
        m_nSideX = w - kSideWidth;  // it stood at the right edge: it stays there
    else if (oldW > 0)
        m_nSideX = static_cast<int>(std::lround(m_nSideX * static_cast<double>(w) / oldW));
    m_nSideX = std::clamp(m_nSideX, kHandleWidth + kCell, std::max(kHandleWidth + kCell, w - kSideWidth));
    m_dBarX = m_nSideX + 50.0;
    if (hasData())
        layout();
    renderFull();
}

void CArxEntireView::scrollContentsBy(int, int) { renderFull(); }

const CNode* CArxEntireView::nodeAt(const QPoint& pt) const
{
    if (!hasData() || !m_pSide->hasTree() || pt.x() < m_nSideX || pt.x() > m_nSideX + kSideWidth)
        return nullptr;
    // The deepest branch whose vertical line is left of the point and whose
    // rows span it.
    const int top = m_nMosaicTop - verticalScrollBar()->value();
    const CNode* best = nullptr;
    std::vector<const CNode*> stack{m_pSide->root()};
    while (!stack.empty()) {
        const CNode* n = stack.back();
        stack.pop_back();
        if (n->isLeaf())
            continue;
        auto [a, b] = m_pSide->leafRange(n);
        int ra = -1, rb = -1;
        for (int pos = a; pos <= b; ++pos)
            if (m_rowOf[static_cast<size_t>(pos)] >= 0) {
                if (ra < 0)
                    ra = m_rowOf[static_cast<size_t>(pos)];
                rb = m_rowOf[static_cast<size_t>(pos)];
            }
        if (ra < 0)
            continue;
        const double x = m_nSideX + (1.0 - n->m_fSimilarity) * kSideWidth;
        if (pt.y() < top + ra * kCell || pt.y() > top + (rb + 1) * kCell || pt.x() > x + 3)
            continue;
        best = n;
        stack.push_back(n->m_pSecond);
        stack.push_back(n->m_pFirst);
    }
    return best;
}

void CArxEntireView::mousePressEvent(QMouseEvent* e)
{
    if (!hasData() || e->button() != Qt::LeftButton)
        return;
    const QPoint pt = e->position().toPoint();
    const int top = m_nMosaicTop - verticalScrollBar()->value();
    if (m_pSide->hasTree() && std::abs(pt.x() - m_dBarX) <= 3) {
        m_drag = Drag::Bar;
        renderFull();
        return;
    }
    if (pt.x() >= m_nSideX - kHandleWidth && pt.x() < m_nSideX && pt.y() >= top) {
        m_drag = Drag::Side;
        m_nGrabX = pt.x();
        m_nGrabSideX = m_nSideX;
        return;
    }
    if (const CNode* node = nodeAt(pt)) {
        m_nPrevHighlighted = m_nHighlighted;
        m_nHighlighted = node->m_nIndex;
        if (m_nHighlighted != m_nPrevHighlighted) {
            auto [a, b] = m_pSide->leafRange(node);
            std::vector<int> sel;
            for (int pos = a; pos <= b; ++pos)
                sel.push_back(m_pSide->dataIndex(pos));
            std::sort(sel.begin(), sel.end());
            m_pSide->m_nSelectedNode = m_nHighlighted;
            if (m_pSide->m_bRowForest) {
                doc()->setItemSelection(sel, this);
                renderFull();
            } else {
                doc()->setVariableSelection(sel, this);
                renderFull();
                doc()->updateAllViews(this, kHintVariableSubtree);
            }
        }
    }
}

void CArxEntireView::mouseMoveEvent(QMouseEvent* e)
{
    const QPoint pt = e->position().toPoint();
    if (!hasData())
        return;
    const int w = viewport()->width();
    if (m_drag == Drag::Bar) {
        m_dBarX = std::clamp(static_cast<double>(pt.x()), static_cast<double>(m_nSideX),
                             static_cast<double>(std::min(m_nSideX + kSideWidth, w)));
        m_nHighlighted = m_nPrevHighlighted = -1;
        layout();
        renderFull();
        return;
    }
    if (m_drag == Drag::Side) {
        const double offset = m_dBarX - m_nSideX;
        m_nSideX = std::clamp(m_nGrabSideX + pt.x() - m_nGrabX, kHandleWidth + kCell,
                              std::max(kHandleWidth + kCell, w - kSideWidth));
        m_dBarX = m_nSideX + offset;
        renderFull();
        return;
    }
    const int top = m_nMosaicTop - verticalScrollBar()->value();
    if (m_pSide->hasTree() && std::abs(pt.x() - m_dBarX) <= 5)
        viewport()->setCursor(Qt::SizeHorCursor);
    else if (pt.x() >= m_nSideX - kHandleWidth && pt.x() < m_nSideX && pt.y() >= top)
        viewport()->setCursor(Qt::SizeAllCursor);
    else
        viewport()->unsetCursor();
}

void CArxEntireView::mouseReleaseEvent(QMouseEvent*)
{
    if (m_drag == Drag::Idle)
        return;
    m_drag = Drag::Idle;
    renderFull();
}

void CArxEntireView::contextMenuEvent(QContextMenuEvent* e)
{
    QMenu menu(this);
    QAction* print = menu.addAction("Print Current View");
    QAction* copy = menu.addAction("Copy Current View");
    QAction* save = menu.addAction("Save Current View");
    for (QAction* a : {print, copy, save})
        a->setEnabled(hasData());
    // On a node of the side dendrogram: its children can change places.
    const CNode* node = nodeAt(viewport()->mapFromGlobal(e->globalPos()));
    const int nodeIndex = node && !node->isLeaf() ? node->m_nIndex : -1;
    menu.addSeparator();
    QAction* flip = menu.addAction("Flip Subtree");
    flip->setEnabled(nodeIndex >= 0);
    QAction* chosen = menu.exec(e->globalPos());
    if (chosen == flip)
        flipSubtree(nodeIndex);
    else if (chosen == print)
        this->print();
    else if (chosen == copy)
        copyToClipboard();
    else if (chosen == save) {
        const QString path = askPicturePath(this, "Save the current view in a bmp file");
        if (!path.isEmpty())
            savePicture(path);
    }
}

bool CArxEntireView::flipSubtree(int nodeIndex)
{
    if (!hasData() || !doc()->flipSubtree(m_pSide, nodeIndex, this))
        return false;
    layout();
    renderFull();
    return true;
}

void CArxEntireView::onUpdate(CDocObserver* sender, int hint)
{
    switch (hint) {
    case kHintLeafOrder:
    case kHintClassStrips:
        if (hasData()) {
            layout();
            renderFull();
        }
        break;
    case kHintCurrentItem:
        break;
    case kHintNewData:
        clear();
        break;
    case kHintResultsChanged:
    case kHintDirectionSwitched:
        resetFromDocument();
        break;
    case kHintItemSelection:
    case kHintVariableSelection:
        if (hasData())
            renderFull();
        break;
    case kHintColorMapping:
    case kHintAnnotation:  // the item labels changed
        if (hasData())
            renderFull();
        break;
    case kHintVariableSubtree:
        if (hasData() && sender != this)
            renderFull();
        break;
    default:
        break;
    }
}

void CArxEntireView::print()
{
    if (!hasData())
        return;
    QPrinter printer;
    QPrintDialog dlg(&printer, this);
    if (dlg.exec() == QDialog::Accepted)
        printWidgetPicture(printer, picture());
}

void CArxEntireView::copyToClipboard()
{
    if (hasData())
        QApplication::clipboard()->setImage(picture());
}

QImage CArxEntireView::picture()
{
    const int vscroll = verticalScrollBar()->value();
    return pictureImage(viewport()->size(), [this, vscroll](QPainter& p, int w, int h) { render(p, w, h, vscroll); });
}

bool CArxEntireView::savePicture(const QString& path)
{
    const int vscroll = verticalScrollBar()->value();
    return savePictureFile(path, viewport()->size(),
                           [this, vscroll](QPainter& p, int w, int h) { render(p, w, h, vscroll); });
}
