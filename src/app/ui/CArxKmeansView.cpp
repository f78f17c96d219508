#include "app/ui/CArxKmeansView.h"

#include <QContextMenuEvent>
#include <QFileDialog>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>

#include "app/CArxDoc.h"
#include "data/ColorMapping.h"
#include "app/ui/ViewContext.h"
#include "app/ui/ViewImage.h"
#include "cluster/Forest.h"
#include "platform/Messages.h"

namespace {
QColor qcolor(Rgb c) { return QColor(c.r, c.g, c.b); }
}

CArxKmeansView::CArxKmeansView(CArxDoc* doc, QWidget* parent) : QAbstractScrollArea(parent), m_pDoc(doc)
{
    setWindowTitle("K-means");
    viewport()->setMouseTracking(true);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    clear();
}

CForest* CArxKmeansView::items() const { return doc() ? doc()->m_pRowForest : nullptr; }
CForest* CArxKmeansView::variables() const { return doc() ? doc()->m_pColForest : nullptr; }

bool CArxKmeansView::hasResult() const
{
    return doc() && doc()->m_bDataLoaded && items() && variables() && (items()->m_bKMeans || variables()->m_bKMeans);
}

int CArxKmeansView::scrollPosition() const { return horizontalScrollBar()->value(); }

void CArxKmeansView::clear()
{
    horizontalScrollBar()->setEnabled(false);
    horizontalScrollBar()->setRange(0, 0);
    fitViewImage(m_image, this, viewport()->size());
    m_image.fill(Qt::white);
    viewport()->update();
}

void CArxKmeansView::itemLayout(std::vector<int>& positions, std::vector<int>& xs) const
{
    positions.clear();
    xs.clear();
    const CForest* f = items();
    if (!f)
        return;
    if (f->m_bKMeans && static_cast<int>(f->m_kmeansOrder.size()) == f->m_nLeaves)
        positions = f->m_kmeansOrder;
    else
        for (int p = 0; p < f->m_nLeaves; ++p)
            positions.push_back(p);
    xs.reserve(positions.size());
    int counter = 0;
    for (size_t i = 0; i < positions.size(); ++i) {
        if (i > 0 && f->leaf(positions[i])->m_nMarker1 != f->leaf(positions[i - 1])->m_nMarker1)
            ++counter;
        xs.push_back(static_cast<int>(i) * kCell + counter);
    }
}

void CArxKmeansView::updateScrollBar()
{
    QScrollBar* hs = horizontalScrollBar();
    if (!hasResult()) {
        hs->setEnabled(false);
        hs->setRange(0, 0);
        return;
    }
    const int n = items()->m_nLeaves;
    hs->setEnabled(true);
    hs->setRange(0, std::max(0, n * kCell + n / 2 - (viewport()->width() - kRightBand)));
    hs->setPageStep(std::max(kCell, viewport()->width() - kRightBand));
    hs->setSingleStep(kCell);
    if (m_nDividerX < 0)
        m_nDividerX = std::max(kMinDividerX, viewport()->width() - kRightBand - kDividerWidth);
}

