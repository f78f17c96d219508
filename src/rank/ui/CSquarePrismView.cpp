#include "rank/ui/CSquarePrismView.h"

#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>
#include <algorithm>

#include "app/ui/ViewImage.h"
#include "platform/Format.h"
#include "rank/PairScoring.h"
#include "rank/ScoreScale.h"

CSquarePrismView::CSquarePrismView(QWidget* parent) : CPrismView(parent)
{
    setMouseTracking(true);
    setMinimumSize(60, 60);
}

void CSquarePrismView::setTable(const PairTable* table, const std::vector<std::string>& names)
{
    m_pTable = table;
    m_names = names;
    m_nHighlightRow = m_nHighlightColumn = -1;
    relayout();
}

void CSquarePrismView::clear() { setTable(nullptr, {}); }

void CSquarePrismView::setHighlight(int row, int column)
{
    m_nHighlightRow = row;
    m_nHighlightColumn = column;
    update();
}

void CSquarePrismView::relayout()
{
    const int w = std::max(0, width() - 4), h = std::max(0, height() - 4);
    if (!m_pTable)
        m_layout = PrismLayout{};
    else if (m_pTable->isClusterComparison())
        m_layout = PrismLayout::grid(m_pTable->m_nFirstClusters, m_pTable->m_nSecondClusters, w, h);
    else
        m_layout = PrismLayout::triangle(m_pTable->m_nVariables, w, h);
    m_layout.m_nLeft += 2;
    m_layout.m_nTop += 2;
    render();
    update();
}

const PairScore* CSquarePrismView::pairAt(int row, int column) const
{
    if (!m_pTable || !m_layout.hasCell(row, column))
        return nullptr;
    return m_pTable->find(row, column);
}

QColor CSquarePrismView::cellColor(int row, int column) const
{
    const PairScore* s = pairAt(row, column);
    if (!s || !m_pTable->isScored() || s->m_dScore == -1000.0 || s->m_bFailed)
        return Qt::white;
    if (m_pTable->m_dMax == m_pTable->m_dMin)
        return Qt::black;
    const Rgb c = scoreScaleColor(s->m_dScore, m_pTable->m_dMin, m_pTable->m_dMax);
    return QColor(c.r, c.g, c.b);
}

QString CSquarePrismView::hoverText(int row, int column) const
{
    const PairScore* s = pairAt(row, column);
    if (!s)
        return {};
    const std::string score = m_pTable->isScored() ? pairScoreNumber(m_pTable->m_nCriterion, s->m_dScore)
                                                  : pairScoreText(*m_pTable, *s);
    return QString::fromStdString("X ->" + pairAxisText(*m_pTable, *s, true, m_names) + "\nY ->" +
                                  pairAxisText(*m_pTable, *s, false, m_names) + "\n" + score);
}

void CSquarePrismView::render()
{
    fitViewImage(m_image, this, size());
    m_image.fill(palette().color(QPalette::Window));
    if (!m_pTable || m_layout.isEmpty())
        return;
    const bool sized = m_pTable->m_nCriterion == kPairQuadracity || m_pTable->m_nCriterion == kPairAssociation;
    const int first = m_layout.m_nFirstRow;
    if (m_layout.pixelPerPair()) {
        // One pixel per pair, then scaled down into the cells' area.
        QImage pixels(m_layout.m_nColumns, m_layout.m_nRows, QImage::Format_RGB32);
        pixels.fill(palette().color(QPalette::Window));
        for (int r = 0; r < m_layout.m_nRows; ++r) {
            auto* line = reinterpret_cast<QRgb*>(pixels.scanLine(r));
            for (int c = 0; c < m_layout.m_nColumns; ++c)
                if (m_layout.hasCell(r + first, c))
                    line[c] = cellColor(r + first, c).rgb();
        }
        QPainter p(&m_image);
        p.drawImage(QRectF(m_layout.m_nLeft, m_layout.m_nTop, m_layout.m_dCell * m_layout.m_nColumns,
                           m_layout.m_dCell * m_layout.m_nRows),
                    pixels);
        return;
    }
    QPainter p(&m_image);
    for (int r = 0; r < m_layout.m_nRows; ++r)
        for (int c = 0; c < m_layout.m_nColumns; ++c) {
            if (!m_layout.hasCell(r + first, c))
                continue;
            int left, top, side;
            m_layout.cellRect(r + first, c, left, top, side);
            const QColor colour = cellColor(r + first, c);
            const PairScore* s = pairAt(r + first, c);
            if (sized && s && side >= 3 && colour != Qt::white && colour != Qt::black) {
                p.fillRect(left, top, side, side, Qt::white);
                const int inner = static_cast<int>(std::clamp(s->m_dAuxiliary, 0.0, 1.0) * side + 0.5);
                p.fillRect(left + (side - inner) / 2, top + (side - inner) / 2, inner, inner, colour);
            } else {
                p.fillRect(left, top, side, side, colour);
            }
        }
}

void CSquarePrismView::paintEvent(QPaintEvent*)
{
    if (viewImageStale(m_image, this, size()))
        render();
    QPainter p(this);
    p.drawImage(0, 0, m_image);
    if (m_nHighlightRow < 0 || !m_layout.hasCell(m_nHighlightRow, m_nHighlightColumn))
        return;
    const double cell = m_layout.m_dCell;
    const QRectF box(m_layout.m_nLeft + m_nHighlightColumn * cell,
                     m_layout.m_nTop + (m_nHighlightRow - m_layout.m_nFirstRow) * cell, std::max(cell, 1.0),
                     std::max(cell, 1.0));
    // Small cells get a frame around them that stays visible.
    const QRectF frame = cell < 5 ? box.adjusted(-2, -2, 2, 2) : box;
    p.setPen(QPen(QColor(0, 160, 0), 2));
    p.setBrush(Qt::NoBrush);
    p.drawRect(frame);
}

void CSquarePrismView::resizeEvent(QResizeEvent*) { relayout(); }

void CSquarePrismView::mouseMoveEvent(QMouseEvent* e)
{
    int row, column;
    const QPoint at = e->position().toPoint();
    if (m_layout.cellAt(at.x(), at.y(), row, column))
        QToolTip::showText(e->globalPosition().toPoint(), hoverText(row, column), this);
    else
        QToolTip::hideText();
}

void CSquarePrismView::mousePressEvent(QMouseEvent* e)
{
    int row, column;
    const QPoint at = e->position().toPoint();
    if (e->button() == Qt::LeftButton && m_layout.cellAt(at.x(), at.y(), row, column) && pairAt(row, column)) {
        setHighlight(row, column);
        emit cellClicked(row, column);
    }
}
