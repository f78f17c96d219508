#include "rank/ui/CColorListView.h"

#include <QMouseEvent>
#include <QPainter>

#include "rank/ScoreScale.h"

CColorListView::CColorListView(QWidget* parent) : QWidget(parent)
{
    setMinimumHeight(34);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void CColorListView::setScores(std::vector<double> scores, std::vector<char> scored, double minimum, double maximum)
{
    m_scores = std::move(scores);
    m_scored = std::move(scored);
    m_scored.resize(m_scores.size(), 0);
    m_dMin = minimum;
    m_dMax = maximum;
    m_bHasRange = minimum <= maximum;
    update();
}

void CColorListView::clear()
{
    m_scores.clear();
    m_scored.clear();
    m_bHasRange = false;
    m_nCurrent = -1;
    update();
}

void CColorListView::setCurrent(int column)
{
    m_nCurrent = column;
    update();
}

int CColorListView::columnAt(int x) const
{
    const int n = cellCount(), w = cellsWidth();
    if (n == 0 || w <= 0 || x < 1 || x >= 1 + w)
        return -1;
    return static_cast<int>(static_cast<long long>(x - 1) * n / w);
}

int CColorListView::xOfColumn(int column) const
{
    const int n = cellCount();
    return n ? 1 + static_cast<int>(static_cast<long long>(column) * cellsWidth() / n) : 1;
}

QString CColorListView::minimumText() const { return m_bHasRange ? QString::asprintf("%.3f", m_dMin) : QString(); }
QString CColorListView::maximumText() const { return m_bHasRange ? QString::asprintf("%.3f", m_dMax) : QString(); }

void CColorListView::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), palette().window());
    const int n = cellCount();
    p.setPen(Qt::gray);
    p.drawRect(0, 0, width() - 1, kCellHeight + 1);
    if (n > 0) {
        for (int c = 0; c < n; ++c) {
            const int x0 = xOfColumn(c), x1 = std::max(x0 + 1, xOfColumn(c + 1));
            QColor colour(190, 190, 190);
            if (m_scored[static_cast<size_t>(c)] && m_bHasRange) {
                const Rgb rgb = scoreScaleColor(m_scores[static_cast<size_t>(c)], m_dMin, m_dMax);
                colour = QColor(rgb.r, rgb.g, rgb.b);
            }
            p.fillRect(x0, 1, x1 - x0, kCellHeight, colour);
        }
        if (m_nCurrent >= 0 && m_nCurrent < n) {
            const int x0 = xOfColumn(m_nCurrent), x1 = std::max(x0 + 3, xOfColumn(m_nCurrent + 1));
            p.setPen(QPen(Qt::black, 2));
            p.drawRect(x0 - 1, 1, x1 - x0 + 1, kCellHeight - 1);
        }
    }
    p.setPen(Qt::black);
    QFont f = font();
    f.setPixelSize(11);
    p.setFont(f);
    p.drawText(QRect(2, kCellHeight + 3, width() - 4, height() - kCellHeight - 3), Qt::AlignLeft | Qt::AlignTop,
               minimumText());
    p.drawText(QRect(2, kCellHeight + 3, width() - 4, height() - kCellHeight - 3), Qt::AlignRight | Qt::AlignTop,
               maximumText());
}

void CColorListView::mousePressEvent(QMouseEvent* e)
{
    if (e->button() != Qt::LeftButton)
        return;
    const int c = columnAt(e->position().toPoint().x());
    if (c >= 0)
        emit columnClicked(c);
}