void CArxKmeansView::renderFull()
{
    const QSize size = viewport()->size().expandedTo(QSize(1, 1));
    fitViewImage(m_image, this, size);
    m_image.fill(Qt::white);
    viewport()->update();
    if (!hasResult())
        return;
    QPainter p(&m_image);
    const int width = size.width(), height = size.height();
    const CForest& it = *items();
    const CForest& var = *variables();
    std::vector<int> positions, xs;
    itemLayout(positions, xs);
    std::vector<int> rows;
    if (var.m_bKMeans && static_cast<int>(var.m_kmeansOrder.size()) == var.m_nLeaves)
        rows = var.m_kmeansOrder;
    else
        for (int v = 0; v < var.m_nLeaves; ++v)
            rows.push_back(v);
    const ColorMapping& map = viewContext().mapping;
    const int scroll = scrollPosition();
    const int first = scroll / kCell;
    const int last = std::min(static_cast<int>(positions.size()) - 1, first + (width - kRightBand) / kCell);
    const int x0 = first < static_cast<int>(xs.size()) ? xs[static_cast<size_t>(std::max(first, 0))] : 0;
    for (int i = first; i <= last; ++i) {
        const CNode* leaf = it.leaf(positions[static_cast<size_t>(i)]);
        const int x = xs[static_cast<size_t>(i)] - x0;
        for (size_t r = 0; r < rows.size(); ++r) {
            const int y = static_cast<int>(r) * kCell + kTopMargin;
            if (y >= height)
                break;
            const int k = rows[r];
            Rgb c = kMissingWhite;
            if (leaf->m_pValues && !(leaf->m_pWeights && leaf->m_pWeights[k] == -1.0f))
                c = map.colorOf(leaf->m_pValues[k]);
            p.fillRect(x, y, kCell, kCell, qcolor(c));
        }
    }
    // The right band is white; the cluster labels and borders go over the
    // mosaic.
    p.fillRect(width - kRightBand, 0, kRightBand, height, Qt::white);
    QFont f("Arial");
    f.setPixelSize(11);
    f.setBold(true);
    p.setFont(f);
    const int mosaicBottom = kTopMargin + static_cast<int>(rows.size()) * kCell;
    if (it.m_bKMeans) {
        size_t i = static_cast<size_t>(std::max(first, 0));
        // Back to the start of the cluster the first visible item is in.
        while (i > 0 && it.leaf(positions[i - 1])->m_nMarker1 == it.leaf(positions[i])->m_nMarker1)
            --i;
        while (i < positions.size() && static_cast<int>(i) <= last) {
            const int cluster = it.leaf(positions[i])->m_nMarker1;
            size_t j = i;
            while (j + 1 < positions.size() && it.leaf(positions[j + 1])->m_nMarker1 == cluster)
                ++j;
            const int left = xs[i] - x0, right = xs[j] - x0 + kCell;
            p.setPen(QPen(Qt::black, 1));
            p.setBrush(Qt::NoBrush);
            p.drawRect(left, kTopMargin - 1, right - left - 1, std::min(mosaicBottom, height) - kTopMargin);
            const QString label = QString::asprintf("K%d (%d)", cluster + 1, static_cast<int>(j - i + 1));
            p.setPen(Qt::black);
            p.drawText(QRect(std::max(left, 0), 2, std::max(right, 0) - std::max(left, 0) + 60, kTopMargin - 3),
                       Qt::AlignLeft | Qt::AlignVCenter, label);
            i = j + 1;
        }
    }
    // The variable-cluster borders (column k-means) across the rows.
    if (var.m_bKMeans) {
        p.setPen(QPen(Qt::white, 1));
        for (size_t r = 1; r < rows.size(); ++r)
            if (var.leaf(rows[r])->m_nMarker1 != var.leaf(rows[r - 1])->m_nMarker1) {
                const int y = kTopMargin + static_cast<int>(r) * kCell;
                p.drawLine(0, y, width - kRightBand, y);
            }
    }
    // The divider band with the variable names.
    const int dx = m_nDividerX;
    p.fillRect(dx, kTopMargin, kDividerWidth, std::min(mosaicBottom, height) - kTopMargin, QColor(255, 255, 255, 200));
    p.setPen(QColor(120, 120, 120));
    p.drawRect(dx, kTopMargin - 1, kDividerWidth - 1, std::min(mosaicBottom, height) - kTopMargin);
    QFont nf("Arial");
    nf.setPixelSize(kCell - 1);
    p.setFont(nf);
    p.setPen(Qt::black);
    const QFontMetrics nm(nf);
    for (size_t r = 0; r < rows.size(); ++r) {
        const int y = kTopMargin + static_cast<int>(r) * kCell;
        if (y >= height)
            break;
        const QString name = QString::fromStdString(var.leaf(rows[r])->m_strName);
        p.drawText(QRect(dx + 2, y, kDividerWidth - 4, kCell), Qt::AlignVCenter | Qt::AlignLeft,
                   nm.elidedText(name, Qt::ElideRight, kDividerWidth - 4));
    }
}

void CArxKmeansView::refresh()
{
    updateScrollBar();
    renderFull();
}

void CArxKmeansView::showSelection()
{
    if (!hasResult() || doc()->m_selectedItems.empty())
        return;
    std::vector<int> positions, xs;
    itemLayout(positions, xs);
    for (size_t i = 0; i < positions.size(); ++i)
        if (std::binary_search(doc()->m_selectedItems.begin(), doc()->m_selectedItems.end(),
                               items()->dataIndex(positions[i]))) {
            horizontalScrollBar()->setValue(std::max(0, static_cast<int>(i) * kCell - 24));
            break;
        }
    renderFull();
}

void CArxKmeansView::paintEvent(QPaintEvent*)
{
    QPainter p(viewport());
    if (viewImageStale(m_image, this, viewport()->size()))
        renderFull();
    p.drawImage(0, 0, m_image);
}

void CArxKmeansView::showEvent(QShowEvent*)
{
    updateScrollBar();
    renderFull();
}

void CArxKmeansView::resizeEvent(QResizeEvent* e)
{
    QAbstractScrollArea::resizeEvent(e);
    if (m_nDividerX >= 0)
        m_nDividerX = std::clamp(m_nDividerX, kCell, std::max(kCell, viewport()->width() - kDividerWidth));
    updateScrollBar();
    renderFull();
}

void CArxKmeansView::scrollContentsBy(int, int) { renderFull(); }

void CArxKmeansView::mousePressEvent(QMouseEvent* e)
{
    const int x = e->position().toPoint().x();
    if (e->button() == Qt::LeftButton && hasResult() && x >= m_nDividerX && x < m_nDividerX + kDividerWidth) {
        m_bDragging = true;
        m_nGrabOffset = x - m_nDividerX;
    }
}

void CArxKmeansView::mouseMoveEvent(QMouseEvent* e)
{
    const int x = e->position().toPoint().x();
    if (m_bDragging) {
        m_nDividerX = std::clamp(x - m_nGrabOffset, kCell, std::max(kCell, viewport()->width() - kDividerWidth));
        renderFull();
        return;
    }
    if (hasResult() && x >= m_nDividerX && x < m_nDividerX + kDividerWidth)
        viewport()->setCursor(Qt::SizeAllCursor);
    else
        viewport()->unsetCursor();
}

void CArxKmeansView::mouseReleaseEvent(QMouseEvent*)
{
    if (m_bDragging) {
        m_bDragging = false;
    }
}

void CArxKmeansView::contextMenuEvent(QContextMenuEvent* e)
{
    QMenu menu(this);
    QAction* run = menu.addAction("Do K-means Clustering");
    QAction* exp = menu.addAction("Export Clustering Result");
    QAction* chosen = menu.exec(e->globalPos());
    if (chosen == run)
        emit kMeansRequested();
    else if (chosen == exp)
        exportResult();
}

void CArxKmeansView::exportResult()
{
    if (!doc() || !doc()->m_bDataLoaded) {
        showMessage("Please load data first!");
        return;
    }
    if (!hasResult()) {
        showMessage("Do K-means Clustering first!");
        return;
    }
    QFileDialog dlg(this, "Export K-means Clustering Result in a txt file");
    dlg.setAcceptMode(QFileDialog::AcceptSave);
    dlg.setNameFilter("text files (*.txt)");
    dlg.setDefaultSuffix("txt");
    dlg.selectFile(QString::fromStdString(doc()->m_strDataName + "-Kmeans"));
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty())
        return;
    doc()->exportKMeans(dlg.selectedFiles().first().toStdString(), false);
}

void CArxKmeansView::onUpdate(CDocObserver* sender, int hint)
{
    if (!isVisible() || window()->isMinimized())
        return;
    if (hint == kHintCurrentItem)
        return;
    if (!hasResult()) {
        clear();
        return;
    }
    switch (hint) {
    case kHintColorMapping:
        renderFull();
        break;
    case kHintItemSelection:
        if (sender != this)
            showSelection();
        break;
    case kHintNewData:
        clear();
        break;
    case kHintResultsChanged:
        updateScrollBar();
        renderFull();
        break;
    default:
        break;
    }
}
